// The update against the emulated exchange over HTTPS: what lands in the store and
// the files, how few requests find the newest day with prices, splits, failures and
// a stop in the middle.
#include "market/update.h"

#include <gtest/gtest.h>

#include "data/text_file.h"
#include "market/jquants_client.h"
#include "market/program_files.h"
#include "tables/comma_text.h"
#include "tests/market/exchange_fixture.h"

namespace {

using namespace market_testing;
using market::Store;

struct Update : ExchangeFixture {
    Update() { std::filesystem::create_directories(root().priceFile().parent_path()); }
    market::UpdateSummary update(int days, int today = kToday, market::UpdateHooks hooks = {}) {
        return market::updateMarketData(root(), connection(), days, day(today), hooks);
    }
    std::vector<std::string> file(const std::filesystem::path& path) const {
        return data::readLines(path);
    }
};

TEST_F(Update, AFirstUpdateFillsTheStoreFromEveryPageAndBuildsTheFiles) {
    data::writeLines(root().priceFile(), {",1301旧名,130A,9998"});
    const auto summary = update(20);
    EXPECT_EQ(summary.newestDay, day(kToday));
    EXPECT_EQ(summary.daysAdded, 20);
    EXPECT_EQ(summary.issues, 14);
    EXPECT_EQ(summary.unknownCodes, std::vector<std::string>{"9998"});
    // Three pages a day (14 rows, 5 a page): calendar, master and 20 days; then TOPIX over
    // those days, four pages.
    EXPECT_EQ(summary.requests, 2 + 20 * 3 + 4);
    EXPECT_EQ(server().keysSeen(), std::set<std::string>{options.apiKey});
    for (const auto& request : server().requests())
        EXPECT_EQ(request.find(options.apiKey), std::string::npos) << request;

    Store store(Store::fileIn(root()));
    EXPECT_EQ(store.barsOn(day(20240613)).size(), 14u);
    EXPECT_EQ(store.fetchedDays().size(), 20u);

    const auto codes = file(root().codeListFile());
    ASSERT_EQ(codes.size(), 14u);  // header and 13 common stocks; the preferred share is not one
    EXPECT_EQ(codes[1].substr(0, 5), "1301\t");
    EXPECT_EQ(codes[2].substr(0, 5), "1302\t");
    EXPECT_EQ(codes[10], "130A\tベリサーブ");
    EXPECT_EQ(codes[11].substr(0, 5), "1310\t");
    const auto candidates = file(root().candidateFile());
    ASSERT_EQ(candidates.size(), 14u);
    EXPECT_EQ(candidates[0].substr(0, 22), ",2024/06/14,2024/06/13");
    // The day without a trade is an empty field.
    const auto thirteenThirty = tables::splitCommaText(candidates[3]);
    EXPECT_EQ(thirteenThirty[0].substr(0, 4), "1303");
    EXPECT_EQ(thirteenThirty[3], "");
    EXPECT_NE(thirteenThirty[2], "");
    const auto prices = file(root().priceFile());
    ASSERT_EQ(prices.size(), 21u);
    EXPECT_EQ(prices[0].rfind(",1301試験", 0), 0u) << prices[0];
    EXPECT_NE(prices[0].find(",130Aベリサーブ,9998"), std::string::npos) << prices[0];
    EXPECT_EQ(prices[1].substr(0, 11), "2024/06/14,");
    const auto dates = file(root().dateFile());
    ASSERT_EQ(dates.size(), 1001u);
    EXPECT_EQ(dates[1], "2024/06/14,2024/06/14,2024/06/14");
    EXPECT_FALSE(dates[1000].empty());

    // Again the same day: nothing is fetched again but the calendar and the master.
    server().clearRequests();
    const auto again = update(20);
    EXPECT_EQ(again.daysAdded, 0);
    EXPECT_EQ(again.requests, 2);
    EXPECT_EQ(file(root().candidateFile()), candidates);
}

TEST_F(Update, TheFreePlansNewestDayIsFoundWithAFewRequests) {
    server().setFreePlan(true);
    const auto summary = update(10);
    // 12 weeks before Friday 14 June 2024 is Friday 22 March.
    EXPECT_EQ(summary.newestDay, day(20240322));
    EXPECT_LE(dayRequests(), 10 * 3 + 4);
    Store store(Store::fileIn(root()));
    EXPECT_EQ(store.fetchedDays().back().day, day(20240322));

    // A week later the guess the update left hits at once: the newest passed day, the
    // guessed day and the day after it, then four more new days and the day stored
    // before, fetched again to compare.
    server().setToday(day(20240621));
    server().clearRequests();
    const auto later = update(10, 20240621);
    EXPECT_EQ(later.newestDay, day(20240329));
    EXPECT_EQ(later.daysAdded, 5);
    EXPECT_LE(dayRequests(), 1 + 3 + 1 + 4 * 3 + 3);
}

TEST_F(Update, ASplitRefetchesTheIssuesHistorySoEveryAdjustedCloseIsTheServices) {
    update(20, 20240613);
    const auto before = file(root().candidateFile());
    // 1302 splits 2 for 1 on the 14th.
    server().addSplit({"13020", day(20240614), 0.5});
    update(20);
    const auto after = file(root().candidateFile());
    market::JQuantsClient client(connection());
    Store store(Store::fileIn(root()));
    const auto oldest = store.fetchedDays().front().day;
    for (const auto& bar : client.barsOf("13020", oldest, day(20240614))) {
        const auto stored = store.bars("13020", bar.day, bar.day);
        ASSERT_EQ(stored.size(), 1u) << market::isoText(bar.day);
        EXPECT_EQ(stored[0].adjClose, bar.adjClose) << market::isoText(bar.day);
    }
    // The candidate file shows the halved history.
    const auto old = tables::splitCommaText(before[2]);
    const auto now = tables::splitCommaText(after[2]);
    EXPECT_EQ(now[2], market::wholeYen(std::round(std::stod(old[1]) * 5) / 10));
}

TEST_F(Update, ASplitTheFreePlanHidesIsFoundOnTheDayStoredBefore) {
    server().setFreePlan(true);
    update(10);
    server().addSplit({"13040", day(20240501), 0.5});
    server().setToday(day(20240621));
    const auto summary = update(10, 20240621);
    EXPECT_EQ(summary.splitsRefetched, 1);
    market::JQuantsClient client(connection());
    Store store(Store::fileIn(root()));
    const auto fetched = client.barsOf("13040", day(20240311), day(20240311));
    ASSERT_EQ(fetched.size(), 1u);
    EXPECT_EQ(store.bars("13040", day(20240311), day(20240311)).at(0).adjClose,
              fetched[0].adjClose);
}

TEST_F(Update, FailuresSayWhatHappenedAndChangeNoFile) {
    struct Case {
        const char* name;
        int status;
        std::string body;
        int count;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"key", 403, R"({"message":"The incoming api key is invalid or expired."})", 1,
         "J-Quants APIキーが無効か、契約プランの対象外のデータです。\nThe incoming api key is "
         "invalid or expired."},
        {"server", 500, R"({"message":"Unexpected error"})", 5,
         "J-Quants APIがエラーを返しました (HTTP 500、5回試しました)。"},
        {"gateway", 502, "", 5, "J-Quants APIがエラーを返しました (HTTP 502、5回試しました)。"},
        {"parameter", 400, "not json", 1, "J-Quants APIがエラーを返しました (HTTP 400)。"},
        {"malformed", 200, R"({"data":[{"Date":"2024-06-14","HolDiv":)", 1,
         "J-Quants APIの応答を読めません"},
        {"no data", 200, R"({"rows":[]})", 1,
         "J-Quants APIの応答を読めません (data がありません)。"},
        {"too many", 429, R"({"message":"Too Many Requests"})", 5,
         "J-Quants APIのリクエスト数が上限を超えました (5回試しました)。"},
    };
    data::writeLines(root().priceFile(), {",1301", "2020/01/06,1"});
    const auto priceFile = data::readBytes(root().priceFile());
    for (const auto& c : cases) {
        server().clearRequests();
        server().answerNext(c.status, c.body, c.count);
        const auto message = testing_support::messageOf<market::MarketError>([&] { update(5); });
        EXPECT_EQ(message.substr(0, c.expected.size()), c.expected) << c.name;
        EXPECT_EQ(data::readBytes(root().priceFile()), priceFile) << c.name;
        EXPECT_FALSE(std::filesystem::exists(root().candidateFile())) << c.name;
    }
    EXPECT_EQ(server().requestCount(), 5u);  // the refused request, tried five times

