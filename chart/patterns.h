#pragma once
// The ten Point-and-Figure patterns the screening looks for, tested on a chart's
// columns: on the cells a screening build leaves in the grids, or on a chart value.
// The catalogue's sixteen further formations are named here too; they are read from a
// chart value (chart/pattern_catalogue.h).
#include <array>
#include <optional>
#include <string_view>
#include <vector>

#include "chart/chart.h"

namespace chart {

// The results-list columns, numbered as the list numbers them.
enum class Pattern {
    DoubleTop = 1,
    DoubleBottom,
    BullishSignal,
    BearishSignal,
    TripleTop,
    TripleBottom,
    ReversalUp,
    ReversalDown,
    BullishTriangle,
    BearishTriangle,
    // The catalogue's further formations, listed after the ten.
    QuadrupleTop,
    QuadrupleBottom,
    AscendingTripleTop,
    DescendingTripleBottom,
    SpreadTripleTop,
    SpreadTripleBottom,
    BullishCatapult,
    BearishCatapult,
    BullTrap,
    BearTrap,
    BearishSignalReversed,
    BullishSignalReversed,
    HighPole,
    LowPole,
    LongTail,
    Shakeout,
};
inline constexpr int kPatternCount = 10;
// The ten and the sixteen further formations.
inline constexpr int kCatalogueCount = 26;

inline constexpr std::array<std::string_view, kPatternCount> kPatternCaptions = {
    "ダブルトップ",   "ダブルボトム", "強気のシグナル", "弱気のシグナル", "トリプルトップ",
    "トリプルボトム", "逆転上昇",     "逆転下降",       "強気の三角形",   "弱気の三角形"};

inline constexpr std::array<std::string_view, kCatalogueCount - kPatternCount> kFormationCaptions =
    {"四重天井",     "四重底",       "上昇三重天井",     "下降三重底",
     "分散三重天井", "分散三重底",   "強気カタパルト",   "弱気カタパルト",
     "ブルトラップ", "ベアトラップ", "弱気シグナル反転", "強気シグナル反転",
     "ハイポール",   "ローポール",   "ロングテール",     "シェイクアウト"};

inline int listColumn(Pattern pattern) {
    return static_cast<int>(pattern);
}
// One of the ten the screening has always listed.
inline bool isClassic(Pattern pattern) {
    return listColumn(pattern) <= kPatternCount;
}
inline std::string_view caption(Pattern pattern) {
    const auto column = static_cast<std::size_t>(listColumn(pattern));
    return column <= kPatternCaptions.size()
               ? kPatternCaptions[column - 1]
               : kFormationCaptions[column - kPatternCaptions.size() - 1];
}

// The tests after a breakout, in the order they run.
inline constexpr std::array<Pattern, 8> kFollowUpPatterns = {
    Pattern::BullishSignal,   Pattern::BearishSignal,  Pattern::TripleTop,
    Pattern::TripleBottom,    Pattern::ReversalUp,     Pattern::ReversalDown,
    Pattern::BullishTriangle, Pattern::BearishTriangle};

// ---------------------------------------------------------------------------
// Pattern tests

enum class Mark { None, Rising, Falling };

// What the tests read of a built chart: the mark of a chart cell and the box index
// of a column's extreme records. Columns 0 and 1, negative columns and columns
// without records give nothing.
class ChartCells {
  public:
    virtual ~ChartCells() = default;
    virtual Mark mark(int col, int row) const = 0;
    virtual std::optional<int> topBox(int col) const = 0;
    virtual std::optional<int> bottomBox(int col) const = 0;
};

// Whether the chart whose last column is lastColumn shows the pattern, one of the ten
// (the further formations are never matched here).
bool matches(Pattern pattern, const ChartCells& chart, int lastColumn);

// Every pattern the chart shows, in the order the screening records them.
std::vector<Pattern> detectPatterns(const ChartCells& chart, int lastColumn);

// A chart value as the pattern tests read it. The extreme records are those the screening
// build keeps: a column's highest and lowest box, except that in the program's own
// construction column 2 keeps the start box, one above its highest box, as its top.
class ChartPatternCells : public ChartCells {
  public:
    explicit ChartPatternCells(const Chart& chart) : chart_(chart) {}
    Mark mark(int col, int row) const override;
    std::optional<int> topBox(int col) const override;
    std::optional<int> bottomBox(int col) const override;

  private:
    const Chart& chart_;
};

// The patterns of the chart's last column, as the screening lists them.
std::vector<Pattern> patternsOf(const Chart& chart);

enum class Side { Buy, Sell };

// The newest double top (a buy) or double bottom (a sell), from the last column back.
std::optional<Side> newestBreakout(const ChartCells& chart, int lastColumn);

// The chart row of the box that completed a breakout at the column: one past the top
// (double top) or the bottom (double bottom) of the column two before.
int breakoutRow(const ChartCells& chart, Pattern breakout, int col);

}  // namespace chart
