// The textbook construction on a scale of one yen per box, read as the columns' boxes, as
// the method's books draw their examples by hand; then through the chart run on the
// percentage scales, and the fixed scale that a new high leaves as it was.
#include "chart/textbook.h"

#include <gtest/gtest.h>

#include <random>

#include "chart/chart.h"

namespace {

// Levels 120 down to 80, one a row from row 2.
chart::LevelColumn oneYenBoxes() {
    chart::LevelColumn levels(44);
    for (int row = 2; row <= 42; ++row) levels[static_cast<std::size_t>(row)] = 122 - row;
    return levels;
}

// Each drawn column as its direction and its top and bottom levels, e.g. "X103-100".
std::vector<std::string> columnTexts(const chart::Chart& drawn) {
    std::vector<std::string> columns;
    for (const auto& column : drawn.columns)
        if (!column.empty())
            columns.push_back(std::string(column.rising ? "X" : "O") +
                              std::to_string(*drawn.level(column.topRow)) + "-" +
                              std::to_string(*drawn.level(column.bottomRow)));
    return columns;
}

// A series written oldest first as the engine takes it, day 1 (the newest) first.
std::vector<chart::Close> closesOf(const std::vector<long long>& oldestFirst) {
    std::vector<chart::Close> closes;
    for (auto it = oldestFirst.rbegin(); it != oldestFirst.rend(); ++it)
        closes.push_back(chart::Close::of(*it));
    return closes;
}

// Each column as its direction and its top and bottom levels, e.g. "X103-100".
std::vector<std::string> columnsOf(std::vector<long long> oldestFirst, int reversal = 3,
                                   std::vector<std::pair<long long, long long>> highLow = {}) {
    const auto levels = oneYenBoxes();
    const std::vector<chart::Close> closes = closesOf(oldestFirst);
    std::vector<chart::Close> highs, lows;
    for (auto it = highLow.rbegin(); it != highLow.rend(); ++it) {
        highs.push_back(chart::Close::of(it->first));
        lows.push_back(chart::Close::of(it->second));
    }
    const auto drawing = chart::drawTextbook(
        {&levels, closes, highs, lows, static_cast<int>(closes.size()), reversal});
    return columnTexts(chart::chartOfDrawing(drawing, levels, false));
}

TEST(TextbookConstruction, ThreeBoxReversalsOneBoxBesideTheLastBox) {
    // Up from 100 to 103; 102 is no reversal, 99 is (three boxes under 102's top... 103);
    // 98 extends; 101 reaches three boxes above the bottom.
    EXPECT_EQ(columnsOf({100, 101, 103, 102, 99, 98, 101}),
              (std::vector<std::string>{"X103-100", "O102-98", "X101-99"}));
    // A first fall includes the starting box.
    EXPECT_EQ(columnsOf({100, 98, 97}), (std::vector<std::string>{"O100-97"}));
}

TEST(TextbookConstruction, OneBoxReversalTurnsOnEveryLevel) {
    EXPECT_EQ(columnsOf({100, 102, 101, 103}, 1),
              (std::vector<std::string>{"X102-100", "O101-101", "X103-102"}));
}

TEST(TextbookConstruction, AHighFirstExtendsTheColumnOtherwiseTheLowMayReverseIt) {
    // Day 3's high extends the X column to 105, so its low of 101 does not reverse it;
    // day 4's high does not extend it and its low of 102 reverses it (105 - 3).
    EXPECT_EQ(columnsOf({100, 103, 104, 103}, 3, {{100, 100}, {103, 101}, {105, 101}, {104, 102}}),
              (std::vector<std::string>{"X105-100", "O104-102"}));
}

// A chart run with the textbook construction draws the textbook columns, on the scale's
// levels or on levels given (a bullish percent's 2-point boxes).
TEST(TextbookConstruction, TheChartRunDrawsTheTextbookColumns) {
    struct Case {
        std::vector<long long> oldestFirst;
        bool onSteps;  // 2-point boxes from 100 to 0, else the fixed 1.5% scale
        std::vector<std::string> columns;
    };
    const std::vector<Case> cases = {
        // A close takes the highest level at or below it: 1000 starts at 993, 1014 reaches
        // 1009, 1000 is no reversal of 1025 (that needs 978), 950 is.
        {{1000, 1014, 1040, 1000, 950, 1100}, false, {"X1025-993", "O1009-963", "X1091-978"}},
        {{40, 42, 44, 38, 37, 50}, true, {"X44-40", "O42-38", "X50-40"}},
        {{60, 59, 50}, true, {"O60-50"}},
    };
    for (const Case& c : cases) {
        const std::vector<chart::Close> closes = closesOf(c.oldestFirst);
        chart::ChartRequest request;
        request.closes = closes;
        request.days = static_cast<int>(closes.size());
        request.construction = chart::Construction::Textbook;
        request.scale = {false, 0.015L, true};
        const chart::Chart drawn =
            c.onSteps ? chart::runChartOnLevels(request, chart::stepLevels(100, 0, 2))
                      : chart::runChart(request);
        EXPECT_EQ(columnTexts(drawn), c.columns) << ::testing::PrintToString(c.oldestFirst);
    }
    EXPECT_EQ(chart::stepLevels(10, 0, 4), (std::vector<long long>{10, 6, 2}));
    EXPECT_TRUE(chart::stepLevels(10, 0, 0).empty());
}

TEST(TextbookConstruction, TheChartRunDrawsItOverTheChartsLevels) {
    // A fall from 1000 to 900 (newest first): the textbook's first column holds the
    // starting box in row 2, the program's own column starts one box below it.
    const std::vector<chart::Close> closes = {chart::Close::of(900), chart::Close::of(1000)};
    chart::ChartRequest request;
    request.closes = closes;
    request.days = 2;
    request.scale.ratio = 0.02L;
    const auto program = chart::runChart(request);
    request.construction = chart::Construction::Textbook;
    const auto textbook = chart::runChart(request);
    ASSERT_EQ(textbook.columns.size(), 1u);
    EXPECT_EQ(std::pair(textbook.columns[0].topRow, textbook.columns[0].bottomRow),
              std::pair(2, program.columns[0].bottomRow));
    EXPECT_EQ(program.columns[0].topRow, 3);
    EXPECT_EQ(textbook.lastBox, program.lastBox);
}

TEST(TextbookConstruction, HandDrawnThreeBoxAndOneBoxCharts) {
    // Three-box: up from 100 to 104; 103 is no reversal, 101 (three below 104) is, and the
    // 〇s start at 103; 100 extends them; 103 (three above 100) turns up from 101; on to
    // 106; 104 is no reversal, 103 is, from 105; down to 99.
    EXPECT_EQ(columnsOf({100, 102, 104, 103, 101, 100, 103, 106, 105, 104, 103, 99}),
              (std::vector<std::string>{"X104-100", "O103-100", "X106-101", "O105-99"}));
    // One-box: every level against the column turns it, one box beside its last box.
    EXPECT_EQ(columnsOf({100, 101, 102, 101, 100, 101, 103, 102}, 1),
              (std::vector<std::string>{"X102-100", "O101-100", "X103-101", "O102-102"}));
    // Five-box: a fall of four levels does nothing, of five turns the column.
    EXPECT_EQ(columnsOf({100, 110, 106, 105}, 5),
              (std::vector<std::string>{"X110-100", "O109-105"}));
    // Nothing moves a level off the starting box: no column yet.
    EXPECT_TRUE(columnsOf({100, 100, 100}).empty());
}

TEST(TextbookConstruction, InAFallingColumnTheLowFirstExtendsItOtherwiseTheHighMayReverseIt) {
    // Down from 105 to 102; day 4's low of 101 extends it although its high of 105 would
    // reverse it (102 + 3); day 5's high of 104 reverses it (101 + 3), its low not reaching 100.
    EXPECT_EQ(columnsOf({105, 103, 102, 103, 103}, 3,
                        {{105, 105}, {104, 103}, {103, 102}, {105, 101}, {104, 101}}),
              (std::vector<std::string>{"O105-101", "X104-102"}));
}

// The chart run's textbook construction on a percentage scale, against the program's own.
TEST(TextbookConstruction, TheChartRunDrawsItOnThePercentageScale) {
    // Oldest first; levels from 1000 by 2%: 1000 980 960 940 921 902 883 865 847 830 813.
    const std::vector<long long> oldestFirst{950, 990, 1000, 955, 925, 899, 940, 970};
    const std::vector<chart::Close> closes = closesOf(oldestFirst);
    chart::ChartRequest request;
    request.closes = closes;
    request.days = static_cast<int>(closes.size());
    request.scale.ratio = 0.02L;
    request.construction = chart::Construction::Textbook;
    const chart::Chart chart = chart::runChart(request);
    const std::vector<std::string> columns = columnTexts(chart);
    // 950 starts at the level at or below it, 940; 990 rises to 980, 1000 to 1000; 955 is
    // no reversal (940 is three boxes down), 925 is: 〇s from 980 to the level at or above
    // it, 940; 899 falls to 902; 940 does not reach 960 (three above 902), 970 does: ×s
    // from 921 to 960.
    EXPECT_EQ(columns, (std::vector<std::string>{"X1000-940", "O980-902", "X960-921"}));
    // The box that holds a close: the level at or below it (960 in row 4).
    EXPECT_EQ(chart.rowHolding(970), 4);
}

// Adding a day with a new high leaves every earlier column of a fixed-scale chart as it
// was, in both constructions; on the period's scale the levels move and columns change.
TEST(FixedScale, ANewHighLeavesEveryEarlierColumnAsItWas) {
    std::mt19937 random(11);
    int redrawnOnThePeriodsScale = 0;
    for (int walk = 0; walk < 40; ++walk) {
        std::vector<long long> oldestFirst{1000};
        std::normal_distribution<double> step(0, 12);
        for (int day = 0; day < 250; ++day)
            oldestFirst.push_back(
                std::max<long long>(200, oldestFirst.back() + std::llround(step(random))));
        const long long high = *std::max_element(oldestFirst.begin(), oldestFirst.end());
        for (const auto construction :
             {chart::Construction::Program, chart::Construction::Textbook})
            for (const bool fixed : {true, false}) {
                const auto columnsOf = [&](const std::vector<long long>& series) {
                    const std::vector<chart::Close> closes = closesOf(series);
                    chart::ChartRequest request;
                    request.closes = closes;
                    request.days = 1000;
                    request.construction = construction;
                    request.scale.fixed = fixed;
                    const chart::Chart chart = chart::runChart(request);
                    std::vector<std::tuple<bool, long long, long long>> columns;
                    for (const auto& column : chart.columns)
                        columns.emplace_back(column.rising, chart.level(column.topRow).value_or(0),
                                             chart.level(column.bottomRow).value_or(0));
                    return columns;
                };
                const auto before = columnsOf(oldestFirst);
                auto longer = oldestFirst;
                longer.push_back(high * 106 / 100);
                const auto after = columnsOf(longer);
                // Every column but the last as it was; the last one only grows upward.
                bool same = after.size() >= before.size() &&
                            std::equal(before.begin(), before.end() - 1, after.begin());
                if (same) {
                    const auto& [rising, top, bottom] = before.back();
                    const auto& [risingAfter, topAfter, bottomAfter] = after[before.size() - 1];
                    same = after.size() == before.size()
                               ? rising && risingAfter && bottomAfter == bottom && topAfter > top
                               : after[before.size() - 1] == before.back();
                }
                if (fixed)
                    EXPECT_TRUE(same) << "walk " << walk;
                else if (!same)
                    ++redrawnOnThePeriodsScale;
            }
    }
    EXPECT_GT(redrawnOnThePeriodsScale, 10);
}

}  // namespace
