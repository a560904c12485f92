// The decorations of constructed box paths: month markers, the signal history against
// the screening's own build, trend lines, and the price objectives on both scales.
#include "chart/decorations.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <tuple>

#include "chart/box_scale.h"
#include "chart/pattern_catalogue.h"
#include "chart/patterns.h"
#include "screening/screening_build.h"

namespace {

using chart::LineKind;
using chart::Pattern;
using chart::TrendLine;

struct Day {
    int box;
    std::string date;
};

// Box indices and dates listed oldest first, as days n .. 1.
chart::Chart chartOf(const std::vector<Day>& oldestFirst, chart::LevelColumn levels = {}) {
    const std::size_t n = oldestFirst.size();
    std::vector<std::optional<int>> byDay(n + 1);
    std::vector<std::string> dates(n + 1);
    for (std::size_t i = 0; i < n; ++i) {
        byDay[n - i] = oldestFirst[i].box;
        dates[n - i] = oldestFirst[i].date;
    }
    auto drawn = chart::chartOfDrawing(chart::drawColumns(byDay, static_cast<int>(n)),
                                       std::move(levels), false);
    drawn.dates.assign(dates.begin() + 1, dates.end());
    return drawn;
}

chart::Chart chartOf(const std::vector<int>& boxes, chart::LevelColumn levels = {}) {
    std::vector<Day> days;
    for (std::size_t i = 0; i < boxes.size(); ++i)
        days.push_back({boxes[i], "2025/01/" + std::to_string(10 + i % 20)});
    return chartOf(days, std::move(levels));
}

chart::LevelColumn levelRows(const std::vector<long long>& levels, int firstRow) {
    chart::LevelColumn rows(static_cast<std::size_t>(firstRow) + levels.size() + 1);
    for (std::size_t i = 0; i < levels.size(); ++i)
        rows[static_cast<std::size_t>(firstRow) + i] = levels[i];
    return rows;
}

// Falls from 10 to 20, rises to 15, falls to 18, breaks out to 13 (a double top in
// column 5), falls to 16, rises to 10, falls through the support line to 17, rises to
// 14, falls to 19 and rises through the resistance line to 11.
const std::vector<int> kTrendPath = {10, 20, 15, 18, 13, 16, 10, 17, 14, 19, 11};

TEST(MonthMarkers, FirstBoxOfEachMonthInDrawingOrder) {
    const auto chart = chartOf({{10, "2025/01/30"},
                                {11, "2025/01/31"},   // column 2, row 12: the first box
                                {14, "2025/02/03"},   // rows 13 to 15 on one day
                                {10, "2025/02/04"},   // column 3, rows 15 up to 11
                                {8, "2026/02/05"},    // a new year: its last digit
                                {7, " "},             // no date: passed over
                                {6, "2026/10/01"}});  // October
    EXPECT_EQ(chart::monthMarkers(chart),
              (std::vector<chart::MonthMarker>{
                  {2, 12, '1'}, {2, 13, '2'}, {3, 10, '6', true}, {3, 7, 'A'}}));
    std::string letters;
    for (int month = 1; month <= 12; ++month) letters += chart::monthLetter(month);
    EXPECT_EQ(letters, "123456789ABC");
}

TEST(SignalHistory, ASignalInAnEarlyColumnKeepsItsColumnDateAndBox) {
    std::vector<Day> days;
    for (int box : kTrendPath) days.push_back({box, "2025/03/" + std::to_string(10 + days.size())});
    const auto signals = chart::signalHistory(chartOf(days));
    ASSERT_FALSE(signals.empty());
    // Column 5 rises to row 14, one box past the top of column 3 (row 16) in row 15.
    EXPECT_EQ(signals.front(), (chart::Signal{5, Pattern::DoubleTop, 15, "2025/03/14"}));
}

// Over random walks, the patterns of each column are exactly what the screening finds
// on the chart as it stood on some day while that column was the newest, and the last
// column's are what it finds on the whole chart.
TEST(SignalHistory, EachColumnHoldsWhatTheScreeningFoundWhileItWasNewest) {
    std::mt19937 random(7);
    int signalsSeen = 0;
    for (int walk = 0; walk < 60; ++walk) {
        std::vector<int> boxes{30};
        std::uniform_int_distribution<int> step(-5, 5);
        for (int day = 0; day < 150; ++day)
            boxes.push_back(std::clamp(boxes.back() + step(random), 1, 60));
        const auto signals = chart::signalHistory(chartOf(boxes));
        // The ten, against the screening build's own cells.
        std::map<int, std::set<Pattern>> history;
        for (const auto& signal : signals)
            if (chart::isClassic(signal.pattern)) history[signal.col].insert(signal.pattern);
        signalsSeen += static_cast<int>(signals.size());

        std::map<int, std::set<Pattern>> screened;
        int lastColumn = 2;
        for (std::size_t end = 2; end <= boxes.size(); ++end) {
            // boxByDay[0] is the newest day.
            std::vector<std::optional<int>> byDay(boxes.rbegin() + (boxes.size() - end),
                                                  boxes.rend());
            const auto build = screening::buildScreeningColumns(byDay);
            const screening::BuiltChart built(build);
            for (Pattern p : chart::detectPatterns(built, build.lastColumn))
                screened[build.lastColumn].insert(p);
            if (end == boxes.size()) {
                lastColumn = build.lastColumn;
                const auto found = chart::detectPatterns(built, build.lastColumn);
                EXPECT_EQ(history[lastColumn], std::set<Pattern>(found.begin(), found.end()))
                    << "walk " << walk;
            }
        }
        std::erase_if(history, [](const auto& entry) { return entry.second.empty(); });
        EXPECT_EQ(history, screened) << "walk " << walk;
    }
    EXPECT_GT(signalsSeen, 50);
}

// The further formations of each column, signals and warnings, with their boxes and dates,
// are exactly what the chart showed at its last column on some day while that column was
// the newest.
TEST(SignalHistory, FormationsOfEachColumnAreWhatTheChartShowedWhileItWasNewest) {
    std::mt19937 random(11);
    std::set<Pattern> seen;
    for (int walk = 0; walk < 80; ++walk) {
        std::vector<int> boxes{40};
        std::uniform_int_distribution<int> step(-7, 7);
        for (int day = 0; day < 160; ++day)
            boxes.push_back(std::clamp(boxes.back() + step(random), 1, 80));
        const auto full = chartOf(boxes);
        std::set<std::tuple<int, Pattern, int, std::string>> history;
        for (const auto& list : {chart::signalHistory(full), chart::warningHistory(full)})
            for (const auto& signal : list)
                if (!chart::isClassic(signal.pattern))
                    history.insert({signal.col, signal.pattern, signal.row, signal.date});

        std::set<std::tuple<int, Pattern, int, std::string>> shown;
        for (std::size_t end = 2; end <= boxes.size(); ++end) {
            const auto prefix = chartOf(std::vector<int>(boxes.begin(), boxes.begin() + end));
            const int last = prefix.lastColumn();
            for (const auto& found : chart::PatternReader(prefix).formationsAt(last)) {
                shown.insert({last, found.pattern, found.row, prefix.dateAt(last, found.row)});
                seen.insert(found.pattern);
            }
        }
        EXPECT_EQ(history, shown) << "walk " << walk;
    }
    // Every formation occurs in these walks.
    EXPECT_EQ(seen.size(), chart::formations().size());
}

TEST(TrendLines, EachLineRunsUntilThePriceCrossesItAndTheNextStartsAtTheExtremeBefore) {
    const auto chart = chartOf(kTrendPath);
    const auto lines = chart::trendLines(chart, chart::signalHistory(chart));
    // Support from below the low of column 2 (row 21), crossed by column 8 falling to row
    // 18 past its row 16; resistance from above column 7's top (row 11), crossed by
    // column 11 rising to row 12 past its row 14; support from below column 10's low.
    EXPECT_EQ(lines, (std::vector<TrendLine>{{LineKind::BullishSupport, 2, 22, 8, true},
                                             {LineKind::BearishResistance, 7, 10, 11, true},
                                             {LineKind::BullishSupport, 10, 21, 11, false}}));
    EXPECT_EQ(chart::lineInForce(lines), LineKind::BullishSupport);

    // A fall that only reaches the line's box leaves it in force.
    const auto touch = chartOf(std::vector<int>{10, 20, 15, 18, 13, 16, 10, 15});
    const auto touchLines = chart::trendLines(touch, chart::signalHistory(touch));
    EXPECT_EQ(touchLines, (std::vector<TrendLine>{{LineKind::BullishSupport, 2, 22, 8, false}}));

    // A double bottom first: a resistance line from above the highest × before it.
    const auto falling = chartOf(std::vector<int>{20, 10, 15, 12, 17});
    EXPECT_EQ(chart::trendLines(falling, chart::signalHistory(falling)),
              (std::vector<TrendLine>{{LineKind::BearishResistance, 3, 10, 6, false}}));

    const auto flat = chartOf(std::vector<int>{10, 13, 10});
    EXPECT_TRUE(chart::trendLines(flat, chart::signalHistory(flat)).empty());
}

TEST(PriceAtRow, ContinuesTheScalePastTheChartsEdges) {
    const auto percentage = levelRows(chart::percentageLevels(1000, 900, 0.02L), 2);
    const auto cohen = levelRows(chart::cohenLevels(1010, 960), 1);  // 1020 .. 970
    const chart::BoxScale byRatio{false, 0.02L}, byLadder{true, 0};
    struct Case {
        const chart::LevelColumn* levels;
        chart::BoxScale scale;
        int row;
        long long price;
    };
    chart::Chart percentageChart, cohenChart;
    percentageChart.levels = percentage;
    cohenChart.levels = cohen;
    for (const auto& [levels, scale, row, price] : std::vector<Case>{
             {&percentage, byRatio, 2, 1000},
             {&percentage, byRatio, 5, 940},
             {&percentage, byRatio, 1, 1021},  // the least price that falls to 1000
             {&percentage, byRatio, 0, 1042},
             {&percentage, byRatio, 9, 865},  // 902 is the last level; 883, 865 follow
             {&cohen, byLadder, 1, 1020},
             {&cohen, byLadder, 0, 1040},  // steps of 20 above 1000, 10 below
             {&cohen, byLadder, 3, 990},
             {&cohen, byLadder, 6, 960},
         }) {
        const chart::Chart& chart = levels == &percentage ? percentageChart : cohenChart;
        EXPECT_EQ(chart::priceAtRow(chart, scale, row), price) << "row " << row;
    }
}

TEST(PriceAtRow, NothingOffTheLadderOrAtZero) {
    chart::Chart percentage, cohen;
    percentage.levels = levelRows(chart::percentageLevels(100, 90, 0.2L), 2);  // 100 80
    cohen.levels = levelRows(chart::cohenLevels(20, 8), 1);                    // 25 .. 10
    EXPECT_EQ(chart::priceAtRow(percentage, {false, 0.2L}, 30), std::nullopt);
    EXPECT_EQ(chart::priceAtRow(cohen, {true, 0}, 10), std::nullopt);  // below 5 the ladder ends
    EXPECT_EQ(chart::priceAtRow(cohen, {true, 0}, -1500), std::nullopt);
    // The fixed scale goes on along its ladder, also above the chart.
    chart::Chart fixed;
    fixed.levels = levelRows(chart::fixedPercentageLevels(1000, 950, 0.015L), 2);
    const auto& ladder = chart::fixedPercentageLadder(0.015L);
    const auto top = std::find(ladder.begin(), ladder.end(), *fixed.level(2));
    ASSERT_NE(top, ladder.end());
    EXPECT_EQ(chart::priceAtRow(fixed, {false, 0.015L, true}, 0), *(top - 2));
}

// Hand-counted objectives of the newest signal. Box paths as in the trend-line cases; the
// program's rule, three-box reversals.
TEST(PriceObjectives, CountedOnTheSignalsColumnAndBackToTheWall) {
    const auto buyLevels = levelRows(chart::percentageLevels(1000, 600, 0.02L), 2);
    const chart::BoxScale byRatio{false, 0.02L};
    // Falls to row 21, rises to 16, falls to 19, breaks out to row 14: a double top in
    // column 5 (the box in row 15). Column 5 still grows: five boxes (rows 18 to 14),
    // times three, above its lowest box: row 3. The wall is column 2, whose top (row 12)
    // lies above the broken top (row 16): four columns, times three, above the base's low
    // in row 21: row 9.
    const auto growing = chartOf(std::vector<int>{10, 20, 15, 18, 13}, buyLevels);
    const auto up = chart::priceObjectives(growing, byRatio, chart::signalHistory(growing)).value();
    EXPECT_TRUE(up.buy);
    EXPECT_EQ(std::tuple(up.signalCol, up.signalRow, up.provisional, up.wallCol),
              std::tuple(5, 15, true, 2));
    EXPECT_EQ(std::pair(up.verticalRow, up.horizontalRow), std::pair(3, 9));
    EXPECT_EQ(std::pair(up.vertical, up.horizontal),
              std::pair(std::optional<long long>(980), std::optional<long long>(865)));
    chart::Decorations decorations;
    decorations.objectives = up;
    EXPECT_EQ(chart::objectivesText(decorations), "目標値 垂直 980（暫定） / 水平 865");

    // A reversal completes column 5: the same counts, no longer provisional.
    const auto complete = chartOf(std::vector<int>{10, 20, 15, 18, 13, 17}, buyLevels);
    const auto done =
        chart::priceObjectives(complete, byRatio, chart::signalHistory(complete)).value();
    EXPECT_EQ(std::tuple(done.signalCol, done.provisional, done.verticalRow, done.horizontalRow),
              std::tuple(5, false, 3, 9));

    // Column 2 empty (the chart began rising): no column reached past the broken top, no
    // wall, no horizontal count.
    const auto wallLess = chartOf(std::vector<int>{15, 12, 15, 11}, buyLevels);
    const auto none =
        chart::priceObjectives(wallLess, byRatio, chart::signalHistory(wallLess)).value();
    EXPECT_EQ(std::tuple(none.signalCol, none.wallCol, none.horizontal),
              std::tuple(5, 0, std::optional<long long>()));
    EXPECT_TRUE(none.vertical);
    decorations.objectives = none;
    EXPECT_EQ(chart::objectivesText(decorations),
              "目標値 垂直 " + chart::groupedNumber(*none.vertical) + "（暫定） / 水平 −");

    // A sell on the Cohen scale (rows 1 to 21: 1240 down to 920): the double bottom of
    // column 6 in row 17. Its five boxes (rows 14 to 18), times two, below its highest box:
    // row 24. The wall is column 3 (its low in row 21 lies below the broken bottom, row
    // 16): four columns, times three, below the base's high in row 11: row 23.
    const auto sellLevels = levelRows(chart::cohenLevels(1234, 915), 1);
    const auto sell = chartOf(std::vector<int>{20, 10, 15, 12, 17}, sellLevels);
    const auto down = chart::priceObjectives(sell, {true, 0}, chart::signalHistory(sell)).value();
    EXPECT_FALSE(down.buy);
    EXPECT_EQ(std::tuple(down.signalCol, down.signalRow, down.wallCol), std::tuple(6, 17, 3));
    EXPECT_EQ(std::pair(down.verticalRow, down.horizontalRow), std::pair(24, 23));
    EXPECT_EQ(std::pair(down.vertical, down.horizontal),
              std::pair(std::optional<long long>(890), std::optional<long long>(900)));

    // A one-box chart counts one box per box (a sell one box per box too).
    auto oneBox = chartOf(std::vector<int>{20, 10, 15, 12, 17}, sellLevels);
    oneBox.reversal = 1;
    const auto small = chart::priceObjectives(oneBox, {true, 0}, chart::signalHistory(sell));
    EXPECT_EQ(small->verticalRow, 14 + 5);

    EXPECT_EQ(chart::groupedNumber(1234567), "1,234,567");
    EXPECT_EQ(chart::groupedNumber(-1180), "-1,180");
}

}  // namespace
