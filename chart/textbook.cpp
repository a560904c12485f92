#include "chart/textbook.h"

#include <algorithm>
#include <limits>

#include "chart/chart.h"

namespace chart {

namespace {

// The level rows of a chart: rows first .. last, levels falling strictly down the rows.
// `margin` rows beyond either end answer as no level: no price reaches a row above the
// first level, none falls to a row below the last one.
class LevelRows {
  public:
    LevelRows(const LevelColumn& levels, int margin) : margin_(margin) {
        for (std::size_t row = 0; row < levels.size(); ++row) {
            if (!levels[row]) {
                if (first_ != 0) break;
                continue;
            }
            if (first_ == 0) {
                first_ = static_cast<int>(row);
                padded_.reserve(levels.size() + 2 * static_cast<std::size_t>(margin_));
                padded_.assign(static_cast<std::size_t>(margin_), kNone);
            }
            padded_.push_back(*levels[row]);
        }
        count_ = static_cast<int>(padded_.size()) - margin_;
        padded_.insert(padded_.end(), static_cast<std::size_t>(margin_), -kNone);
    }
    bool empty() const { return count_ <= 0; }
    int first() const { return first_; }
    int last() const { return first_ + count_ - 1; }
    // The row of the highest level at or below the price (the last row below them all).
    int floorRow(long long price) const {
        const auto begin = padded_.begin() + margin_, end = begin + count_;
        const auto it = std::lower_bound(begin, end, price,
                                         [](long long level, long long p) { return level > p; });
        return it == end ? last() : first_ + static_cast<int>(it - begin);
    }
    // The row of the lowest level at or above the price (the first row above them all).
    int ceilRow(long long price) const {
        const auto begin = padded_.begin() + margin_, end = begin + count_;
        const auto it = std::upper_bound(begin, end, price,
                                         [](long long p, long long level) { return level < p; });
        return it == begin ? first_ : first_ + static_cast<int>(it - begin) - 1;
    }
    // Whether the price reaches the level of the row (at or above it); a row from the
    // first one up (less the margin) down to the last one.
    bool reaches(long long price, int row) const { return price >= padded(row); }
    // Whether the price falls to the level of the row (at or below it); a row from the
    // first one down to the last one and the margin below it.
    bool fallsTo(long long price, int row) const { return price <= padded(row); }
    // The level of a row within the margins: none above the first (reached by no price),
    // none below the last (fallen to by none).
    long long level(int row) const { return padded(row); }

  private:
    static constexpr long long kNone = std::numeric_limits<long long>::max();
    long long padded(int row) const {
        return padded_[static_cast<std::size_t>(row - first_ + margin_)];
    }
    int first_ = 0;
    int count_ = 0;
    int margin_ = 0;
    // The levels with the margin: above them no price reaches, below them none falls.
    std::vector<long long> padded_;
};

struct Drawer {
    const LevelRows& rows;
    int reversal;
    Drawing& out;
    int startDay = 0;         // the day whose close placed the starting box
    int top = 0, bottom = 0;  // the current column's rows; both the start box before a direction
    bool started = false;     // whether the first column has a direction
    // A day changes the chart only with a high at or above `up` or a low at or below
    // `down`: the levels that extend or reverse the current column (or move off the
    // starting box).
    long long up = 0, down = 0;

    void thresholds() {
        if (!started) {
            up = rows.level(top - 1);
            down = rows.level(top + 1);
        } else if (out.rising) {
            up = rows.level(top - 1);
            down = rows.level(top + reversal);
        } else {
            up = rows.level(bottom - reversal);
            down = rows.level(bottom + 1);
        }
    }

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
            mark(start, start, startDay, true);
            rise(day, rows.floorRow(high));
        } else if (rows.fallsTo(low, start + 1)) {
            out.lastColumn = 2;
            out.rising = false;
            mark(start, start, startDay, false);
            fall(day, rows.ceilRow(low));
        } else {
            return;
        }
        started = true;
        thresholds();
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
        thresholds();
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
    const int reversal = std::max(input.reversal, 1);
    // A reversal looks `reversal` rows beyond the column's last box, a move one row.
    const LevelRows rows(*input.levels, reversal + 1);
    const Close* first = dayOf(input.closes, input.startDay);
    if (rows.empty() || !first) return drawing;
    drawing.boxes.reserve(static_cast<std::size_t>(input.startDay));
    Drawer drawer{rows, reversal, drawing, input.startDay};
    drawer.top = drawer.bottom = rows.floorRow(first->price);
    drawer.thresholds();
    const bool highLow = !input.highs.empty() || !input.lows.empty();
    for (int day = input.startDay - 1; day >= 1; --day) {
        const Close& close = input.closes[static_cast<std::size_t>(day) - 1];
        if (!close.priced()) continue;
        long long high = close.price, low = close.price;
        if (highLow) {
            if (const Close* h = dayOf(input.highs, day)) high = std::max(high, h->price);
            if (const Close* l = dayOf(input.lows, day)) low = std::min(low, l->price);
        }
        // Most days move nothing.
        if (high < drawer.up && low > drawer.down) continue;
        drawer.day(day, high, low);
    }
    // The last box drawn (or the starting box) as a box index.
    drawing.lastBox = (drawing.rising ? drawer.top : drawer.bottom) - 1;
    return drawing;
}

}  // namespace chart
