#include "market/csv_import.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <condition_variable>
#include <cstdint>
#include <ctime>
#include <mutex>
#include <set>
#include <system_error>
#include <thread>

#include "data/cp932.h"
#include "data/text_file.h"
#include "market/program_files.h"
#include "tables/comma_text.h"
#include "tables/convert.h"
#include "tables/settings_layout.h"
#include "tables/working_table.h"

namespace market {

namespace {

// Some exports put a title line or two above the header row.
constexpr int kHeaderSearchRecords = 30;
// Imported rows stored a part at a time while the next files are read.
constexpr std::size_t kRowsPerStore = 100000;
// The program reads prices as whole numbers of 32 bits.
constexpr double kLargestPrice = 1e9;

constexpr std::string_view kFullWidthSpace = "\u3000";

// ---------------------------------------------------------------------------------
// Text

std::string_view trim(std::string_view text) {
    for (;;) {
        if (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
            text.remove_prefix(1);
        } else if (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
            text.remove_suffix(1);
        } else if (text.starts_with(kFullWidthSpace)) {
            text.remove_prefix(kFullWidthSpace.size());
        } else if (text.ends_with(kFullWidthSpace)) {
            text.remove_suffix(kFullWidthSpace.size());
        } else {
            return text;
        }
    }
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

char upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// Today in the local time zone: a file's newest day may not be later.
Day systemToday() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    return Day{std::chrono::year{local.tm_year + 1900} /
               std::chrono::month(static_cast<unsigned>(local.tm_mon + 1)) /
               std::chrono::day(static_cast<unsigned>(local.tm_mday))};
}

std::string grouped(long long n) {
    std::string digits = intToStr(n < 0 ? -n : n), text;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) text += ',';
        text += digits[i];
    }
    return n < 0 ? "-" + text : text;
}

// ---------------------------------------------------------------------------------
// Records: fields split at the separator; a quoted field keeps separators, line
// breaks and doubled quotes; lines end in CR, LF or CR LF.

class Records {
  public:
    Records(std::string_view text, char separator) : text_(text), separator_(separator) {}

    // The next record and the line it starts on; false at the end of the text.
    bool next(std::vector<std::string>& fields, int& line) {
        fields.clear();
        if (pos_ >= text_.size()) return false;
        line = line_;
        std::string field;
        bool quoted = false, inQuotes = false, atStart = true;
        while (pos_ < text_.size()) {
            const char c = text_[pos_++];
            if (inQuotes) {
                if (c == '"') {
                    if (pos_ < text_.size() && text_[pos_] == '"') {
                        field += '"';
                        ++pos_;
                    } else {
                        inQuotes = false;
                    }
                } else {
                    if (c == '\n' || (c == '\r' && !(pos_ < text_.size() && text_[pos_] == '\n')))
                        ++line_;
                    field += c;
                }
                continue;
            }
            if (c == separator_) {
                fields.push_back(quoted ? std::move(field) : std::string(trim(field)));
                field.clear();
                quoted = false;
                atStart = true;
                continue;
            }
            if (c == '\r' || c == '\n') {
                if (c == '\r' && pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
                ++line_;
                break;
            }
            if (atStart && c == '"') {
                quoted = inQuotes = true;
                atStart = false;
                field.clear();
                continue;
            }
            if (atStart && (c == ' ' || c == '\t')) continue;
            atStart = false;
            if (!quoted) field += c;  // after a closing quote only blanks are expected
        }
        fields.push_back(quoted ? std::move(field) : std::string(trim(field)));
        return true;
    }

  private:
    std::string_view text_;
    char separator_;
    std::size_t pos_ = 0;
    int line_ = 1;
};

bool blankRecord(const std::vector<std::string>& fields) {
    return std::all_of(fields.begin(), fields.end(),
                       [](const std::string& field) { return trim(field).empty(); });
}

// ---------------------------------------------------------------------------------
// The header row

enum Column { kDate, kCode, kName, kClose, kAdjClose, kOpen, kHigh, kLow, kVolume, kColumns };

// Header words as headerKey leaves them.
constexpr std::pair<std::string_view, Column> kHeaderWords[] = {
    {"date", kDate},
    {"日付", kDate},
    {"日付け", kDate},
    {"年月日", kDate},
    {"日時", kDate},
    {"dtyyyymmdd", kDate},
    {"code", kCode},
    {"コード", kCode},
    {"銘柄コード", kCode},
    {"証券コード", kCode},
    {"sc", kCode},
    {"ticker", kCode},
    {"name", kName},
    {"銘柄名", kName},
    {"名称", kName},
    {"close", kClose},
    {"終値", kClose},
    {"c", kClose},
    {"price", kClose},
    {"株価", kClose},
    {"adjclose", kAdjClose},
    {"adjc", kAdjClose},
    {"adjustmentclose", kAdjClose},
    {"調整後終値", kAdjClose},
    {"終値調整値", kAdjClose},
    {"調整終値", kAdjClose},
    {"open", kOpen},
    {"始値", kOpen},
    {"o", kOpen},
    {"high", kHigh},
    {"高値", kHigh},
    {"h", kHigh},
    {"low", kLow},
    {"安値", kLow},
    {"l", kLow},
    {"volume", kVolume},
    {"出来高", kVolume},
    {"売買高", kVolume},
    {"vo", kVolume},
    {"vol", kVolume},
};

// Adjusted columns that are known and not needed: the adjusted close is the price.
constexpr std::string_view kKnownAdjusted[] = {
    "adjfactor",      "adjo",
    "adjh",           "adjl",
    "adjvo",          "adjopen",
    "adjhigh",        "adjlow",
    "adjvolume",      "adjustmentfactor",
    "adjustmentopen", "adjustmenthigh",
    "adjustmentlow",  "adjustmentvolume",
    "調整係数",       "調整後始値",
    "調整後高値",     "調整後安値",
    "調整後出来高",
};

// "Adj Close", "adj_close", "Adj. Close", "<CLOSE>" and "調整後終値*" alike; a unit in
// brackets ("終値(円)") dropped.
std::string headerKey(std::string_view text) {
    text = trim(text);
    for (std::string_view bracket : {"(", "（", "["})
        if (const auto at = text.find(bracket); at != std::string_view::npos && at > 0)
            text = text.substr(0, at);
    std::string key;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == ' ' || c == '_' || c == '.' || c == '-' || c == '\t' || c == '*' || c == '<' ||
            c == '>')
            continue;
        if (text.substr(i).starts_with(kFullWidthSpace) || text.substr(i).starts_with("＊")) {
            i += kFullWidthSpace.size() - 1;  // both are three bytes
            continue;
        }
        key += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return key;
}

using Layout = std::array<int, kColumns>;