    // Refusals and a busy service, then the answer: the update goes through.
    server().answerNext(429, "{}", 2);
    server().answerNext(503, "{}", 2);
    EXPECT_EQ(update(5).daysAdded, 5);
}

TEST_F(Update, MalformedRepliesAndEndlessPagesAreRefused) {
    market::JQuantsClient client(connection());
    const auto refusal = [&](const std::function<void()>& ask) {
        return testing_support::messageOf<market::MarketError>(ask);
    };
    // A row of another day than the one asked for would land under the wrong date.
    server().answerNext(200, R"({"data":[{"Date":"2024-06-13","Code":"13010","C":1}]})");
    EXPECT_EQ(refusal([&] { client.barsOn(day(20240614)); }),
              "J-Quants APIの応答を読めません (求めた日と違う日付の行 2024-06-13)。");
    server().answerNext(200, R"({"data":[{"Date":"2024-06-14","Code":"13\u000a0","C":1}]})");
    EXPECT_EQ(refusal([&] { client.barsOn(day(20240614)); }),
              "J-Quants APIの応答を読めません (制御文字を含むコード)。");
    // A pagination key seen before in the same query ends it instead of looping.
    server().answerNext(200, R"({"data":[],"pagination_key":"a"})");
    server().answerNext(200, R"({"data":[],"pagination_key":"b"})");
    server().answerNext(200, R"({"data":[],"pagination_key":"a"})");
    EXPECT_NE(refusal([&] { client.calendar(); }).find("同じページを繰り返し返した"),
              std::string::npos);
}

