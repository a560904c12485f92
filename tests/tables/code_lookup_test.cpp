#include "tables/code_lookup.h"

#include <gtest/gtest.h>

#include "tests/support.h"

namespace {

TEST(CompareCodes, DigitCodesAsNumbersCodesWithALetterAsText) {
    struct Case {
        const char *a, *b;
        int sign;
    };
    for (const Case& c :
         {Case{"1301", "1332", -1}, Case{"1332見本", "1332", 0}, Case{"130A", "1301", 1},
          Case{"130A", "1305", 1}, Case{"130A", "1310", -1}, Case{"6000", "130A 見本", 1},
          Case{"135A", "135A", 0}, Case{"999A", "9997", 1}}) {
        const int result = tables::compareCodes(c.a, c.b);
        EXPECT_EQ((result > 0) - (result < 0), c.sign) << c.a << " " << c.b;
    }
    // Not a code: a lower-case letter, a letter first, no number.
    EXPECT_FALSE(tables::isLetterCode("130a"));
    EXPECT_FALSE(tables::isLetterCode("A130"));
    EXPECT_EQ(testing_support::messageOf([] { tables::compareCodes("見出し", "1301"); }),
              "'見出し' は整数ではありません");
    EXPECT_EQ(testing_support::messageOf([] { tables::checkCode("ab12"); }),
              "'ab12' は整数ではありません");
    tables::checkCode("130A見本");  // no error
}

TEST(NormalizedCodeText, FullWidthCodesBecomeTheirAsciiCodes) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"６２１８", "6218"},     {"６２１８見本", "6218見本"},
        {"１３０ａ", "130A"},     {"130a 見本", "130A 見本"},
        {"6218ａｂ", "6218ａｂ"},  // beyond the code the text stays
        {"ＫＤＤＩ", "KDDI"},     {"abcd", "abcd"},
        {"見本６２", "見本62"},   {"", ""},
        {"\xEF\xBC", "\xEF\xBC"},  // a cut character stays as it is
    };
    for (const auto& [typed, normalized] : cases)
        EXPECT_EQ(tables::normalizedCodeText(typed), normalized) << typed;
}

TEST(LastRowWithCode, RepeatedSearchesAgreeWithTheTableAsItIsNow) {
    WorkingTable table(2, 6);
    for (const auto& [row, text] : std::vector<std::pair<int, std::string>>{
             {1, "1301 見本"}, {2, "130A 新興"}, {3, "6752 電機"}, {4, "6752 重複"}, {5, "13"}})
        table.setCell(0, row, text);
    const auto search = [&](std::string_view code) {
        return tables::lastRowWithCode(table, 0, 1, 6, code);
    };
    // The first search notes the table, the second builds the index, the third uses it.
    for (int round = 0; round < 3; ++round) {
        EXPECT_EQ(search("6752"), 4);  // the last match wins
        EXPECT_EQ(search("130A見本"), 2);
        EXPECT_EQ(search("13"), 5);  // a short code matches only itself
        EXPECT_EQ(search("9999"), 0);
        EXPECT_EQ(tables::lastRowWithCode(table, 0, 1, 4, "6752"), 3);  // another range
    }
    table.setCell(0, 4, "9999 新規");
    EXPECT_EQ(search("6752"), 3);
    EXPECT_EQ(search("9999"), 4);
    WorkingTable copy = table;
    copy.setCell(0, 1, "6752 写し");
    EXPECT_EQ(tables::lastRowWithCode(copy, 0, 1, 6, "6752"), 3);
    EXPECT_EQ(tables::lastRowWithCode(copy, 0, 1, 2, "6752"), 1);
    EXPECT_EQ(search("1301"), 1);
}

}  // namespace
