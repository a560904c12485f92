// The screening column build and the pattern check as the form runs them: box
// indexes in price-table column 198, marks and records in the grids, the stock code
// in the results list.
#include <gtest/gtest.h>

#include <initializer_list>
#include <optional>

#include "chart/patterns.h"
#include "screening/screening_build.h"
#include "tables/errors.h"
#include "tests/support.h"

namespace {

using testing_support::FormFixture;

std::string dateOf(int day) {
    return "2024/03/" + std::to_string(40 - day);
}
std::string priceOf(int box) {
    return std::to_string(2000 - 10 * box);
}

// Lays a series into the form as the chart run leaves it before the build: box
// indexes oldest first; nothing stands for a day without a price.
void laySeries(TForm1& form, const std::string& code,
               std::initializer_list<std::optional<int>> oldestFirst) {
    const int n = static_cast<int>(oldestFirst.size());
    for (int r = 1; r < 60; ++r) {
        form.StringGrid1.clearRow(r);
        form.StringGrid5.clearRow(r);
    }
    int day = n;
    for (const auto& box : oldestFirst) {
        form.StringGrid2.setCell(198, day, box ? std::to_string(*box) : "");
        form.StringGrid2.setCell(199, day, box ? priceOf(*box) : " ");
        form.StringGrid4.setCell(2, day, dateOf(day));
        --day;
    }
    form.Edit1.setText(code);
    form.Edit2.setText(std::to_string(n));
}

void resetCounters(TForm1& form) {
    for (int col = 1; col <= 5; ++col) {
        form.StringGrid3.setCell(col, 18, "0");
        form.StringGrid3.setCell(col, 19, "0");
    }
}

void screen(TForm1& form, const std::string& code,
            std::initializer_list<std::optional<int>> oldestFirst) {
    laySeries(form, code, oldestFirst);
    form.Button38Click();
    form.Button39Click();
}

std::vector<std::string> listColumn(const TForm1& form, int col) {
    std::vector<std::string> codes;
    for (int row = 1; !form.StringGrid11.cell(col, row).empty(); ++row)
        codes.push_back(form.StringGrid11.cell(col, row));
    return codes;
}

TEST(ScreeningColumnBuildCells, WritesMarksDatesRecordsAndTheLastColumn) {
    FormFixture f;
    TForm1& form = *f.form;
    laySeries(form, "7203 トヨタ", {5, 6, 7, 4, 3, 6});
    form.Button38Click();

    EXPECT_EQ(form.StringGrid1.cell(2, 7), "〇");
    EXPECT_EQ(form.StringGrid1.cell(2, 8), "〇");
    EXPECT_EQ(form.StringGrid1.cell(2, 6), "");  // the start box is never marked
    for (int row : {4, 5, 6, 7}) EXPECT_EQ(form.StringGrid1.cell(3, row), "×");
    for (int row : {5, 6, 7}) EXPECT_EQ(form.StringGrid1.cell(4, row), "〇");
    EXPECT_EQ(form.StringGrid5.cell(3, 4), dateOf(2));
    EXPECT_EQ(form.StringGrid5.cell(3, 7), dateOf(3));

    // Records: box index "A" price "B" date; column 2's top is the undated start box.
    EXPECT_EQ(form.StringGrid5.cell(2, 0), "5A" + priceOf(5) + "B");
    EXPECT_EQ(form.StringGrid5.cell(2, 1), "7A" + priceOf(7) + "B" + dateOf(4));
    EXPECT_EQ(form.StringGrid5.cell(3, 0), "3A" + priceOf(3) + "B" + dateOf(2));
    // Derived on the reversal: one box up, price and date of the record it came from.
    EXPECT_EQ(form.StringGrid5.cell(3, 1), "6A" + priceOf(7) + "B" + dateOf(4));
    EXPECT_EQ(form.StringGrid5.cell(4, 0), "4A" + priceOf(3) + "B" + dateOf(2));

    EXPECT_EQ(form.StringGrid3.cell(1, 17), "4");
    EXPECT_EQ(form.StringGrid3.cell(1, 4), "〇");
    EXPECT_EQ(form.StringGrid3.cell(1, 7), "6");
    EXPECT_EQ(form.StringGrid1.colCount(), 6);
    EXPECT_EQ(form.StringGrid5.colCount(), 6);
    EXPECT_EQ(form.Edit2.text(), "6");
    EXPECT_EQ(f.platform.waitDepth, 0);
}

TEST(ScreeningColumnBuildCells, DaysWithoutPriceLowerTheDaysShown) {
    FormFixture f;
    TForm1& form = *f.form;
    laySeries(form, "1301", {1, 1, 20, std::nullopt, 21, 23, std::nullopt, 26});
    form.Button38Click();
    EXPECT_EQ(form.Edit2.text(), "6");
    EXPECT_EQ(form.StringGrid5.cell(2, 0), "20A" + priceOf(20) + "B");
    EXPECT_EQ(form.StringGrid1.cell(2, 2), "");  // days 7 and 8 are not used
}

TEST(ScreeningColumnBuildCells, OldestCountedDayWithoutIndexStartsAtTheNextDayThatHasOne) {
    FormFixture f;
    TForm1& form = *f.form;
    laySeries(form, "1301", {std::nullopt, 40, std::nullopt, 10, 11, 12, 13, 14, 15, 16});
    form.Button38Click();
    // The build starts at day 7; the days shown stay as the days counted.
    EXPECT_EQ(form.Edit2.text(), "8");
    EXPECT_EQ(form.StringGrid5.cell(2, 0), "10A" + priceOf(10) + "B");
    EXPECT_EQ(form.StringGrid3.cell(1, 7), "16");
}

TEST(ScreeningColumnBuildCells, ABoxIndexThatIsNoNumberStopsTheBuild) {
    FormFixture f;
    TForm1& form = *f.form;
    laySeries(form, "1301", {5, 6, 7});
    form.StringGrid2.setCell(198, 2, "x");
    try {
        form.Button38Click();
        FAIL() << "no error";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.message(), "'x' は整数ではありません");
    }
    EXPECT_EQ(f.platform.waitDepth, 0);
}

