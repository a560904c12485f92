#include "tables/convert.h"

#include <gtest/gtest.h>

#include "tables/errors.h"
#include "tests/support.h"

namespace {

using testing_support::messageOf;

TEST(WholeNumbers, AcceptSignsLeadingSpacesAndThirtyTwoBits) {
    EXPECT_EQ(toInt("1234"), 1234);
    EXPECT_EQ(toInt("-3"), -3);
    EXPECT_EQ(toInt("  +7"), 7);
    EXPECT_EQ(toInt("2147483647"), 2147483647);
    EXPECT_EQ(toInt("-2147483648"), -2147483647 - 1);
    EXPECT_EQ(toInt("$1F"), 31);
    EXPECT_EQ(toInt("-$80000000"), -2147483647 - 1);
}

TEST(WholeNumbers, RefuseWithTheSystemMessage) {
    EXPECT_EQ(messageOf([] { toInt(""); }), "'' は整数ではありません");
    EXPECT_EQ(messageOf([] { toInt(" "); }), "' ' は整数ではありません");
    EXPECT_EQ(messageOf([] { toInt("12 "); }), "'12 ' は整数ではありません");
    EXPECT_EQ(messageOf([] { toInt("985.5"); }), "'985.5' は整数ではありません");
    EXPECT_EQ(messageOf([] { toInt("2147483648"); }), "'2147483648' は整数ではありません");
    EXPECT_EQ(messageOf([] { toInt("1,234"); }), "'1,234' は整数ではありません");
}

TEST(RealNumbers, ConvertCorrectlyRoundedToExtended) {
    EXPECT_EQ(toFloat("0.015"), 0.015L);
    EXPECT_EQ(toFloat(" 0.002 "), 0.002L);
    EXPECT_EQ(toFloat("0.0020"), 0.002L);
    EXPECT_EQ(toFloat("-3.7"), -3.7L);
    EXPECT_EQ(toFloat("1e3"), 1000.0L);
    EXPECT_EQ(toFloat(".5"), 0.5L);
}

TEST(RealNumbers, RefuseWithTheSystemMessage) {
    EXPECT_EQ(messageOf([] { toFloat("コーエン"); }), "'コーエン' は浮動小数点数ではありません");
    EXPECT_EQ(messageOf([] { toFloat("inf"); }), "'inf' は浮動小数点数ではありません");
    EXPECT_EQ(messageOf([] { toFloat("0,015"); }), "'0,015' は浮動小数点数ではありません");
    EXPECT_EQ(messageOf([] { toFloat(""); }), "'' は浮動小数点数ではありません");
}

TEST(Codes, ComparedOnTheirFirstFourCharacters) {
    EXPECT_TRUE(sameCode("6752XYZ", "6752 松下"));
    EXPECT_FALSE(sameCode("6752", "6753"));
    EXPECT_TRUE(sameCode("67", "67"));
    EXPECT_FALSE(sameCode("67", "6752"));
    EXPECT_EQ(codeKey("松下電器"), "松下電器");
    EXPECT_EQ(codeKey("松下電器産業"), "松下電器");
}

TEST(Dates, ReadAndWrittenAsYearMonthDay) {
    const auto day = parseDate("2001/09/05");
    ASSERT_TRUE(day);
    EXPECT_EQ(formatDate(*day), "2001/09/05");
    EXPECT_EQ(formatDate(*parseDate("2001/9/5")), "2001/09/05");
    EXPECT_FALSE(parseDate("//"));
    EXPECT_FALSE(parseDate("2001/02/30"));
    EXPECT_FALSE(parseDate("2001-09-05"));
}

TEST(ErrorBox, AppendsAPointAfterCharactersThatSortAfterIt) {
    EXPECT_EQ(errorBoxText("ファイル x は開けません"), "ファイル x は開けません.");
    EXPECT_EQ(errorBoxText("Connection Failed"), "Connection Failed.");
    EXPECT_EQ(errorBoxText("リストのインデックスが範囲を超えています (5)"),
              "リストのインデックスが範囲を超えています (5)");
    EXPECT_EQ(errorBoxText("done."), "done.");
}

}  // namespace
