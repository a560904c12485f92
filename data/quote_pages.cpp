#include "data/quote_pages.h"

#include "tables/comma_text.h"

#include <algorithm>

#include "data/cp932.h"
#include "tables/convert.h"

namespace data {

namespace {

bool isContinuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Byte offset of character `index` (the text's size when it has fewer characters).
std::size_t charOffset(std::string_view text, std::size_t index) {
    std::size_t pos = 0;
    for (std::size_t count = 0; count < index && pos < text.size(); ++count) {
        ++pos;
        while (pos < text.size() && isContinuation(text[pos])) ++pos;
    }
    return pos;
}

std::size_t charCount(std::string_view text) {
    std::size_t count = 0;
    for (char c : text)
        if (!isContinuation(c)) ++count;
    return count;
}

bool isAsciiAlnum(unsigned char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

}  // namespace

std::string_view charSlice(std::string_view text, std::size_t start, std::size_t count) {
    const std::size_t begin = charOffset(text, start);
    const std::string_view rest = text.substr(begin);
    return rest.substr(0, charOffset(rest, count));
}

DateFields dateFields(std::string_view date) {
    return {std::string(charSlice(date, 0, 4)), std::string(charSlice(date, 5, 2)),
            std::string(charSlice(date, 8, 2))};
}

std::string queryCode(std::string_view codeField) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : utf8ToCp932(codeKey(codeField))) {
        if (isAsciiAlnum(c)) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0x0F];
        }
    }
    return out;
}

std::string priceTablePath(int page, const DateFields& today, std::string_view code) {
    const std::string offset = intToStr(static_cast<long long>(kRowsPerPage) * page);
    std::string path;
    if (page == 0) {
        path = "/t?c=1930&a=9&b=16&f=" + today.year + "&d=" + today.month + "&e=" + today.day +
               "&g=d&s=" + std::string(code) + "&y=" + offset + "&z=9984.t";
    } else {
        path = "/t?s=" + std::string(code) + "&a=9&b=16&c=1930&d=" + today.month +
               "&e=" + today.day + "&f=" + today.year + "&g=d&q=t&y=" + offset + "&z=9984.t&x=.csv";
    }
    return path;
}

std::string quoteHistoryPath(int page, const DateFields& today) {
    const std::string dates =
        "sy=1930&sm=8&sd=18&ey=" + today.year + "&em=" + today.month + "&ed=" + today.day + "&k=d";
    if (page == 0) return "/MnStock/slast.html?qt=6752.t&" + dates;
    return "/MnStock/6752.t/slast.html?" + dates +
           "&st=" + intToStr(static_cast<long long>(kRowsPerPage) * page);
}

std::string cutAtMarker(std::string_view text, std::string_view marker, std::size_t maxChars) {
    // A page without the marker (an error page, or anything a server sends) is cut
    // all the same, so no page file grows past the size of a real page.
    const auto at = text.find(marker);
    return std::string(
        charSlice(at == std::string_view::npos ? text : text.substr(at), 0, maxChars));
}

std::string markerToLineBreaks(std::string_view line, std::string_view marker) {
    std::string out;
    out.reserve(line.size());
    std::size_t pos = 0;
    while (true) {
        const auto at = line.find(marker, pos);
        if (at == std::string_view::npos) break;
        out.append(line.substr(pos, at - pos));
        out += '\n';
        pos = at + marker.size();
    }
    out.append(line.substr(pos));
    return out;
}

std::string isolateLastCell(std::string_view cell) {
    std::string text(cell);
    constexpr std::size_t kWidth = 16;
    if (const auto end = text.find(kPriceRowEnd); end != std::string::npos) {
        const std::string_view before = std::string_view(text).substr(0, end);
        const std::size_t preceding = charCount(before);
        text = preceding < kWidth ? std::string(charSlice(text, 0, kWidth))
                                  : std::string(charSlice(before, preceding - kWidth, kWidth));
    }
    constexpr std::string_view kSmall = "<small>";
    if (const auto open = text.find(kSmall); open != std::string::npos)
        text =
            std::string(charSlice(std::string_view(text).substr(open + kSmall.size()), 0, kWidth));
    return text;
}

std::string removeGroupingCommas(std::string_view cell) {
    std::string text(cell);
    for (int i = 0; i < 4; ++i) {
        const auto comma = text.find(',');
        if (comma == std::string::npos) break;
        text.erase(comma, 1);
    }
    return text;
}

std::string pageDate(std::string_view cell) {
    const std::string_view date = charSlice(cell, 0, 10);
    std::string out(charSlice(date, 0, 4));
    out += '/';
    out += charSlice(date, 5, 2);
    out += '/';
    out += charSlice(date, 8, 2);
    return out;
}

int lastHistoryPage(long days) {
    long quotient = days / kRowsPerPage;
    long remainder = days % kRowsPerPage;
    if (remainder < 0) {
        remainder += kRowsPerPage;
        --quotient;
    }
    if (remainder * 2 > kRowsPerPage || (remainder * 2 == kRowsPerPage && quotient % 2 != 0))
        ++quotient;
    return static_cast<int>(std::min(quotient, 5L));
}

void splitPageLines(WorkingTable& pageTable, const std::vector<std::string>& lines,
                    std::string_view marker, int minColumns, int lastRowRead) {
    pageTable.setColCount(minColumns);
    for (std::size_t r = 0; r < lines.size(); ++r) {
        const std::string pieces = markerToLineBreaks(lines[r], marker);
        const auto count = static_cast<int>(tables::splitLines(pieces).size());
        if (count > pageTable.colCount()) pageTable.setColCount(count);
        pageTable.rowFromLineList(static_cast<int>(r) + 1, pieces);
    }
    for (int row = static_cast<int>(lines.size()) + 1; row <= lastRowRead; ++row)
        pageTable.clearRow(row);
}

}  // namespace data