Layout layoutOf(const std::vector<std::string>& fields) {
    Layout layout;
    layout.fill(-1);
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const std::string key = headerKey(fields[i]);
        for (const auto& [word, column] : kHeaderWords)
            if (key == word && layout[column] < 0) layout[column] = static_cast<int>(i);
    }
    return layout;
}

bool isHeader(const Layout& layout) {
    return (layout[kClose] >= 0 || layout[kAdjClose] >= 0) &&
           (layout[kDate] >= 0 || layout[kCode] >= 0);
}

struct Header {
    char separator = ',';
    int records = 0;  // records up to and including the header
    Layout layout{};
    std::vector<std::string> names;  // the header's fields
};

// The header among the first records, with the separator that makes one.
std::optional<Header> findHeader(std::string_view text) {
    std::optional<Header> best;
    for (char separator : {',', '\t', ';'}) {
        Records records(text, separator);
        std::vector<std::string> fields;
        int line = 0;
        for (int n = 1; n <= kHeaderSearchRecords && records.next(fields, line); ++n) {
            const Layout layout = layoutOf(fields);
            if (!isHeader(layout)) continue;
            if (!best || n < best->records) best = Header{separator, n, layout, fields};
            break;
        }
    }
    return best;
}

// Columns that look adjusted ("Adj Open", "調整前終値") but are not read: never silently.
std::vector<std::string> unreadAdjustedColumns(const Header& header) {
    std::vector<std::string> unread;
    for (std::size_t i = 0; i < header.names.size(); ++i) {
        const std::string key = headerKey(header.names[i]);
        if (key.find("adj") == std::string::npos && key.find("調整") == std::string::npos) continue;
        if (std::find(header.layout.begin(), header.layout.end(), static_cast<int>(i)) !=
            header.layout.end())
            continue;
        if (std::find(std::begin(kKnownAdjusted), std::end(kKnownAdjusted), key) !=
            std::end(kKnownAdjusted))
            continue;
        unread.push_back(header.names[i]);
    }
    return unread;
}

// ---------------------------------------------------------------------------------
// Cells

// A cell's text as a message shows it: a long one cut short.
std::string shown(std::string_view text) {
    constexpr std::size_t kShown = 60;
    std::size_t cut = 0, characters = 0;
    while (cut < text.size() && characters < kShown) {
        const auto lead = static_cast<unsigned char>(text[cut]);
        cut += lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        ++characters;
    }
    if (cut >= text.size()) return std::string(text);
    return std::string(text.substr(0, cut)) + "…";
}

[[noreturn]] void failFile(std::string_view fileName, const std::string& what) {
    throw ImportError(std::string(fileName) + ": " + what);
}

[[noreturn]] void failRow(std::string_view fileName, int line, const std::string& what) {
    throw ImportError(std::string(fileName) + " " + intToStr(line) + "行目: " + what);
}

enum class Number { none, value, bad };

bool groupOfThree(std::string_view rest) {
    return rest.size() >= 3 && isDigit(rest[0]) && isDigit(rest[1]) && isDigit(rest[2]) &&
           (rest.size() == 3 || !isDigit(rest[3]));
}

std::string lowered(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    return lower;
}

// What exports write for a day without a trade.
bool noTradeMark(std::string_view text) {
    const std::string lower = lowered(text);
    for (std::string_view mark : {"-", "--", "---", "null", "nan", "n/a", "na", "－", "—", "ー"})
        if (lower == mark) return true;
    return false;
}

// "1,234.5", "-3", "1234"; none for an empty cell or a dash (no trade).
Number readNumber(std::string_view text, double& value) {
    text = trim(text);
    if (text.empty()) return Number::none;
    char plain[64];
    std::size_t length = 0;
    bool digits = false, point = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == ',' && digits && !point && groupOfThree(text.substr(i + 1))) continue;
        const bool sign = i == 0 && (c == '-' || c == '+');
        if (!isDigit(c) && !(c == '.' && !point) && !sign)
            return noTradeMark(text) ? Number::none : Number::bad;
        if (length == sizeof plain) return Number::bad;
        digits = digits || isDigit(c);
        point = point || c == '.';
        if (c != '+') plain[length++] = c;
    }
    if (!digits) return noTradeMark(text) ? Number::none : Number::bad;
    const auto [end, error] = std::from_chars(plain, plain + length, value);
    if (error != std::errc() || end != plain + length) return Number::bad;
    return Number::value;
}

// A row that tells of a split, a reverse split or a dividend inside a price table
// ("分割: 1株 -> 5株").
bool eventRow(const std::vector<std::string>& fields) {
    for (const auto& field : fields) {
        if (field.empty() || isDigit(field.front())) continue;
        const std::string lower = lowered(field);
        for (std::string_view word : {"分割", "併合", "->", "→", "split", "dividend", "配当"})
            if (lower.find(word) != std::string::npos) return true;
    }
    return false;
}

struct RowReader {
    std::string_view fileName;
    const std::vector<std::string>& fields;
    int line;
    int& ignoredCells;

    std::string_view cell(int column) const {
        return column >= 0 && static_cast<std::size_t>(column) < fields.size()
                   ? trim(fields[static_cast<std::size_t>(column)])
                   : std::string_view();
    }

    // The price a chart is drawn from; none for no trade (empty, a dash or 0).
    double price(int column) const {
        if (column < 0) return kNoValue;
        double value = 0;
        const std::string_view text = cell(column);
        switch (readNumber(text, value)) {
            case Number::none:
                return kNoValue;
            case Number::bad:
                failRow(fileName, line, "数値ではありません: " + shown(text));
            case Number::value:
                break;
        }
        if (value < 0 || value >= kLargestPrice)
            failRow(fileName, line, "株価ではありません: " + shown(text));
        return value == 0 ? kNoValue : value;
    }

    // A price the chart does not use (open, high, low): an unreadable one is left out.
    double sidePrice(int column) const {
        if (column < 0) return kNoValue;
        double value = 0;
        const Number read = readNumber(cell(column), value);
        if (read == Number::none) return kNoValue;
        if (read == Number::bad || value < 0 || value >= kLargestPrice) {
            ++ignoredCells;
            return kNoValue;
        }
        return value == 0 ? kNoValue : value;
    }

    // "1,234,000", "4.59M", "850.5K", "1.2B"; an unreadable one is left out.
    double volume(int column) const {
        if (column < 0) return kNoValue;
        std::string_view text = cell(column);
        double scale = 1;
        if (!text.empty()) {
            switch (text.back()) {
                case 'K':
                case 'k':
                    scale = 1e3;
                    break;
                case 'M':
                case 'm':
                    scale = 1e6;
                    break;
                case 'B':
                case 'b':
                    scale = 1e9;
                    break;
            }
            if (scale != 1) text.remove_suffix(1);
        }
        double value = 0;
        const Number read = readNumber(text, value);
        if (read == Number::none) return kNoValue;
        if (read == Number::bad || value < 0) {
            ++ignoredCells;
            return kNoValue;
        }
        return std::round(value * scale);
    }
};

