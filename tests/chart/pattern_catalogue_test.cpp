// The sixteen further formations of the catalogue on constructed column sequences: each
// bullish sequence and its mirror (rows turned upside down), read from columns laid out
// directly and from the prices of the same turns charted in both constructions.
#include "chart/pattern_catalogue.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "chart/box_scale.h"
#include "chart/decorations.h"

namespace {

using chart::Pattern;
using P = chart::Pattern;

// A column sequence by its turns: the chart starts in `turns[0]` and each next turn is the
// far end of the next column (a falling column when it lies lower, rows counting down).
using Turns = std::vector<int>;

// The columns laid out as both constructions draw them from the second column on: a
// column starts one box beside the previous one's end.
chart::Chart columnsOf(const Turns& turns) {
    chart::Chart chart;
    chart.construction = chart::Construction::Textbook;  // no unmarked start box
    chart.levels.assign(120, std::nullopt);
    for (int row = 1; row < 119; ++row) chart.levels[static_cast<std::size_t>(row)] = 1000 - row;
    int from = turns[0];
    for (std::size_t i = 1; i < turns.size(); ++i) {
        chart::Column column;
        column.col = static_cast<int>(i) + 1;
        column.rising = turns[i] < from;
        column.topRow = std::min(from, turns[i]);
        column.bottomRow = std::max(from, turns[i]);
        column.days.assign(static_cast<std::size_t>(column.boxes()), 1);
        chart.columns.push_back(column);
        // The next column starts one box past this one's end.
        from = turns[i] + (column.rising ? 1 : -1);
    }
    // The first column includes the start box.
    chart.columns.front().rising ? ++chart.columns.front().bottomRow
                                 : --chart.columns.front().topRow;
    chart.columns.front().days.push_back(1);
    return chart;
}

// The same turns as closes (oldest first) on a 2% scale whose first level is the highest
// turn, charted by runChart; the rows move up so that the highest turn lies in row 2.
chart::Chart chartedOf(const Turns& turns, chart::Construction construction, int& shift) {
    const int highest = *std::min_element(turns.begin(), turns.end());
    const int lowest = *std::max_element(turns.begin(), turns.end());
    shift = 2 - highest;
    const auto levels = chart::percentageLevels(1'000'000, 1, 0.02L);
    std::vector<chart::Close> closes;
    for (auto turn = turns.rbegin(); turn != turns.rend(); ++turn)
        closes.push_back(chart::Close::of(levels[static_cast<std::size_t>(*turn - highest)]));
    EXPECT_LT(static_cast<std::size_t>(lowest - highest), levels.size());
    chart::ChartRequest request;
    request.closes = closes;
    request.days = static_cast<int>(closes.size());
    request.scale.ratio = 0.02L;
    request.construction = construction;
    return chart::runChart(request);
}

Turns mirrored(const Turns& turns) {
    Turns mirror;
    for (const int turn : turns) mirror.push_back(100 - turn);
    return mirror;
}

std::optional<int> rowOf(const chart::Chart& chart, Pattern pattern) {
    for (const auto& found : chart::cataloguePatternsOf(chart))
        if (found.pattern == pattern) return found.row;
    return std::nullopt;
}

struct Case {
    const char* what;
    Pattern bullish;
    Pattern bearish;  // the mirror's pattern (the same pattern: it must not complete)
    Turns turns;
    int row;  // the box that completes it; 0: it does not complete
};

// One line a case: what it shows, the pattern and its mirror's, the turns, the row.
// clang-format off
const std::vector<Case> kCases = {
    {"quadruple top", P::QuadrupleTop, P::QuadrupleBottom, {5, 30, 20, 26, 20, 26, 20, 26, 19}, 19},
    {"a triple top is no quadruple one", P::QuadrupleTop, P::QuadrupleBottom, {5, 30, 21, 26, 20, 26, 20, 26, 19}, 0},
    {"ascending triple top", P::AscendingTripleTop, P::DescendingTripleBottom, {5, 30, 24, 28, 22, 26, 20}, 21},
    {"spread triple top", P::SpreadTripleTop, P::SpreadTripleBottom, {5, 30, 20, 27, 23, 27, 20, 26, 19}, 19},
    {"adjacent tops make no spread one", P::SpreadTripleTop, P::SpreadTripleBottom, {5, 30, 23, 27, 20, 27, 20, 26, 19}, 0},
    {"bullish catapult", P::BullishCatapult, P::BearishCatapult, {5, 30, 22, 27, 22, 27, 20, 25, 19}, 19},
    {"bull trap", P::BullTrap, P::BearTrap, {5, 30, 22, 27, 22, 27, 21, 25}, 24},
    {"a breakout of two boxes is no trap", P::BullTrap, P::BearTrap, {5, 30, 22, 27, 22, 27, 20, 25}, 0},
    {"bearish signal reversed", P::BearishSignalReversed, P::BullishSignalReversed, {5, 20, 14, 22, 16, 24, 18, 26, 17}, 17},
    {"high pole", P::HighPole, P::LowPole, {5, 30, 24, 28, 18, 24}, 24},
    {"giving back half is not enough", P::HighPole, P::LowPole, {5, 30, 24, 28, 18, 23}, 0},
    {"long tail", P::LongTail, P::LongTail, {5, 10, 6, 26, 23}, 23},
    {"nineteen boxes are no long tail", P::LongTail, P::LongTail, {5, 10, 6, 25, 22}, 0},
    {"shakeout", P::Shakeout, P::Shakeout, {10, 30, 20, 26, 18, 22, 18, 24, 20}, 21},
    {"a fall through the support line", P::Shakeout, P::Shakeout, {10, 30, 20, 26, 18, 22, 18, 26, 22}, 0},
};
// clang-format on

TEST(PatternCatalogue, EachFormationAndItsMirrorOnBothConstructions) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        const auto expected = [&](int row) { return c.row ? std::optional(row) : std::nullopt; };
        EXPECT_EQ(rowOf(columnsOf(c.turns), c.bullish), expected(c.row));
        // Upside down: the mirror pattern, or nothing for the long tail and the shakeout.
        const bool mirrorNamed = c.bearish != c.bullish;
        EXPECT_EQ(rowOf(columnsOf(mirrored(c.turns)), c.bearish),
                  mirrorNamed ? expected(100 - c.row) : std::nullopt);
        for (const auto construction :
             {chart::Construction::Program, chart::Construction::Textbook}) {
            int shift = 0;
            const auto charted = chartedOf(c.turns, construction, shift);
            EXPECT_EQ(rowOf(charted, c.bullish), expected(c.row + shift));
            const auto mirror = chartedOf(mirrored(c.turns), construction, shift);
            EXPECT_EQ(rowOf(mirror, c.bearish),
                      mirrorNamed ? expected(100 - c.row + shift) : std::nullopt);
        }
    }
}

