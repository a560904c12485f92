#include "chart/patterns.h"
#include "screening/screening_build.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>

namespace {

using chart::Mark;
using chart::Pattern;
using screening::BuiltChart;
using screening::ColumnBuild;

// Box indexes from the oldest day to the newest, as a chart is read left to right.
std::vector<std::optional<int>> oldestFirst(std::initializer_list<std::optional<int>> boxes) {
    std::vector<std::optional<int>> byDay(boxes);
    std::reverse(byDay.begin(), byDay.end());
    return byDay;
}

ColumnBuild build(std::initializer_list<std::optional<int>> boxes) {
    return screening::buildScreeningColumns(oldestFirst(boxes));
}

std::vector<Pattern> patterns(std::initializer_list<std::optional<int>> boxes) {
    const ColumnBuild columns = build(boxes);
    return chart::detectPatterns(BuiltChart(columns), columns.lastColumn);
}

bool listed(const std::vector<Pattern>& found, Pattern pattern) {
    return std::find(found.begin(), found.end(), pattern) != found.end();
}

// Rows of a column's marks, top to bottom, and their direction.
std::vector<int> rowsOf(const ColumnBuild& columns, int col, bool rising) {
    std::vector<int> rows;
    for (const auto& box : columns.boxes)
        if (box.col == col) {
            EXPECT_EQ(box.rising, rising) << "column " << col;
            rows.push_back(box.row);
        }
    std::sort(rows.begin(), rows.end());
    return rows;
}

TEST(ScreeningColumnBuild, FollowsTheThreeBoxReversalRule) {
    // 5, 6, 7: falling column 2; 4: three up, column 3; 3: one more; 6: three down.
    const ColumnBuild columns = build({5, 6, 7, 4, 3, 6});
    EXPECT_EQ(rowsOf(columns, 2, false), (std::vector<int>{7, 8}));
    EXPECT_EQ(rowsOf(columns, 3, true), (std::vector<int>{4, 5, 6, 7}));
    EXPECT_EQ(rowsOf(columns, 4, false), (std::vector<int>{5, 6, 7}));
    EXPECT_EQ(columns.lastColumn, 4);
    EXPECT_FALSE(columns.rising);
    EXPECT_EQ(columns.level, 6);
    EXPECT_EQ(columns.startDay, 6);
}

TEST(ScreeningColumnBuild, MovesOfOneOrTwoBoxesAgainstTheColumnChangeNothing) {
    const ColumnBuild columns = build({10, 12, 10, 11, 10});
    EXPECT_EQ(rowsOf(columns, 2, false), (std::vector<int>{12, 13}));
    EXPECT_EQ(columns.lastColumn, 2);
    EXPECT_EQ(columns.level, 12);
}

TEST(ScreeningColumnBuild, RecordsKeepEachColumnsExtremes) {
    // Days (newest = 1): 6:5 5:6 4:7 3:4 2:3 1:6.
    const ColumnBuild columns = build({5, 6, 7, 4, 3, 6});
    ASSERT_EQ(columns.records.size(), 3u);
    // Column 2 keeps the unmarked start box as its top, without a date.
    EXPECT_EQ(columns.records[0].col, 2);
    EXPECT_EQ(columns.records[0].top, (chart::ExtremeRecord{5, 6, false}));
    EXPECT_EQ(columns.records[0].bottom, (chart::ExtremeRecord{7, 4, true}));
    // Column 3 derives its bottom from column 2's, one box higher, same day.
    EXPECT_EQ(columns.records[1].top, (chart::ExtremeRecord{3, 2, true}));
    EXPECT_EQ(columns.records[1].bottom, (chart::ExtremeRecord{6, 4, true}));
    EXPECT_EQ(columns.records[2].top, (chart::ExtremeRecord{4, 2, true}));
    EXPECT_EQ(columns.records[2].bottom, (chart::ExtremeRecord{6, 1, true}));
}

TEST(ScreeningColumnBuild, ASeriesThatStartsRisingLeavesColumnTwoUnmarked) {
    const ColumnBuild columns = build({5, 4, 3, 2});
    EXPECT_TRUE(rowsOf(columns, 2, false).empty());
    EXPECT_EQ(rowsOf(columns, 3, true), (std::vector<int>{3, 4, 5}));
    // Column 2 was current for two quiet days and shows the start records.
    ASSERT_EQ(columns.records.size(), 2u);
    EXPECT_EQ(columns.records[0].col, 2);
    EXPECT_EQ(columns.records[0].top.box, 5);
    EXPECT_EQ(columns.records[0].bottom.box, 5);
    EXPECT_EQ(columns.records[1].col, 3);
    EXPECT_EQ(columns.records[1].bottom.box, 4);  // the start box minus one, exact
    // A first move that reverses at once leaves column 2 without records.
    EXPECT_EQ(build({5, 2}).records.front().col, 3);
}

TEST(ScreeningColumnBuild, DaysWithoutBoxIndexLowerTheDaysUsed) {
    // Eight days asked for, two without a box index: the build uses days 1 to 6.
    const auto byDay = oldestFirst({1, 1, 20, std::nullopt, 21, 23, std::nullopt, 26});
    const ColumnBuild columns = screening::buildScreeningColumns(byDay);
    EXPECT_EQ(columns.startDay, 6);
    EXPECT_EQ(rowsOf(columns, 2, false), (std::vector<int>{22, 23, 24, 25, 26, 27}));
    EXPECT_EQ(columns.records.back().bottom, (chart::ExtremeRecord{26, 1, true}));
}

TEST(ScreeningColumnBuild, StartsAtTheNewestDayAboveWhenTheOldestCountedDayHasNoIndex) {
    // Days 8 and 10 have no box index: 8 days counted, day 8 empty, start at day 7.
    const auto byDay = oldestFirst({std::nullopt, 40, std::nullopt, 10, 11, 12, 13, 14, 15, 16});
    const ColumnBuild columns = screening::buildScreeningColumns(byDay);
    EXPECT_EQ(columns.startDay, 7);
    EXPECT_EQ(columns.records.front().top, (chart::ExtremeRecord{10, 7, false}));
    EXPECT_EQ(columns.level, 16);
}

TEST(ScreeningColumnBuild, NoDayWithABoxIndexBuildsNothing) {
    const auto byDay = std::vector<std::optional<int>>(5);
    const ColumnBuild columns = screening::buildScreeningColumns(byDay);
    EXPECT_EQ(columns.startDay, 0);
    EXPECT_EQ(columns.lastColumn, 2);
    EXPECT_TRUE(columns.boxes.empty());
    EXPECT_FALSE(columns.level.has_value());
}

// --- Breakouts -------------------------------------------------------------

TEST(DoubleTop, NewestRisingColumnOneBoxAboveTheTopTwoColumnsBefore) {
    EXPECT_TRUE(listed(patterns({10, 15, 8, 14, 7}), Pattern::DoubleTop));
    // Reaching only the same row is no breakout.
    EXPECT_TRUE(patterns({10, 15, 8, 14, 8}).empty());
}

TEST(DoubleBottom, NewestFallingColumnOneBoxBelowTheBottomTwoColumnsBefore) {
    EXPECT_EQ(patterns({10, 15, 10, 16}), (std::vector<Pattern>{Pattern::DoubleBottom}));
    EXPECT_TRUE(patterns({10, 15, 10, 15}).empty());
}

TEST(Breakouts, NeedThreeColumnsOfTheSameStock) {
    EXPECT_TRUE(patterns({10, 15}).empty());     // K = 2: column 0 is no chart column
    EXPECT_TRUE(patterns({10, 15, 8}).empty());  // K = 3: column 1 neither
}

// --- Tests after a double top ------------------------------------------------

TEST(BullishSignal, BottomsOfTheRisingColumnsExactlyTwoBoxesApart) {
    const auto found = patterns({10, 15, 8, 13, 7});
    EXPECT_TRUE(listed(found, Pattern::DoubleTop));
    EXPECT_TRUE(listed(found, Pattern::BullishSignal));
    // One box apart and three boxes apart are no signal.
    EXPECT_FALSE(listed(patterns({10, 15, 8, 14, 7}), Pattern::BullishSignal));
    const auto threeApart = patterns({10, 15, 8, 12, 7});
    EXPECT_TRUE(listed(threeApart, Pattern::DoubleTop));
    EXPECT_FALSE(listed(threeApart, Pattern::BullishSignal));
}

TEST(TripleTop, TwoTopsOnOneRowAndABreakoutAboveThem) {
    EXPECT_EQ(patterns({10, 15, 8, 14, 8, 14, 7}),
              (std::vector<Pattern>{Pattern::DoubleTop, Pattern::TripleTop}));
    // The first top one box higher: a double top only.
    EXPECT_EQ(patterns({10, 15, 7, 14, 8, 14, 7}), (std::vector<Pattern>{Pattern::DoubleTop}));
}

TEST(BullishTriangle, TopTwoColumnsBeforeLiesTwoBoxesLower) {
    EXPECT_TRUE(listed(patterns({10, 15, 6, 14, 8, 14, 7}), Pattern::BullishTriangle));
    EXPECT_FALSE(listed(patterns({10, 15, 7, 14, 8, 14, 7}), Pattern::BullishTriangle));
}

TEST(ReversalUp, ThreeRisingTopsEachTwoBoxesLower) {
    const auto found = patterns({10, 15, 4, 14, 6, 14, 8, 14, 7});
    EXPECT_EQ(found, (std::vector<Pattern>{Pattern::DoubleTop, Pattern::ReversalUp,
                                           Pattern::BullishTriangle}));
    EXPECT_FALSE(listed(patterns({10, 15, 5, 14, 6, 14, 8, 14, 7}), Pattern::ReversalUp));
}

TEST(TestsAfterADoubleTop, WithFiveColumnsLookAtColumnOneAndDoNotMatch) {
    // Columns 3 and 5 top out on one row, and column 3 two boxes above column 5
    // would make a triangle; at K = 5 both look at column 1.
    const ColumnBuild columns = build({10, 15, 8, 13, 7});
    ASSERT_EQ(columns.lastColumn, 5);
    const BuiltChart chart(columns);
    EXPECT_FALSE(chart::matches(Pattern::TripleTop, chart, 5));
    EXPECT_FALSE(chart::matches(Pattern::BullishTriangle, chart, 5));
    EXPECT_FALSE(chart::matches(Pattern::ReversalUp, chart, 5));  // column -1
}

// --- Tests after a double bottom ----------------------------------------------

TEST(BearishSignal, TopsOfTheFallingColumnsExactlyTwoBoxesApart) {
    const auto found = patterns({5, 15, 8, 17, 10, 18});
    EXPECT_TRUE(listed(found, Pattern::DoubleBottom));
    EXPECT_TRUE(listed(found, Pattern::BearishSignal));
    EXPECT_FALSE(listed(patterns({5, 15, 8, 17, 9, 18}), Pattern::BearishSignal));
    const auto threeApart = patterns({5, 15, 8, 17, 11, 18});
    EXPECT_TRUE(listed(threeApart, Pattern::DoubleBottom));
    EXPECT_FALSE(listed(threeApart, Pattern::BearishSignal));
}

TEST(TripleBottom, TwoBottomsOnOneRowAndABreakoutBelowThem) {
    EXPECT_EQ(patterns({5, 15, 8, 15, 9, 16}),
              (std::vector<Pattern>{Pattern::DoubleBottom, Pattern::TripleBottom}));
    EXPECT_EQ(patterns({5, 16, 8, 15, 9, 16}), (std::vector<Pattern>{Pattern::DoubleBottom}));
}

TEST(BearishTriangle, UsesTheTopsOfTheFallingColumns) {
    const auto found = patterns({5, 15, 8, 17, 6, 18, 10, 19});
    EXPECT_TRUE(listed(found, Pattern::DoubleBottom));
    EXPECT_TRUE(listed(found, Pattern::BearishTriangle));
    EXPECT_FALSE(listed(patterns({5, 15, 8, 17, 7, 18, 10, 19}), Pattern::BearishTriangle));
}

TEST(ReversalDown, ThreeFallingBottomsEachTwoBoxesHigher) {
    const auto found = patterns({5, 19, 8, 17, 8, 15, 8, 16});
    EXPECT_TRUE(listed(found, Pattern::DoubleBottom));
    EXPECT_TRUE(listed(found, Pattern::ReversalDown));
    EXPECT_FALSE(listed(patterns({5, 20, 8, 17, 8, 15, 8, 16}), Pattern::ReversalDown));
}

TEST(TestsAfterADoubleBottom, FourColumnsNeverGiveABearishSignalOrTriangle) {
    // Column 2's top record is the unmarked start box.
    const ColumnBuild columns = build({10, 15, 10, 17});
    ASSERT_EQ(columns.lastColumn, 4);
    const BuiltChart chart(columns);
    EXPECT_TRUE(chart::matches(Pattern::DoubleBottom, chart, 4));
    for (const Pattern pattern : chart::kFollowUpPatterns)
        EXPECT_FALSE(chart::matches(pattern, chart, 4)) << chart::caption(pattern);
}

TEST(TestsAfterADoubleBottom, SixColumnsTriangleFailsOnlyOnTheUnmarkedStartBox) {
    // Column 2 tops at the start box 5 (row 6), column 4 at row 4: the rows fit a
    // bearish triangle, but row 6 of column 2 holds no mark.
    const ColumnBuild columns = build({5, 15, 2, 17, 5, 18});
    ASSERT_EQ(columns.lastColumn, 6);
    const BuiltChart chart(columns);
    EXPECT_EQ(chart.topBox(2), 5);
    EXPECT_EQ(chart.topBox(4), 3);
    EXPECT_EQ(chart.mark(2, 6), Mark::None);
    EXPECT_TRUE(chart::matches(Pattern::DoubleBottom, chart, 6));
    EXPECT_FALSE(chart::matches(Pattern::BearishTriangle, chart, 6));
}

TEST(PatternTests, ColumnsBelowTwoAreNeverRead) {
    // A chart that answers anything for any column would match; the tests must not
    // ask about columns 0, 1 or negative ones.
    struct Everything : chart::ChartCells {
        mutable int lowestColumnRead = 100;
        Mark mark(int col, int) const override {
            lowestColumnRead = std::min(lowestColumnRead, col);
            return Mark::Rising;
        }
        std::optional<int> topBox(int col) const override {
            lowestColumnRead = std::min(lowestColumnRead, col);
            return 5;
        }
        std::optional<int> bottomBox(int col) const override { return topBox(col); }
    } chart;
    for (int k = 2; k <= 5; ++k)
        for (int p = 1; p <= chart::kPatternCount; ++p)
            chart::matches(static_cast<Pattern>(p), chart, k);
    EXPECT_GE(chart.lowestColumnRead, 2);
}

}  // namespace