// A date in a file name: "20240304.csv", "2024-03-04.csv", "prices_20240304.csv".
std::optional<Day> dateFromFileName(std::string_view name) {
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (!isDigit(name[i]) || (i > 0 && isDigit(name[i - 1]))) continue;
        std::size_t run = i;
        while (run < name.size() && isDigit(name[run])) ++run;
        std::string_view candidate;
        if (run - i == 8) {
            candidate = name.substr(i, 8);
        } else if (run - i == 4 && i + 10 <= name.size() &&
                   (name[i + 4] == '-' || name[i + 4] == '_') && name[i + 7] == name[i + 4] &&
                   (i + 10 == name.size() || !isDigit(name[i + 10]))) {
            candidate = name.substr(i, 10);
        }
        if (candidate.empty()) continue;
        std::string text(candidate);
        std::replace(text.begin(), text.end(), '_', '-');
        if (const auto day = csvDate(text)) return day;
    }
    return std::nullopt;
}

std::string baseName(std::string_view fileName) {
    const auto slash = fileName.find_last_of('/');
    return std::string(slash == std::string_view::npos ? fileName : fileName.substr(slash + 1));
}

// ---------------------------------------------------------------------------------
// Dates whose order of day, month and year only the whole column tells: 03/04/2024
// (month first in American files, day first in European ones) and 26/12/04 (year first
// in Japanese tables).

struct ShortDate {
    int parts[3] = {0, 0, 0};
    bool longYear = false;  // the last part has four digits
};

// "3/4/2024", "03/04/2024", "26/12/04"; a time of day may follow.
std::optional<ShortDate> shortDate(std::string_view text) {
    text = trim(text);
    if (const auto space = text.find(' '); space != std::string_view::npos)
        text = text.substr(0, space);
    ShortDate date;
    std::size_t pos = 0;
    for (int part = 0; part < 3; ++part) {
        const std::size_t start = pos;
        while (pos < text.size() && isDigit(text[pos]) && pos - start < 4)
            date.parts[part] = date.parts[part] * 10 + (text[pos++] - '0');
        const std::size_t width = pos - start;
        if (width == 0 || width == 3 || (width == 4 && part < 2)) return std::nullopt;
        if (part == 2) {
            date.longYear = width == 4;
            if (width == 1) return std::nullopt;
        } else if (pos >= text.size() ||
                   (text[pos] != '/' && text[pos] != '-' && text[pos] != '.') ||
                   (part == 1 && text[pos] != text[text.find_first_of("/-.")])) {
            return std::nullopt;
        } else {
            ++pos;
        }
    }
    if (pos != text.size()) return std::nullopt;
    return date;
}

enum class Order { yearMonthDay, monthDayYear, dayMonthYear };

std::optional<Day> dayIn(const ShortDate& date, Order order) {
    int year = 0, month = 0, day = 0;
    switch (order) {
        case Order::yearMonthDay:
            if (date.longYear) return std::nullopt;
            year = date.parts[0], month = date.parts[1], day = date.parts[2];
            break;
        case Order::monthDayYear:
            month = date.parts[0], day = date.parts[1], year = date.parts[2];
            break;
        case Order::dayMonthYear:
            day = date.parts[0], month = date.parts[1], year = date.parts[2];
            break;
    }
    const bool shortYear = order == Order::yearMonthDay || !date.longYear;
    if (shortYear) year += year < 70 ? 2000 : 1900;
    if (year < 1900 || year > 2199) return std::nullopt;
    const std::chrono::year_month_day ymd{std::chrono::year{year},
                                          std::chrono::month(static_cast<unsigned>(month)),
                                          std::chrono::day(static_cast<unsigned>(day))};
    if (!ymd.ok()) return std::nullopt;
    return Day{ymd};
}

// The order that reads every date of the column; when several do, the one whose year
// changes least (a price history spans a few years and many days). Nothing when the
// column stays ambiguous.
std::optional<Order> columnOrder(const std::vector<ShortDate>& dates) {
    std::vector<Order> fitting;
    for (Order order : {Order::yearMonthDay, Order::monthDayYear, Order::dayMonthYear}) {
        const bool all = std::all_of(dates.begin(), dates.end(), [&](const ShortDate& date) {
            return dayIn(date, order).has_value();
        });
        if (all) fitting.push_back(order);
    }
    if (fitting.size() <= 1) return fitting.empty() ? std::nullopt : std::optional(fitting[0]);
    const auto distinct = [&](int part) {
        std::set<int> values;
        for (const auto& date : dates) values.insert(date.parts[part]);
        return values.size();
    };
    const bool yearFirst =
        std::find(fitting.begin(), fitting.end(), Order::yearMonthDay) != fitting.end();
    const bool yearLast = fitting.size() > (yearFirst ? 1u : 0u);
    if (yearFirst && yearLast) {
        if (distinct(0) < distinct(2)) return Order::yearMonthDay;
        if (distinct(2) < distinct(0)) {
            std::erase(fitting, Order::yearMonthDay);
            if (fitting.size() == 1) return fitting[0];
        }
    }
    return std::nullopt;
}

// ---------------------------------------------------------------------------------
// Encodings

// The line (from 1) at a byte of the text; CR LF is one line end.
int lineAt(std::string_view text, std::size_t at) {
    int line = 1;
    for (std::size_t i = 0; i < at && i < text.size(); ++i)
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n')))
            ++line;
    return line;
}

// Whether a line holds a character of three bytes in UTF-8 (Japanese text in UTF-8).
bool holdsUtf8Japanese(std::string_view line) {
    for (std::size_t i = 0; i + 2 < line.size(); ++i) {
        const auto a = static_cast<unsigned char>(line[i]);
        const auto b = static_cast<unsigned char>(line[i + 1]);
        const auto c = static_cast<unsigned char>(line[i + 2]);
        if (a >= 0xE0 && a <= 0xEF && (b & 0xC0) == 0x80 && (c & 0xC0) == 0x80) return true;
    }
    return false;
}

[[noreturn]] void mixedEncoding(std::string_view fileName, int line, const char* encoding) {
    failFile(fileName, intToStr(line) + "行目が " + encoding +
                           " ではありません。1つのファイルに文字コードが混ざっています。表計算ソフ"
                           "トなどで1つの文字コードで保存し直してください。");
}