TEST(PatternCheckCells, ListsTheStockUnderDoubleTopAndTripleTopInOnePass) {
    FormFixture f;
    TForm1& form = *f.form;
    resetCounters(form);
    screen(form, "1301 極洋", {10, 15, 8, 14, 8, 14, 7});
    screen(form, "1332 日水", {10, 15, 8, 14, 7});  // double top only
    screen(form, "1333", {10, 15, 8, 14, 8});       // same row only: nothing

    EXPECT_EQ(listColumn(form, 1), (std::vector<std::string>{"1301 極洋", "1332 日水"}));
    EXPECT_EQ(listColumn(form, 5), (std::vector<std::string>{"1301 極洋"}));
    EXPECT_EQ(form.StringGrid3.cell(1, 18), "2");
    EXPECT_EQ(form.StringGrid3.cell(3, 18), "1");
    for (int col : {2, 3, 4, 6, 7, 8, 9, 10}) EXPECT_TRUE(listColumn(form, col).empty());
    EXPECT_EQ(form.StringGrid3.cell(1, 19), "0");
}

TEST(PatternCheckCells, AnUnmarkedColumnTwoMatchesNothingWhateverItsRecordsSay) {
    FormFixture f;
    TForm1& form = *f.form;
    resetCounters(form);
    // Starts rising: column 2 stays empty. Its row-0 record is left over from an
    // earlier stock and, read as it stands, would make a triple bottom with column 4.
    laySeries(form, "3001", {20, 10, 16, 8, 17});
    form.StringGrid5.setCell(2, 0, "5A100B");
    form.StringGrid5.setCell(2, 1, "16A100B");
    form.Button38Click();
    ASSERT_EQ(form.StringGrid3.cell(1, 17), "6");
    form.StringGrid5.setCell(2, 1, "16A100B");
    form.Button39Click();
    EXPECT_EQ(listColumn(form, 2), (std::vector<std::string>{"3001"}));
    EXPECT_TRUE(listColumn(form, 6).empty());
}

}  // namespace
