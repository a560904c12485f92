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

TEST(DecoratedSampleCharts, NewestColumnAndBreakoutsAgreeWithTheScreening) {
    HeadlessPlatform platform;
    TForm1 form(platform, TForm1::Options{data::DataRoot{testing_support::sampleRoot()}, {}});
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

}  // namespace
