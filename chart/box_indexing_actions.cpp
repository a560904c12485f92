// Box indexing on the form: each shown day's price to the box of the chart grid's levels.
#include "chart/box_indexing.h"

#include <algorithm>

#include "app/form.h"
#include "tables/convert.h"
#include "tables/layout.h"

void TForm1::Button12Click() {
    WaitCursor wait(platform);
    // Days beyond the stored rows have no price: their box-index cells stay empty.
    const int days = std::min(toInt(Edit2.text()), StringGrid2.storedRowCount());
    chart::LevelColumn levels;
    bool levelsRead = false;
    int index = 0;
    for (int row = days; row >= 1; --row) {
        const std::string& price = StringGrid2.cell(layout::kSeriesColumn, row);
        if (!hasValue(price)) {
            StringGrid2.setCell(layout::kBoxIndexColumn, row, "");
            continue;
        }
        const int value = toInt(price);
        if (!levelsRead) {
            levels.resize(static_cast<std::size_t>(StringGrid1.rowCount()));
            for (int r = 1; r < StringGrid1.rowCount(); ++r)
                if (const std::string& level = StringGrid1.cell(1, r); !level.empty())
                    levels[static_cast<std::size_t>(r)] = toInt(level);
            levelsRead = true;
        }
        index = chart::boxIndexOf(value, levels).value_or(index);
        StringGrid2.setCell(layout::kBoxIndexColumn, row, intToStr(index));
    }
}