// UTF-8 in memory, whatever the file was written in; a file whose lines are written in
// two encodings is refused, naming the first line that is not in the file's own.
std::string decodeText(std::string_view fileName, std::string_view bytes) {
    if (bytes.starts_with("\xFF\xFE")) return data::utf16ToUtf8(bytes.substr(2), false);
    if (bytes.starts_with("\xFE\xFF")) return data::utf16ToUtf8(bytes.substr(2), true);
    if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
    if (data::isUtf8(bytes)) return std::string(bytes);
    // Line by line: the first line that is not ASCII tells the file's encoding.
    enum class Kind { ascii, utf8, other };
    std::optional<Kind> encoding;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = bytes.size();
        const std::string_view line = bytes.substr(start, end - start);
        const bool ascii = std::all_of(line.begin(), line.end(),
                                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
        if (!ascii) {
            const bool utf8 =
                data::isUtf8(line) && (holdsUtf8Japanese(line) || encoding == Kind::utf8);
            const Kind kind = utf8 ? Kind::utf8 : Kind::other;
            if (!encoding) encoding = kind;
            if (kind != *encoding)
                mixedEncoding(fileName, lineAt(bytes, start),
                              *encoding == Kind::utf8 ? "UTF-8" : "Shift-JIS");
        }
        start = end + 1;
    }
    std::string text = data::cp932ToUtf8(bytes);
    // Bytes that are no CP932 character come back as escapes (U+DC80..U+DCFF).
    for (std::size_t at = text.find('\xED'); at != std::string::npos;
         at = text.find('\xED', at + 1))
        if (at + 1 < text.size() && (static_cast<unsigned char>(text[at + 1]) & 0xF0) == 0xB0)
            mixedEncoding(fileName, lineAt(text, at), "Shift-JIS");
    return text;
}

// A name as the store keeps it: valid UTF-8, else nothing.
std::string validName(std::string_view name) {
    if (data::isUtf8(name)) return std::string(name);
    std::string decoded = data::cp932ToUtf8(name);
    return data::isUtf8(decoded) ? decoded : std::string();
}

}  // namespace

// ---------------------------------------------------------------------------------

std::optional<std::string> stockCode(std::string_view text) {
    text = trim(text);
    // A market's suffix: "7203.T", "9984.JP".
    if (const auto dot = text.find('.'); dot != std::string_view::npos) {
        const auto suffix = text.substr(dot + 1);
        if (suffix.empty() || suffix.size() > 4 ||
            !std::all_of(suffix.begin(), suffix.end(),
                         [](char c) { return std::isalpha(static_cast<unsigned char>(c)); }))
            return std::nullopt;
        text = text.substr(0, dot);
    }
    if (text.size() != 4 && text.size() != 5) return std::nullopt;
    std::string code;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = upper(text[i]);
        const bool letterAllowed = i > 0 && i < 4;
        if (!isDigit(c) && !(letterAllowed && c >= 'A' && c <= 'Z')) return std::nullopt;
        code += c;
    }
    return code;
}

std::optional<std::string> codeFromFileName(std::string_view fileName) {
    const std::string name = baseName(fileName);
    std::size_t run = 0;
    while (run < name.size() && std::isalnum(static_cast<unsigned char>(name[run]))) ++run;
    // "7203.T.csv", "7203_daily.csv", "7203 Historical Data.csv", "7203過去データ.csv".
    if (run < name.size() && name[run] != '.' && name[run] != '_' && name[run] != '-' &&
        name[run] != ' ' && static_cast<unsigned char>(name[run]) < 0x80)
        return std::nullopt;
    return stockCode(std::string_view(name).substr(0, run));
}

std::optional<Day> csvDate(std::string_view text) {
    text = trim(text);
    // A time of day after the date: "2024-03-04 00:00:00+09:00", "2024-03-04T00:00:00".
    for (std::size_t i = 8; i + 1 < text.size(); ++i)
        if ((text[i] == ' ' || text[i] == 'T') && isDigit(text[i + 1])) {
            text = text.substr(0, i);
            break;
        }
    int parts[3] = {0, 0, 0};
    if (text.size() == 8 && std::all_of(text.begin(), text.end(), isDigit)) {
        parts[0] = std::stoi(std::string(text.substr(0, 4)));
        parts[1] = std::stoi(std::string(text.substr(4, 2)));
        parts[2] = std::stoi(std::string(text.substr(6, 2)));
    } else {
        // yyyy<sep>m<sep>d, the separators "-", "/", "." or 年 月 日.
        std::size_t pos = 0;
        for (int part = 0; part < 3; ++part) {
            const std::size_t start = pos;
            while (pos < text.size() && isDigit(text[pos]) && pos - start < 4)
                parts[part] = parts[part] * 10 + (text[pos++] - '0');
            const std::size_t width = pos - start;
            if (width == 0 || (part == 0 ? width != 4 : width > 2)) return std::nullopt;
            const std::string_view rest = text.substr(pos);
            if (part < 2) {
                if (!rest.empty() && (rest[0] == '-' || rest[0] == '/' || rest[0] == '.') &&
                    (part == 0 || rest[0] == text[4])) {
                    pos += 1;
                } else if (rest.starts_with(part == 0 ? "年" : "月")) {
                    pos += std::string_view("年").size();
                } else {
                    return std::nullopt;
                }
            } else if (rest == "日" && text.find("年") != std::string_view::npos) {
                pos = text.size();
            }
        }
        if (pos != text.size()) return std::nullopt;
    }
    if (parts[0] < 1900 || parts[0] > 2199) return std::nullopt;
    const std::chrono::year_month_day date{std::chrono::year{parts[0]},
                                           std::chrono::month(static_cast<unsigned>(parts[1])),
                                           std::chrono::day(static_cast<unsigned>(parts[2]))};
    if (!date.ok()) return std::nullopt;
    return Day{date};
}

