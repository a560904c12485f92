// The candidate price file and "読込".
#include <gtest/gtest.h>

#include "tests/screening/screening_fixture.h"

namespace {

using namespace screening_testing;

const std::vector<std::string> kCodes = {"1301見本水産", "1332見本食品", "5000見本電機",
                                         "9997見本商事", "9999範囲外"};

struct CandidateLoad : ::testing::Test, ScreeningForm {
    CandidateLoad() {
        codes(kCodes);
        form->Edit8.setText("kouho");
        form->StringGrid3.setCell(1, 13, "6000");
        form->StringGrid3.setCell(1, 14, "6999");
    }
    void writeFile() {
        candidateFile(kCodes, {kDoubleTop, kNoPattern, kDoubleBottom, kDoubleTop, kNoPattern});
    }
    void load() { form->run(&TForm1::Button31Click); }
    const std::string& candidate(int col, int row) const {
        return form->StringGrid10.cell(col, row);
    }
    const std::string& setting(int col, int row) const { return form->StringGrid3.cell(col, row); }
    void leaveSentinel() { form->StringGrid1.setCell(40, 3, "sentinel"); }
    bool charted() const { return form->StringGrid1.cell(40, 3).empty(); }
};

TEST_F(CandidateLoad, DoesNothingInQuendalMode) {
    writeFile();
    form->Edit8.setText("quendal");
    form->Edit6.setText("1000");
    leaveSentinel();
    load();
    EXPECT_EQ(firstError(), "");
    EXPECT_EQ(form->Edit6.text(), "1000");
    EXPECT_EQ(candidate(0, 1), "");
    EXPECT_FALSE(charted());
}

TEST_F(CandidateLoad, ClampsTheRangeLoadsItsRowsAndChartsTheFirst) {
    writeFile();
    form->Edit6.setText("1000");
    form->Edit7.setText("9999");
    form->Panel5.visible = true;
    load();
    EXPECT_EQ(firstError(), "");
    // 1000 became 1301 and 9999 became 9997 before the range was resolved.
    EXPECT_EQ(setting(3, 13), "1");
    // The end row steps back over a row without candidate prices, and before the
    // load no row has any: 9997 (row 4) gives row 3, where 9999 would have given 4.
    EXPECT_EQ(setting(3, 14), "3");
    EXPECT_EQ(form->Edit6.text(), "1301見本水産");
    EXPECT_EQ(form->Edit7.text(), "5000見本電機");
    EXPECT_EQ(setting(1, 16), "1");
    EXPECT_FALSE(form->Panel5.visible);

    EXPECT_EQ(candidate(1, 0), dateOfDay(1));
    EXPECT_EQ(candidate(0, 3), "5000見本電機");
    EXPECT_EQ(candidate(1, 3), "700");  // newest day first
    EXPECT_EQ(candidate(0, 4), "");     // outside the range
    EXPECT_EQ(form->StringGrid10.rowCount(), 6);
    EXPECT_EQ(form->StringGrid10.colCount(), 402);

    EXPECT_EQ(form->Edit1.text(), "1301見本水産");
    EXPECT_EQ(setting(1, 10), "1301見本水産");
    EXPECT_EQ(setting(1, 1), "1");
    EXPECT_EQ(form->StringGrid2.cell(199, 1), "1000");
}

TEST_F(CandidateLoad, ASecondClickWithoutEditingTheRangeLoadsNothing) {
    writeFile();
    form->Edit6.setText("1301");
    form->Edit7.setText("1332");
    load();
    ASSERT_EQ(firstError(), "");
    candidateFile(kCodes, {{"1", "2", "3", "4", "5"}});
    leaveSentinel();
    load();
    EXPECT_EQ(candidate(1, 1), "1000");
    EXPECT_FALSE(charted());
}

TEST_F(CandidateLoad, EmptyPricesAndFullWidthSpacesBecomeEmptyCells) {
    writeCandidateLines({"日付,2024/05/02,2024/05/01,2024/04/30", "1301見本水産,1000,,　,990",
                         "1332見本食品, ,1000,1000,1000,1000"});
    form->StringGrid3.setCell(3, 13, "1");
    form->StringGrid3.setCell(3, 14, "2");
    form->run(&TForm1::Button35Click);
    form->run(&TForm1::Button32Click);
    EXPECT_EQ(firstError(), "");
    EXPECT_EQ(candidate(1, 1), "1000");
    EXPECT_EQ(candidate(2, 1), "");
    EXPECT_EQ(candidate(3, 1), "");
    EXPECT_EQ(candidate(4, 1), "990");
    // A space between commas ends no field of its own: the field is empty.
    EXPECT_EQ(candidate(1, 2), "");
    EXPECT_EQ(candidate(2, 2), "1000");
    EXPECT_EQ(setting(1, 16), "1");
}

TEST_F(CandidateLoad, RowsOutsideTheRangeKeepAnEarlierRange) {
    writeFile();
    form->StringGrid3.setCell(3, 13, "1");
    form->StringGrid3.setCell(3, 14, "1");
    form->run(&TForm1::Button32Click);
    form->StringGrid3.setCell(3, 13, "3");
    form->StringGrid3.setCell(3, 14, "3");
    form->run(&TForm1::Button32Click);
    EXPECT_EQ(candidate(0, 1), "1301見本水産");
    EXPECT_EQ(candidate(0, 3), "5000見本電機");
    EXPECT_EQ(candidate(0, 2), "");
}

TEST_F(CandidateLoad, AStartRowAfterTheEndRowLoadsNoRowButSetsTheFlagAndCharts) {
    writeFile();
    form->Edit6.setText("5000");
    form->Edit7.setText("1332");
    load();
    EXPECT_EQ(setting(3, 13), "3");
    EXPECT_EQ(setting(3, 14), "1");  // row 2 has no candidate prices
    EXPECT_EQ(setting(1, 16), "1");
    EXPECT_EQ(candidate(0, 3), "");
    // The chart run is made and stops at once: the stock has no candidate data.
    EXPECT_EQ(form->Edit1.text(), "5000見本電機");
    EXPECT_EQ(setting(1, 10), "5000見本電機");
}

TEST_F(CandidateLoad, AMissingFileStopsBeforeTheChartAndKeepsTheFlag) {
    form->Edit6.setText("1301");
    leaveSentinel();
    load();
    const auto path = data::pathText(root().candidateFile());
    EXPECT_EQ(firstError(), "ファイル " + path + " は開けません.");
    EXPECT_EQ(setting(1, 16), "0");
    EXPECT_FALSE(charted());
}

TEST_F(CandidateLoad, ARangeRowBeyondTheFileIsAListIndexError) {
    writeCandidateLines({"日付,2024/05/02", "1301見本水産,1000"});
    form->StringGrid3.setCell(3, 13, "1");
    form->StringGrid3.setCell(3, 14, "3");
    form->run(&TForm1::Button32Click);
    EXPECT_EQ(firstError(), "リストのインデックスが範囲を超えています (2)");
    EXPECT_EQ(candidate(0, 1), "1301見本水産");
    EXPECT_EQ(setting(1, 16), "0");
}

TEST_F(CandidateLoad, ASavedRangeCodeThatIsNoNumberStopsBeforeLoading) {
    writeFile();
    form->StringGrid3.setCell(1, 14, "末尾");
    form->Edit6.setText("1301");
    load();
    EXPECT_EQ(firstError(), "'末尾' は整数ではありません.");
    EXPECT_EQ(candidate(0, 1), "");
}

TEST_F(CandidateLoad, CodesWithALetterTakeTheirPlaceInTheRangeAndAreScreened) {
    const std::vector<std::string> lines = {"1301見本水産", "130A見本新興", "1332見本食品",
                                            "135A見本電池", "5000見本電機"};
    codes(lines);
    std::vector<std::vector<std::string>> series(lines.size(), kDoubleTop);
    for (auto& days : series)
        while (days.size() < 12) days.insert(days.begin(), days.front());
    candidateFile(lines, series);
    form->Edit6.setText("１３０ａ");  // as an input method gives it
    form->Edit7.setText("5000");
    load();
    EXPECT_EQ(firstError(), "");
    EXPECT_EQ(setting(3, 13), "2");
    EXPECT_EQ(form->Edit6.text(), "130A見本新興");
    EXPECT_EQ(form->Edit1.text(), "130A見本新興");  // charted
    EXPECT_EQ(setting(1, 1), "2");
    form->run(&TForm1::Button37Click);
    EXPECT_EQ(firstError(), "");
    EXPECT_EQ(listed(1), (std::vector<std::string>{"1332見本食品", "135A見本電池"}));
    // A digit code between 1301 and 130A starts the range at 1301.
    form->Edit6.setText("1305");
    form->run(&TForm1::Button33Click);
    EXPECT_EQ(setting(3, 13), "1");
}

TEST_F(CandidateLoad, ScreeningAfterTheLoadStartsAtTheFirstCodeAtOrAboveTheStartCode) {
    std::vector<std::vector<std::string>> series(kCodes.size(), kDoubleTop);
    for (auto& days : series)
        while (days.size() < 12) days.insert(days.begin(), days.front());
    candidateFile(kCodes, series);
    form->Edit6.setText("1302");  // not listed: the range starts at the row of 1301
    form->Edit7.setText("9997");
    load();
    form->run(&TForm1::Button37Click);
    EXPECT_EQ(firstError(), "");
    EXPECT_EQ(setting(3, 13), "1");
    EXPECT_EQ(listed(1), (std::vector<std::string>{"1332見本食品", "5000見本電機"}));
    EXPECT_EQ(form->Button37.caption, "選別");
}

}  // namespace
