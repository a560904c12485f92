// The chart run end to end on a form whose price table is filled in memory.
#include <gtest/gtest.h>

#include "tests/support.h"

namespace {

struct ChartRun : ::testing::Test, testing_support::FormFixture {
    ChartRun() {
        form->StringGrid2.setColCount(200);
        form->Edit2.setText("500");
    }
    // A stock column with prices listed newest first (row 1 on); "" leaves a day empty.
    void stock(int col, const std::string& header, const std::vector<std::string>& prices) {
        form->StringGrid2.setCell(col, 0, header);
        for (std::size_t i = 0; i < prices.size(); ++i) {
            const int row = static_cast<int>(i) + 1;
            form->StringGrid2.setCell(col, row, prices[i]);
            form->StringGrid2.setCell(0, row, "2001/09/" + std::to_string(30 - row % 30));
        }
        form->StringGrid2.setRowCount(
            std::max<int>(form->StringGrid2.rowCount(), static_cast<int>(prices.size()) + 1));
    }
    void chart(const std::string& code) {
        form->Edit1.setText(code);
        form->run(&TForm1::Button3Click);
    }
    const std::string& mark(int col, int row) { return form->StringGrid1.cell(col, row); }
};

TEST_F(ChartRun, FindsTheStockByItsFirstFourCharactersAndShowsTheWholeHeader) {
    stock(1, "1301見本水産", {"1000", "985", "970", "955", "940"});
    stock(2, "6752見本電機", {"1000", "1015", "1030", "1045", "1060"});
    chart("6752XYZ");
    EXPECT_TRUE(platform.errors.empty()) << platform.errors.front();
    EXPECT_EQ(form->Edit1.text(), "6752見本電機");
    EXPECT_EQ(form->StringGrid3.cell(1, 1), "2");
    EXPECT_EQ(form->StringGrid2.cell(199, 0), "6752見本電機");
    EXPECT_EQ(form->StringGrid2.cell(199, 5), "1060");
}

TEST_F(ChartRun, TheRightHandOfTwoMatchingColumnsIsCharted) {
    stock(3, "6752A", {"1", "2", "3", "4", "5"});
    stock(7, "6752B", {"1", "2", "3", "4", "5"});
    chart("6752");
    EXPECT_EQ(form->Edit1.text(), "6752B");
    EXPECT_EQ(form->StringGrid3.cell(1, 1), "7");
}

TEST_F(ChartRun, DrawsAFallingThenRisingChartWithDatesUnderTheBoxes) {
    // Oldest to newest: 1000, 955 (falls 3 boxes), 1000 (rises back 3 boxes).
    stock(1, "1301", {"1000", "955", "1000"});
    form->Edit2.setText("3");
    chart("1301");
    ASSERT_TRUE(platform.errors.empty()) << platform.errors.front();
    // Levels 1000, 985, 970, 955 in rows 2 to 5.
    EXPECT_EQ(mark(2, 3), "〇");
    EXPECT_EQ(mark(2, 5), "〇");
    EXPECT_EQ(mark(2, 2), "");
    EXPECT_EQ(mark(3, 4), "×");
    EXPECT_EQ(mark(3, 2), "×");
    EXPECT_EQ(form->StringGrid1.colCount(), 5);
    EXPECT_EQ(form->StringGrid5.colCount(), 5);
    EXPECT_EQ(form->StringGrid5.cell(2, 3), form->StringGrid2.cell(0, 2));
    // The drawing leaves the last column's direction and box, and the days it drew.
    EXPECT_EQ(form->StringGrid3.cell(1, 4), "×");
    EXPECT_EQ(form->StringGrid3.cell(1, 7), "1");
    EXPECT_EQ(form->Edit2.text(), "3");
    EXPECT_EQ(form->StringGrid2.cell(198, 2), "4");
    // A click on a box shows its level and date; on an empty cell nothing.
    form->StringGrid1MouseUp(3, 2);
    EXPECT_EQ(form->Edit5.text(), "1000");
    EXPECT_EQ(form->Edit4.text(), form->StringGrid2.cell(0, 1));
    form->StringGrid1MouseUp(4, 2);
    EXPECT_EQ(form->Edit5.text(), "1000");
    form->Edit4DblClick();
    EXPECT_EQ(form->Edit4.text(), form->StringGrid2.cell(0, 1));
}

TEST_F(ChartRun, TheLowestPriceOnALevelShowsInTheLastRow) {
    stock(1, "1301", {"970", "1000", "985"});  // oldest 985, then 1000, newest 970
    form->Edit2.setText("3");
    chart("1301");
    // Levels 1000, 985, 970: the fall to 970 draws the box of row 4.
    EXPECT_EQ(mark(2, 4), "〇");
}

TEST_F(ChartRun, FewerPricedDaysThanShownLowerTheDaysShown) {
    stock(1, "1301", std::vector<std::string>(320, "1000"));
    chart("1301");
    EXPECT_EQ(form->Edit2.text(), "320");
    EXPECT_EQ(form->StringGrid1.colCount(), 4);
}

TEST_F(ChartRun, AStockListedAfterTheFirstShownDayStillCharts) {
    std::vector<std::string> prices(10, "1000");
    prices[9] = " ";  // the oldest counted day holds a space
    prices[8] = "955";
    stock(1, "1301", prices);
    form->Edit2.setText("10");
    chart("1301");
    EXPECT_TRUE(platform.errors.empty()) << platform.errors.front();
    // Drawing starts at day 9; the days shown stay as the priced days counted.
    EXPECT_EQ(form->Edit2.text(), "10");
    EXPECT_EQ(mark(3, 4), "×");
}

TEST_F(ChartRun, AHugeNumberOfDaysShownChartsTheDaysThereAre) {
    stock(1, "1301", {"1000", "955", "1000", "985"});
    form->Edit2.setText("2000000000");
    chart("1301");
    EXPECT_TRUE(platform.errors.empty()) << platform.errors.front();
    EXPECT_EQ(form->Edit2.text(), "4");
    EXPECT_EQ(mark(3, 2), "×");
}

TEST_F(ChartRun, ATinyRatioBecomesTheFloorButExactlyTheFloorStaysAsTyped) {
    stock(1, "1301", {"1000", "990", "980", "970", "960"});
    form->Edit3.setText("0.001");
    chart("1301");
    EXPECT_EQ(form->Edit3.text(), "0.002");
    form->Edit3.setText("0.0020");
    chart("1301");
    EXPECT_EQ(form->Edit3.text(), "0.0020");
}

TEST_F(ChartRun, CohenMethodDrawsFromRowOne) {
    stock(1, "1301", {"1234", "1100", "1234"});
    form->Edit2.setText("3");
    form->Edit3.setText("コーエン");
    chart("1301");
    ASSERT_TRUE(platform.errors.empty()) << platform.errors.front();
    EXPECT_EQ(form->StringGrid1.cell(1, 1), "1240");
    EXPECT_EQ(mark(2, 7), "〇");  // the fall to 1100 reaches the last row
    EXPECT_EQ(mark(3, 1), "×");   // the rise to 1234 reaches row 1
}

TEST_F(ChartRun, CohenPricesAboveTheLadderDrawFromRowOne) {
    stock(1, "1301", {"150000000", "90000000", "150000000"});
    form->Edit2.setText("3");
    form->Edit3.setText("コーエン");
    chart("1301");
    ASSERT_TRUE(platform.errors.empty()) << platform.errors.front();
    EXPECT_EQ(mark(2, 11), "〇");  // the fall to the first level above 90000000
    EXPECT_EQ(mark(3, 1), "×");    // the rise above 100000000 reaches row 1
}

TEST_F(ChartRun, CodesTypedFullWidthOrWithALetterAreFound) {
    stock(1, "6218見本", {"1000", "985", "970", "955", "940"});
    stock(2, "130A見本新興", {"1000", "1015", "1030", "1045", "1060"});
    for (const auto& [typed, found] : std::vector<std::pair<std::string, std::string>>{
             {"６２１８", "6218見本"}, {"１３０ａ", "130A見本新興"}, {"130a", "130A見本新興"}}) {
        chart(typed);
        EXPECT_EQ(form->Edit1.text(), found) << typed;
    }
    EXPECT_TRUE(platform.errors.empty()) << platform.errors.front();
}

TEST_F(ChartRun, BadNumbersEndTheRunWithTheirMessage) {
    stock(1, "1301", {"1000", "abc", "980", "970", "960"});
    chart("1301");
    EXPECT_EQ(platform.errors, std::vector<std::string>{"'abc' は整数ではありません."});
    form->Edit2.setText("x");
    chart("1301");
    EXPECT_EQ(platform.errors.back(), "'x' は整数ではありません.");
}

TEST_F(ChartRun, AnEarlierTallerChartLeavesNothingBehind) {
    stock(1, "1301", {"1000", "500", "1000"});
    stock(2, "1302", {"1000", "990", "1000"});
    form->Edit2.setText("3");
    chart("1301");
    chart("1302");
    for (int row = 1; row < 200; ++row)
        for (int col = 2; col < 10; ++col) ASSERT_EQ(mark(col, row), "") << col << "," << row;
}

TEST_F(ChartRun, KouhoModeWithoutCandidateDataAsksForTheLoad) {
    form->Edit8.setText("kouho");
    form->StringGrid3.setCell(3, 13, "0");
    form->StringGrid3.setCell(3, 14, "0");
    chart("6752");
    EXPECT_TRUE(form->Panel5.visible);
    EXPECT_EQ(form->Panel5.caption, "ｋｏｕｈｏデータを読み込んでください。");
}

TEST_F(ChartRun, KouhoModeWithACodeOutsideTheCodeListAsksToCheckIt) {
    form->Edit8.setText("kouho");
    form->StringGrid8.setRowCount(2);
    form->StringGrid8.setCell(0, 1, "1301,見本水産");
    form->StringGrid10.setCell(5, 0, "2001/09/05");  // the candidate dates are loaded
    form->Button37.caption = "選別中";
    form->StringGrid1.setCell(40, 3, "sentinel");
    chart("6752");
    EXPECT_EQ(platform.messages, std::vector<std::string>{"コードを確認して下さい。"});
    EXPECT_EQ(form->Button37.caption, "選別");
    EXPECT_EQ(form->StringGrid3.cell(3, 15), "0");
    EXPECT_EQ(form->StringGrid1.cell(40, 3), "sentinel");  // nothing cleared or drawn
    EXPECT_FALSE(form->Panel5.visible);
}

TEST_F(ChartRun, KouhoModeChartsACandidateRow) {
    form->Edit8.setText("kouho");
    form->StringGrid8.setRowCount(3);
    form->StringGrid8.setCell(0, 1, "1301,見本水産");
    form->StringGrid8.setCell(0, 2, "6752,見本電機");
    form->StringGrid10.setColCount(402);
    form->StringGrid10.setRowCount(3);
    const std::vector<std::string> prices{"1000", "985", "970", "955", "940", "925"};
    for (int day = 1; day <= 6; ++day) {
        form->StringGrid10.setCell(day, 0, "2001/09/0" + std::to_string(day));
        form->StringGrid10.setCell(day, 2, prices[static_cast<std::size_t>(day) - 1]);
    }
    form->StringGrid10.setCell(0, 2, "6752見本電機");
    form->Edit2.setText("6");
    chart("6752");
    ASSERT_TRUE(platform.errors.empty()) << platform.errors.front();
    EXPECT_EQ(form->Edit1.text(), "6752見本電機");
    EXPECT_EQ(form->StringGrid3.cell(1, 1), "2");
    EXPECT_EQ(form->StringGrid3.cell(3, 15), "2");
    EXPECT_EQ(mark(3, 2), "×");  // the newest day is the highest
    EXPECT_EQ(form->StringGrid4.cell(2, 1), "2001/09/01");
}

}  // namespace