CsvFile parseCsvFile(std::string_view fileName, std::string_view bytes, std::string_view code,
                     std::optional<Day> today) {
    if (bytes.starts_with("PK\x03\x04") || bytes.starts_with("\xD0\xCF\x11\xE0"))
        failFile(fileName,
                 "Excel などの表計算ファイルはそのまま読めません。CSV 形式で保存してから取り込ん"
                 "でください。");
    const std::string text = decodeText(fileName, bytes);
    if (std::all_of(text.begin(), text.end(), [](char c) { return tables::isBlank(c); }))
        failFile(fileName, "空のファイルです");
    const auto header = findHeader(text);
    if (!header)
        failFile(fileName,
                 "株価の列が見つかりません。1銘柄の日足なら日付の列（Date／日付／年月日）と終値の"
                 "列（Close／終値／Adj Close／調整後終値）、全銘柄の1日分ならコードの列（コード／"
                 "Code／銘柄コード）と終値の列が、先頭" +
                     intToStr(kHeaderSearchRecords) + "行までの見出しの行に要ります。");
    const Layout& columns = header->layout;
    const Day newest = today ? *today : systemToday();

    CsvFile file;
    file.shape = columns[kCode] >= 0 ? CsvShape::marketDay : CsvShape::dailyHistory;
    for (const auto& unread : unreadAdjustedColumns(*header))
        file.warnings.push_back(std::string(fileName) + ": 列「" + shown(unread) +
                                "」は調整済みの値のようですが、使い方が分からないため読みません。");
    std::string historyCode;
    std::optional<Day> fileDay;
    if (file.shape == CsvShape::dailyHistory) {
        if (!code.empty()) {
            const auto given = stockCode(code);
            if (!given) failFile(fileName, "銘柄コードではありません: " + shown(code));
            historyCode = *given;
        } else if (const auto named = codeFromFileName(fileName)) {
            historyCode = *named;
        } else {
            failFile(fileName,
                     "銘柄コードが分かりません。ファイル名を 7203.csv のようにするか、銘柄コード"
                     "を指定してください。");
        }
    } else if (columns[kDate] < 0) {
        fileDay = dateFromFileName(baseName(fileName));
        if (!fileDay)
            failFile(fileName,
                     "日付が分かりません。日付の列（Date／日付／年月日）を入れるか、ファイル名を "
                     "20240304.csv のようにしてください。");
    }

    struct Row {
        Bar bar;
        int line;
        std::optional<ShortDate> pending;  // a date the whole column decides
        std::string dateText;              // its text, for a message
    };
    std::vector<Row> rows;
    std::vector<ShortDate> pendingDates;
    Records records(text, header->separator);
    std::vector<std::string> fields;
    int line = 0;
    // A row that disagrees with itself: the first line and how many.
    int oddRows = 0, firstOddLine = 0;
    for (int n = 0; n < header->records; ++n) records.next(fields, line);
    while (records.next(fields, line)) {
        if (blankRecord(fields)) continue;
        const RowReader row{fileName, fields, line, file.ignoredCells};
        Row read;
        read.line = line;
        Bar& bar = read.bar;
        if (fileDay) {
            bar.day = *fileDay;
        } else {
            const std::string_view dateText = row.cell(columns[kDate]);
            if (const auto day = csvDate(dateText)) {
                bar.day = *day;
            } else if (const auto date = shortDate(dateText)) {
                read.pending = *date;
                read.dateText = dateText;
                pendingDates.push_back(*date);
            } else if (eventRow(fields)) {
                ++file.eventRows;
                continue;
            } else if (dateText.empty()) {
                failRow(fileName, line, "日付がありません");
            } else {
                failRow(fileName, line, "日付ではありません: " + shown(dateText));
            }
        }
        if (file.shape == CsvShape::marketDay) {
            const auto text = row.cell(columns[kCode]);
            const auto rowCode = stockCode(text);
            if (!rowCode) failRow(fileName, line, "銘柄コードではありません: " + shown(text));
            bar.code = *rowCode;
        } else {
            bar.code = historyCode;
        }
        // A split or a dividend told inside the table, where the prices would be.
        const auto numberOrEmpty = [&](int column) {
            double value = 0;
            return column < 0 || readNumber(row.cell(column), value) != Number::bad;
        };
        if (!(numberOrEmpty(columns[kClose]) && numberOrEmpty(columns[kAdjClose]) &&
              numberOrEmpty(columns[kOpen])) &&
            eventRow(fields)) {
            ++file.eventRows;
            continue;
        }
        if (const auto name = row.cell(columns[kName]); !name.empty())
            file.names.emplace(bar.code, validName(name));
        bar.open = row.sidePrice(columns[kOpen]);
        bar.high = row.sidePrice(columns[kHigh]);
        bar.low = row.sidePrice(columns[kLow]);
        bar.close = row.price(columns[kClose]);
        bar.adjClose = row.price(columns[kAdjClose]);
        bar.volume = row.volume(columns[kVolume]);
        if (!hasNumber(shownClose(bar))) {
            ++file.rowsWithoutPrice;
            continue;
        }
        const bool odd =
            (hasNumber(bar.high) && hasNumber(bar.low) && bar.high < bar.low) ||
            (hasNumber(bar.close) && hasNumber(bar.high) && bar.close > bar.high * (1 + 1e-9)) ||
            (hasNumber(bar.close) && hasNumber(bar.low) && bar.close < bar.low * (1 - 1e-9));
        if (odd && oddRows++ == 0) firstOddLine = line;
        rows.push_back(std::move(read));
    }
    if (oddRows > 0)
        file.warnings.push_back(std::string(fileName) + " " + intToStr(firstOddLine) + "行目" +
                                (oddRows > 1 ? "ほか " + intToStr(oddRows - 1) + "行" : "") +
                                ": 高値・安値・終値が合いません (高値が安値より低いか、終値が高値と"
                                "安値の間にありません)。");

    if (!pendingDates.empty()) {
        // 03/04/2024 or 26/12/04: the column's own values tell the order.
        std::vector<ShortDate> longYears, shortYears;
        for (const auto& date : pendingDates)
            (date.longYear ? longYears : shortYears).push_back(date);
        std::optional<Order> longOrder, shortOrder;
        for (auto* group : {&longYears, &shortYears}) {
            if (group->empty()) continue;
            auto& order = group == &longYears ? longOrder : shortOrder;
            order = columnOrder(*group);
            if (order) continue;
            // Ambiguous, or no order reads every date: the first date none reads, if any.
            for (const auto& row : rows) {
                if (!row.pending || row.pending->longYear != (group == &longYears)) continue;
                bool read = false;
                for (Order any : {Order::yearMonthDay, Order::monthDayYear, Order::dayMonthYear})
                    read = read || dayIn(*row.pending, any).has_value();
                if (!read)
                    failRow(fileName, row.line, "日付ではありません: " + shown(row.dateText));
            }
            bool reads[3] = {false, false, false};
            for (Order any : {Order::yearMonthDay, Order::monthDayYear, Order::dayMonthYear})
                reads[static_cast<int>(any)] = std::all_of(
                    group->begin(), group->end(),
                    [&](const ShortDate& date) { return dayIn(date, any).has_value(); });
            if (!reads[0] && !reads[1] && !reads[2])
                failFile(fileName,
                         "日付の列が、月/日/年・日/月/年・年/月/日のどの順にも読めません。日付を "
                         "2024-03-04 のように書き直してください。");
            failFile(fileName,
                     "日付の列の順が決められません (" +
                         std::string(group == &longYears ? "月/日/年か日/月/年か"
                                                         : "年/月/日か日/月/年か") +
                         "、どの日付からも分かりません)。日付を 2024-03-04 のように書き直してくだ"
                         "さい。");
        }
        for (auto& row : rows) {
            if (!row.pending) continue;
            const auto day = dayIn(*row.pending, *(row.pending->longYear ? longOrder : shortOrder));
            if (!day) failRow(fileName, row.line, "日付ではありません: " + shown(row.dateText));
            row.bar.day = *day;
        }
    }

    // A year typed wrong must not become the newest day of every stock's calendar; no
    // exchange trades on Saturdays and Sundays.
    for (const auto& row : rows) {
        const Day day = row.bar.day;
        const unsigned weekday = std::chrono::weekday(day).iso_encoding();
        const auto fail = [&](const std::string& what) {
            if (fileDay) failFile(fileName, what);
            failRow(fileName, row.line, what);
        };
        if (day > newest) fail("今日より後の日付です: " + formatDate(day));
        if (weekday >= 6)
            fail(std::string(weekday == 6 ? "土曜日" : "日曜日") +
                 "の日付です: " + formatDate(day));
    }

    std::stable_sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) {
        return a.bar.code != b.bar.code ? a.bar.code < b.bar.code : a.bar.day < b.bar.day;
    });
    file.bars.reserve(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const Bar& bar = rows[i].bar;
        if (i > 0 && rows[i - 1].bar.code == bar.code && rows[i - 1].bar.day == bar.day) {
            // The same row twice (files joined with an overlap) is no conflict.
            if (shownClose(rows[i - 1].bar) == shownClose(bar)) continue;
            failRow(fileName, std::max(rows[i - 1].line, rows[i].line),
                    (file.shape == CsvShape::marketDay
                         ? "同じ銘柄と日付の行がすでにあります: " + bar.code + " "
                         : std::string("同じ日付の行がすでにあります: ")) +
                        formatDate(bar.day));
        }
        file.bars.push_back(bar);
    }
    if (file.bars.empty()) failFile(fileName, "株価のある行がありません");
    return file;
}