TEST_F(Update, TheUpdateKeepsTheHistoryTheStoreLacks) {
    data::writeLines(root().priceFile(),
                     {",1301旧名,9998自前", "2020/01/07,1,4", "2020/01/06,2,3"});
    const auto summary = update(5);
    EXPECT_EQ(summary.keptRows, 4);
    EXPECT_EQ(summary.keptCodes, (std::vector<std::string>{"1301", "9998"}));
    EXPECT_TRUE(summary.unknownCodes.empty());
    EXPECT_NE(market::summaryText(summary).find("株価 4件 (2銘柄: 1301 9998)"), std::string::npos);
    const auto prices = file(root().priceFile());
    EXPECT_EQ(prices.at(0).rfind(",1301試験", 0), 0u) << prices.at(0);
    EXPECT_NE(prices.at(0).find(",9998自前"), std::string::npos);
    EXPECT_EQ(prices.back(), "2020/01/06,2,3");
    EXPECT_EQ(file(root().codeListFile()).back(), "9998\t自前");
}

TEST_F(Update, ADamagedStoreIsSetAsideAndBuiltAnew) {
    update(3);
    const auto store = Store::fileIn(root());
    std::filesystem::remove(store.string() + "-wal");
    std::filesystem::remove(store.string() + "-shm");
    data::writeBytes(store, std::string(4096, 'x'));
    const auto message = testing_support::messageOf<market::StoreDamaged>([&] { update(3); });
    EXPECT_NE(message.find("が壊れています (file is not a database)。dravik-cli update"),
              std::string::npos)
        << message;
    const auto kept = market::setDamagedStoreAside(root());
    EXPECT_EQ(kept.filename().string().rfind("market.sqlite.damaged-", 0), 0u);
    EXPECT_EQ(data::readBytes(kept), std::string(4096, 'x'));
    EXPECT_EQ(update(3).daysAdded, 3);
}

struct LongUpdate : ExchangeFixture {
    LongUpdate() : ExchangeFixture(12, 5000) {}
};

TEST_F(LongUpdate, WritesTheFilesEveryHundredDaysNewestFirst) {
    std::filesystem::create_directories(root().priceFile().parent_path());
    data::writeLines(root().priceFile(), {",1301"});
    std::vector<std::size_t> rowsSeen;
    std::string shown;
    market::UpdateHooks hooks;
    hooks.progress = [&](const market::UpdateProgress& progress) {
        if (progress.stage != market::UpdateProgress::Stage::days || progress.daysDone != 150)
            return;
        rowsSeen.push_back(data::readLines(root().priceFile()).size());
        shown = market::progressText(progress);
    };
    const auto summary = market::updateMarketData(root(), connection(), 250, day(kToday), hooks);
    EXPECT_EQ(summary.daysAdded, 250);
    ASSERT_FALSE(rowsSeen.empty());
    EXPECT_EQ(rowsSeen.front(), 101u);  // the newest 100 days and the header
    EXPECT_NE(shown.find("日足 150/250 日 (グラフに使える日 100)"), std::string::npos) << shown;
    EXPECT_EQ(data::readLines(root().priceFile()).size(), 251u);
}

TEST_F(Update, CertificatesAreAlwaysChecked) {
    auto untrusted = connection();
    untrusted.caFile.clear();  // the system's certificates do not know the emulator's
    const auto message = testing_support::messageOf<market::MarketError>(
        [&] { market::updateMarketData(root(), untrusted, 5, day(kToday)); });
    EXPECT_EQ(message.rfind("J-Quants APIに接続できません: ", 0), 0u) << message;
    EXPECT_NE(message.find("certificate"), std::string::npos) << message;
    EXPECT_TRUE(server().keysSeen().empty());
}

TEST_F(Update, AStoppedUpdateKeepsItsDaysAndTheNextGoesOn) {
    int stored = 0;
    market::UpdateHooks hooks;
    hooks.progress = [&](const market::UpdateProgress& progress) { stored = progress.daysDone; };
    hooks.cancelled = [&] { return stored >= 4; };
    EXPECT_THROW(update(10, kToday, hooks), market::Cancelled);
    EXPECT_FALSE(std::filesystem::exists(root().candidateFile()));
    {
        Store store(Store::fileIn(root()));
        EXPECT_EQ(store.fetchedDays().size(), 4u);
    }
    server().clearRequests();
    const auto summary = update(10);
    EXPECT_EQ(summary.daysAdded, 6);
    EXPECT_EQ(file(root().candidateFile())[0].size(), 10u * 11u);
}

TEST_F(Update, TheStartUpNoticeWaitsForDaysThePlanShows) {
    EXPECT_TRUE(market::storeLacksPassedDays(root(), day(kToday)));
    update(5, 20240613);
    EXPECT_FALSE(market::storeLacksPassedDays(root(), day(20240613)));
    EXPECT_FALSE(market::storeLacksPassedDays(root(), day(20240614)));
    EXPECT_TRUE(market::storeLacksPassedDays(root(), day(20240615)));
}

}  // namespace
