// The analyses of a data root against the emulated exchange: the benchmark TOPIX, the ETF
// 1306 when the plan refuses TOPIX, an equal-weighted index without exchange data; the
// kept analysis carried on by a one-day update as it would be made anew; an older store's
// issues get the scale category in place.
#include "analysis/morning.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include "analysis/report.h"
#include "data/text_file.h"
#include "market/store.h"
#include "tests/market/exchange_fixture.h"

namespace {

using namespace market_testing;

struct Morning : ExchangeFixture {
    Morning() : ExchangeFixture(40, 5000) {}
    data::DataRoot rootNamed(const std::string& name) const {
        const data::DataRoot root{dir.path() / name};
        std::filesystem::create_directories(root.priceFile().parent_path());
        return root;
    }
    market::UpdateSummary update(const data::DataRoot& root, int days, int today = kToday) {
        return market::updateMarketData(root, connection(), days, day(today));
    }
    int topixRequests() const {
        int count = 0;
        for (const auto& request : server_->requests())
            if (request.rfind("/v2/indices/bars/daily/topix?", 0) == 0) ++count;
        return count;
    }
};

TEST_F(Morning, TheBenchmarkIsTopixElseTheEtfOfAPlanWithoutIt) {
    struct Case {
        bool freePlan;
        const char* name;
    };
    for (const Case c : {Case{false, "TOPIX"}, Case{true, "TOPIX（1306で代用）"}}) {
        SCOPED_TRACE(c.name);
        const auto root = rootNamed(c.freePlan ? "free" : "light");
        server().setFreePlan(c.freePlan);
        server().clearRequests();
        const auto summary = update(root, 30);
        EXPECT_EQ(summary.daysAdded, 30);
        EXPECT_EQ(topixRequests(), 1);  // refused by the free plan, and the update goes on
        const auto run = analysis::analyseRoot(root);
        EXPECT_EQ(run.analysis.benchmarkName(), c.name);
        EXPECT_EQ(run.analysis.days().size(), 30u);
        // 40 issues in 33 sectors; the ETF 1306 is in その他 and in no sector group.
        EXPECT_EQ(run.analysis.groups().size(), 34u);
        EXPECT_EQ(run.analysis.group("市場")->members.size(), 41u);  // with 130A
        const auto rs = analysis::rsChartOf(root, run.analysis, "1301", false);
        EXPECT_EQ(rs.benchmarkName, c.name);
        EXPECT_TRUE(rs.values.back().has_value());
        EXPECT_EQ(analysis::rsChartOf(root, run.analysis, "1301", true).benchmarkName,
                  "水産・農林業（業種）");
        EXPECT_THROW(analysis::rsChartOf(root, run.analysis, "1306", true), market::MarketError);
        // The next update asks only for the days TOPIX lacks: none.
        server().clearRequests();
        update(root, 30);
        EXPECT_EQ(topixRequests(), c.freePlan ? 1 : 0);
    }
}

TEST_F(Morning, ARootWithoutExchangeDataUsesAnEqualWeightedIndex) {
    const auto root = rootNamed("imported");
    std::vector<std::filesystem::path> files;
    for (const std::string code : {"7203", "9984"}) {
        std::vector<std::string> lines{"Date,Close"};
        for (int d = 0; d < 40; ++d) {
            const market::Day day = market::dayOf(20240401) + std::chrono::days(d);
            if (std::chrono::weekday{day} == std::chrono::Saturday ||
                std::chrono::weekday{day} == std::chrono::Sunday)
                continue;
            lines.push_back(market::isoText(day) + "," +
                            std::to_string(1000 + d * (code == "7203" ? 9 : -7)));
        }
        files.push_back(dir.path() / (code + ".csv"));
        data::writeLines(files.back(), lines);
    }
    const auto imported = market::importCsvFiles(root, files);
    ASSERT_FALSE(imported.anyFailed());
    const auto run = analysis::analyseRoot(root);
    EXPECT_EQ(run.analysis.benchmarkName(), "等加重指数");
    ASSERT_EQ(run.analysis.groups().size(), 1u);  // imported stocks have no sector
    EXPECT_EQ(run.analysis.stocks().size(), 2u);
    EXPECT_THROW(analysis::analyseRoot(rootNamed("empty")), market::MarketError);
}

TEST_F(Morning, AOneDayUpdateCarriesTheKeptAnalysisOnAsItWouldBeMadeAnew) {
    const auto root = rootNamed("daily");
    update(root, 60, 20240613);
    EXPECT_EQ(analysis::analyseRoot(root).kind, analysis::RunKind::anew);
    EXPECT_EQ(analysis::analyseRoot(root).kind, analysis::RunKind::carried);

    server().setToday(day(kToday));
    update(root, 60);
    const auto carried = analysis::analyseRoot(root);
    EXPECT_EQ(carried.kind, analysis::RunKind::carried);
    EXPECT_EQ(carried.analysis.days().back(), day(kToday));
    {
        market::Store store(market::Store::fileIn(root));
        store.setCached("morning", "not an analysis");
    }
    const auto anew = analysis::analyseRoot(root);
    EXPECT_EQ(anew.kind, analysis::RunKind::anew);
    EXPECT_EQ(carried.analysis.save(), anew.analysis.save());
    EXPECT_FALSE(analysis::updateNotice(anew.analysis).empty());

    // Another box ratio, or a split that rewrites a history, makes it anew.
    EXPECT_EQ(analysis::analyseRoot(root, analysis::settingsOfRatio("0.03")).kind,
              analysis::RunKind::anew);
    EXPECT_EQ(analysis::analyseRoot(root).kind, analysis::RunKind::anew);
    server().addSplit({"13020", day(20240617), 0.5});
    server().setToday(day(20240617));
    update(root, 60, 20240617);
    EXPECT_EQ(analysis::analyseRoot(root).kind, analysis::RunKind::anew);
}

TEST(MarketStore, AnOlderStoresIssuesGetTheScaleCategoryInPlace) {
    testing_support::ScratchDir dir;
    const auto file = dir.path() / "market.sqlite";
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(
        sqlite3_exec(db,
                     "CREATE TABLE issues(code TEXT PRIMARY KEY, short_code TEXT NOT NULL,"
                     " name TEXT NOT NULL DEFAULT '', name_en TEXT NOT NULL DEFAULT '',"
                     " market TEXT NOT NULL DEFAULT '', market_name TEXT NOT NULL DEFAULT '',"
                     " sector17 TEXT NOT NULL DEFAULT '', sector17_name TEXT NOT NULL DEFAULT '',"
                     " sector33 TEXT NOT NULL DEFAULT '', sector33_name TEXT NOT NULL DEFAULT '',"
                     " listed INTEGER NOT NULL DEFAULT 0, source INTEGER NOT NULL DEFAULT 0)"
                     " WITHOUT ROWID;"
                     "INSERT INTO issues(code, short_code, name, sector33, sector33_name, listed)"
                     " VALUES('72030', '7203', 'トヨタ自動車', '3700', '輸送用機器', 1);",
                     nullptr, nullptr, nullptr),
        SQLITE_OK);
    sqlite3_close(db);
    market::Store store(file);
    auto issues = store.listedIssues();
    ASSERT_EQ(issues.size(), 1u);
    EXPECT_EQ(issues[0].sector33Name, "輸送用機器");
    EXPECT_EQ(issues[0].scaleCategory, "");
    EXPECT_TRUE(issues[0].listed);
    issues[0].scaleCategory = "TOPIX Core30";
    store.setListedIssues(issues);
    EXPECT_EQ(store.issueFor("7203")->scaleCategory, "TOPIX Core30");
}

}  // namespace
