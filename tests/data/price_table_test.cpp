#include <gtest/gtest.h>

#include "data/cp932.h"
#include "tests/support.h"

namespace {

struct PriceTableLoad : ::testing::Test, testing_support::FormFixture {
    void file(const std::string& text) {
        dir.writeRaw("quendal/デ-タ一覧.csv", data::utf8ToCp932(text));
    }
    const std::string& cell(int col, int row) { return form->StringGrid2.cell(col, row); }
};

TEST_F(PriceTableLoad, EmptyFieldsBecomeSpacesButATrailingCommaAddsNothing) {
    file(",1301,1302,1303\r\n2001/09/14,1200,,1300\r\n2001/09/13,1200,\n");
    form->Button2Click();
    EXPECT_EQ(cell(0, 1), "2001/09/14");
    EXPECT_EQ(cell(2, 1), " ");
    EXPECT_EQ(cell(3, 1), "1300");
    EXPECT_EQ(cell(2, 2), "");
    EXPECT_EQ(form->StringGrid2.colCount(), 200);
    EXPECT_EQ(form->StringGrid2.rowCount(), 3);
    EXPECT_EQ(platform.splashLines, std::vector<std::string>{"データ読み込み中..."});
}

TEST_F(PriceTableLoad, UnquotedSpaceSplitsAHeaderAndQuotesKeepItWhole) {
    file(",6752 見本電機,1301\r\n");
    form->Button2Click();
    EXPECT_EQ(cell(1, 0), "6752");
    EXPECT_EQ(cell(2, 0), "見本電機");
    EXPECT_EQ(cell(3, 0), "1301");
    file(",\"6752 見本電機\",1301\r\n");
    form->Button2Click();
    EXPECT_EQ(cell(1, 0), "6752 見本電機");
    EXPECT_EQ(cell(2, 0), "1301");
}

TEST_F(PriceTableLoad, OnlyTheFirstFourStockColumnsAreCutToWholeNumbers) {
    file(",a,b,c,d,e\r\nd1,985.5,-3.7,1200, ,985.5\r\n");
    form->Button2Click();
    EXPECT_EQ(cell(1, 1), "985");
    EXPECT_EQ(cell(2, 1), "-3");
    EXPECT_EQ(cell(3, 1), "1200");
    EXPECT_EQ(cell(4, 1), " ");
    EXPECT_EQ(cell(5, 1), "985.5");
}

TEST_F(PriceTableLoad, ShiftJisHeadersAreReadAsText) {
    dir.writeRaw("quendal/デ-タ一覧.csv", ",6752\x8c\xa9\x96\x7b\r\n");  // 6752見本
    form->Button2Click();
    EXPECT_EQ(cell(1, 0), "6752見本");
}

TEST_F(PriceTableLoad, LongLinesKeepTwoHundredFieldsAndAnEmptyFileOneRow) {
    std::string line;
    for (int i = 0; i < 230; ++i) line += std::to_string(i) + ",";
    file(line + "\r\n");
    form->Button2Click();
    EXPECT_EQ(cell(199, 0), "199");
    EXPECT_EQ(cell(200, 0), "");
    file("");
    form->Button2Click();
    EXPECT_EQ(form->StringGrid2.rowCount(), 1);
}

TEST_F(PriceTableLoad, FailuresShowTheSystemMessages) {
    form->run(&TForm1::Button2Click);
    ASSERT_EQ(platform.errors.size(), 1u);
    EXPECT_EQ(platform.errors[0],
              "ファイル " + (dir.path() / "quendal/デ-タ一覧.csv").string() + " は開けません.");
    file(",a\r\nd,12x\r\n");
    form->run(&TForm1::Button2Click);
    EXPECT_EQ(platform.errors.back(), "'12x' は浮動小数点数ではありません.");
    EXPECT_EQ(platform.waitDepth, 0);
}

}  // namespace
