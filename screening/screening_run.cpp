// The screening run "選別": range resolution, counters and the results list as plain
// pieces the command line and tests use.
#include "screening/screening.h"

#include <algorithm>
#include <array>

#include "chart/patterns.h"
#include "tables/code_lookup.h"
#include "tables/convert.h"
#include "tables/settings_layout.h"

namespace screening {

int rangeRow(const WorkingTable& codeTable, std::string_view code) {
    const int rows = codeTable.rowCount();
    int row = tables::lastRowWithCode(codeTable, 0, 1, rows, code);
    if (row > 0) return row;
    tables::checkCode(code);
    for (int r = 1; r < rows; ++r)
        if (tables::compareCodes(codeTable.cell(0, r), code) < 0) row = r;
    return row;
}

int stockColumnCount(const WorkingTable& priceTable) {
    for (int col = 197; col >= 1; --col)
        if (!priceTable.cell(col, 0).empty()) return col;
    return 0;
}

namespace {
using chart::kPatternCount;
using chart::listColumn;
using chart::Pattern;

constexpr std::array<Pattern, kPatternCount> kAllPatterns = {
    Pattern::DoubleTop,      Pattern::DoubleBottom, Pattern::BullishSignal,
    Pattern::BearishSignal,  Pattern::TripleTop,    Pattern::TripleBottom,
    Pattern::ReversalUp,     Pattern::ReversalDown, Pattern::BullishTriangle,
    Pattern::BearishTriangle};

int counter(const WorkingTable& settingsTable, Pattern pattern) {
    return tryToInt(settingsTable.cell(settings::counter(listColumn(pattern)))).value_or(0);
}
}  // namespace

int resultRowCount(const WorkingTable& settingsTable) {
    int longest = 0;
    for (const Pattern pattern : kAllPatterns)
        longest = std::max(longest, counter(settingsTable, pattern));
    return longest + 1;
}

std::vector<std::vector<std::string>> resultColumns(const WorkingTable& settingsTable,
                                                    const WorkingTable& results) {
    std::vector<std::vector<std::string>> columns;
    for (const Pattern pattern : kAllPatterns) {
        auto& codes = columns.emplace_back();
        const int count = counter(settingsTable, pattern);
        for (int row = 1; row <= count; ++row)
            codes.push_back(results.cell(listColumn(pattern), row));
    }
    return columns;
}

std::vector<std::vector<std::string>> formationColumns(const WorkingTable& results) {
    std::vector<std::vector<std::string>> columns;
    if (results.colCount() <= chart::kCatalogueCount) return columns;
    for (int col = kPatternCount + 1; col <= chart::kCatalogueCount; ++col) {
        auto& codes = columns.emplace_back();
        for (int row = 1; !results.cell(col, row).empty(); ++row)
            codes.push_back(results.cell(col, row));
    }
    return columns;
}

}  // namespace screening
