#include "chart/patterns.h"

#include <algorithm>

namespace chart {

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
        default:
            // The further formations are read from a chart value (pattern_catalogue.h).
            break;
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
// A chart value

Mark ChartPatternCells::mark(int col, int row) const {
    const Column* column = chart_.column(col);
    if (!column || !column->holds(row)) return Mark::None;
    return column->rising ? Mark::Rising : Mark::Falling;
}

std::optional<int> ChartPatternCells::topBox(int col) const {
    const Column* column = chart_.column(col);
    if (!column || column->empty()) return std::nullopt;
    // The program's own drawing never marks its start box, one above column 2's highest box.
    const bool startBox = col == 2 && chart_.construction == Construction::Program;
    return column->topRow - (startBox ? 2 : 1);
}

std::optional<int> ChartPatternCells::bottomBox(int col) const {
    const Column* column = chart_.column(col);
    if (!column || column->empty()) return std::nullopt;
    return column->bottomRow - 1;
}

std::vector<Pattern> patternsOf(const Chart& chart) {
    return detectPatterns(ChartPatternCells(chart), chart.lastColumn());
}

std::optional<Side> newestBreakout(const ChartCells& chart, int lastColumn) {
    for (int col = lastColumn; col >= 4; --col) {
        if (matches(Pattern::DoubleTop, chart, col)) return Side::Buy;
        if (matches(Pattern::DoubleBottom, chart, col)) return Side::Sell;
    }
    return std::nullopt;
}

int breakoutRow(const ChartCells& chart, Pattern breakout, int col) {
    // A record holds a box index; its chart row is one more.
    return breakout == Pattern::DoubleTop ? chart.topBox(col - 2).value_or(0)
                                          : chart.bottomBox(col - 2).value_or(0) + 2;
}

}  // namespace chart
