// Box indexing on the form: each shown day's price to the box of the chart grid's levels.
#include "chart/box_indexing.h"

#include <algorithm>
#include <limits>

#include "app/form.h"
#include "tables/convert.h"
#include "tables/layout.h"

namespace {

// The levels of the chart grid's column 1. A Cohen scale above the ladder's first level
// starts with a box row that has a number but no level: it holds every higher price.
chart::LevelColumn chartLevels(const WorkingTable& chart) {
    chart::LevelColumn levels(static_cast<std::size_t>(std::max(chart.rowCount(), 1)));
    for (int r = 1; r < chart.rowCount(); ++r)
        if (const std::string& level = chart.cell(1, r); !level.empty())
            levels[static_cast<std::size_t>(r)] = toInt(level);
    if (levels.size() > 2 && !levels[1] && levels[2] && !chart.cell(0, 1).empty())
        levels[1] = std::numeric_limits<long long>::max();
    return levels;
}

}  // namespace

void TForm1::Button12Click() {
    WaitCursor wait(platform);
    // Days beyond the stored rows have no price: their box-index cells stay empty.
    const int days = std::min(toInt(Edit2.text()), StringGrid2.storedRowCount());
    std::optional<chart::BoxFinder> boxes;
    int index = 0;
    for (int row = days; row >= 1; --row) {
        const std::string& price = StringGrid2.cell(layout::kSeriesColumn, row);
        if (!hasValue(price)) {
            StringGrid2.setCell(layout::kBoxIndexColumn, row, "");
            continue;
        }
        const int value = toInt(price);
        if (!boxes) boxes.emplace(chartLevels(StringGrid1));
        index = boxes->boxIndexOf(value).value_or(index);
        StringGrid2.setNumber(layout::kBoxIndexColumn, row, index);
    }
}
