// The market store: precedence of the sources, a history replaced after a split, and
// what a reopened store still holds.
#include "market/store.h"

#include <gtest/gtest.h>

#include "tests/support.h"

namespace {

using market::Bar;
using market::Day;
using market::Source;
using market::Store;
using namespace std::chrono;

Day day(int number) {
    return market::dayOf(number);
}

Bar bar(const std::string& code, int date, double close, double adjusted = market::kNoValue) {
    Bar result;
    result.code = code;
    result.day = day(date);
    result.close = close;
    result.adjClose = market::hasNumber(adjusted) ? adjusted : close;
    return result;
}

TEST(MarketStore, ExchangePricesWinOverImportedOnesInEitherOrder) {
    struct Case {
        const char* name;
        std::vector<std::pair<Source, double>> puts;
        double shown;
    };
    const std::vector<Case> cases = {
        {"import then exchange", {{Source::imported, 100}, {Source::exchange, 200}}, 200},
        {"exchange then import", {{Source::exchange, 200}, {Source::imported, 100}}, 200},
        {"import replaces import", {{Source::imported, 100}, {Source::imported, 150}}, 150},
        {"exchange replaces exchange", {{Source::exchange, 200}, {Source::exchange, 250}}, 250},
    };
    for (const auto& c : cases) {
        testing_support::ScratchDir dir;
        Store store(dir.path() / "market.sqlite");
        for (const auto& [source, price] : c.puts)
            store.putBars({bar("72030", 20240304, price)}, source);
        const auto closes = store.closes({"72030"}, {day(20240304)});
        EXPECT_EQ(closes.at(0), c.shown) << c.name;
    }
}

TEST(MarketStore, ClosesAgreeForFewManyAndRepeatedCodesAndKeepGapsEmpty) {
    testing_support::ScratchDir dir;
    Store store(dir.path() / "market.sqlite");
    std::vector<std::string> codes;
    std::vector<Bar> bars;
    for (int i = 0; i < 100; ++i) {
        codes.push_back(std::to_string(1300 + i) + "0");
        // Every code but the 7th has a price on both days; the 7th only on the second.
        if (i != 7) bars.push_back(bar(codes.back(), 20240304, 1000 + i, 500 + i));
        bars.push_back(bar(codes.back(), 20240305, 2000 + i));
    }
    store.putBars(bars, Source::exchange);
    const std::vector<Day> days{day(20240305), day(20240304), day(20240306)};
    const auto many = store.closes(codes, days);
    std::vector<std::string> few(codes.begin(), codes.begin() + 10);
    few.push_back(codes[0]);  // asked for twice
    const auto some = store.closes(few, days);
    for (std::size_t c = 0; c < few.size(); ++c)
        for (std::size_t d = 0; d < days.size(); ++d) {
            const double a = many[(c % 10) * 3 + d], b = some[c * 3 + d];
            EXPECT_TRUE(a == b || (!market::hasNumber(a) && !market::hasNumber(b)))
                << c << " " << d;
        }
    EXPECT_EQ(many[0 * 3 + 1], 500);  // the adjusted close is the one shown
    EXPECT_EQ(many[99 * 3 + 0], 2099);
    EXPECT_FALSE(market::hasNumber(many[7 * 3 + 1]));
    EXPECT_FALSE(market::hasNumber(many[0 * 3 + 2]));
}

TEST(MarketStore, AHistoryReplacedAfterASplitKeepsImportsOutsideTheReply) {
    testing_support::ScratchDir dir;
    const auto file = dir.path() / "dravik" / "market.sqlite";
    {
        Store store(file);
        store.putBars({bar("39400", 20240301, 400), bar("39400", 20240304, 402)}, Source::exchange,
                      1);
        store.putBars({bar("39400", 20240229, 398)}, Source::imported);
        EXPECT_EQ(store.oldestBarBefore("39400", 2), day(20240301));
        EXPECT_EQ(store.oldestBar("39400"), day(20240229));
        Store::Transaction transaction(store);
        store.replaceIssueBars("39400", day(20240229), day(20240305),
                               {bar("39400", 20240301, 400, 200), bar("39400", 20240304, 402, 201),
                                bar("39400", 20240305, 204)},
                               2);
        transaction.commit();
    }
    // Reopened: the replaced history, the import the reply did not cover.
    Store store(file);
    const auto bars = store.bars("39400", day(20240201), day(20240331));
    ASSERT_EQ(bars.size(), 4u);
    EXPECT_EQ(bars[0].adjClose, 398);
    EXPECT_EQ(bars[1].adjClose, 200);
    EXPECT_EQ(bars[3].close, 204);
    EXPECT_FALSE(store.oldestBarBefore("39400", 2).has_value());
}

TEST(MarketStore, ATransactionNotCommittedLeavesNothing) {
    testing_support::ScratchDir dir;
    Store store(dir.path() / "market.sqlite");
    {
        Store::Transaction transaction(store);
        store.putBars({bar("72030", 20240304, 100)}, Source::exchange, 1);
        store.markDayFetched(day(20240304), 1, 1);
    }
    EXPECT_TRUE(store.barDays().empty());
    EXPECT_TRUE(store.fetchedDays().empty());
}

TEST(MarketStore, ATransactionInsideAnotherIsRolledBackAlone) {
    testing_support::ScratchDir dir;
    Store store(dir.path() / "market.sqlite");
    {
        Store::Transaction outer(store);
        {
            Store::Transaction part(store);
            store.putBars({bar("72030", 20240304, 100)}, Source::imported);
            part.commit();
        }
        {
            Store::Transaction part(store);
            store.putBars({bar("72030", 20240305, 100)}, Source::imported);
        }
        outer.commit();
    }
    EXPECT_EQ(store.barDays(), std::vector<Day>{day(20240304)});
}

TEST(MarketStore, TheCommonStockStandsForAFourCharacterCode) {
    testing_support::ScratchDir dir;
    Store store(dir.path() / "market.sqlite");
    store.setListedIssues(
        {{"25935", "伊藤園第1種優先"}, {"25930", "伊藤園"}, {"130A0", "ベリサーブ"}});
    store.addIssue({"99990", "取り込んだ銘柄"});
    EXPECT_EQ(store.issueFor("2593")->name, "伊藤園");
    EXPECT_EQ(store.issueFor("130A")->code, "130A0");
    EXPECT_EQ(store.issueFor("9999")->name, "取り込んだ銘柄");
    EXPECT_FALSE(store.issueFor("1301").has_value());
    // A later master without an issue leaves it known but no longer listed.
    store.setListedIssues({{"25930", "伊藤園"}});
    EXPECT_EQ(store.listedIssues().size(), 1u);
    EXPECT_EQ(store.issueFor("130A")->name, "ベリサーブ");
}

TEST(MarketStore, IsoDaysParseOnlyRealDates) {
    EXPECT_EQ(market::parseIsoDay("2024-03-04"), day(20240304));
    EXPECT_EQ(market::parseIsoDay("20240304"), day(20240304));
    for (const char* text : {"2024-02-30", "2024/03/04", "2024-3-4", "", "abcdefgh", "2024-13-01"})
        EXPECT_FALSE(market::parseIsoDay(text).has_value()) << text;
    EXPECT_EQ(market::isoText(day(20240304)), "2024-03-04");
}

}  // namespace
