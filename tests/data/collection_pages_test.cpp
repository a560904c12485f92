#include <gtest/gtest.h>

#include "data/quote_pages.h"

using namespace data;

TEST(QuotePages, PriceTablePathsForPageZeroAndLaterPages) {
    const auto today = dateFields("2001/09/05");
    EXPECT_EQ(priceTablePath(0, today, "6752"),
              "/t?c=1930&a=9&b=16&f=2001&d=09&e=05&g=d&s=6752&y=0&z=9984.t");
    EXPECT_EQ(priceTablePath(1, today, "6752"),
              "/t?s=6752&a=9&b=16&c=1930&d=09&e=05&f=2001&g=d&q=t&y=50&z=9984.t&x=.csv");
    EXPECT_EQ(priceTablePath(20, today, "6752"),
              "/t?s=6752&a=9&b=16&c=1930&d=09&e=05&f=2001&g=d&q=t&y=1000&z=9984.t&x=.csv");
}

TEST(QuotePages, QuoteHistoryPaths) {
    const auto today = dateFields("2001/09/14");
    EXPECT_EQ(quoteHistoryPath(0, today),
              "/MnStock/slast.html?qt=6752.t&sy=1930&sm=8&sd=18&ey=2001&em=09&ed=14&k=d");
    EXPECT_EQ(quoteHistoryPath(5, today),
              "/MnStock/6752.t/slast.html?sy=1930&sm=8&sd=18&ey=2001&em=09&ed=14&k=d&st=250");
}

TEST(QuotePages, QueryCodeSendsFourCharactersAndEncodesTheRest) {
    EXPECT_EQ(queryCode("6752ソニー"), "6752");
    EXPECT_EQ(queryCode("67&2"), "67%262");
    EXPECT_EQ(queryCode("6 #/x"), "6%20%23%2F");
    EXPECT_EQ(queryCode("ab\r\n"), "ab%0D%0A");
    // A double-byte character goes as its two CP932 bytes.
    EXPECT_EQ(queryCode("67あ"), "67%82%A0");
}

TEST(QuotePages, CutStartsAtTheMarkerAndCountsCharacters) {
    EXPECT_EQ(cutAtMarker("head<m>abcdef", "<m>", 5), "<m>ab");
    // A page without the marker is cut all the same, so no page file outgrows a real one.
    EXPECT_EQ(cutAtMarker("no marker here", "<m>", 3), "no ");
    EXPECT_EQ(cutAtMarker("x<m>日本語", "<m>", 4), "<m>日");
}

TEST(QuotePages, LastCellValueOfADataRow) {
    auto price = [](std::string_view cell) { return removeGroupingCommas(isolateLastCell(cell)); };
    const std::string row = "2001/9/5</small></td><td><small>990</small></td><td><small>";
    EXPECT_EQ(price(row + "1,234</small></td></tr>"), "1234");
    EXPECT_EQ(price(row + "12,345</small></td></tr>"), "12345");
    EXPECT_EQ(price(row + "1,234,567</small></td></tr>"), "1234567");
    // Grouping counts towards the nine characters a value may have.
    EXPECT_EQ(price(row + "12,345,678</small></td></tr>"), "small>12345678");
    EXPECT_EQ(price(row + "123456789</small></td></tr>"), "123456789");
    // Ten characters no longer fit: the cut keeps part of the cell tag.
    EXPECT_EQ(price(row + "1234567890</small></td></tr>"), "small>1234567890");
    // Fewer than 16 characters before the row end: the first 16 of the cell.
    EXPECT_EQ(isolateLastCell("7</small></td></tr>"), "7</small></td></");
    EXPECT_EQ(price(""), "");
}

TEST(QuotePages, PageDatesAreWrittenWithSlashes) {
    EXPECT_EQ(pageDate("2001-09-14</td>"), "2001/09/14");
    EXPECT_EQ(pageDate("2001/09/14"), "2001/09/14");
    EXPECT_EQ(pageDate(""), "//");
}

TEST(QuotePages, PagesByTheCalendarsAge) {
    struct Case {
        long days;
        int lastPage;
    };
    for (const auto& [days, lastPage] : {Case{0, 0},
                                         {25, 0},
                                         {26, 1},
                                         {74, 1},
                                         {75, 2},
                                         {125, 2},
                                         {126, 3},
                                         {174, 3},
                                         {175, 4},
                                         {225, 4},
                                         {226, 5},
                                         {400, 5},
                                         {-1, 0},
                                         {-25, 0},
                                         {-26, -1},
                                         {-75, -2}})
        EXPECT_EQ(lastHistoryPage(days), lastPage) << days << " days";
}
