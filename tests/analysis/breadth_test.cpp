// Bullish percents and their status, relative strength, scores and the equal-weighted
// index on markets made by hand; an analysis carried on day by day is the one made anew.
#include "analysis/breadth.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "chart/box_scale.h"
#include "data/text_file.h"
#include "tests/analysis/hand_made_market.h"
#include "tests/support.h"

namespace {

using analysis::MarketAnalysis;
using analysis::MarketInput;
using analysis::Status;
using namespace hand_made;

TEST(BullishPercent, TheStatusWalksThroughTheSixStatesAndFlagsANearReversal) {
    std::vector<std::optional<double>> percents;
    for (const auto& day : sixStatePath()) percents.push_back(day.percent);
    const auto ratings = analysis::rateBullishPercents(percents);
    for (std::size_t d = 0; d < ratings.size(); ++d)
        EXPECT_EQ(ratings[d].status, sixStatePath()[d].status) << "day " << d;

    // Within one box (2 points) of the level a reversal needs: 34 below a high of 40,
    // 40 above a low of 34. A day without a percent keeps the day before.
    const std::vector<std::optional<double>> near = {0,  20, 40, 37, 36, std::nullopt,
                                                     35, 34, 37, 38, 40};
    const std::vector<bool> flags = {false, false, false, false, true, true,
                                     true,  false, false, true,  false};
    const auto rated = analysis::rateBullishPercents(near);
    for (std::size_t d = 0; d < near.size(); ++d)
        EXPECT_EQ(rated[d].nearReversal, flags[d]) << "day " << d;
    EXPECT_EQ(rated[7].status, Status::bullCorrection);
}

TEST(BullishPercent, AGroupMadeByHandWalksThroughTheSixStates) {
    const auto& path = sixStatePath();
    MarketAnalysis analysis{analysis::Settings{}};
    analysis.advance(sixStateMarket());
    for (const char* code : {"市場", "3700"}) {
        const analysis::Group* group = analysis.group(code);
        ASSERT_NE(group, nullptr) << code;
        for (std::size_t d = 0; d < path.size(); ++d) {
            EXPECT_EQ(group->days[d].bullishPercent(), path[d].percent) << code << " day " << d;
            EXPECT_EQ(group->days[d].status, path[d].status) << code << " day " << d;
        }
    }
    // The chart shown is the one the statuses come from: its last column rises from 20.
    const chart::Chart chart = analysis.bullishPercentChart(*analysis.group("市場"));
    ASSERT_FALSE(chart.columns.empty());
    EXPECT_TRUE(chart.columns.back().rising);
    EXPECT_EQ(chart.level(chart.columns.back().bottomRow), 2200);
    EXPECT_EQ(chart.level(chart.columns.back().topRow), 4000);
}

// Linear steps from each point to the next, a day each.
std::vector<double> pathThrough(const std::vector<double>& points, int stepsBetween) {
    std::vector<double> closes{points.front()};
    for (std::size_t i = 1; i < points.size(); ++i)
        for (int k = 1; k <= stepsBetween; ++k)
            closes.push_back(points[i - 1] + (points[i] - points[i - 1]) * k / stepsBetween);
    return closes;
}

TEST(RelativeStrength, AStockAgainstAFlatBenchmarkIsChartedOnItsOwnMoves) {
    struct Case {
        std::vector<double> points;
        std::string state;  // against the market
        int score;
    };
    const std::vector<Case> cases = {
        // Doubles with a pause: an X column past the one before, a buy; above its support line.
        {{1000, 1300, 900, 2000}, "BX", 3},
        // Halves with a pause: a sell in an O column, under its resistance line.
        {{2000, 1400, 1950, 1000}, "SO", 0},
        // Up without a pause: an X column, no signal yet.
        {{1000, 2000}, "X", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.state);
        const auto closes = pathThrough(c.points, 10);
        MarketAnalysis analysis{analysis::Settings{}};
        analysis.advance(marketOf({stock("7203")}, {closes}));
        const analysis::StockDay last = analysis.stockDay(0, closes.size() - 1);
        EXPECT_EQ(analysis::rsStateText(analysis::rsMarketBits(last)), c.state);
        // The only member of its sector moves with the sector's index: no column at all.
        EXPECT_EQ(analysis::rsSectorBits(last), 0);
        EXPECT_EQ(analysis::scoreOf(last), c.score);
        EXPECT_EQ(analysis.benchmarkName(), "TOPIX");
    }
    EXPECT_EQ(analysis::rsValue(1234.5, 1000), 12345);
    EXPECT_EQ(analysis::rsValue(market::kNoValue, 1000), std::nullopt);
    EXPECT_EQ(analysis::rsValue(1000, market::kNoValue), std::nullopt);
}

TEST(EqualWeightedIndex, MovesByTheMeanChangeOfTheMembersPricedOnBothDays) {
    auto input = marketOf({stock("1301", "9999"), stock("1302", "9999")},
                          {{100, 110, 121, 121}, {200, 180, market::kNoValue, 198}});
    input.benchmark = market::BenchmarkKind::none;
    MarketAnalysis analysis{analysis::Settings{}};
    analysis.advance(input);
    EXPECT_EQ(analysis.benchmarkName(), "等加重指数");
    const auto index = analysis.benchmarkSeries();
    ASSERT_EQ(index.size(), 4u);
    EXPECT_DOUBLE_EQ(index[0], 1000);
    EXPECT_DOUBLE_EQ(index[1], 1000);  // +10% and -10%
    EXPECT_DOUBLE_EQ(index[2], 1100);  // 1302 has no price
    EXPECT_DOUBLE_EQ(index[3], 1100);  // nor the day before
    // Sector 9999 is no sector group; the market holds both.
    ASSERT_EQ(analysis.groups().size(), 1u);
    EXPECT_EQ(analysis.groups()[0].members.size(), 2u);
}

TEST(MarketAnalysis, CarriedOnDayByDayItIsTheAnalysisMadeAnew) {
    std::mt19937 random(11);
    std::normal_distribution<double> move(0, 0.025);
    constexpr int kDays = 160, kStocks = 24;
    std::vector<market::StockInfo> stocks;
    std::vector<std::vector<double>> closes;
    for (int s = 0; s < kStocks; ++s) {
        stocks.push_back(stock(std::to_string(2000 + s), s % 3 == 0   ? "3700"
                                                         : s % 3 == 1 ? "5250"
                                                                      : "9999"));
        stocks.back().listed = s != 5;  // an import the exchange does not list
        double price = 300 + 97 * s;
        std::vector<double> series;
        for (int d = 0; d < kDays; ++d) {
            price *= 1 + move(random);
            // A stock listed on day 150 has no price before it; the import stops on day 90.
            const bool none =
                (s == kStocks - 1 && d < 150) || (s == 5 && d > 90) || (s != 5 && d % 17 == s);
            series.push_back(none ? market::kNoValue : std::round(price * 10) / 10);
        }
        closes.push_back(series);
    }
    for (const auto benchmark : {market::BenchmarkKind::topix, market::BenchmarkKind::none}) {
        auto whole = marketOf(stocks, closes);
        whole.benchmark = benchmark;
        for (int d = 0; d < kDays; ++d) whole.benchmarkCloses[d] = 1000 + 3 * d;
        MarketAnalysis anew{analysis::Settings{}};
        anew.advance(whole);

        // The first 140 days without the last stock, then day by day.
        MarketAnalysis carried{analysis::Settings{}};
        for (const int upTo : {140, 141, 150, 151, kDays}) {
            MarketInput part = whole;
            part.days.resize(static_cast<std::size_t>(upTo));
            part.benchmarkCloses.resize(static_cast<std::size_t>(upTo));
            const int count = upTo < 150 ? kStocks - 1 : kStocks;
            part.stocks.resize(static_cast<std::size_t>(count));
            part.closes.clear();
            for (int s = 0; s < count; ++s)
                part.closes.insert(part.closes.end(), closes[s].begin(), closes[s].begin() + upTo);
            carried = MarketAnalysis::load(carried.save(), analysis::Settings{});
            carried.advance(part);
        }
        EXPECT_EQ(carried.save(), anew.save());
        // The import counts while its prices are fresh.
        EXPECT_TRUE(analysis::isActive(anew.stockDay(5, 90 + analysis::kStaleDays)));
        EXPECT_FALSE(analysis::isActive(anew.stockDay(5, 91 + analysis::kStaleDays)));
    }
    EXPECT_THROW(MarketAnalysis::load("garbage", analysis::Settings{}), std::runtime_error);
    EXPECT_THROW(MarketAnalysis::load(MarketAnalysis{analysis::Settings{}}.save(),
                                      analysis::settingsOfRatio("コーエン")),
                 std::runtime_error);
}

// The relative-strength box comes from the market view's own file; a line out of range
// or no number leaves the 6.5% box.
TEST(MarketSettings, TheStrengthBoxIsTheMarketFilesWhenItIsSound) {
    for (const auto& [line, box] :
         std::vector<std::pair<std::string, long double>>{{"相対力の枠,0.05\r\n", 0.05L},
                                                          {"相対力の枠,2\r\n", 0.065L},
                                                          {"相対力の枠,abc\r\n", 0.065L},
                                                          {"", 0.065L}}) {
        testing_support::ScratchDir dir;
        const data::DataRoot root{dir.path()};
        std::filesystem::create_directories(root.marketPreferencesFile().parent_path());
        if (!line.empty()) data::writeLines(root.marketPreferencesFile(), {line});
        EXPECT_EQ(analysis::savedSettings(root).rsRatio, box) << line;
    }
}

}  // namespace
