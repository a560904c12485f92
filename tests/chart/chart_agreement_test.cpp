// What the decorated chart says against what the screening says: the newest column's
// tags are what the screening lists whatever days have no price, and the objectives of
// every sample stock lie on their signal's side on both scales.
#include <gtest/gtest.h>

#include <random>
#include <set>

#include "chart/chart.h"
#include "chart/decorations.h"
#include "chart/pattern_catalogue.h"
#include "chart/patterns.h"
#include "chart/series.h"
#include "data/program_tables.h"
#include "data/text_file.h"
#include "tests/support.h"

namespace {

using chart::Pattern;

std::set<Pattern> newestTags(const chart::Chart& chart) {
    std::set<Pattern> tags;
    for (const auto& signal : chart::signalHistory(chart))
        if (signal.col == chart.lastColumn()) tags.insert(signal.pattern);
    return tags;
}

// The signals (not the warnings) the catalogue finds at the chart's last column.
std::set<Pattern> signalsOf(const chart::Chart& chart) {
    std::set<Pattern> found;
    for (const auto& completion : chart::cataloguePatternsOf(chart))
        if (!chart::infoOf(completion.pattern).warning) found.insert(completion.pattern);
    return found;
}

// 150 stocks of 520 days, a third of them without a trade, charted over 500 days: the
// drawing counts the days the series has, the screening those with a price.
TEST(NewestColumnTags, AreWhatTheScreeningListsWhateverTheGaps) {
    std::mt19937 random(5);
    int differing = 0, tagged = 0;
    for (const auto construction : {chart::Construction::Program, chart::Construction::Textbook})
        for (int stock = 0; stock < 150; ++stock) {
            std::vector<chart::Close> closes;
            std::normal_distribution<double> step(0, 6);
            std::bernoulli_distribution noTrade(stock % 3 == 0 ? 0.2 : 0.5);
            double price = 1000;
            for (int day = 0; day < 520; ++day) {
                price = std::max(100.0, price + step(random));
                closes.push_back(noTrade(random) ? chart::Close::none()
                                                 : chart::Close::of(std::llround(price)));
            }
            std::reverse(closes.begin(), closes.end());  // day 1 first
            chart::ChartRequest request;
            request.closes = closes;
            request.days = 500;
            request.construction = construction;
            const chart::Chart drawn = chart::runChart(request);
            request.count = chart::DayCount::PricedDays;
            request.keepRecords = true;
            const std::set<Pattern> screened = signalsOf(chart::runChart(request));
            EXPECT_EQ(newestTags(drawn), screened) << "stock " << stock;
            differing += signalsOf(drawn) != screened ? 1 : 0;
            tagged += screened.empty() ? 0 : 1;
        }
    // The drawing's own last column would have said otherwise for some of them.
    EXPECT_GT(differing, 10);
    EXPECT_GT(tagged, 30);
}

// Every sample stock on both scales and both constructions: a buy's objectives lie above
// its signal's box, a sell's below, and none is 0 or less.
TEST(PriceObjectives, EverySampleStockOnItsSignalsSide) {
    WorkingTable prices(5, 5);
    data::fillPriceTable(
        prices, data::readLines(data::DataRoot{testing_support::sampleRoot()}.priceFile()));
    int counted = 0, horizontal = 0, provisional = 0;
    for (const bool cohen : {false, true})
        for (const auto construction :
             {chart::Construction::Program, chart::Construction::Textbook})
            for (int col = 1; col <= 197 && !prices.cell(col, 0).empty(); ++col) {
                const auto closes = chart::closesOfColumn(prices, col, 500).value();
                chart::ChartRequest request;
                request.closes = closes;
                request.days = 500;
                request.scale.cohen = cohen;
                request.construction = construction;
                const chart::Chart chart = chart::runChart(request);
                const chart::BoxScale scale{cohen, 0.015L, false};
                const auto decorations = chart::decorate(chart, scale);
                if (!decorations.objectives) continue;
                const auto& objectives = *decorations.objectives;
                const long long signal =
                    chart::priceAtRow(chart, scale, objectives.signalRow).value();
                SCOPED_TRACE(prices.cell(col, 0) + (cohen ? " cohen" : " ratio"));
                ASSERT_TRUE(objectives.vertical);
                for (const auto& target : {objectives.vertical, objectives.horizontal}) {
                    if (!target) continue;
                    EXPECT_GT(*target, 0);
                    EXPECT_TRUE(objectives.buy ? *target > signal : *target < signal)
                        << *target << " against " << signal;
                }
                ++counted;
                horizontal += objectives.horizontal ? 1 : 0;
                provisional += objectives.provisional ? 1 : 0;
            }
    EXPECT_GT(counted, 400);
    EXPECT_GT(horizontal, 200);
    EXPECT_GT(provisional, 20);
}

}  // namespace
