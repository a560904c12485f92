// The price range and the box levels of the form's chart grid.
#include "chart/box_scale.h"

#include <cmath>

#include "app/form.h"
#include "tables/convert.h"
#include "tables/layout.h"
#include "tables/settings_layout.h"

namespace {

// Box numbers and levels into columns 0 and 1 of both grids, from firstRow down; the
// numbers count on from firstNumber.
void writeLevels(TForm1& form, int firstRow, int firstNumber, const std::vector<long long>& levels,
                 const std::string& firstLevelText) {
    for (WorkingTable* grid : {&form.StringGrid1, &form.StringGrid5}) {
        for (std::size_t i = 0; i < levels.size(); ++i) {
            const int row = firstRow + static_cast<int>(i);
            grid->setNumber(0, row, static_cast<long long>(i) + firstNumber);
            if (i == 0 && !firstLevelText.empty())
                grid->setCell(1, row, firstLevelText);
            else
                grid->setNumber(1, row, levels[i]);
        }
        grid->setRowCount(firstRow + static_cast<int>(levels.size()) + 1);
    }
}

}  // namespace

void TForm1::Button4Click() {
    // Days beyond the stored rows have no price and are never compared.
    const int days = std::min(toInt(Edit2.text()), StringGrid2.storedRowCount());
    std::vector<const std::string*> series;
    series.reserve(static_cast<std::size_t>(std::max(days, 2)));
    for (int row = 1; row <= std::max(days, 2); ++row)
        series.push_back(&StringGrid2.cell(layout::kSeriesColumn, row));
    const auto range = chart::priceRange(series, days);
    StringGrid3.setCell(settings::kHighestPrice, range.high);
    StringGrid3.setCell(settings::kLowestPrice, range.low);
}

void TForm1::Button5Click() {
    const std::string highText = StringGrid3.cell(settings::kHighestPrice);
    const auto levels = chart::percentageLevels(
        toInt(highText), toInt(StringGrid3.cell(settings::kLowestPrice)), toFloat(Edit3.text()));
    writeLevels(*this, 2, 1, levels, highText);
}

void TForm1::Button14Click() {
    const auto& ladder = chart::cohenLadder();
    StringGrid9.setRowCount(1371);
    for (std::size_t i = 0; i < ladder.size(); ++i) {
        const int row = static_cast<int>(i) + 1;
        StringGrid9.setNumber(1, row, ladder[i]);
        if (i + 1 < ladder.size()) StringGrid9.setNumber(0, row, row);
    }
}

void TForm1::Button28Click() {
    Button14Click();
    const long long high = toInt(StringGrid3.cell(settings::kHighestPrice));
    const auto levels = chart::cohenLevels(high, toInt(StringGrid3.cell(settings::kLowestPrice)));
    if (chart::cohenLadderRow(high) == 0) {
        // No ladder level lies above the highest price: row 1 is a box with no level,
        // the ladder's levels follow from row 2.
        for (WorkingTable* grid : {&StringGrid1, &StringGrid5}) grid->setCell(0, 1, "1");
        writeLevels(*this, 2, 2, levels, "");
        return;
    }
    writeLevels(*this, 1, 1, levels, "");
}
