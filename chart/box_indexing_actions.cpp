// Box indexing on the form: each shown day's price to the box of the chart grid's levels.
#include "app/form.h"
#include "chart/box_indexing.h"
#include "chart/chart_tables_actions.h"
#include "tables/convert.h"
#include "tables/layout.h"

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
        if (!boxes) {
            bool openTop = false;
            const auto levels = gridLevels(StringGrid1, openTop, true);
            boxes.emplace(levels, openTop);
        }
        index = boxes->boxIndexOf(value).value_or(index);
        StringGrid2.setNumber(layout::kBoxIndexColumn, row, index);
    }
}
