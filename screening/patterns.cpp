#include "screening/patterns.h"

#include <algorithm>

namespace screening {

// ---------------------------------------------------------------------------
// Column build

namespace {

struct ColumnBuilder {
    ColumnBuild& out;
    ExtremeRecord top, bottom;
    bool recordsPending = false;  // column lastColumn has records not yet handed out

    void markRows(int fromRow, int toRow, int day, bool rising) {
        const int step = fromRow <= toRow ? 1 : -1;
        for (int row = fromRow;; row += step) {
            out.boxes.push_back({out.lastColumn, row, day, rising});
            if (row == toRow) break;
        }
    }

    // The records a column shows are those it held after the last day it was current.
    void closeColumn() {
        if (recordsPending) out.records.push_back({out.lastColumn, top, bottom});
        recordsPending = false;
    }

    void day(int d, std::optional<int> box) {
        if (box) {
            const int v = *box;
            const int level = *out.level;
            if (!out.rising && v < level - 2) {
                closeColumn();
                ++out.lastColumn;
                out.rising = true;
                markRows(level, v + 1, d, true);
                top = {v, d, true};
                bottom.box -= 1;
                out.level = v;
            } else if (out.rising && v < level) {
                markRows(level, v + 1, d, true);
                top = {v, d, true};
                out.level = v;
            } else if (out.rising && v > level + 2) {
                closeColumn();
                ++out.lastColumn;
                out.rising = false;
                markRows(level + 2, v + 1, d, false);
                bottom = {v, d, true};
                top.box += 1;
                out.level = v;
            } else if (!out.rising && v > level) {
                markRows(level + 2, v + 1, d, false);
                bottom = {v, d, true};
                out.level = v;
            }
        }
        recordsPending = true;
    }
};

}  // namespace

ColumnBuild buildScreeningColumns(const std::vector<std::optional<int>>& boxByDay) {
    ColumnBuild build;
    const int shown = static_cast<int>(boxByDay.size());
    const auto boxOf = [&](int d) { return boxByDay[static_cast<std::size_t>(d - 1)]; };

    int counted = 0;
    for (const auto& box : boxByDay) counted += box.has_value() ? 1 : 0;
    // Days without a box index lower the days used; when the oldest of them still has
    // none, the build starts at the newest day above it that has one.
    build.countedDays = std::min(counted, shown);
    int start = build.countedDays;
    while (start > 0 && !boxOf(start)) --start;
    build.startDay = start;
    if (start == 0) return build;

    ColumnBuilder builder{build, {}, {}};
    build.level = *boxOf(start);
    builder.top = builder.bottom = {*build.level, start, false};
    for (int d = start - 1; d >= 1; --d) builder.day(d, boxOf(d));
    builder.closeColumn();
    return build;
}

// ---------------------------------------------------------------------------
// Pattern tests

namespace {

// A column number names a chart column only from 2 on.
bool isChartColumn(int col) {
    return col >= 2;
}

std::optional<int> topRow(const ChartCells& chart, int col) {
    if (!isChartColumn(col)) return std::nullopt;
    const auto box = chart.topBox(col);
    if (!box) return std::nullopt;
    return *box + 1;
}

std::optional<int> bottomRow(const ChartCells& chart, int col) {
    if (!isChartColumn(col)) return std::nullopt;
    const auto box = chart.bottomBox(col);
    if (!box) return std::nullopt;
    return *box + 1;
}

bool rising(const ChartCells& chart, int col, int row) {
    return isChartColumn(col) && chart.mark(col, row) == Mark::Rising;
}

bool falling(const ChartCells& chart, int col, int row) {
    return isChartColumn(col) && chart.mark(col, row) == Mark::Falling;
}

}  // namespace

bool matches(Pattern pattern, const ChartCells& chart, int k) {
    switch (pattern) {
        case Pattern::DoubleTop: {
            const auto r = topRow(chart, k - 2);
            return r && rising(chart, k - 2, *r) && rising(chart, k, *r - 1);
        }
        case Pattern::DoubleBottom: {
            const auto r = bottomRow(chart, k - 2);
            return r && falling(chart, k - 2, *r) && falling(chart, k, *r + 1);
        }
        case Pattern::BullishSignal: {
            const auto v = bottomRow(chart, k - 2);
            const auto u = bottomRow(chart, k);
            return v && u && rising(chart, k - 2, *v) && rising(chart, k, *v - 2) &&
                   rising(chart, k, *u) && rising(chart, k - 2, *u + 2);
        }
        case Pattern::BearishSignal: {
            const auto v = topRow(chart, k - 2);
            const auto u = topRow(chart, k);
            return v && u && falling(chart, k - 2, *v) && falling(chart, k, *v + 2) &&
                   falling(chart, k, *u) && falling(chart, k - 2, *u - 2);
        }
        case Pattern::TripleTop: {
            const auto w = topRow(chart, k - 2);
            const auto u = topRow(chart, k - 4);
            return w && u && rising(chart, k - 2, *w) && rising(chart, k, *w - 1) &&
                   rising(chart, k - 4, *u) && *w == *u;
        }
        case Pattern::TripleBottom: {
            const auto w = bottomRow(chart, k - 2);
            const auto u = bottomRow(chart, k - 4);
            return w && u && falling(chart, k - 2, *w) && falling(chart, k, *w + 1) &&
                   falling(chart, k - 4, *u) && *w == *u;
        }
        case Pattern::ReversalUp: {
            const auto w = topRow(chart, k - 2);
            const auto u = topRow(chart, k - 4);
            const auto v = topRow(chart, k - 6);
            return w && u && v && rising(chart, k - 2, *w) && rising(chart, k - 4, *u) &&
                   *u == *w - 2 && rising(chart, k - 6, *v) && *v == *w - 4;
        }
        case Pattern::ReversalDown: {
            const auto w = bottomRow(chart, k - 2);
            const auto u = bottomRow(chart, k - 4);
            const auto v = bottomRow(chart, k - 6);
            return w && u && v && falling(chart, k - 2, *w) && falling(chart, k - 4, *u) &&
                   *u == *w + 2 && falling(chart, k - 6, *v) && *v == *w + 4;
        }
        case Pattern::BullishTriangle: {
            const auto w = topRow(chart, k - 2);
            const auto u = topRow(chart, k - 4);
            return w && u && rising(chart, k - 2, *w) && rising(chart, k - 4, *u) && *u == *w - 2;
        }
        case Pattern::BearishTriangle: {
            // The tops of the falling columns, as the bullish triangle uses the tops of
            // the rising ones.
            const auto w = topRow(chart, k - 2);
            const auto u = topRow(chart, k - 4);
            return w && u && falling(chart, k - 2, *w) && falling(chart, k - 4, *u) && *u == *w + 2;
        }
    }
    return false;
}

std::vector<Pattern> detectPatterns(const ChartCells& chart, int lastColumn) {
    std::vector<Pattern> found;
    for (const Pattern breakout : {Pattern::DoubleTop, Pattern::DoubleBottom}) {
        if (!matches(breakout, chart, lastColumn)) continue;
        found.push_back(breakout);
        for (const Pattern pattern : kFollowUpPatterns)
            if (matches(pattern, chart, lastColumn)) found.push_back(pattern);
    }
    return found;
}

// ---------------------------------------------------------------------------
// BuiltChart

BuiltChart::BuiltChart(const ColumnBuild& build)
    : columns_(static_cast<std::size_t>(std::max(build.lastColumn, 2) + 1)) {
    for (const MarkedBox& box : build.boxes) {
        Column& column = columns_[static_cast<std::size_t>(box.col)];
        if (!column.marked) {
            column.marked = true;
            column.rising = box.rising;
            column.firstRow = column.lastRow = box.row;
        }
        column.firstRow = std::min(column.firstRow, box.row);
        column.lastRow = std::max(column.lastRow, box.row);
    }
    for (const ColumnRecords& records : build.records) {
        Column& column = columns_[static_cast<std::size_t>(records.col)];
        column.top = records.top.box;
        column.bottom = records.bottom.box;
    }
}

const BuiltChart::Column* BuiltChart::column(int col) const {
    if (!isChartColumn(col) || col >= static_cast<int>(columns_.size())) return nullptr;
    return &columns_[static_cast<std::size_t>(col)];
}

Mark BuiltChart::mark(int col, int row) const {
    const Column* c = column(col);
    if (!c || !c->marked || row < c->firstRow || row > c->lastRow) return Mark::None;
    return c->rising ? Mark::Rising : Mark::Falling;
}

std::optional<int> BuiltChart::topBox(int col) const {
    const Column* c = column(col);
    return c ? c->top : std::nullopt;
}

std::optional<int> BuiltChart::bottomBox(int col) const {
    const Column* c = column(col);
    return c ? c->bottom : std::nullopt;
}

}  // namespace screening
