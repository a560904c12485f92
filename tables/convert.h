#pragma once
// Numbers, codes and dates live as text in the tables; these are the one place
// where text becomes a value and back.
#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace convert_detail {
// Plain decimal digits, the text of nearly every cell, up to nine of them.
inline bool plainDigits(std::string_view text, int& value) {
    if (text.empty() || text.size() > 9) return false;
    int result = 0;
    for (const char c : text) {
        const unsigned digit = static_cast<unsigned char>(c) - unsigned{'0'};
        if (digit > 9) return false;
        result = result * 10 + static_cast<int>(digit);
    }
    value = result;
    return true;
}
std::optional<int> parseInt(std::string_view text);
[[noreturn]] void throwNotInt(std::string_view text);
}  // namespace convert_detail

// A whole number as the tables write it: optional leading spaces, a sign,
// decimal digits (or '$' and hex digits), within 32 bits.
// Throws EConvertError "'%s' は整数ではありません".
inline std::optional<int> tryToInt(std::string_view text) {
    if (int value; convert_detail::plainDigits(text, value)) return value;
    return convert_detail::parseInt(text);
}
inline int toInt(std::string_view text) {
    if (int value; convert_detail::plainDigits(text, value)) return value;
    if (const auto value = convert_detail::parseInt(text)) return *value;
    convert_detail::throwNotInt(text);
}

// A real number with '.' as the decimal point, converted correctly rounded to
// the x87 extended format. Throws EConvertError "'%s' は浮動小数点数ではありません".
long double toFloat(std::string_view text);
std::optional<long double> tryToFloat(std::string_view text);

std::string intToStr(long long value);

// A cell has a value when it is neither empty nor a single space.
inline bool hasValue(std::string_view cell) {
    return !cell.empty() && cell != " ";
}

// The first n characters of a UTF-8 text (the whole text when shorter).
std::string_view firstChars(std::string_view text, std::size_t n);

// Stock codes are compared on their first four characters.
inline std::string_view codeKey(std::string_view text) {
    return firstChars(text, 4);
}
inline bool sameCode(std::string_view a, std::string_view b) {
    // Codes are nearly always four ASCII digits: compare those bytes without decoding.
    auto asciiCode = [](std::string_view s) {
        return s.size() >= 4 && ((s[0] | s[1] | s[2] | s[3]) & 0x80) == 0;
    };
    if (asciiCode(a) && asciiCode(b)) return a.substr(0, 4) == b.substr(0, 4);
    return codeKey(a) == codeKey(b);
}

// A date written yyyy/mm/dd (also y/m/d with shorter parts); nothing when it is not one.
std::optional<std::chrono::sys_days> parseDate(std::string_view text);
// yyyy/mm/dd
std::string formatDate(std::chrono::sys_days day);