// ---------------------------------------------------------------------------------
// Into the store

std::size_t importRowsPerCommit = 500000;

bool ImportResult::anyFailed() const {
    return std::any_of(files.begin(), files.end(),
                       [](const ImportedFile& file) { return !file.error.empty(); });
}

int ImportResult::storedFiles() const {
    return static_cast<int>(std::count_if(
        files.begin(), files.end(), [](const ImportedFile& file) { return file.error.empty(); }));
}

std::vector<std::string> ImportResult::importedCodes() const {
    std::vector<std::string> codes;
    std::set<std::string> seen;
    for (const auto& file : files)
        if (file.error.empty())
            for (const auto& code : file.codes)
                if (seen.insert(code).second) codes.push_back(code);
    return codes;
}

namespace {

// Names by four-character code from the root's code list ("1301<TAB>極洋" or "1301,極洋").
std::map<std::string, std::string> codeListNames(const data::DataRoot& root) {
    std::map<std::string, std::string> names;
    std::error_code error;
    if (!std::filesystem::is_regular_file(root.codeListFile(), error)) return names;
    const auto lines = data::readLines(root.codeListFile());
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        const auto cut = line.find_first_of("\t,");
        if (cut == std::string_view::npos) continue;
        std::string_view name = line.substr(cut + 1);
        name = trim(name.substr(0, name.find_first_of("\t,")));
        if (!name.empty()) names[std::string(codeKey(line))] = std::string(name);
    }
    return names;
}

// The code the store keeps the stock under: the exchange's five characters.
std::string storeCodeFor(const Store& store, const std::string& code) {
    if (code.size() == 5) return code;
    if (const auto issue = store.issueFor(code); issue && isCommonStock(issue->code))
        return issue->code;
    return code + "0";
}

// Files are read on worker threads, a few ahead of the store, and taken in file
// order: reading is most of an import's work besides the store's own.
class FileReader {
  public:
    struct Read {
        std::optional<CsvFile> file;
        std::string error;
    };

    FileReader(const std::vector<std::filesystem::path>& files, std::string_view code, Day today)
        : files_(files), code_(code), today_(today), slots_(files.size()) {
        const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
        const std::size_t workers = std::min<std::size_t>({cores, kReadingThreads, files.size()});
        for (std::size_t i = 0; i < workers; ++i) workers_.emplace_back([this] { work(); });
    }
    ~FileReader() {
        {
            const std::lock_guard lock(mutex_);
            stop_ = true;
        }
        changed_.notify_all();
        for (auto& worker : workers_) worker.join();
    }
    FileReader(const FileReader&) = delete;
    FileReader& operator=(const FileReader&) = delete;

    // Waits for the file to be read.
    Read take(std::size_t index) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return slots_[index].has_value(); });
        Read read = std::move(*slots_[index]);
        slots_[index].reset();
        taken_ = index + 1;
        lock.unlock();
        changed_.notify_all();
        return read;
    }

  private:
    void work() {
        for (;;) {
            std::size_t index = 0;
            {
                std::unique_lock lock(mutex_);
                changed_.wait(lock, [&] {
                    return stop_ || next_ >= files_.size() || next_ < taken_ + kReadAhead;
                });
                if (stop_ || next_ >= files_.size()) return;
                index = next_++;
            }
            Read read;
            try {
                read.file =
                    parseCsvFile(files_[index].filename().string(),
                                 data::readBytes(files_[index], kMaxFileBytes), code_, today_);
            } catch (const Exception& e) {
                read.error = e.message();
            } catch (const std::exception& e) {
                read.error = files_[index].filename().string() + ": " + e.what();
            }
            {
                const std::lock_guard lock(mutex_);
                slots_[index] = std::move(read);
            }
            changed_.notify_all();
        }
    }

    // Far past any price history: a film dropped by mistake or /dev/zero is refused
    // before it fills the memory.
    static constexpr std::size_t kMaxFileBytes = std::size_t{256} << 20;
    static constexpr std::size_t kReadingThreads = 4;
    static constexpr std::size_t kReadAhead = 16;

    const std::vector<std::filesystem::path>& files_;
    const std::string code_;
    const Day today_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::optional<Read>> slots_;
    std::size_t next_ = 0, taken_ = 0;
    bool stop_ = false;
    std::vector<std::thread> workers_;
};

// Files go into the store in batches of one transaction: their rows are stored in
// the store's key order (day first), a part at a time while the next files are read,
// and committed at once; stored and committed file by file, most of the store's pages
// would be written again for every file. Each file still lands whole or not at all: a
// file that fails to read never reaches the batch, and a batch that fails to store
// fails all its files.
class Batch {
  public:
    Batch(Store& store, ImportResult& result) : store_(store), result_(result) {
        const auto closed = store_.closedDays();
        closed_.insert(closed.begin(), closed.end());
    }

