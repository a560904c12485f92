#include "tables/convert.h"

#include <locale.h>
#include <charconv>
#include <clocale>
#include <cstdint>
#include <cstdlib>

#include "tables/errors.h"

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

locale_t cLocale() {
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return locale;
}

}  // namespace

std::optional<int> convert_detail::parseInt(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long value = 0;
    const long long limit = negative ? 2147483648LL : 2147483647LL;
    if (i < text.size() &&
        (text[i] == '$' || text[i] == 'x' || text[i] == 'X' ||
         (text[i] == '0' && i + 1 < text.size() && (text[i + 1] == 'x' || text[i + 1] == 'X')))) {
        i += text[i] == '0' ? 2 : 1;
        if (i >= text.size()) return std::nullopt;
        unsigned long long bits = 0;
        for (; i < text.size(); ++i) {
            const int digit = hexValue(text[i]);
            if (digit < 0) return std::nullopt;
            bits = bits * 16 + static_cast<unsigned>(digit);
            if (bits > 0xFFFFFFFFULL) return std::nullopt;
        }
        // Hexadecimal text gives the 32-bit pattern.
        const auto pattern = static_cast<std::int32_t>(static_cast<std::uint32_t>(bits));
        // Negated in unsigned arithmetic: the pattern of -$80000000 is its own negative.
        return negative ? static_cast<std::int32_t>(0u - static_cast<std::uint32_t>(pattern))
                        : pattern;
    }
    if (i >= text.size()) return std::nullopt;
    for (; i < text.size(); ++i) {
        if (!isDigit(text[i])) return std::nullopt;
        value = value * 10 + (text[i] - '0');
        if (value > limit) return std::nullopt;
    }
    return static_cast<int>(negative ? -value : value);
}

void convert_detail::throwNotInt(std::string_view text) {
    throwNotInteger(text);
}

std::optional<long double> tryToFloat(std::string_view text) {
    std::size_t begin = 0, end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) <= ' ') ++begin;
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= ' ') --end;
    const std::string_view body = text.substr(begin, end - begin);
    // Validate the shape first: strtold would also take "inf", "nan" and hex floats.
    std::size_t i = 0, digits = 0;
    if (i < body.size() && (body[i] == '+' || body[i] == '-')) ++i;
    while (i < body.size() && isDigit(body[i])) ++i, ++digits;
    if (i < body.size() && body[i] == '.') {
        ++i;
        while (i < body.size() && isDigit(body[i])) ++i, ++digits;
    }
    if (digits == 0) return std::nullopt;
    if (i < body.size() && (body[i] == 'e' || body[i] == 'E')) {
        ++i;
        if (i < body.size() && (body[i] == '+' || body[i] == '-')) ++i;
        std::size_t exponentDigits = 0;
        while (i < body.size() && isDigit(body[i])) ++i, ++exponentDigits;
        if (exponentDigits == 0) return std::nullopt;
    }
    if (i != body.size()) return std::nullopt;
    const std::string copy(body);
    char* stop = nullptr;
    const long double value = strtold_l(copy.c_str(), &stop, cLocale());
    if (stop != copy.c_str() + copy.size()) return std::nullopt;
    return value;
}

long double toFloat(std::string_view text) {
    if (auto value = tryToFloat(text)) return *value;
    throwNotFloat(text);
}

std::string intToStr(long long value) {
    char buffer[24];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    return std::string(buffer, end);
}

std::string_view firstChars(std::string_view text, std::size_t n) {
    std::size_t pos = 0;
    for (std::size_t count = 0; count < n && pos < text.size(); ++count) {
        ++pos;
        while (pos < text.size() && (static_cast<unsigned char>(text[pos]) & 0xC0) == 0x80) ++pos;
    }
    return text.substr(0, pos);
}

std::optional<std::chrono::sys_days> parseDate(std::string_view text) {
    int parts[3] = {0, 0, 0};
    int count = 0;
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    while (count < 3) {
        int digits = 0, value = 0;
        while (i < text.size() && isDigit(text[i]) && digits < 4) {
            value = value * 10 + (text[i++] - '0');
            ++digits;
        }
        if (digits == 0) return std::nullopt;
        parts[count++] = value;
        if (count < 3) {
            if (i >= text.size() || text[i] != '/') return std::nullopt;
            ++i;
        }
    }
    while (i < text.size() && text[i] == ' ') ++i;
    if (i != text.size()) return std::nullopt;
    const std::chrono::year_month_day date{std::chrono::year{parts[0]},
                                           std::chrono::month{static_cast<unsigned>(parts[1])},
                                           std::chrono::day{static_cast<unsigned>(parts[2])}};
    if (!date.ok()) return std::nullopt;
    return std::chrono::sys_days{date};
}

std::string formatDate(std::chrono::sys_days day) {
    const std::chrono::year_month_day date{day};
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%04d/%02u/%02u", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()));
    return buffer;
}
