#pragma once
// The box indexing as the chart handlers write it: the chart run uses it with the prices
// it has read already, the box-indexing handler with the prices read from the cells.
#include <algorithm>
#include <optional>

#include "app/form.h"
#include "chart/box_indexing.h"
#include "tables/layout.h"

namespace chart {

// The chart grid's levels; a Cohen scale above the ladder's first level starts with a
// box row that has a number but no level, holding every higher price.
LevelColumn chartLevels(const WorkingTable& chartGrid);

// Days from `days` (the oldest) up to 1: the box index of each priced day into the
// box-index column, empty text where the day has no price. priceOf(row) gives the
// day's price, nothing when it has none; it may throw, ending the indexing there.
template <class PriceOf>
void writeBoxIndices(TForm1& form, int days, PriceOf priceOf) {
    std::optional<BoxFinder> boxes;
    int index = 0;
    for (int row = days; row >= 1; --row) {
        const std::optional<int> price = priceOf(row);
        if (!price) {
            form.StringGrid2.setCell(layout::kBoxIndexColumn, row, "");
            continue;
        }
        if (!boxes) boxes.emplace(chartLevels(form.StringGrid1));
        index = boxes->boxIndexOf(*price).value_or(index);
        form.StringGrid2.setNumber(layout::kBoxIndexColumn, row, index);
    }
}

}  // namespace chart
