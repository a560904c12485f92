#include "chart/chart_tables_actions.h"

#include <algorithm>

#include "app/form.h"
#include "chart/column_drawing.h"
#include "tables/convert.h"
#include "tables/layout.h"
#include "tables/settings_layout.h"

namespace {

using layout::kBoxIndexColumn;
using layout::kSeriesColumn;
constexpr int kSeriesDateColumn = 2;

const char* markOf(bool rising) {
    return rising ? chart::kRisingMark : chart::kFallingMark;
}

// Whether the chart's first level is the highest close as the series' text holds it.
bool startsAtTheHigh(const chart::Chart& chart) {
    return !chart.scale.cohen && !chart.scale.fixed &&
           chart.construction == chart::Construction::Program;
}

void writeLevels(TForm1& form, const chart::Chart& chart, const std::string& highText) {
    const int first = chart.firstLevelRow();
    const int last = chart.lastLevelRow();
    if (chart.scale.cohen) form.Button14Click();
    for (WorkingTable* grid : {&form.StringGrid1, &form.StringGrid5}) {
        if (chart.openTop) grid->setCell(0, 1, "1");
        for (int row = first; row <= last; ++row) {
            grid->setNumber(0, row, chart.boxNumber(row));
            // The percentage scale's first level is the highest price as the series holds it.
            if (row == first && startsAtTheHigh(chart))
                grid->setCell(1, row, highText);
            else
                grid->setNumber(1, row, *chart.levels[static_cast<std::size_t>(row)]);
        }
        grid->setRowCount(static_cast<int>(chart.levels.size()));
    }
}

std::string recordText(const chart::ExtremeRecord& record, const TForm1& form) {
    std::string text = intToStr(record.box);
    text += 'A';
    text += form.StringGrid2.cell(kSeriesColumn, record.day);
    text += 'B';
    if (record.dated) text += form.StringGrid4.cell(kSeriesDateColumn, record.day);
    return text;
}

}  // namespace

void writeColumns(TForm1& form, const chart::Chart& chart) {
    for (const chart::Column& column : chart.columns) {
        if (column.empty()) continue;
        for (int row = column.topRow; row <= column.bottomRow; ++row) {
            form.StringGrid1.setCell(column.col, row, markOf(column.rising));
            form.StringGrid5.setCell(column.col, row,
                                     form.StringGrid4.cell(kSeriesDateColumn, column.dayAt(row)));
        }
    }
    form.StringGrid3.setCell(settings::kDirectionMark, markOf(chart.rising));
    form.StringGrid1.setColCount(chart.lastColumn() + 2);
    form.StringGrid5.setColCount(chart.lastColumn() + 2);
}

void writeChartRun(TForm1& form, chart::Chart chart, bool screening) {
    WaitCursor wait(form.platform);
    // The program's range is two closes as the series holds them; the textbook's may be a
    // high and a low.
    const bool program = chart.construction == chart::Construction::Program;
    const std::string highText =
        program ? form.StringGrid2.cell(kSeriesColumn, chart.highDay) : intToStr(chart.highPrice);
    form.StringGrid3.setCell(settings::kHighestPrice, highText);
    form.StringGrid3.setCell(
        settings::kLowestPrice,
        program ? form.StringGrid2.cell(kSeriesColumn, chart.lowDay) : intToStr(chart.lowPrice));
    writeLevels(form, chart, highText);
    for (int day = static_cast<int>(chart.boxIndexByDay.size()) - 1; day >= 1; --day) {
        if (const auto& index = chart.boxIndexByDay[static_cast<std::size_t>(day)])
            form.StringGrid2.setNumber(kBoxIndexColumn, day, *index);
        else
            form.StringGrid2.setCell(kBoxIndexColumn, day, "");
    }

    const int shown = toInt(form.Edit2.text());
    if (chart.daysShown < shown) form.Edit2.setText(intToStr(chart.daysShown));
    writeColumns(form, chart);
    if (screening) {
        for (const chart::ColumnRecords& records : chart.records) {
            form.StringGrid5.setCell(records.col, 0, recordText(records.top, form));
            form.StringGrid5.setCell(records.col, 1, recordText(records.bottom, form));
        }
        form.StringGrid3.setCell(settings::kLastBox,
                                 chart.startDay > 0 ? intToStr(chart.lastBox) : std::string());
        form.StringGrid3.setNumber(settings::kLastColumn, chart.lastColumn());
    } else {
        form.StringGrid3.setNumber(settings::kLastBox, chart.lastBox);
    }
    form.shownChart = std::move(chart);
}

chart::LevelColumn gridLevels(const WorkingTable& chartGrid, bool& openTop, bool strict) {
    chart::LevelColumn levels(static_cast<std::size_t>(std::max(chartGrid.rowCount(), 1)));
    for (int r = 1; r < chartGrid.rowCount(); ++r)
        if (const std::string& level = chartGrid.cell(1, r); !level.empty())
            levels[static_cast<std::size_t>(r)] = strict
                                                      ? std::optional<long long>(toInt(level))
                                                      : std::optional<long long>(tryToInt(level));
    openTop = levels.size() > 2 && !levels[1] && levels[2] && !chartGrid.cell(0, 1).empty();
    return levels;
}