    // The file's issues now, its bars with the batch.
    void add(std::size_t fileIndex, CsvFile& file, const ImportOptions& options,
             const std::map<std::string, std::string>& listNames) {
        if (!transaction_) transaction_.emplace(store_);
        ImportedFile& out = result_.files[fileIndex];
        out.shape = file.shape;
        Store::Transaction issues(store_);
        std::string lastCode, storeCode;
        for (auto& bar : file.bars) {
            if (bar.code != lastCode) {
                lastCode = bar.code;
                storeCode = storeCodeFor(store_, bar.code);
                nameIssue(storeCode, file, bar.code, options, listNames, out);
            }
            bar.code = storeCode;
            if (!out.firstDay || bar.day < *out.firstDay) out.firstDay = bar.day;
            if (!out.lastDay || bar.day > *out.lastDay) out.lastDay = bar.day;
        }
        issues.commit();
        std::sort(out.codes.begin(), out.codes.end());
        out.rowsWithoutPrice = file.rowsWithoutPrice;
        out.eventRows = file.eventRows;
        out.ignoredCells = file.ignoredCells;
        out.warnings = std::move(file.warnings);
        if (!closed_.empty()) {
            std::optional<Day> firstClosed;
            for (const auto& bar : file.bars)
                if (closed_.count(bar.day)) {
                    ++out.closedDays;
                    if (!firstClosed || bar.day < *firstClosed) firstClosed = bar.day;
                }
            if (firstClosed)
                out.warnings.push_back(
                    out.file.filename().string() + ": 取引所のカレンダーで休場の日の行が " +
                    grouped(out.closedDays) + "行あります (" + formatDate(*firstClosed) +
                    (out.closedDays > 1 ? " など" : "") + ")。");
        }
        files_.push_back(fileIndex);
        rows_ += file.bars.size();
        stagedRows_ += file.bars.size();
        staged_.emplace_back(fileIndex, std::move(file.bars));
    }

    std::size_t rows() const { return rows_; }
    std::size_t stagedRows() const { return stagedRows_; }

    // The staged rows into the store, not yet committed.
    void store() {
        if (staged_.empty()) return;
        try {
            if (failure_.empty()) storeStaged();
        } catch (const Exception& e) {
            failure_ = e.message();
        }
        staged_.clear();
        stagedRows_ = 0;
    }

    void commit() {
        if (!transaction_) return;
        store();
        try {
            if (failure_.empty()) transaction_->commit();
        } catch (const Exception& e) {
            failure_ = e.message();
        }
        if (!failure_.empty()) {
            // The files committed before this batch stay stored.
            const int storedBefore = result_.storedFiles() - static_cast<int>(files_.size());
            for (std::size_t i : files_) {
                ImportedFile failed;
                failed.file = result_.files[i].file;
                failed.error =
                    failed.file.filename().string() + ": 市場データに保存できなかったため、" +
                    "このファイルは取り込んでいません (" + failure_ + ")。" +
                    (storedBefore > 0
                         ? "それより前の " + grouped(storedBefore) + "ファイルは保存してあります。"
                         : std::string());
                result_.files[i] = std::move(failed);
            }
        }
        transaction_.reset();
        files_.clear();
        rows_ = 0;
        failure_.clear();
    }

  private:
    void storeStaged() {
        // (staged file, row of the file) in the store's key order. Stable: a later
        // file's row for the same stock and day replaces an earlier one.
        std::vector<std::pair<std::uint32_t, std::uint32_t>> order;
        order.reserve(stagedRows_);
        for (std::size_t f = 0; f < staged_.size(); ++f)
            for (std::size_t r = 0; r < staged_[f].second.size(); ++r)
                order.emplace_back(static_cast<std::uint32_t>(f), static_cast<std::uint32_t>(r));
        const auto barAt = [this](const std::pair<std::uint32_t, std::uint32_t>& at) {
            return &staged_[at.first].second[at.second];
        };
        std::stable_sort(order.begin(), order.end(), [&](const auto& a, const auto& b) {
            const Bar *x = barAt(a), *y = barAt(b);
            return x->day != y->day ? x->day < y->day : x->code < y->code;
        });
        std::vector<Bar> sorted;
        sorted.reserve(order.size());
        for (const auto& at : order) sorted.push_back(std::move(*barAt(at)));
        const auto kept = store_.importBars(sorted);
        for (std::size_t k = 0; k < order.size(); ++k) {
            ImportedFile& out = result_.files[staged_[order[k].first].first];
            ++(kept[k] ? out.keptFromExchange : out.stored);
        }
    }

    void nameIssue(const std::string& storeCode, const CsvFile& file, const std::string& fileCode,
                   const ImportOptions& options,
                   const std::map<std::string, std::string>& listNames, ImportedFile& out) {
        const std::string key = shortCode(storeCode);
        out.codes.push_back(key);
        std::string given = file.shape == CsvShape::dailyHistory ? options.name : std::string();
        if (given.empty())
            if (const auto named = file.names.find(fileCode); named != file.names.end())
                given = named->second;
        const auto known = store_.issueFor(key);
        if (!known || known->code != storeCode) {
            const auto listed = listNames.find(key);
            store_.addIssue({storeCode, !given.empty()              ? validName(given)
                                        : listed != listNames.end() ? listed->second
                                                                    : std::string()});
        } else if (!given.empty() && !validName(given).empty()) {
            store_.nameImportedIssue(storeCode, validName(given));
        }
        if (file.shape == CsvShape::dailyHistory) out.name = store_.issueFor(key)->name;
    }

    Store& store_;
    ImportResult& result_;
    std::optional<Store::Transaction> transaction_;
    std::vector<std::size_t> files_;  // the files of the batch
    std::size_t rows_ = 0;
    // Bars not yet in the store, file by file.
    std::vector<std::pair<std::size_t, std::vector<Bar>>> staged_;
    std::size_t stagedRows_ = 0;
    std::string failure_;
    std::set<Day> closed_;
};

// The settings the program starts with: the saved codes point at an imported stock when
// the sample made way (its saved codes name made-up stocks) or when there were none.
void pointSettingsAt(const data::DataRoot& root, const std::string& code, bool replacing) {
    const auto file = root.settingsFile();
    std::error_code error;
    const bool exists = std::filesystem::is_regular_file(file, error);
    if (exists && !replacing) return;
    WorkingTable table(settings::kColumns, settings::kSavedRows);
    if (exists) {
        auto lines = data::readLines(file);
        if (lines.size() > settings::kSavedRows) lines.resize(settings::kSavedRows);
        settings::fromFileLines(table, lines);
    } else {
        settings::Saved saved;
        saved.rangeStart = "1301";
        saved.rangeEnd = "9997";
        settings::setSaved(table, saved);
    }
    table.setCell(settings::kSavedCode, code);
    table.setCell(settings::kSavedCandidateCode, code);
    std::filesystem::create_directories(file.parent_path(), error);
    data::writeLines(file, settings::fileLines(table));
}

}  // namespace

