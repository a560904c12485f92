// The screening run "選別", its range resolution and the results list.
#include <gtest/gtest.h>

#include "screening/screening.h"
#include "tests/screening/screening_fixture.h"

namespace {

using namespace screening_testing;
using Codes = std::vector<std::string>;

// Twelve days: the series after quiet days at its first price.
std::vector<std::string> twelveDays(std::vector<std::string> series) {
    while (series.size() < 12) series.insert(series.begin(), series.front());
    return series;
}

struct ScreeningRun : ::testing::Test, ScreeningForm {
    void screen() { form->run(&TForm1::Button37Click); }
    const std::string& setting(int col, int row) const { return form->StringGrid3.cell(col, row); }
};

// --- Range resolution -----------------------------------------------------------

TEST_F(ScreeningRun, RangeWithAStartCodeAbsentFromTheCodeList) {
    codes({"5999 前", "6001 後", "6500 中", "6999 末", "7001 外"});
    candidateRow(4, "6999 末", twelveDays(kNoPattern));
    form->run(&TForm1::Button33Click);
    EXPECT_EQ(firstError(), "");
    EXPECT_EQ(setting(3, 13), "1");  // the last code below 6000
    EXPECT_EQ(setting(1, 13), "5999 前");
    EXPECT_EQ(setting(3, 14), "4");
    EXPECT_EQ(setting(1, 14), "6999 末");
    EXPECT_EQ(form->Edit6.text(), "6000");  // "quendal": the fields stay as typed
}

TEST_F(ScreeningRun, RangeInKouhoModeSkipsRowsWithoutLoadedPrices) {
    form->Edit8.setText("kouho");
    codes({"5999 前", "6001 後", "6500 中", "6999 末", "7001 外"});
    candidateRow(2, "6001 後", twelveDays(kNoPattern));
    candidateRow(3, "6500 中", twelveDays(kNoPattern));
    form->StringGrid3.setCell(1, 16, "1");
    form->run(&TForm1::Button33Click);
    EXPECT_EQ(firstError(), "");
    // Start: row 1 has no candidate prices while data is loaded, so row 2.
    EXPECT_EQ(setting(3, 13), "2");
    EXPECT_EQ(form->Edit6.text(), "6001 後");
    // End: row 4 has no candidate prices, so row 3 (whatever the flag says).
    EXPECT_EQ(setting(3, 14), "3");
    EXPECT_EQ(setting(1, 14), "6500 中");
    EXPECT_EQ(form->Edit7.text(), "6500 中");
}

TEST_F(ScreeningRun, CodeListRowThatIsNoNumberStopsTheRunInScreeningMode) {
    codes({"5999 前", "見出し", "6999 末"});
    screen();
    EXPECT_EQ(firstError(), "'見出し' は整数ではありません.");
    // The run still leaves screening mode, so later charts draw again.
    EXPECT_EQ(form->Button37.caption, "選別");
}

// --- The run ----------------------------------------------------------------------

TEST_F(ScreeningRun, StartAboveEndChangesOnlyTheCodeField) {
    form->Edit6.setText("7000");
    form->StringGrid11.setCell(1, 1, "old");
    screen();
    EXPECT_EQ(form->Edit1.text(), "7000");
    EXPECT_EQ(form->StringGrid11.cell(1, 1), "old");
    EXPECT_EQ(form->Button37.caption, "選別");
    EXPECT_FALSE(form->StringGrid11.visible);
}

TEST_F(ScreeningRun, QuendalPassStartsAfterTheRangeStartRowAndWrapsRound) {
    codes({"1001", "1002", "1003", "1004", "1005", "1006"});
    for (int col = 1; col <= 5; ++col) stock(col, "S" + std::to_string(col), kDoubleTop);
    form->Edit6.setText("1003");
    form->Edit7.setText("1006");
    form->Edit2.setText("5");
    screen();
    EXPECT_EQ(firstError(), "");
    EXPECT_EQ(listed(1), (Codes{"S4", "S5", "S1", "S2", "S3"}));
    EXPECT_EQ(form->Button37.caption, "選別");
    EXPECT_TRUE(form->StringGrid11.visible);
    EXPECT_EQ(form->StringGrid11.rowCount(), 6);
    EXPECT_EQ(form->StringGrid11.cell(0, 5), "5");
    EXPECT_EQ(form->StringGrid11.cell(1, 0), "ダブルトップ");
    EXPECT_EQ(form->StringGrid11.cell(10, 0), "弱気の三角形");
}

TEST_F(ScreeningRun, OneStockCanBeListedUnderDoubleTopAndTripleTop) {
    codes({"1001"});
    stock(1, "1301 見本水産", kTripleTop);
    stock(2, "1332 見本食品", kDoubleTop);
    form->Edit6.setText("1000");
    form->Edit7.setText("1001");
    form->Edit2.setText("7");
    screen();
    EXPECT_EQ(listed(1), (Codes{"1301 見本水産", "1332 見本食品"}));
    EXPECT_EQ(listed(5), (Codes{"1301 見本水産"}));
    EXPECT_EQ(setting(1, 18), "2");
    EXPECT_EQ(setting(3, 18), "1");
}

TEST_F(ScreeningRun, AShortHistoryDoesNotShortenTheStocksAfterIt) {
    codes({"1001"});
    stock(1, "1301 短い", kDoubleTop);  // five days: lowers the days shown
    stock(2, "1332 長い", kTripleTop);  // needs all seven days for its triple top
    form->Edit6.setText("1000");
    form->Edit7.setText("1001");
    form->Edit2.setText("7");
    screen();
    EXPECT_EQ(listed(5), (Codes{"1332 長い"}));
    EXPECT_EQ(form->Edit2.text(), "7");  // still the user's days shown after the run
}

TEST_F(ScreeningRun, TheListShowsItsLongestColumnEvenWithoutDoubleTops) {
    codes({"1001"});
    stock(1, "1301", kDoubleBottom);
    stock(2, "1332", kDoubleBottom);
    stock(3, "1333", kNoPattern);
    form->Edit6.setText("1000");
    form->Edit7.setText("1001");
    screen();
    EXPECT_EQ(listed(2), (Codes{"1301", "1332"}));
    EXPECT_EQ(setting(1, 18), "0");
    EXPECT_EQ(form->StringGrid11.rowCount(), 3);
    EXPECT_EQ(form->StringGrid11.cell(0, 2), "2");
}

TEST_F(ScreeningRun, ANewRunClearsEveryColumnOfTheOldList) {
    codes({"1001"});
    stock(1, "1301", kNoPattern);
    form->StringGrid11.setCell(10, 3, "old");
    form->StringGrid11.setCell(0, 3, "3");
    form->Edit6.setText("1000");
    form->Edit7.setText("1001");
    screen();
    EXPECT_EQ(form->StringGrid11.cell(10, 3), "");
    EXPECT_EQ(form->StringGrid11.cell(0, 3), "");
    EXPECT_EQ(form->StringGrid11.rowCount(), 1);
}

TEST_F(ScreeningRun, AnErrorInAChartRunEndsTheRunButLeavesScreeningModeAndKeepsTheList) {
    codes({"1001"});
    stock(1, "1301", kDoubleTop);
    stock(2, "1332", {"900", "abc", "950", "750", "1000"});
    stock(3, "1333", kDoubleTop);
    form->Edit6.setText("1000");
    form->Edit7.setText("1001");
    form->Edit2.setText("5");
    screen();
    EXPECT_EQ(firstError(), "'abc' は整数ではありません.");
    EXPECT_EQ(listed(1), (Codes{"1301"}));
    EXPECT_EQ(form->Button37.caption, "選別");
    EXPECT_EQ(form->StringGrid11.rowCount(), 2);
}

struct KouhoScreening : ScreeningRun {
    KouhoScreening() {
        form->Edit8.setText("kouho");
        codes({"1001 一", "1002 二", "1003 三", "1004 四", "1005 五", "1006 六", "1007 七",
               "1008 八"});
        form->Edit6.setText("1003");
        form->Edit7.setText("1007");
    }
};

TEST_F(KouhoScreening, ScreensTheRowsAfterTheStartRowUpToTheEndRow) {
    for (int row = 3; row <= 7; ++row)
        candidateRow(row, form->StringGrid8.cell(0, row), twelveDays(kDoubleTop));
    form->StringGrid3.setCell(1, 16, "1");
    form->Edit2.setText("12");
    screen();
    EXPECT_EQ(firstError(), "");
    EXPECT_EQ(listed(1), (Codes{"1004 四", "1005 五", "1006 六", "1007 七"}));
    // Every iteration starts from "400"; the last one, at the end row, charts nothing.
    EXPECT_EQ(form->Edit2.text(), "400");
    EXPECT_EQ(form->Button37.caption, "選別");
}

TEST_F(KouhoScreening, ARowWithoutATenthDayPriceMakesTheNextIterationSkipItsStock) {
    candidateRow(3, "1003 三", twelveDays(kDoubleTop));
    candidateRow(4, "1004 四", twelveDays(kDoubleTop));
    candidateRow(5, "1005 五", kDoubleTop);  // five days only
    candidateRow(6, "1006 六", twelveDays(kDoubleTop));
    candidateRow(7, "1007 七", twelveDays(kDoubleTop));
    form->StringGrid3.setCell(1, 16, "1");
    screen();
    EXPECT_EQ(firstError(), "");
    // Row 5 is charted; the test of the next iteration looks at row 5, finds no tenth
    // day and moves the position past row 6 without charting it.
    EXPECT_EQ(listed(1), (Codes{"1004 四", "1005 五", "1007 七"}));
}

TEST_F(KouhoScreening, AnEmptyCodeCellEndsTheRunAtOnceAndLeavesScreeningMode) {
    // Start row 3 holds no candidate row; the flag is not set, so it stays the start.
    candidateRow(4, "1004 四", twelveDays(kDoubleTop));
    candidateRow(7, "1007 七", twelveDays(kDoubleTop));
    screen();
    EXPECT_EQ(firstError(), "");
    EXPECT_TRUE(listed(1).empty());
    EXPECT_EQ(setting(1, 1), "4");
    EXPECT_EQ(form->Button37.caption, "選別");
    EXPECT_EQ(form->StringGrid11.rowCount(), 1);
}

TEST_F(KouhoScreening, ARangeOfThreeRowsScreensAtMostTwoStocks) {
    for (int row = 3; row <= 5; ++row)
        candidateRow(row, form->StringGrid8.cell(0, row), twelveDays(kDoubleTop));
    form->Edit7.setText("1005");
    form->StringGrid3.setCell(1, 16, "1");
    screen();
    EXPECT_EQ(listed(1), (Codes{"1004 四", "1005 五"}));
}

// --- The results list ---------------------------------------------------------------

TEST_F(ScreeningRun, AClickOnAListedCodeChartsIt) {
    codes({"1001"});
    stock(1, "1301 見本水産", kDoubleTop);
    stock(2, "1332 見本食品", kDoubleTop);
    form->Edit6.setText("1000");
    form->Edit7.setText("1001");
    form->Edit2.setText("5");
    screen();
    form->StringGrid1.setCell(40, 3, "sentinel");
    form->run([&] { form->StringGrid11MouseUp(1, 1); });
    EXPECT_EQ(firstError(), "");
    EXPECT_EQ(form->Edit1.text(), "1301 見本水産");
    EXPECT_EQ(setting(1, 1), "1");
    EXPECT_EQ(form->StringGrid1.cell(40, 3), "");
    EXPECT_EQ(platform.waitDepth, 0);
}

TEST_F(ScreeningRun, AClickOnAnEmptyCellOrOutsideTheListDoesNothing) {
    form->StringGrid11.setRowCount(3);
    form->StringGrid11.setCell(2, 1, " ");
    form->Edit1.setText("1301");
    form->StringGrid1.setCell(40, 3, "sentinel");
    form->run([&] { form->StringGrid11MouseUp(3, 1); });
    form->run([&] { form->StringGrid11MouseUp(2, 1); });
    form->run([&] { form->StringGrid11MouseUp(-1, -1); });
    form->StringGrid11.setCell(1, 7, "1301");
    form->run([&] { form->StringGrid11MouseUp(1, 7); });  // below the rows shown
    EXPECT_EQ(firstError(), "");
    EXPECT_EQ(form->Edit1.text(), "1301");
    EXPECT_EQ(form->StringGrid1.cell(40, 3), "sentinel");
}

}  // namespace
