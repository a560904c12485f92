#pragma once
// The quote services' pages as the collection reads them: request paths, the cut of
// a page, the split at a marker, and what is taken out of a row. Plain text in,
// plain text out (UTF-8; characters counted as characters, not bytes), and the page split
// into the page table.
#include <string>
#include <string_view>
#include <vector>
#include "tables/working_table.h"

namespace data {

// Opens the first cell of every data row of the price-table service.
inline constexpr std::string_view kPriceRowMarker = "align=right bgcolor=\"#ffffff\"><td><small>";
// Ends a data row of the price-table service.
inline constexpr std::string_view kPriceRowEnd = "</small></td></tr>";
// Opens the date cell of every data row of the quote-history service.
inline constexpr std::string_view kDateMarker = "<td align=\"center\">";

inline constexpr std::size_t kPriceCutChars = 15000;
inline constexpr std::size_t kHistoryCutChars = 22000;
inline constexpr int kRowsPerPage = 50;
// Source lines per data row on a quote-history page.
inline constexpr int kHistoryLinesPerRow = 11;

// Year, month and day of a date text yyyy/mm/dd, taken by character position.
struct DateFields {
    std::string year;   // characters 1 to 4
    std::string month;  // characters 6 and 7
    std::string day;    // characters 9 and 10
};
DateFields dateFields(std::string_view date);

// The code as sent in a query: the first four characters of the code field, every
// byte (of its CP932 form) other than a letter or a digit percent-encoded.
std::string queryCode(std::string_view codeField);

// Path and query of page n (0 to 20) of the price-table service.
std::string priceTablePath(int page, const DateFields& today, std::string_view code);
// Path and query of page n (0 to 5) of the quote-history service.
std::string quoteHistoryPath(int page, const DateFields& today);

// From the first marker on, at most maxChars characters; from the start when the
// marker does not occur.
std::string cutAtMarker(std::string_view text, std::string_view marker, std::size_t maxChars);

// The line with every marker replaced by a line break (the form a line is laid into
// a table row in), and the number of pieces that gives.
std::string markerToLineBreaks(std::string_view line, std::string_view marker);

// Page split: line r of the page lands in page-table row r + 1, cut at every marker
// (the table at least minColumns wide, wider when a line has more pieces). Rows up to
// lastRowRead that the page did not fill are emptied, so no earlier page shows through.
void splitPageLines(WorkingTable& pageTable, const std::vector<std::string>& lines,
                    std::string_view marker, int minColumns, int lastRowRead);

// Price extraction on one cell: the last cell's value of a data row (two passes)...
std::string isolateLastCell(std::string_view cell);
// ...then up to four grouping commas removed.
std::string removeGroupingCommas(std::string_view cell);

// First 10 characters of a date cell rewritten as characters 1-4 "/" 6-7 "/" 9-10.
std::string pageDate(std::string_view cell);

// Last quote-history page to fetch for a calendar `days` old: days / 50 rounded to
// the nearest, halves to even, at most 5; negative means no page.
int lastHistoryPage(long days);

// Substring by characters: `count` characters from character `start` (0-based).
std::string_view charSlice(std::string_view text, std::size_t start, std::size_t count);

}  // namespace data
