// The chart run: finds the stock of the code field, copies its newest prices into the
// working series and runs the engine on them.
#include <algorithm>
#include <optional>
#include <vector>

#include "app/form.h"
#include "chart/chart.h"
#include "chart/chart_tables_actions.h"
#include "chart/patterns.h"
#include "chart/series.h"
#include "chart/stored_prices.h"
#include "screening/pattern_detection_actions.h"
#include "tables/code_lookup.h"
#include "tables/convert.h"
#include "tables/errors.h"
#include "tables/layout.h"
#include "tables/settings_layout.h"
#include "tables/source_mode.h"

namespace {

constexpr const char* kCheckCode = "コードを確認して下さい。";
using layout::kLastStockColumn;
using layout::kSeriesColumn;

// A copy into a cell that holds the text already (the same stock charted again, the
// same dates) leaves it as it is.
void copyText(WorkingTable& table, int col, int row, const std::string& text) {
    if (table.cell(col, row) != text) table.setCell(col, row, text);
}

// The chart request of the working series as the form's fields give it; nothing when a
// cell or field would stop one of the handlers (they then run one by one and stop where
// they stop, with their messages).
std::optional<chart::ChartRequest> requestFromCells(const TForm1& form,
                                                    std::vector<chart::Close>& closes) {
    const auto shown = tryToInt(form.Edit2.text());
    if (!shown) return std::nullopt;
    const int days = std::min(*shown, form.StringGrid2.storedRowCount());
    // The price range starts from day 2 when day 1 has no price.
    const int read = std::max(days, 2);
    closes.assign(static_cast<std::size_t>(read), {});
    for (int row = 1; row <= read; ++row) {
        const auto close = chart::closeOfCell(form.StringGrid2.cell(kSeriesColumn, row));
        if (!close) return std::nullopt;
        closes[static_cast<std::size_t>(row) - 1] = *close;
    }
    if (!closes[0].priced() && !closes[1].priced()) return std::nullopt;
    chart::ChartRequest request;
    request.closes = closes;
    request.days = *shown;
    request.scale = chart::scaleOfField(form.Edit3.text());
    chart::applyStyle(request, form.chartStyle);
    return request;
}

// The chart of the working series from one reading of its cells, written into the
// tables as the handlers write them. False, with nothing written, when the handlers
// must run one by one.
bool chartFromCells(TForm1& form, bool screening) {
    std::vector<chart::Close> closes;
    auto request = requestFromCells(form, closes);
    if (!request) return false;
    if (screening) {
        request->count = chart::DayCount::PricedDays;
        request->keepRecords = true;
    }
    // The price range reads day 2 also when only one day is shown; the rest does not.
    const int days = std::min(request->days, form.StringGrid2.storedRowCount());
    request->closes = request->closes.first(static_cast<std::size_t>(std::max(days, 0)));
    if (days < 2 && !request->closes.empty() && !request->closes[0].priced()) return false;
    // The textbook chart on highs and lows: the store's, on the series' dates.
    chart::HighsLows highsLows;
    if (form.chartStyle.highLow && form.chartStyle.construction == chart::Construction::Textbook) {
        std::vector<std::string> dates;
        for (int day = 1; day <= static_cast<int>(request->closes.size()); ++day)
            dates.push_back(form.StringGrid4.cell(2, day));
        highsLows = chart::storedHighsLows(form.options.root, form.Edit1.text(), dates);
        if (highsLows.any) {
            request->highs = highsLows.highs;
            request->lows = highsLows.lows;
        } else {
            form.closesOnlyNotice.visible = true;
            ++form.closesOnlyRuns;
        }
    }
    chart::Chart chart = chart::runChart(*request);
    if (chart.levels.empty() || (!screening && chart.startDay == 0)) return false;
    writeChartRun(form, chart, screening);
    return true;
}

}  // namespace

void TForm1::Button34Click() {
    StringGrid3.setCell(
        settings::kCodeRow,
        intToStr(tables::lastRowWithCode(StringGrid8, 0, 1, StringGrid8.rowCount(), Edit1.text())));
}

