// Box indexing on the form: each shown day's price to the box of the chart grid's levels.
#include <limits>

#include "chart/box_indexing_cells.h"
#include "tables/convert.h"

chart::LevelColumn chart::chartLevels(const WorkingTable& chartGrid) {
    LevelColumn levels(static_cast<std::size_t>(std::max(chartGrid.rowCount(), 1)));
    for (int r = 1; r < chartGrid.rowCount(); ++r)
        if (const std::string& level = chartGrid.cell(1, r); !level.empty())
            levels[static_cast<std::size_t>(r)] = toInt(level);
    if (levels.size() > 2 && !levels[1] && levels[2] && !chartGrid.cell(0, 1).empty())
        levels[1] = std::numeric_limits<long long>::max();
    return levels;
}

void TForm1::Button12Click() {
    WaitCursor wait(platform);
    // Days beyond the stored rows have no price: their box-index cells stay empty.
    const int days = std::min(toInt(Edit2.text()), StringGrid2.storedRowCount());
    chart::writeBoxIndices(*this, days, [this](int row) -> std::optional<int> {
        const std::string& price = StringGrid2.cell(layout::kSeriesColumn, row);
        if (!hasValue(price)) return std::nullopt;
        return toInt(price);
    });
}
