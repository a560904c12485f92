#pragma once
// What a Point-and-Figure reader expects around the columns: the month written into
// the box where a month begins, the history of the chart's whole history, the 45°
// trend lines and the price objectives of the vertical and the horizontal count.
// Everything is derived from a drawn chart and changes none of its cells.
#include <optional>
#include <string>
#include <vector>

#include "chart/chart.h"
#include "chart/patterns.h"

namespace chart {

// ---------------------------------------------------------------------------
// Month markers

struct MonthMarker {
    int col = 0;
    int row = 0;
    char letter = '1';  // '1'..'9' for January to September, 'A', 'B', 'C' for the rest
    // The first box of a new year: the letter is the year's last digit ('6' for 2026).
    bool year = false;
    bool operator==(const MonthMarker&) const = default;
};

char monthLetter(int month);

// The first box drawn in each calendar month, in drawing order (columns left to right,
// a rising column from its bottom up, a falling one from its top down). The chart's
// first dated box starts its month too. Where the year changes, the first box of the new
// year shows the year's last digit instead of its month. Boxes whose date is not a date
// are passed over.
std::vector<MonthMarker> monthMarkers(const Chart& chart);

// ---------------------------------------------------------------------------
// Signals

struct Signal {
    int col = 0;  // the column where the pattern completed
    Pattern pattern = Pattern::DoubleTop;
    int row = 0;       // the box that completed it: one beyond the top or bottom it broke
    std::string date;  // that box's date
    bool operator==(const Signal&) const = default;
};

// Every signal of the pattern catalogue (the ten the screening knows and the further
// formations that are no warnings) at each column where it completes, oldest first; at a
// column the ten come first, in the screening's order. The ten of the last column are
// what the screening lists for the stock: where the screening's build of the series
// starts elsewhere (Chart::screened), they are its.
std::vector<Signal> signalHistory(const Chart& chart);
// The warnings of the catalogue (traps, poles) at each column where they complete.
std::vector<Signal> warningHistory(const Chart& chart);

// Whether a double top (a buy) or a double bottom (a sell).
inline bool isBreakout(Pattern pattern) {
    return pattern == Pattern::DoubleTop || pattern == Pattern::DoubleBottom;
}

// ---------------------------------------------------------------------------
// Trend lines

enum class LineKind { BullishSupport, BearishResistance };

struct TrendLine {
    LineKind kind = LineKind::BullishSupport;
    int startCol = 0;  // the column of the low (or high) it starts from
    int startRow = 0;  // the box below that low (above that high)
    int endCol = 0;    // the column where the price crossed it, or the last column
    bool crossed = false;
    // The line rises (support) or falls (resistance) one box per column.
    int rowAt(int col) const {
        return kind == LineKind::BullishSupport ? startRow - (col - startCol)
                                                : startRow + (col - startCol);
    }
    bool operator==(const TrendLine&) const = default;
};

// The lines in the order they were in force. The first starts at the first double top
// (from the lowest 〇 before it) or double bottom (from the highest × before it); when
// the price crosses a line, the next one starts from the highest × (lowest 〇) between
// the start of the crossed line and the crossing.
std::vector<TrendLine> trendLines(const Chart& chart, const std::vector<Signal>& history);

// The line still in force: the last one when the price has not crossed it.
std::optional<LineKind> lineInForce(const std::vector<TrendLine>& lines);

// ---------------------------------------------------------------------------
// Price objectives

// The scale the levels were built by, to continue it past the chart's edges.
struct BoxScale {
    bool cohen = false;
    long double ratio = 0.015L;
    bool fixed = false;  // the percentage levels of the fixed ladder
};

// The price of a chart row, also beyond the chart: the percentage scale goes on with
// its ratio (the fixed scale along its ladder), the Cohen scale along its ladder. Nothing
// when the chart has no levels, or for a row past the ladder's ends or priced at 0 or
// less.
std::optional<long long> priceAtRow(const Chart& chart, const BoxScale& scale, int row);

// The next trigger prices: the level of the next double-top buy (one box above the last
// X column's top) and of the next double-bottom sell (one box below the last O column's
// bottom), on the chart's own scale; rows 0 and no price without such a column.
struct TriggerPrices {
    int buyRow = 0;
    int sellRow = 0;
    std::optional<long long> buy;
    std::optional<long long> sell;
};
TriggerPrices triggerPrices(const Chart& chart, const BoxScale& scale);

struct PriceObjectives {
    bool buy = true;           // a buy signal counts up, a sell signal down
    int signalCol = 0;         // the newest signal's column: the vertical count's column
    int signalRow = 0;         // the box that completed the signal
    bool provisional = false;  // the count column still grows (no reversal followed it)
    int wallCol = 0;           // the horizontal count's wall; 0: no wall, no horizontal count
    int verticalRow = 0;       // target rows (0: no count); their prices below
    int horizontalRow = 0;
    std::optional<long long> vertical;
    std::optional<long long> horizontal;
};

// The counts of the newest signal (its double top or double bottom), in boxes along the
// chart's own scale; a buy's objectives lie above the signal's box, a sell's below it.
// Vertical: the signal's own column, counted once a reversal followed it (else on its
// length so far, provisional): a buy its lowest box + boxes x reversal, a sell its highest
// box - boxes x (reversal - 1, at least 1).
// Horizontal: the base runs from the signal's column back to the nearest column that
// reached past the broken top (bottom), the wall, which it includes; a buy its lowest box
// (that of its 〇 columns) + width x reversal, a sell its highest box (of its × columns) -
// width x reversal. Without a wall there is no horizontal count.
// A count that would not lie beyond the signal's box, or has no price, is no objective.
std::optional<PriceObjectives> priceObjectives(const Chart& chart, const BoxScale& scale,
                                               const std::vector<Signal>& history);

// ---------------------------------------------------------------------------
// All of it, and the texts that name it

struct Decorations {
    std::vector<MonthMarker> months;
    std::vector<Signal> history;
    std::vector<Signal> warnings;  // traps and poles, apart from the signals
    std::vector<TrendLine> lines;
    std::optional<PriceObjectives> objectives;
    // The newest box drawn: the last column's top when rising, its bottom when falling.
    std::optional<std::pair<int, int>> newestBox;  // column, row
    TriggerPrices triggers;
    // The row of the box that holds the newest close, by the chart's own box rule.
    int currentRow = 0;
};

Decorations decorate(const Chart& chart, const BoxScale& scale);

// "1,234"
std::string groupedNumber(long long value);
// "最新シグナル ダブルトップ 2026/11/20"; every pattern of the newest signal column.
std::optional<std::string> newestSignalText(const Decorations& decorations);
// "強気支持線" or "弱気抵抗線".
std::optional<std::string> lineInForceText(const Decorations& decorations);
// "目標値 垂直 1,234 / 水平 1,180"; "−" for no objective, "（暫定）" after a vertical count
// on a column that still grows.
std::optional<std::string> objectivesText(const Decorations& decorations);
// "買い点 1,250 / 売り点 1,105"; "-" for a price the chart has no column for.
std::optional<std::string> triggerText(const Decorations& decorations);
// "警告 ブルトラップ": the warnings completed at the newest column.
std::optional<std::string> warningText(const Decorations& decorations);

}  // namespace chart