TEST(PatternCatalogue, TheTenComeFirstWithTheirBreakoutBox) {
    // Three tops on one row and a breakout: the ten's double and triple top, then the
    // quadruple top, all in the box above the tops.
    const auto chart = columnsOf({5, 30, 20, 26, 20, 26, 20, 26, 19});
    EXPECT_EQ(
        chart::cataloguePatternsOf(chart),
        (std::vector<chart::Completion>{
            {Pattern::DoubleTop, 19}, {Pattern::TripleTop, 19}, {Pattern::QuadrupleTop, 19}}));
}

TEST(TriggerPrices, OneBoxPastTheLastColumnOfEachDirection) {
    // Levels 1,000,000 down by 2% from row 2: down to row 9, up to row 2, down to row 6.
    int shift = 0;
    const auto chart = chartedOf({2, 9, 2, 6}, chart::Construction::Program, shift);
    const chart::BoxScale scale{false, 0.02L};
    const auto triggers = chart::triggerPrices(chart, scale);
    // Above the chart's first level the scale goes on with its ratio.
    EXPECT_EQ(std::pair(triggers.buyRow, triggers.buy), std::pair(1, std::optional(1'020'409LL)));
    EXPECT_EQ(std::pair(triggers.sellRow, triggers.sell), std::pair(7, std::optional(903'920LL)));
    chart::Decorations decorations;
    decorations.triggers = triggers;
    EXPECT_EQ(chart::triggerText(decorations), "買い点 1,020,409 / 売り点 903,920");

    // A chart of one falling column has no buy point yet; its sell point lies below the
    // chart's last level (868,124 in row 9).
    const auto falling = chartedOf({2, 9}, chart::Construction::Program, shift);
    decorations.triggers = chart::triggerPrices(falling, scale);
    EXPECT_EQ(decorations.triggers.buyRow, 0);
    EXPECT_EQ(chart::triggerText(decorations), "買い点 - / 売り点 850,761");
}

}  // namespace
