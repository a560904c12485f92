// What changed between two days of a market made by hand: the groups' status changes, the
// stock whose double top lifted the bullish percent, their order, the CSV and the notice.
#include "analysis/report.h"
#include "tables/comma_text.h"

#include <gtest/gtest.h>

#include "tests/analysis/hand_made_market.h"

namespace {

using namespace hand_made;

TEST(Report, TheChangesBetweenTwoDaysInTheMorningsOrder) {
    std::vector<int> flipped;
    auto input = sixStateMarket(&flipped);
    // Up to day 13, when the bullish percent's double top confirms the bull.
    input.days.resize(14);
    input.benchmarkCloses.resize(14);
    std::vector<double> closes;
    for (std::size_t s = 0; s < input.stocks.size(); ++s)
        for (std::size_t d = 0; d < 14; ++d)
            closes.push_back(input.closes[s * sixStatePath().size() + d]);
    input.closes = closes;
    analysis::MarketAnalysis analysis{analysis::Settings{}};
    analysis.advance(input);

    const auto report = analysis::reportOf(analysis, 12, 13);
    ASSERT_EQ(report.groups.size(), 2u);
    EXPECT_EQ(report.groups[0].code, "市場");
    EXPECT_EQ(report.groups[0].kind, "状態");
    EXPECT_EQ(report.groups[0].text, "弱気調整→強気確認");
    EXPECT_EQ(report.groups[1].code, "3700");
    EXPECT_EQ(report.sectorsChanged, 1);
    EXPECT_EQ(report.stocksWithSignals, 1);
    const std::string code = input.stocks[static_cast<std::size_t>(flipped[13])].code;
    const auto signal =
        std::find_if(report.stocks.begin(), report.stocks.end(),
                     [](const analysis::Change& c) { return c.kind == "シグナル"; });
    ASSERT_NE(signal, report.stocks.end());
    EXPECT_EQ(signal->code, code);
    EXPECT_EQ(signal->text, "ダブルトップ");
    EXPECT_EQ(signal->day, 13u);
    for (std::size_t i = 1; i < report.stocks.size(); ++i)
        EXPECT_GE(report.stocks[i - 1].score, report.stocks[i].score);

    const std::string csv = analysis::reportCsv(analysis, report);
    EXPECT_EQ(csv.substr(0, csv.find("\r\n")), "日付,コード,銘柄名,変化,内容,スコア");
    EXPECT_NE(csv.find("\r\n2024/01/14,市場,市場全体,状態,弱気調整→強気確認,\r\n"),
              std::string::npos);
    EXPECT_NE(csv.find("\r\n2024/01/14," + code + ",銘柄" + code + ",シグナル,ダブルトップ," +
                       std::to_string(*signal->score) + "\r\n"),
              std::string::npos)
        << csv;
    const std::string text = analysis::reportText(analysis, report);
    EXPECT_NE(text.find("市場 強気％ 50.0%（強気確認） 前日比 +10.0"), std::string::npos) << text;
    EXPECT_NE(text.find("新しいシグナル 1\n  " + code + " "), std::string::npos) << text;
    EXPECT_EQ(analysis::updateNotice(analysis),
              "強気％ 50.0%（強気確認）, 業種の変化 1, 新しいシグナル 1");

    // Since day 4 every flip since is a signal; a watch list keeps its own stocks only.
    const auto week = analysis::reportOf(analysis, 4, 13);
    int flips = 0;
    for (std::size_t d = 5; d <= 13; ++d) flips += flipped[d] >= 0 ? 1 : 0;
    int breakouts = 0;
    for (const auto& change : week.stocks)
        breakouts += change.text == "ダブルトップ" || change.text == "ダブルボトム" ? 1 : 0;
    EXPECT_EQ(breakouts, flips);
    const auto watched = analysis::reportOf(analysis, 12, 13, std::vector<std::string>{"9999"});
    EXPECT_TRUE(watched.stocks.empty());
    EXPECT_EQ(watched.groups.size(), 2u);
    EXPECT_EQ(tables::csvField("a,\"b\""), "\"a,\"\"b\"\"\"");
}

}  // namespace
