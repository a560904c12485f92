#include "tables/working_table.h"

#include <gtest/gtest.h>

#include "tables/comma_text.h"
#include "tables/errors.h"

namespace {

using Fields = std::vector<std::string>;

Fields row(const WorkingTable& table, int r, int columns) {
    Fields out;
    for (int c = 0; c < columns; ++c) out.push_back(table.cell(c, r));
    return out;
}

TEST(WorkingTableStorage, NeverWrittenCellsReadEmptyEvenFarOutside) {
    WorkingTable table(5, 5);
    EXPECT_EQ(table.cell(0, 0), "");
    EXPECT_EQ(table.cell(100000, 7), "");
    EXPECT_EQ(table.cell(3, 1000000), "");
    EXPECT_EQ(table.cell(-1, -1), "");
}

TEST(WorkingTableStorage, CellsBeyondTheCountsAreKept) {
    WorkingTable chart(100, 120);
    chart.setCell(5, 100, "×");
    chart.setRowCount(10);
    EXPECT_EQ(chart.rowCount(), 10);
    EXPECT_EQ(chart.cell(5, 100), "×");
    chart.setRowCount(120);
    EXPECT_EQ(chart.cell(5, 100), "×");
    chart.setCell(400, 5000, "x");
    EXPECT_EQ(chart.cell(400, 5000), "x");
}

TEST(WorkingTableStorage, CountsBelowOneAreOneAndFixedRowsShrink) {
    WorkingTable table(5, 5, 1, 1);
    table.setRowCount(0);
    EXPECT_EQ(table.rowCount(), 1);
    EXPECT_EQ(table.fixedRows(), 0);
    table.setColCount(-3);
    EXPECT_EQ(table.colCount(), 1);
    EXPECT_EQ(table.fixedCols(), 0);
}

TEST(WorkingTableStorage, ClearRowEmptiesEveryColumnAlsoBeyondTheCount) {
    WorkingTable table(3, 3);
    table.setCell(1, 1, "a");
    table.setCell(300, 1, "b");
    table.setCell(1, 2, "kept");
    table.clearRow(1);
    EXPECT_EQ(table.cell(1, 1), "");
    EXPECT_EQ(table.cell(300, 1), "");
    EXPECT_EQ(table.cell(1, 2), "kept");
}

TEST(WorkingTableStorage, NegativeWritesAreRefusedAsListIndexErrors) {
    WorkingTable table(3, 3);
    EXPECT_THROW(table.setCell(-1, 0, "x"), EListError);
}

TEST(CommaTextReading, EmptyMiddleFieldIsStoredAsSpaceAndExtraFieldsDropped) {
    WorkingTable table(5, 5);
    table.rowFromCommaText(1, "a,,c");
    EXPECT_EQ(row(table, 1, 4), (Fields{"a", " ", "c", ""}));
    table.rowFromCommaText(2, "1,2,3,4,5,6,7");
    EXPECT_EQ(row(table, 2, 7), (Fields{"1", "2", "3", "4", "5", "", ""}));
}

TEST(CommaTextReading, QuotedFieldsKeepCommasSpacesAndDoubledQuotes) {
    EXPECT_EQ(tables::splitCommaText("\"a, b\",word"), (Fields{"a, b", "word"}));
    EXPECT_EQ(tables::splitCommaText("\"say \"\"hi\"\"\""), (Fields{"say \"hi\""}));
    EXPECT_EQ(tables::splitCommaText("\"\",x"), (Fields{"", "x"}));
}

TEST(CommaTextReading, BlanksEndUnquotedFields) {
    EXPECT_EQ(tables::splitCommaText("6752 松下"), (Fields{"6752", "松下"}));
    EXPECT_EQ(tables::splitCommaText("  a ,\tb  "), (Fields{"a", "b"}));
    // A full-width space is not a blank.
    EXPECT_EQ(tables::splitCommaText("1,　,2"), (Fields{"1", "　", "2"}));
}

TEST(CommaTextReading, TrailingCommaAddsNoFieldButTwoCommasAddOne) {
    EXPECT_EQ(tables::splitCommaText("2001/09/14,1200,"), (Fields{"2001/09/14", "1200"}));
    EXPECT_EQ(tables::splitCommaText("a,,"), (Fields{"a", ""}));
    EXPECT_EQ(tables::splitCommaText(""), Fields{});
    EXPECT_EQ(tables::splitCommaText(",a"), (Fields{"", "a"}));
}

TEST(CommaTextReading, TwoHundredFieldsFitTheUsualWidth) {
    WorkingTable table(200, 2);
    std::string line;
    for (int i = 0; i < 230; ++i) line += std::to_string(i) + ",";
    table.rowFromCommaText(0, line);
    EXPECT_EQ(table.cell(199, 0), "199");
    EXPECT_EQ(table.cell(200, 0), "");
}

TEST(CommaTextWriting, EmptyCellsGiveNothingAndBlanksAreQuoted) {
    WorkingTable table(4, 2);
    table.setCell(0, 0, "a");
    table.setCell(2, 0, " ");
    table.setCell(3, 0, "b");
    EXPECT_EQ(table.rowToCommaText(0), "a,,\" \",b");
}

TEST(CommaTextWriting, QuotesCommasAndControlCharacters) {
    WorkingTable table(3, 1);
    table.setCell(0, 0, "6752 松下");
    table.setCell(1, 0, "a\"b");
    table.setCell(2, 0, "x,y");
    EXPECT_EQ(table.rowToCommaText(0), "\"6752 松下\",\"a\"\"b\",\"x,y\"");
}

TEST(CommaTextWriting, OneEmptyColumnIsWrittenAsTwoQuotes) {
    WorkingTable table(1, 1);
    EXPECT_EQ(table.rowToCommaText(0), "\"\"");
    WorkingTable wide(3, 1);
    EXPECT_EQ(wide.rowToCommaText(0), ",,");
}

TEST(CommaTextWriting, WriteThenReadTurnsEmptyCellsBeforeValuesIntoSpaces) {
    WorkingTable table(5, 2);
    table.setCell(1, 0, "x");
    table.setCell(3, 0, " ");
    const std::string text = table.rowToCommaText(0);
    table.rowFromCommaText(1, text);
    EXPECT_EQ(row(table, 1, 5), (Fields{" ", "x", " ", " ", ""}));
    // A quoted code with a space reads back whole.
    table.setCell(0, 0, "6752 松下");
    table.rowFromCommaText(1, table.rowToCommaText(0));
    EXPECT_EQ(table.cell(0, 1), "6752 松下");
}

TEST(LineList, SplitsAtEveryLineEndAndStoresEmptyLinesAsSpaces) {
    EXPECT_EQ(tables::splitLines("a\r\nb\rc\nd\n"), (Fields{"a", "b", "c", "d"}));
    EXPECT_EQ(tables::splitLines("a\n\nb"), (Fields{"a", "", "b"}));
    EXPECT_EQ(tables::splitLines(""), Fields{});
    WorkingTable table(5, 2);
    table.rowFromLineList(0, "x\n\ny, z\n");
    EXPECT_EQ(row(table, 0, 4), (Fields{"x", " ", "y, z", ""}));
}

}  // namespace

namespace {

TEST(WorkingTableStorage, NumbersAreDecimalTextAndOnlyAChangeCountsAsOne) {
    WorkingTable table(5, 5);
    table.setNumber(1, 2, -1234567890123);
    EXPECT_EQ(table.cell(1, 2), "-1234567890123");
    const auto revision = table.revision();
    table.setNumber(1, 2, -1234567890123);
    table.setCell(1, 2, "-1234567890123");
    table.setCell(3, 9, "");
    EXPECT_EQ(table.revision(), revision);
    table.setNumber(1, 2, 7);
    EXPECT_EQ(table.cell(1, 2), "7");
    EXPECT_GT(table.revision(), revision);
    EXPECT_NE(WorkingTable(table).serial(), table.serial());
}

}  // namespace
