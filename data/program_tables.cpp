#include "data/program_tables.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "tables/convert.h"

namespace data {

namespace {

constexpr std::string_view kFullWidthSpace = "　";

// The whole-number part of a decimal price, as decimal text without grouping.
std::string integerPart(std::string_view text) {
    const long double value = std::trunc(toFloat(text));
    if (value == 0) return "0";
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.0Lf", value);
    return buffer;
}

}  // namespace

void fillPriceTable(WorkingTable& table, const std::vector<std::string>& lines) {
    table.setRowCount(static_cast<int>(lines.size()));
    table.setColCount(200);
    for (std::size_t i = 0; i < lines.size(); ++i)
        table.rowFromCommaText(static_cast<int>(i), lines[i]);
    // Only the first four stock columns may hold decimal prices.
    for (int col = 1; col <= 4; ++col) {
        for (int row = 1; row < table.rowCount(); ++row) {
            const std::string& cell = table.cell(col, row);
            if (hasValue(cell)) table.setCell(col, row, integerPart(cell));
        }
    }
}

void fillCodeTable(WorkingTable& table, const std::vector<std::string>& lines) {
    table.setColCount(5);
    table.setRowCount(static_cast<int>(lines.size()));
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string line = lines[i];
        std::replace(line.begin(), line.end(), '\t', ',');
        table.rowFromLineList(static_cast<int>(i), line);
    }
}

void blankDaysWithoutPrice(WorkingTable& table, int row) {
    for (int col = 1; col <= kCandidateDays; ++col) {
        const std::string& cell = table.cell(col, row);
        if (cell == " " || cell == kFullWidthSpace) table.setCell(col, row, "");
    }
}

}  // namespace data
