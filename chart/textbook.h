#pragma once
// The textbook Point-and-Figure construction over a chart's levels: an X for each level the
// price reaches or passes in a rising column, an O for each level it falls to or below in a
// falling one; a reversal needs the price to reach the level `reversal` boxes beyond the
// column's last box, and the new column starts one box beside it.
#include <limits>
#include <optional>
#include <span>
#include <vector>

#include "chart/box_indexing.h"
#include "chart/column_drawing.h"

namespace chart {

struct Close;

// The level rows of a chart as the construction reads them: rows first .. last, levels
// falling strictly down the rows. Made once, it serves any number of drawings. A row above
// the first level is reached by no price; none falls to a row below the last one.
class LevelRows {
  public:
    explicit LevelRows(const LevelColumn& levels);
    bool empty() const { return levels_.empty(); }
    int first() const { return first_; }
    int last() const { return first_ + static_cast<int>(levels_.size()) - 1; }
    // The level of a row; nothing beyond the chart's levels.
    std::optional<long long> at(int row) const {
        if (empty() || row < first() || row > last()) return std::nullopt;
        return levels_[static_cast<std::size_t>(row - first_)];
    }
    // The row of the highest level at or below the price (the last row below them all).
    int floorRow(long long price) const;
    // The row of the lowest level at or above the price (the first row above them all).
    int ceilRow(long long price) const;
    // The price a row asks: to reach it from below, or to fall to it from above.
    long long threshold(int row) const {
        if (row < first_) return kNone;   // reached by no price
        if (row > last()) return -kNone;  // fallen to by none
        return levels_[static_cast<std::size_t>(row - first_)];
    }
    // Whether the price reaches the level of the row (at or above it).
    bool reaches(long long price, int row) const { return price >= threshold(row); }
    // Whether the price falls to the level of the row (at or below it).
    bool fallsTo(long long price, int row) const { return price <= threshold(row); }

  private:
    static constexpr long long kNone = std::numeric_limits<long long>::max();
    int first_ = 0;
    std::vector<long long> levels_;
};

// Where a textbook drawing stands after its days so far: enough to carry it on by a day.
struct TextbookState {
    int top = 0;     // the current column's highest and lowest rows; the start box before a
    int bottom = 0;  // direction is known
    int lastColumn = 2;
    int startDay = 0;  // the day whose price placed the starting box
    bool rising = false;
    bool placed = false;   // the first price has placed the start box
    bool started = false;  // the first column has a direction (and its boxes are drawn)
    bool operator==(const TextbookState&) const = default;
};

// Carries a drawing on by one day: the first price places the starting box at the highest
// level at or below it; the first price that reaches the level above it (or falls to the
// level below it) sets the first column's direction, and that column includes the starting
// box (dated by the day that placed it). Then a rising column first takes the high,
// otherwise the low may reverse it; a falling one first the low, otherwise the high. The
// boxes drawn go to `boxes` when given.
void drawTextbookDay(const LevelRows& rows, int reversal, TextbookState& state, int day,
                     long long high, long long low, std::vector<DrawnBox>* boxes = nullptr);

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
