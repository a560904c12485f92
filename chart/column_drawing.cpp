#include "chart/column_drawing.h"

#include <algorithm>

namespace chart {

namespace {

struct Drawer {
    Drawing& out;
    const DrawRules& rules;
    ExtremeRecord top, bottom;
    bool recordsPending = false;  // the current column has records not yet handed out

    void mark(int fromRow, int toRow, int day, bool rising) {
        const int step = fromRow <= toRow ? 1 : -1;
        for (int row = fromRow;; row += step) {
            out.boxes.push_back({out.lastColumn, row, day, rising});
            if (row == toRow) break;
        }
    }

    // The records a column shows are those it held after the last day it was current.
    void closeColumn() {
        if (rules.keepRecords && recordsPending)
            out.records.push_back({out.lastColumn, top, bottom});
        recordsPending = false;
    }

    void day(int d, int cur) {
        const int prev = out.lastBox;
        // A reversal needs a move of `reversal` boxes against the column, a continuation one.
        const int against = std::max(rules.reversal, 1) - 1;
        if (!out.rising && cur < prev - against) {
            closeColumn();
            ++out.lastColumn;
            out.rising = true;
            mark(prev, cur + 1, d, true);
            top = {cur, d, true};
            bottom.box -= 1;
        } else if (out.rising && cur < prev) {
            mark(prev, cur + 1, d, true);
            top = {cur, d, true};
        } else if (out.rising && cur > prev + against) {
            closeColumn();
            ++out.lastColumn;
            out.rising = false;
            mark(prev + 2, cur + 1, d, false);
            bottom = {cur, d, true};
            top.box += 1;
        } else if (!out.rising && cur > prev) {
            mark(prev + 2, cur + 1, d, false);
            bottom = {cur, d, true};
        } else {
            return;  // no change, or a move too small to reverse the column
        }
        out.lastBox = cur;
    }
};

}  // namespace

Drawing drawColumns(const std::vector<std::optional<int>>& boxIndexByDay, int startDay,
                    const DrawRules& rules) {
    Drawing drawing;
    drawing.boxes.reserve(static_cast<std::size_t>(startDay));
    drawing.lastBox = *boxIndexByDay[static_cast<std::size_t>(startDay)];
    Drawer drawer{drawing, rules, {}, {}};
    drawer.top = drawer.bottom = {drawing.lastBox, startDay, false};
    for (int day = startDay - 1; day >= 1; --day) {
        if (const auto& index = boxIndexByDay[static_cast<std::size_t>(day)])
            drawer.day(day, *index);
        drawer.recordsPending = true;
    }
    drawer.closeColumn();
    return drawing;
}

}  // namespace chart
