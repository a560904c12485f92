// The column drawing into the chart grid and the box-date grid, and the box click.
#include "chart/chart_tables_actions.h"
#include "chart/column_drawing.h"
#include "chart/series.h"

#include <algorithm>

#include "app/form.h"
#include "tables/convert.h"
#include "tables/layout.h"
#include "tables/settings_layout.h"

void TForm1::Button6Click() {
    WaitCursor wait(platform);
    int days = toInt(Edit2.text());
    StringGrid3.setCell(settings::kDirectionMark, chart::kFallingMark);
    // One pass over the stored days: the days with a price cell are counted and the
    // box indices read.
    const int stored = std::max(0, std::min(days, StringGrid2.storedRowCount()));
    std::vector<std::optional<int>> boxIndexByDay(static_cast<std::size_t>(stored) + 1);
    std::vector<bool> otherText(static_cast<std::size_t>(stored) + 1);
    int counted = 0;
    for (int row = 1; row <= stored; ++row) {
        if (!StringGrid2.cell(layout::kSeriesColumn, row).empty()) ++counted;
        const std::string& cell = StringGrid2.cell(layout::kBoxIndexColumn, row);
        if (cell.empty()) continue;
        boxIndexByDay[static_cast<std::size_t>(row)] = tryToInt(cell);
        otherText[static_cast<std::size_t>(row)] = !boxIndexByDay[static_cast<std::size_t>(row)];
    }
    if (counted < days) {
        Edit2.setText(intToStr(counted));
        days = counted;
    }
    // A day whose price cell holds " " has no box index; the chart then starts at the
    // newest older day that has one. The days shown stay as counted.
    int start = days;
    while (start >= 1 && !boxIndexByDay[static_cast<std::size_t>(start)]) --start;
    if (start < 1) throwNotInteger(StringGrid2.cell(layout::kBoxIndexColumn, days));
    boxIndexByDay.resize(static_cast<std::size_t>(start) + 1);
    // Other text in a box-index cell keeps the box of the day before.
    std::optional<int> cur;
    for (int day = start; day >= 1; --day) {
        auto& index = boxIndexByDay[static_cast<std::size_t>(day)];
        if (index)
            cur = index;
        else if (otherText[static_cast<std::size_t>(day)])
            index = cur;
    }
    StringGrid3.setCell(settings::kLastBox, StringGrid2.cell(layout::kBoxIndexColumn, start));

    bool openTop = false;
    auto levels = gridLevels(StringGrid1, openTop, false);
    chart::Chart drawn =
        chart::chartOfDrawing(chart::drawColumns(boxIndexByDay, start, {chartStyle.reversal}),
                              std::move(levels), openTop);
    drawn.reversal = chartStyle.reversal;
    drawn.daysShown = days;
    drawn.startDay = start;
    drawn.boxIndexByDay = std::move(boxIndexByDay);
    writeColumns(*this, drawn);
    StringGrid3.setNumber(settings::kLastBox, drawn.lastBox);
    shownChart = std::move(drawn);
}

void TForm1::StringGrid1MouseUp(int col, int row) {
    if (col < 0 || row < 0) return;
    if (!hasValue(StringGrid1.cell(col, row))) return;
    Edit5.setText(StringGrid1.cell(1, row));
    Edit4.setText(StringGrid5.cell(col, row));
}

void TForm1::Edit4DblClick() {
    Edit4.setText(StringGrid4.cell(2, 1));
}
