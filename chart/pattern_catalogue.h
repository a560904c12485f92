#pragma once
// The method's catalogue of named patterns: the ten the screening has always listed and
// sixteen further formations (quadruple, ascending and spread triple tops, catapults,
// traps, signals reversed, poles, the long tail and the shakeout, with their mirrors),
// each with its name, a short tag for the chart, the side it points to and whether it is
// a warning rather than a signal; and which of them complete at a column of a chart.
//
// The further formations read a chart's columns as drawn: each column's direction and
// its highest and lowest box (in the program's own construction the unmarked start box
// above column 2 is no box of it). "Top" and "bottom" are those boxes; a breakout is a
// column reaching at least one box past a level.
#include <array>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "chart/chart.h"
#include "chart/patterns.h"

namespace chart {

struct PatternInfo {
    Pattern pattern = Pattern::DoubleTop;
    std::string_view name;  // the caption of the results list
    std::string_view tag;   // one character above the column where it completed
    Side side = Side::Buy;  // the way it points: a buy, or a sell
    bool warning = false;   // a trap or a pole: a warning, kept apart from the signals
};

// Every pattern in list order: the ten, then the sixteen.
const std::array<PatternInfo, kCatalogueCount>& catalogue();
const PatternInfo& infoOf(Pattern pattern);

// The sixteen further formations in list order.
std::array<Pattern, kCatalogueCount - kPatternCount> formations();

// A pattern completed at a column, and the chart row of the box that completed it: one
// box past the level broken, or, for a pattern that completes with a reversal (a trap,
// a pole, the long tail, the shakeout), the box where the new column reached the
// reversal.
struct Completion {
    Pattern pattern = Pattern::DoubleTop;
    int row = 0;
    bool operator==(const Completion&) const = default;
};

// The catalogue read on one chart. The trend lines the shakeout asks about are drawn
// once, when a column first needs them.
class PatternReader {
  public:
    explicit PatternReader(const Chart& chart);
    PatternReader(const PatternReader&) = delete;
    PatternReader& operator=(const PatternReader&) = delete;

    // Every pattern completed at the column: the ten as the screening finds them (its
    // order), then the further formations in list order.
    std::vector<Completion> at(int col) const;
    // The further formations alone.
    std::vector<Completion> formationsAt(int col) const;

  private:
    struct Span {
        bool drawn = false;
        bool rising = false;
        int top = 0, bottom = 0;  // chart rows of the highest and the lowest box
    };
    // Read from the chart as asked: a reading looks at a few of a long chart's columns.
    Span span(int col) const {
        const auto index = static_cast<std::size_t>(col - 2);
        if (col < 2 || index >= chart_.columns.size()) return {};
        const Column& column = chart_.columns[index];
        if (column.empty()) return {};
        return {true, column.rising, column.topRow, column.bottomRow};
    }
    bool x(int col) const { return span(col).drawn && span(col).rising; }
    bool o(int col) const { return span(col).drawn && !span(col).rising; }
    int boxes(int col) const { return span(col).bottom - span(col).top + 1; }
    // The row `reversal` boxes past the previous column's extreme, within the column.
    int reversalRow(int col) const;
    std::optional<int> test(Pattern pattern, int k) const;
    std::optional<int> spreadTriple(int k, bool top) const;
    bool aboveSupportLine(int col) const;

    const Chart& chart_;
    mutable std::optional<std::vector<std::pair<int, int>>> supportInForce_;  // column ranges
};

// Every pattern of the catalogue completed at a column of the chart (see
// PatternReader::at); one reading of the chart, for a single column.
std::vector<Completion> patternsAt(const Chart& chart, int col);

// The patterns of the chart's last column, the ten and the sixteen: what the screening
// lists for the chart with the further formations shown.
std::vector<Completion> cataloguePatternsOf(const Chart& chart);

}  // namespace chart
