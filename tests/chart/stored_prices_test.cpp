// A stock's highs, lows and exact closes from the market store beside the program's
// files, and the chart run drawing the textbook chart on them (or on closes, with a
// notice, for a stock without them).
#include "chart/stored_prices.h"

#include <gtest/gtest.h>

#include "market/store.h"
#include "tests/support.h"

namespace {

using testing_support::ScratchDir;

market::Bar bar(int date, double high, double low, double close,
                double adjClose = market::kNoValue) {
    market::Bar result;
    result.code = "13010";
    result.day = market::dayOf(date);
    result.high = high;
    result.low = low;
    result.close = close;
    result.adjClose = adjClose;
    return result;
}

void storeBars(const data::DataRoot& root, const std::vector<market::Bar>& bars) {
    market::Store store(market::Store::fileIn(root));
    store.setListedIssues({{"13010", "見本水産"}});
    store.putBars(bars, market::Source::exchange, 1);
}

TEST(StoredPrices, HighsAndLowsAdjustedAsTheCloseAndTakenInwardToWholeYen) {
    ScratchDir dir;
    const data::DataRoot root{dir.path()};
    const std::vector<std::string> dates{"2024/03/05", "2024/03/04", "2024/03/01"};
    // No store: nothing, and none is made.
    EXPECT_FALSE(chart::storedHighsLows(root, "1301", dates).any);
    EXPECT_FALSE(std::filesystem::exists(market::Store::fileIn(root)));

    // A 2-for-1 split: the day's high and low halved as its close is.
    storeBars(root, {bar(20240304, 1010.5, 990.2, 1000.4), bar(20240305, 2040, 1980, 2020, 1010)});
    const auto found = chart::storedHighsLows(root, "1301見本水産", dates);
    ASSERT_TRUE(found.any);
    ASSERT_EQ(found.highs.size(), 3u);
    EXPECT_EQ(std::pair(found.highs[0].price, found.lows[0].price), std::pair(1020LL, 990LL));
    EXPECT_EQ(std::pair(found.highs[1].price, found.lows[1].price), std::pair(1010LL, 991LL));
    EXPECT_FALSE(found.highs[2].priced());

    // The close as the data has it, when it is the one the files round.
    EXPECT_EQ(chart::storedClose(root, "1301", "2024/03/04", 1000), 1000.4);
    EXPECT_EQ(chart::storedClose(root, "1301", "2024/03/04", 999), std::nullopt);
    EXPECT_EQ(chart::storedClose(root, "9999", "2024/03/04", 1000), std::nullopt);
    for (const auto& [price, text] : std::vector<std::pair<double, std::string>>{
             {564.5, "564.5"}, {1234, "1,234"}, {1234.567, "1,234.57"}, {1000.4, "1,000.4"}})
        EXPECT_EQ(chart::priceText(price), text);
}

// The window's chart run on the textbook construction with highs and lows: closes all
// at 1000 draw nothing; the store's highs and lows draw two columns.
TEST(StoredPrices, TheChartRunDrawsOnTheStoresHighsAndLows) {
    testing_support::FormFixture fixture;
    TForm1& form = *fixture.form;
    form.StringGrid2.setColCount(200);
    form.StringGrid2.setRowCount(5);
    form.StringGrid2.setCell(1, 0, "1301");
    const std::vector<std::string> dates{"2024/03/08", "2024/03/07", "2024/03/06", "2024/03/05"};
    for (int row = 1; row <= 4; ++row) {
        form.StringGrid2.setCell(1, row, "1000");
        form.StringGrid2.setCell(0, row, dates[static_cast<std::size_t>(row) - 1]);
    }
    form.Edit2.setText("4");
    form.Edit3.setText("0.01");
    form.chartStyle = {chart::Construction::Textbook, 3, true, false};
    const auto drawnColumns = [&] {
        form.Edit1.setText("1301");
        form.run(&TForm1::Button3Click);
        EXPECT_TRUE(fixture.platform.errors.empty());
        int columns = 0;
        for (const auto& column : form.shownChart.value().columns)
            columns += column.empty() ? 0 : 1;
        return columns;
    };
    EXPECT_EQ(drawnColumns(), 0);
    EXPECT_TRUE(form.closesOnlyNotice.visible);

    // Levels from 1030 by 1%: 1030 1019 1008 997 987 977 967. From 997, a high of 1030
    // rises to 1030; a low of 970 then turns down (997 is three boxes under 1030) to 977.
    storeBars(fixture.root(), {bar(20240306, 1030, 1000, 1000), bar(20240307, 1000, 970, 1000)});
    EXPECT_EQ(drawnColumns(), 2);
    EXPECT_FALSE(form.closesOnlyNotice.visible);
    EXPECT_EQ(form.StringGrid1.cell(1, 2), "1030");
}

}  // namespace
