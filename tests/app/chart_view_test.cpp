// The decorated chart of every stock of the sample data against the screening of the
// same stocks: the newest column's signals are what the results list shows, and the
// newest breakouts add up to the run's bullish percent.
#include "app/chart_view.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "app/chart_text.h"
#include "app/form.h"
#include "screening/screening.h"
#include "tables/convert.h"
#include "tests/support.h"

namespace {

using chart::Pattern;

// In the program's own construction and in the textbook one (two-box reversals, the
// fixed scale): the screening draws as the chart does.
TEST(DecoratedSampleCharts, NewestColumnAndBreakoutsAgreeWithTheScreening) {
    for (const chart::ChartStyle style :
         {chart::ChartStyle{}, chart::ChartStyle{chart::Construction::Textbook, 2, false, true}}) {
        SCOPED_TRACE(style.construction == chart::Construction::Textbook ? "textbook" : "program");
        HeadlessPlatform platform;
        TForm1 form(platform, TForm1::Options{data::DataRoot{testing_support::sampleRoot()}, {}});
        form.chartStyle = style;
        form.run(&TForm1::Button25Click);
        form.run(&TForm1::Button2Click);
        for (auto [col, row] : {std::pair{3, 13}, {3, 14}, {1, 16}})
            form.StringGrid3.setCell(col, row, "0");
        form.Edit6.setText("1301");
        form.Edit7.setText("9997");
        // The list with the further formations after the ten.
        form.setExtendedPatterns(true);
        form.run(&TForm1::Button37Click);
        ASSERT_TRUE(platform.errors.empty()) << platform.errors.front();

        std::map<std::string, std::set<Pattern>> listed;
        auto columns = screening::resultColumns(form.StringGrid3, form.StringGrid11);
        for (auto& codes : screening::formationColumns(form.StringGrid11)) columns.push_back(codes);
        ASSERT_EQ(columns.size(), static_cast<std::size_t>(chart::kCatalogueCount));
        for (std::size_t i = 0; i < columns.size(); ++i)
            for (const auto& code : columns[i]) listed[code].insert(static_cast<Pattern>(i + 1));
        std::map<std::pair<std::string, Pattern>, std::pair<std::string, std::string>> boxes;
        for (const auto& entry : form.screeningNotes.listed)
            boxes[{entry.code, entry.pattern}] = {entry.date, entry.level};

        int buys = 0, sells = 0, signalled = 0;
        for (int col = 1; col <= screening::stockColumnCount(form.StringGrid2); ++col) {
            const std::string code = form.StringGrid2.cell(col, 0);
            form.Edit1.setText(code);
            form.Edit2.setText("500");
            form.run(&TForm1::Button3Click);
            const app::ChartView view = app::chartViewOf(form);
            const int last = view.chart.lastColumn();
            std::set<Pattern> newest;
            std::optional<Pattern> breakout;
            auto signals = view.decorations.history;
            signals.insert(signals.end(), view.decorations.warnings.begin(),
                           view.decorations.warnings.end());
            for (const auto& signal : signals) {
                if (chart::isBreakout(signal.pattern)) breakout = signal.pattern;
                if (signal.col != last) continue;
                newest.insert(signal.pattern);
                const auto box = std::pair(signal.date, form.StringGrid1.cell(1, signal.row));
                EXPECT_EQ(boxes[std::pair(code, signal.pattern)], box) << code;
            }
            EXPECT_EQ(newest, listed[code]) << code;
            if (breakout) ++(*breakout == Pattern::DoubleTop ? buys : sells);
            signalled += view.decorations.history.empty() ? 0 : 1;
        }
        EXPECT_EQ(std::pair(form.screeningNotes.buys, form.screeningNotes.sells),
                  std::pair(buys, sells));
        EXPECT_GT(signalled, 100);
        EXPECT_GT(listed.size(), 10u);
    }
}

TEST(DecoratedSampleCharts, TextShowsMonthsLinesAndTheNewestSignal) {
    HeadlessPlatform platform;
    TForm1 form(platform, TForm1::Options{data::DataRoot{testing_support::sampleRoot()}, {}});
    form.run(&TForm1::Button25Click);
    form.run(&TForm1::Button2Click);
    form.Edit1.setText("6154");
    form.run(&TForm1::Button3Click);
    const app::ChartView view = app::chartViewOf(form);
    const std::string plain = app::chartText(view, app::chartCaptionOf(form), {});
    const std::string decorated =
        app::chartText(view, app::chartCaptionOf(form), {true, true, true, true});
    // Same grid width: each month letter and "+" takes the two places of a mark.
    const auto lineCount = [](const std::string& text) {
        return std::count(text.begin(), text.end(), '\n');
    };
    // A line per signal and per warning; the newest signal, the line in force, the
    // objectives and the trigger prices.
    EXPECT_EQ(lineCount(decorated), lineCount(plain) +
                                        static_cast<long>(view.decorations.history.size() +
                                                          view.decorations.warnings.size()) +
                                        4);
    EXPECT_NE(decorated.find(*chart::newestSignalText(view.decorations)), std::string::npos);
    EXPECT_NE(decorated.find("+ "), std::string::npos);
    EXPECT_EQ(plain.find("+ "), std::string::npos);
}

// A chart whose first column is empty (it began rising), over a change of year; its
// newest close lies a box below the newest box.
TEST(DecoratedChart, ColumnsNumberedAsDrawnTheYearAndTheCurrentPriceRow) {
    // Levels from 1000 by 2%: 1000 980 960 940 921 in rows 2 to 6; oldest first.
    const std::vector<long long> oldestFirst{921, 980, 921, 1000, 975};
    const std::vector<std::string> dates{"2026/01/06", "2026/01/05", "2025/12/26", "2025/12/25",
                                         "2025/12/24"};  // day 1 first
    std::vector<chart::Close> closes;
    for (auto it = oldestFirst.rbegin(); it != oldestFirst.rend(); ++it)
        closes.push_back(chart::Close::of(*it));
    chart::ChartRequest request;
    request.closes = closes;
    request.dates = dates;
    request.days = 5;
    request.scale.ratio = 0.02L;
    const app::ChartView view = app::viewOf(chart::runChart(request), {false, 0.02L}, 975, {});
    ASSERT_TRUE(view.chart.column(2)->empty());
    ASSERT_EQ(view.decorations.history.size(), 1u);
    EXPECT_EQ(view.decorations.history[0].col, 5);

    const std::string text =
        app::chartText(view, {"9999", "", "5", "0.02", "", ""}, {true, true, false, true});
    // Column 5 of the grid is the third drawn column.
    EXPECT_NE(text.find("\n3\tダブルトップ\t2026/01/05\t1000\n"), std::string::npos) << text;
    // December's first box (column 3, row 5) shows its C; the first box of 2026 (column 5,
    // drawn up from row 5 on 2026/01/05) the year's 6.
    EXPECT_NE(text.find(" 940   C 〇6\n"), std::string::npos) << text;
    EXPECT_EQ(view.decorations.newestBox, std::pair(5, 2));
    EXPECT_EQ(view.decorations.currentRow, 3);  // 975 is in the box of 980
    EXPECT_EQ(view.currentPriceText(), "現在値 975");
}

}  // namespace