void TForm1::Button3Click() {
    WaitCursor wait(platform);
    const bool quendal = mode() == SourceMode::Quendal;
    // A code typed with full-width characters is looked up as its ASCII code.
    Edit1.setText(tables::normalizedCodeText(Edit1.text()));

    // Candidate data must be loaded before a kouho stock can be charted.
    if (mode() == SourceMode::Kouho) {
        Button34Click();
        const int row = toInt(StringGrid3.cell(settings::kCodeRow));
        if (StringGrid10.cell(5, row).empty()) {
            if (toInt(StringGrid3.cell(settings::kRangeStartRow)) == 0 &&
                toInt(StringGrid3.cell(settings::kRangeEndRow)) == 0) {
                Panel5.caption = "ｋｏｕｈｏデータを読み込んでください。";
                Panel5.visible = true;
            }
            return;
        }
        if (row == 0) {
            platform.showMessage(kCheckCode);
            Button37.caption = "選別";
            return;
        }
    }

    Edit4.setText("");
    Edit5.setText("");
    staleDatesNotice.visible = false;
    closesOnlyNotice.visible = false;
    if (Edit3.text() != chart::kCohenWord && toFloat(Edit3.text()) < chart::kSmallestRatio)
        Edit3.setText("0.002");
    const int days = toInt(Edit2.text());
    for (WorkingTable* grid : {&StringGrid1, &StringGrid5})
        for (int row = 1; row < grid->rowCount(); ++row) grid->clearRow(row);
    shownChart.reset();

    // The last matching entry is charted; the field then shows its whole text.
    const int position =
        quendal
            ? tables::lastColumnWithCode(StringGrid2, 0, 1, kLastStockColumn + 1, Edit1.text())
            : tables::lastRowWithCode(StringGrid10, 0, 1, StringGrid10.rowCount(), Edit1.text());
    if (position > 0)
        Edit1.setText(quendal ? StringGrid2.cell(position, 0) : StringGrid10.cell(0, position));
    StringGrid3.setNumber(settings::kPosition, position);

    if (position > 0) {
        StringGrid2.setCell(kSeriesColumn, 0, Edit1.text());
        // Past the stored cells of both source and working series every copy is of
        // empty text onto empty text, so the copies stop there.
        int reach = StringGrid2.storedRowCount();
        if (!quendal)
            reach = std::max(
                {reach, StringGrid10.storedColCount(position), StringGrid10.storedColCount(0)});
        const int copied = std::min(days, reach);
        if (quendal) {
            for (int row = 0; row <= copied; ++row)
                copyText(StringGrid2, kSeriesColumn, row, StringGrid2.cell(position, row));
            for (int row = 1; row <= copied; ++row)
                copyText(StringGrid4, 2, row, StringGrid2.cell(0, row));
        } else {
            for (int day = 1; day <= copied; ++day)
                copyText(StringGrid2, kSeriesColumn, day, StringGrid10.cell(day, position));
            for (int day = 1; day <= copied; ++day)
                copyText(StringGrid4, 2, day, StringGrid10.cell(day, 0));
        }
    } else {
        // Neither table holds the stock: the quick collection brings its series, unless
        // the working series already holds it.
        // The series is held when its header names the code: a collection writes the
        // header only once the whole history is in.
        if (StringGrid2.cell(kSeriesColumn, 0) != Edit1.text()) {
            for (int row = 1; row < StringGrid4.rowCount(); ++row)
                StringGrid4.setCell(2, row, StringGrid4.cell(0, row));
            if (StringGrid4.cell(1, 0).empty())
                for (int row = 1; row < StringGrid4.rowCount(); ++row)
                    StringGrid7.setCell(0, row, StringGrid4.cell(0, row));
            Button24Click();
        }
        if (StringGrid2.cell(kSeriesColumn, 5).empty()) {
            platform.showMessage(kCheckCode);
            return;
        }
        Button34Click();
        // A series from the price-table service is dated by the calendar, row for row: a
        // calendar not brought up to date shifts every date by the trading days it misses.
        // The exchange's series is laid onto the calendar by its own dates.
        staleDatesNotice.visible = !calendarUpdated && !collectsFromExchange();
    }

    const bool screening = Button37.caption == "選別中";
    if (chartFromCells(*this, screening)) {
        if (screening)
            checkPatterns(*this, chart::ChartPatternCells(*shownChart), shownChart->lastColumn());
        return;
    }
    Button4Click();
    if (Edit3.text() == chart::kCohenWord)
        Button28Click();
    else
        Button5Click();
    Button12Click();
    if (screening) {
        Button38Click();
        Button39Click();
    } else {
        Button6Click();
    }
}
