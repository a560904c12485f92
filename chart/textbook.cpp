#include "chart/textbook.h"

#include <algorithm>
#include <optional>

#include "chart/chart.h"

namespace chart {

namespace {

// The level rows of a chart: rows first .. last, levels falling strictly down the rows.
class LevelRows {
  public:
    explicit LevelRows(const LevelColumn& levels) {
        for (std::size_t row = 0; row < levels.size(); ++row) {
            if (!levels[row]) {
                if (first_ != 0) break;
                continue;
            }
            if (first_ == 0) first_ = static_cast<int>(row);
            levels_.push_back(*levels[row]);
        }
    }
    bool empty() const { return levels_.empty(); }
    int first() const { return first_; }
    int last() const { return first_ + static_cast<int>(levels_.size()) - 1; }
    // The level of a row; nothing beyond the chart's levels.
    std::optional<long long> at(int row) const {
        if (empty() || row < first() || row > last()) return std::nullopt;
        return levels_[static_cast<std::size_t>(row - first_)];
    }
    // The row of the highest level at or below the price (the last row below them all).
    int floorRow(long long price) const {
        const auto it = std::lower_bound(levels_.begin(), levels_.end(), price,
                                         [](long long level, long long p) { return level > p; });
        return it == levels_.end() ? last() : first_ + static_cast<int>(it - levels_.begin());
    }
    // The row of the lowest level at or above the price (the first row above them all).
    int ceilRow(long long price) const {
        const auto it = std::upper_bound(levels_.begin(), levels_.end(), price,
                                         [](long long p, long long level) { return level < p; });
        return it == levels_.begin() ? first_ : first_ + static_cast<int>(it - levels_.begin()) - 1;
    }
    // Whether the price reaches the level of the row (at or above it).
    bool reaches(long long price, int row) const {
        const auto level = at(row);
        return level && price >= *level;
    }
    // Whether the price falls to the level of the row (at or below it).
    bool fallsTo(long long price, int row) const {
        const auto level = at(row);
        return level && price <= *level;
    }

  private:
    int first_ = 0;
    std::vector<long long> levels_;
};

struct Drawer {
    const LevelRows& rows;
    int reversal;
    Drawing& out;
    int top = 0, bottom = 0;  // the current column's rows; both the start box before a direction
    bool started = false;     // whether the first column has a direction

    void mark(int fromRow, int toRow, int day, bool rising) {
        const int step = fromRow <= toRow ? 1 : -1;
        for (int row = fromRow;; row += step) {
            out.boxes.push_back({out.lastColumn, row, day, rising});
            if (row == toRow) break;
        }
    }
    void rise(int day, int toRow) {
        mark(top - 1, toRow, day, true);
        top = toRow;
    }
    void fall(int day, int toRow) {
        mark(bottom + 1, toRow, day, false);
        bottom = toRow;
    }

    // The first move off the starting box: up one level or more, or down one or more.
    void firstMove(int day, long long high, long long low) {
        const int start = top;
        if (rows.reaches(high, start - 1)) {
            out.lastColumn = 3;
            out.rising = true;
            mark(start, start, day, true);
            rise(day, rows.floorRow(high));
        } else if (rows.fallsTo(low, start + 1)) {
            out.lastColumn = 2;
            out.rising = false;
            mark(start, start, day, false);
            fall(day, rows.ceilRow(low));
        } else {
            return;
        }
        started = true;
    }

    void day(int day, long long high, long long low) {
        if (!started) return firstMove(day, high, low);
        if (out.rising) {
            if (rows.reaches(high, top - 1)) {
                rise(day, rows.floorRow(high));
            } else if (rows.fallsTo(low, top + reversal)) {
                ++out.lastColumn;
                out.rising = false;
                bottom = top;
                fall(day, rows.ceilRow(low));
                top = top + 1;
            }
        } else {
            if (rows.fallsTo(low, bottom + 1)) {
                fall(day, rows.ceilRow(low));
            } else if (rows.reaches(high, bottom - reversal)) {
                ++out.lastColumn;
                out.rising = true;
                top = bottom;
                rise(day, rows.floorRow(high));
                bottom = bottom - 1;
            }
        }
    }
};

const Close* dayOf(std::span<const Close> series, int day) {
    if (day < 1 || static_cast<std::size_t>(day) > series.size()) return nullptr;
    const Close& close = series[static_cast<std::size_t>(day) - 1];
    return close.priced() ? &close : nullptr;
}

}  // namespace

Drawing drawTextbook(const TextbookInput& input) {
    Drawing drawing;
    const LevelRows rows(*input.levels);
    const Close* first = dayOf(input.closes, input.startDay);
    if (rows.empty() || !first) return drawing;
    drawing.boxes.reserve(static_cast<std::size_t>(input.startDay));
    Drawer drawer{rows, std::max(input.reversal, 1), drawing};
    drawer.top = drawer.bottom = rows.floorRow(first->price);
    for (int day = input.startDay - 1; day >= 1; --day) {
        const Close* close = dayOf(input.closes, day);
        if (!close) continue;
        const Close* high = dayOf(input.highs, day);
        const Close* low = dayOf(input.lows, day);
        drawer.day(day, high ? std::max(high->price, close->price) : close->price,
                   low ? std::min(low->price, close->price) : close->price);
    }
    // The last box drawn (or the starting box) as a box index.
    drawing.lastBox = (drawing.rising ? drawer.top : drawer.bottom) - 1;
    return drawing;
}

}  // namespace chart
