#include <gtest/gtest.h>

#include "data/cp932.h"
#include "tables/comma_text.h"
#include "tools/quote_server.h"

using namespace quote_emulator;

TEST(QuoteEmulator, WeekdaysAndCalendarExtension) {
    EXPECT_EQ(weekdaysBack("2001/09/17", 3),
              (std::vector<std::string>{"2001/09/17", "2001/09/14", "2001/09/13"}));
    std::vector<std::string> calendar{"2001/09/13", "2001/09/12"};
    extendToDate(calendar, "2001/09/17");
    EXPECT_EQ(calendar,
              (std::vector<std::string>{"2001/09/17", "2001/09/14", "2001/09/13", "2001/09/12"}));
}

TEST(QuoteEmulator, HistoryPagesHaveElevenLinesARowUpToTheEndDate) {
    QuoteData data;
    data.calendar = weekdaysBack("2001/09/17", 120);
    QuoteServer server(data, {});
    bool known = false;
    const auto page = [&](const std::string& path) {
        return tables::splitLines(data::cp932ToUtf8(server.page(path, known)));
    };
    auto lines =
        page("/MnStock/6752.t/slast.html?sy=1930&sm=8&sd=18&ey=2001&em=09&ed=14&k=d&st=50");
    EXPECT_TRUE(known);
    const auto first =
        std::find(lines.begin(), lines.end(), "<td align=\"center\">2001/07/06</td>");
    ASSERT_NE(first, lines.end());
    EXPECT_EQ(*(first + 11), "<td align=\"center\">2001/07/05</td>");
    EXPECT_EQ(*(first + 11 * 49), "<td align=\"center\">2001/04/30</td>");

    page("/nothing");
    EXPECT_FALSE(known);
}
