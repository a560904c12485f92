#include "chart/textbook.h"

#include <algorithm>
#include <tuple>
#include <utility>

#include "chart/chart.h"

namespace chart {

LevelRows::LevelRows(const LevelColumn& levels) {
    for (std::size_t row = 0; row < levels.size(); ++row) {
        if (!levels[row]) {
            if (first_ != 0) break;
            continue;
        }
        if (first_ == 0) first_ = static_cast<int>(row);
        levels_.push_back(*levels[row]);
    }
}

int LevelRows::floorRow(long long price) const {
    const auto it = std::lower_bound(levels_.begin(), levels_.end(), price,
                                     [](long long level, long long p) { return level > p; });
    return it == levels_.end() ? last() : first_ + static_cast<int>(it - levels_.begin());
}

int LevelRows::ceilRow(long long price) const {
    const auto it = std::upper_bound(levels_.begin(), levels_.end(), price,
                                     [](long long p, long long level) { return level < p; });
    return it == levels_.begin() ? first_ : first_ + static_cast<int>(it - levels_.begin()) - 1;
}

namespace {

struct Drawer {
    const LevelRows& rows;
    int reversal;
    TextbookState& state;
    std::vector<DrawnBox>* boxes;

    void mark(int fromRow, int toRow, int day, bool rising) {
        if (!boxes) return;
        const int step = fromRow <= toRow ? 1 : -1;
        for (int row = fromRow;; row += step) {
            boxes->push_back({state.lastColumn, row, day, rising});
            if (row == toRow) break;
        }
    }
    void rise(int day, int toRow) {
        mark(state.top - 1, toRow, day, true);
        state.top = toRow;
    }
    void fall(int day, int toRow) {
        mark(state.bottom + 1, toRow, day, false);
        state.bottom = toRow;
    }

    // The first move off the starting box: up one level or more, or down one or more.
    void firstMove(int day, long long high, long long low) {
        const int start = state.top;
        if (rows.reaches(high, start - 1)) {
            state.lastColumn = 3;
            state.rising = true;
            mark(start, start, state.startDay, true);
            rise(day, rows.floorRow(high));
        } else if (rows.fallsTo(low, start + 1)) {
            state.lastColumn = 2;
            state.rising = false;
            mark(start, start, state.startDay, false);
            fall(day, rows.ceilRow(low));
        } else {
            return;
        }
        state.started = true;
    }

    void day(int day, long long high, long long low) {
        if (!state.placed) {
            state.top = state.bottom = rows.floorRow(low);
            state.startDay = day;
            state.placed = true;
            return;
        }
        if (!state.started) return firstMove(day, high, low);
        if (state.rising) {
            if (rows.reaches(high, state.top - 1)) {
                rise(day, rows.floorRow(high));
            } else if (rows.fallsTo(low, state.top + reversal)) {
                ++state.lastColumn;
                state.rising = false;
                state.bottom = state.top;
                fall(day, rows.ceilRow(low));
                state.top = state.top + 1;
            }
        } else {
            if (rows.fallsTo(low, state.bottom + 1)) {
                fall(day, rows.ceilRow(low));
            } else if (rows.reaches(high, state.bottom - reversal)) {
                ++state.lastColumn;
                state.rising = true;
                state.top = state.bottom;
                rise(day, rows.floorRow(high));
                state.bottom = state.bottom - 1;
            }
        }
    }

    // The prices a day must reach (up) or fall to (down) to change the chart; most days
    // do neither.
    std::pair<long long, long long> thresholds() const {
        if (!state.started) return {rows.threshold(state.top - 1), rows.threshold(state.top + 1)};
        if (state.rising)
            return {rows.threshold(state.top - 1), rows.threshold(state.top + reversal)};
        return {rows.threshold(state.bottom - reversal), rows.threshold(state.bottom + 1)};
    }
};

const Close* dayOf(std::span<const Close> series, int day) {
    if (day < 1 || static_cast<std::size_t>(day) > series.size()) return nullptr;
    const Close& close = series[static_cast<std::size_t>(day) - 1];
    return close.priced() ? &close : nullptr;
}

}  // namespace

void drawTextbookDay(const LevelRows& rows, int reversal, TextbookState& state, int day,
                     long long high, long long low, std::vector<DrawnBox>* boxes) {
    if (rows.empty()) return;
    Drawer{rows, std::max(reversal, 1), state, boxes}.day(day, high, low);
}

Drawing drawTextbook(const TextbookInput& input) {
    Drawing drawing;
    const LevelRows rows(*input.levels);
    const Close* first = dayOf(input.closes, input.startDay);
    if (rows.empty() || !first) return drawing;
    drawing.boxes.reserve(static_cast<std::size_t>(input.startDay));
    TextbookState state;
    Drawer drawer{rows, std::max(input.reversal, 1), state, &drawing.boxes};
    // The start day's close places the starting box.
    drawer.day(input.startDay, first->price, first->price);
    auto [up, down] = drawer.thresholds();
    const bool highLow = !input.highs.empty() || !input.lows.empty();
    for (int day = input.startDay - 1; day >= 1; --day) {
        const Close& close = input.closes[static_cast<std::size_t>(day) - 1];
        if (!close.priced()) continue;
        long long high = close.price, low = close.price;
        if (highLow) {
            if (const Close* h = dayOf(input.highs, day)) high = std::max(high, h->price);
            if (const Close* l = dayOf(input.lows, day)) low = std::min(low, l->price);
        }
        if (high < up && low > down) continue;
        drawer.day(day, high, low);
        std::tie(up, down) = drawer.thresholds();
    }
    drawing.rising = state.rising;
    drawing.lastColumn = state.lastColumn;
    // The last box drawn (or the starting box) as a box index.
    drawing.lastBox = (state.rising ? state.top : state.bottom) - 1;
    return drawing;
}

}  // namespace chart
