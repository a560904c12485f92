// The screening column build, the pattern check and the pattern test: the form's side
// of the screening build and the pattern tests.
#include "screening/pattern_detection_actions.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "app/form.h"
#include "chart/chart_tables_actions.h"
#include "chart/series.h"
#include "screening/screening_build.h"
#include "tables/convert.h"
#include "tables/errors.h"
#include "tables/layout.h"
#include "tables/settings_layout.h"

namespace {

using chart::Mark;
using chart::Pattern;

using layout::kBoxIndexColumn;
using layout::kSeriesColumn;
constexpr int kSeriesDateColumn = 2;

// The chart grid's marks and the extreme records in rows 0 and 1 of the box-date grid.
class GridChartCells : public chart::ChartCells {
  public:
    GridChartCells(const WorkingTable& chart, const WorkingTable& boxDates)
        : chart_(chart), boxDates_(boxDates) {}

    Mark mark(int col, int row) const override {
        const std::string& text = chart_.cell(col, row);
        if (text == chart::kRisingMark) return Mark::Rising;
        if (text == chart::kFallingMark) return Mark::Falling;
        return Mark::None;
    }
    std::optional<int> topBox(int col) const override { return recordBox(col, 0); }
    std::optional<int> bottomBox(int col) const override { return recordBox(col, 1); }

  private:
    // The box index is the integer before the first "A" of the record.
    std::optional<int> recordBox(int col, int row) const {
        if (col < 2) return std::nullopt;
        const std::string& record = boxDates_.cell(col, row);
        const auto a = record.find('A');
        if (a == std::string::npos) return std::nullopt;
        return toInt(std::string_view(record).substr(0, a));
    }

    const WorkingTable& chart_;
    const WorkingTable& boxDates_;
};

std::string recordText(const chart::ExtremeRecord& record, const WorkingTable& prices,
                       const WorkingTable& dates) {
    std::string text = intToStr(record.box);
    text += 'A';
    text += prices.cell(kSeriesColumn, record.day);
    text += 'B';
    if (record.dated) text += dates.cell(kSeriesDateColumn, record.day);
    return text;
}

// Reads the pattern's counter, runs its test, and on a match lists the stock in the
// pattern's column of the results list. The counter is written back either way.
bool recordPattern(TForm1& form, Pattern pattern, const chart::ChartCells& chart, int lastColumn) {
    WorkingTable& settingsTable = form.StringGrid3;
    const CellRef counter = settings::counter(chart::listColumn(pattern));
    int count = toInt(settingsTable.cell(counter));
    const bool found = chart::matches(pattern, chart, lastColumn);
    if (found) {
        ++count;
        form.StringGrid11.setCell(chart::listColumn(pattern), count, form.Edit1.text());
    }
    settingsTable.setNumber(counter, count);
    return found;
}

void testFollowUps(TForm1& form, const chart::ChartCells& chart, int lastColumn) {
    for (const Pattern pattern : chart::kFollowUpPatterns)
        recordPattern(form, pattern, chart, lastColumn);
}

}  // namespace

void checkPatterns(TForm1& form, const chart::ChartCells& chart, int lastColumn) {
    screening::noteScreenedStock(form, chart, lastColumn);
    // Columns K - 2 and K share their direction, so at most one breakout matches.
    for (const Pattern breakout : {Pattern::DoubleTop, Pattern::DoubleBottom})
        if (recordPattern(form, breakout, chart, lastColumn)) {
            WaitCursor wait(form.platform);
            testFollowUps(form, chart, lastColumn);
        }
}

void TForm1::Button38Click() {
    WaitCursor wait(platform);
    const int shown = toInt(Edit2.text());
    StringGrid3.setCell(settings::kDirectionMark, chart::kFallingMark);

    // Empty cells are days without a price; any other text must be a whole number,
    // which is checked once the days in use are known.
    // Days beyond the stored rows have no box index.
    const int stored = std::min(shown, StringGrid2.storedRowCount());
    std::vector<std::optional<int>> boxes(static_cast<std::size_t>(std::max(stored, 0)));
    int oldestBadDay = 0;
    for (int d = 1; d <= stored; ++d) {
        const std::string& text = StringGrid2.cell(kBoxIndexColumn, d);
        if (text.empty()) continue;
        const auto value = tryToInt(text);
        boxes[static_cast<std::size_t>(d - 1)] = value.value_or(0);
        if (!value) oldestBadDay = d;
    }
    const screening::ColumnBuild build =
        screening::buildScreeningColumns(boxes, chartStyle.reversal);
    if (oldestBadDay > 0 && oldestBadDay <= build.startDay)
        throwNotInteger(StringGrid2.cell(kBoxIndexColumn, oldestBadDay));
    if (build.countedDays < shown) Edit2.setText(intToStr(build.countedDays));

    bool openTop = false;
    auto levels = gridLevels(StringGrid1, openTop, false);
    chart::Chart built = chart::chartOfDrawing(
        {build.boxes, build.records, build.lastColumn, build.rising, build.level.value_or(0)},
        std::move(levels), openTop);
    built.reversal = chartStyle.reversal;
    built.daysShown = build.countedDays;
    built.startDay = build.startDay;
    // The scale the levels were built by, which prices rows past the chart's edge.
    if (Edit3.text() == chart::kCohenWord)
        built.scale.cohen = true;
    else if (const auto ratio = tryToFloat(Edit3.text()))
        built.scale.ratio = *ratio;
    writeColumns(*this, built);
    for (const chart::ColumnRecords& records : build.records) {
        StringGrid5.setCell(records.col, 0, recordText(records.top, StringGrid2, StringGrid4));
        StringGrid5.setCell(records.col, 1, recordText(records.bottom, StringGrid2, StringGrid4));
    }
    StringGrid3.setCell(settings::kLastBox, build.level ? intToStr(*build.level) : std::string());
    StringGrid3.setNumber(settings::kLastColumn, build.lastColumn);
    shownChart = std::move(built);
}

void TForm1::Button39Click() {
    WaitCursor wait(platform);
    const int lastColumn = toInt(StringGrid3.cell(settings::kLastColumn));
    checkPatterns(*this, GridChartCells(StringGrid1, StringGrid5), lastColumn);
}

void TForm1::Button42Click() {
    WaitCursor wait(platform);
    const int lastColumn = toInt(StringGrid3.cell(settings::kLastColumn));
    testFollowUps(*this, GridChartCells(StringGrid1, StringGrid5), lastColumn);
}