// The chart run computes a chart value and writes it into the tables; run one by one, the
// handlers write the same cells. Every sample stock, drawn and screened, on both scales.
TEST(ChartValue, WritesTheCellsTheHandlersWriteOneByOne) {
    HeadlessPlatform platform;
    TForm1 typed(platform, {data::DataRoot{testing_support::sampleRoot()}, {}});
    TForm1 oneByOne(platform, {data::DataRoot{testing_support::sampleRoot()}, {}});
    for (TForm1* form : {&typed, &oneByOne}) form->Button2Click();
    const auto grids = [](const TForm1& form) {
        std::string cells;
        for (const WorkingTable* grid : {&form.StringGrid1, &form.StringGrid5}) {
            cells += std::to_string(grid->rowCount()) + "x" + std::to_string(grid->colCount());
            for (int row = 0; row < grid->rowCount(); ++row)
                cells += "\n" + grid->rowToCommaText(row);
        }
        for (int row = 1; row <= 20; ++row) cells += "|" + form.StringGrid3.rowToCommaText(row);
        for (int row = 1; row < form.StringGrid2.storedRowCount(); ++row)
            cells += "," + form.StringGrid2.cell(198, row);
        return cells + form.Edit2.text();
    };
    int compared = 0;
    for (const char* ratio : {"0.015", "コーエン"})
        for (const bool screening : {false, true})
            for (int col = 1; col <= 197; col += 7) {
                for (TForm1* form : {&typed, &oneByOne}) {
                    form->Edit1.setText(form->StringGrid2.cell(col, 0));
                    form->Edit2.setText(col % 2 ? "500" : "120");
                    form->Edit3.setText(ratio);
                    form->Button37.caption = screening ? "選別中" : "選別";
                    for (int c : {1, 2, 3, 4, 5})
                        for (int r : {18, 19}) form->StringGrid3.setCell(c, r, "0");
                }
                typed.Button3Click();
                // The same run with the engine's steps as separate handlers, over the
                // series the chart run copied.
                oneByOne.Button3Click();
                for (WorkingTable* grid : {&oneByOne.StringGrid1, &oneByOne.StringGrid5})
                    for (int row = 1; row < grid->rowCount(); ++row) grid->clearRow(row);
                oneByOne.Edit2.setText(col % 2 ? "500" : "120");
                oneByOne.Button4Click();
                ratio == std::string("0.015") ? oneByOne.Button5Click() : oneByOne.Button28Click();
                oneByOne.Button12Click();
                if (screening) {
                    for (int c : {1, 2, 3, 4, 5})
                        for (int r : {18, 19}) oneByOne.StringGrid3.setCell(c, r, "0");
                    oneByOne.Button38Click();
                    oneByOne.Button39Click();
                } else {
                    oneByOne.Button6Click();
                }
                ASSERT_EQ(grids(typed), grids(oneByOne)) << "column " << col << " " << ratio;
                ++compared;
            }
    EXPECT_TRUE(platform.errors.empty());
    EXPECT_EQ(compared, 4 * 29);
}