ImportResult importCsvFiles(const data::DataRoot& root,
                            const std::vector<std::filesystem::path>& files,
                            const ImportOptions& options, const ImportProgress& progress) {
    ImportResult result;
    const RootLock lock(root);
    const bool replacing = holdsGeneratedSample(root);
    Store store(Store::fileIn(root));
    result.repaired = repairProgramFiles(store, root);
    // The sample's code list names made-up stocks.
    const auto listNames = replacing ? std::map<std::string, std::string>() : codeListNames(root);
    Batch batch(store, result);
    {
        FileReader reader(files, options.code, systemToday());
        for (std::size_t i = 0; i < files.size(); ++i) {
            if (progress && !progress(i, files.size(), files[i])) {
                result.cancelled = true;
                break;
            }
            result.files.push_back(ImportedFile{});
            result.files.back().file = files[i];
            auto read = reader.take(i);
            try {
                if (!read.file) throw ImportError(read.error);
                batch.add(i, *read.file, options, listNames);
            } catch (const Exception& e) {
                ImportedFile failed;
                failed.file = files[i];
                failed.error = e.message();
                result.files.back() = std::move(failed);
            }
            if (batch.rows() >= importRowsPerCommit)
                batch.commit();
            else if (batch.stagedRows() >= kRowsPerStore)
                batch.store();
        }
    }
    batch.commit();
    if (progress) progress(files.size(), files.size(), {});
    if (result.storedFiles() == 0) return result;

    try {
        // History the old files hold and the store lacks is kept; the sample's is made up.
        if (!replacing) {
            const auto kept = keepPriceFileHistory(store, root);
            result.keptRows = kept.rows;
            result.keptCodes = kept.codes;
        }
        std::vector<std::string> watched = replacing ? std::vector<std::string>() : watchList(root);
        std::set<std::string> present;
        for (const auto& entry : watched) present.insert(std::string(codeKey(entry)));
        for (const auto& code : result.importedCodes()) {
            if (present.count(code)) continue;
            if (watched.size() < kPriceFileStocks) {
                watched.push_back(code);
                present.insert(code);
            } else {
                result.watchListFull.push_back(code);
            }
        }
        result.unknownCodes = rebuildProgramFiles(store, root, watched, replacing);
        result.filesRebuilt = true;
        result.replacedSample = replacing;
        pointSettingsAt(root, result.importedCodes().front(), replacing);
    } catch (const Exception& e) {
        result.rebuildError = e.message();
    } catch (const std::filesystem::filesystem_error& e) {
        result.rebuildError = e.what();
    }
    return result;
}

ImportReport describe(const ImportResult& result) {
    ImportReport report;
    for (const auto& file : result.files) {
        const std::string name = file.file.filename().string();
        if (!file.error.empty()) {
            report.problems.push_back(file.error.starts_with(name) ? file.error
                                                                   : name + ": " + file.error);
            continue;
        }
        std::string line = name + ": ";
        const std::string span = file.firstDay == file.lastDay ? formatDate(*file.firstDay)
                                                               : formatDate(*file.firstDay) + "〜" +
                                                                     formatDate(*file.lastDay);
        const int rows = file.stored + file.keptFromExchange;
        if (file.shape == CsvShape::dailyHistory) {
            line += file.codes.front() + (file.name.empty() ? "" : " " + file.name) + " " + span +
                    " の " + grouped(rows) + "日分を取り込みました。";
        } else if (file.firstDay == file.lastDay) {
            line += span + " の " + grouped(static_cast<long long>(file.codes.size())) +
                    "銘柄を取り込みました。";
        } else {
            line += span + " の " + grouped(static_cast<long long>(file.codes.size())) + "銘柄・" +
                    grouped(rows) + "行を取り込みました。";
        }
        if (file.keptFromExchange > 0)
            line += "取引所のデータと重なる " + grouped(file.keptFromExchange) +
                    "行は取引所の値のままです。";
        if (file.rowsWithoutPrice > 0)
            line += "終値のない " + grouped(file.rowsWithoutPrice) + "行は飛ばしました。";
        if (file.eventRows > 0)
            line += "分割などの " + grouped(file.eventRows) + "行は飛ばしました。";
        if (file.ignoredCells > 0)
            line += "出来高などの読めないセル " + grouped(file.ignoredCells) + "個は使いません。";
        report.done.push_back(std::move(line));
        report.warnings.insert(report.warnings.end(), file.warnings.begin(), file.warnings.end());
    }
    if (!result.repaired.empty()) report.done.push_back(result.repaired);
    if (result.cancelled) report.done.push_back("取り込みを途中で止めました。");
    if (result.replacedSample)
        report.done.push_back("見本データを取り込んだデータで置き換えました。");
    if (!result.watchListFull.empty())
        report.done.push_back(
            "価格ファイルの列は" + intToStr(kPriceFileStocks) + "銘柄までです。入りきらなかった " +
            grouped(static_cast<long long>(result.watchListFull.size())) + "銘柄（" +
            result.watchListFull.front() + (result.watchListFull.size() > 1 ? " ほか" : "") +
            "）は kouho（候補ファイル）で見られます。");
    if (!result.unknownCodes.empty()) {
        constexpr std::size_t kNamed = 10;
        std::string codes;
        for (std::size_t i = 0; i < result.unknownCodes.size() && i < kNamed; ++i)
            codes += (i == 0 ? "" : ", ") + result.unknownCodes[i];
        if (result.unknownCodes.size() > kNamed)
            codes += " ほか" +
                     grouped(static_cast<long long>(result.unknownCodes.size() - kNamed)) + "銘柄";
        report.done.push_back("価格ファイルの " + codes + " は株価データがないため空欄です。");
    }
    if (result.keptRows > 0) {
        std::string codes;
        for (std::size_t i = 0; i < result.keptCodes.size() && i < 10; ++i)
            codes += (i == 0 ? "" : ", ") + result.keptCodes[i];
        if (result.keptCodes.size() > 10) codes += " ほか";
        report.done.push_back("価格ファイルにあって市場データになかった株価 " +
                              grouped(result.keptRows) + "件 (" + codes +
                              ") は、取り込んだデータとして残しました。");
    }
    if (!result.rebuildError.empty())
        report.problems.push_back("取り込んだデータからファイルを作れませんでした: " +
                                  result.rebuildError);
    report.done.push_back(
        grouped(result.storedFiles()) + "ファイルを取り込みました" +
        (result.anyFailed()
             ? "（" + grouped(static_cast<long long>(result.files.size()) - result.storedFiles()) +
                   "ファイルは失敗）。"
             : "。"));
    return report;
}

}  // namespace market
