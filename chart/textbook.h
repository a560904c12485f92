#pragma once
// The textbook Point-and-Figure construction over a chart's levels: an X for each level the
// price reaches or passes in a rising column, an O for each level it falls to or below in a
// falling one; a reversal needs the price to reach the level `reversal` boxes beyond the
// column's last box, and the new column starts one box beside it.
#include <span>
#include <vector>

#include "chart/box_indexing.h"
#include "chart/column_drawing.h"

namespace chart {

struct Close;

struct TextbookInput {
    const LevelColumn* levels = nullptr;  // by chart row, falling down the rows
    std::span<const Close> closes;        // closes[0] is day 1
    // With highs and lows (both as long as closes): in a rising column first the high
    // extends it, otherwise the low may reverse it; in a falling column first the low,
    // otherwise the high. Days without them use the close.
    std::span<const Close> highs, lows;
    int startDay = 0;  // the oldest day drawn
    int reversal = 3;
};

// The first day's close places the starting box at the highest level at or below it; the
// first price that reaches the level above it (or falls to the level below it) sets the
// first column's direction, and that column includes the starting box. Rising columns take
// the odd grid columns from 3, falling ones the even columns from 2.
Drawing drawTextbook(const TextbookInput& input);

}  // namespace chart
