// Box indexing on the form: each shown day's price to the box of the chart grid's levels.
#include <limits>

#include "app/form.h"
#include "chart/box_indexing.h"
#include "chart/chart_tables_actions.h"
#include "tables/convert.h"
#include "tables/layout.h"

namespace {

// A Cohen scale above the ladder's first level starts with a box row that has a number
// but no level, holding every higher price.
chart::LevelColumn searchedLevels(const WorkingTable& chartGrid) {
    bool openTop = false;
    chart::LevelColumn levels = gridLevels(chartGrid, openTop, true);
    if (openTop) levels[1] = std::numeric_limits<long long>::max();
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
        const long long value = toInt(price);
        if (!boxes) boxes.emplace(searchedLevels(StringGrid1));
        index = boxes->boxIndexOf(value).value_or(index);
        StringGrid2.setNumber(layout::kBoxIndexColumn, row, index);
    }
}
