#pragma once
// The screening twin of the column drawing and the ten Point-and-Figure patterns.
// Everything here works on plain values: box indexes per day in, columns and
// matches out. The form's side (screening/pattern_detection.cpp) moves them
// between the cells and these functions.
#include <array>
#include <optional>
#include <string_view>
#include <vector>

namespace screening {

inline constexpr std::string_view kRisingMark = "×";
inline constexpr std::string_view kFallingMark = "〇";

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
};
inline constexpr int kPatternCount = 10;

inline constexpr std::array<std::string_view, kPatternCount> kPatternCaptions = {
    "ダブルトップ",   "ダブルボトム", "強気のシグナル", "弱気のシグナル", "トリプルトップ",
    "トリプルボトム", "逆転上昇",     "逆転下降",       "強気の三角形",   "弱気の三角形"};

inline int listColumn(Pattern pattern) {
    return static_cast<int>(pattern);
}
inline std::string_view caption(Pattern pattern) {
    return kPatternCaptions[static_cast<std::size_t>(listColumn(pattern) - 1)];
}

// The tests after a breakout, in the order they run.
inline constexpr std::array<Pattern, 8> kFollowUpPatterns = {
    Pattern::BullishSignal,   Pattern::BearishSignal,  Pattern::TripleTop,
    Pattern::TripleBottom,    Pattern::ReversalUp,     Pattern::ReversalDown,
    Pattern::BullishTriangle, Pattern::BearishTriangle};

// ---------------------------------------------------------------------------
// Column build

// One extreme record: a box index and the day whose price (and date) go with it.
struct ExtremeRecord {
    int box = 0;
    int day = 0;
    bool dated = false;  // the start day's records carry no date
    bool operator==(const ExtremeRecord&) const = default;
};

struct MarkedBox {
    int col = 0;
    int row = 0;  // chart row: box index + 1
    int day = 0;  // the day that filled the box
    bool rising = false;
    bool operator==(const MarkedBox&) const = default;
};

struct ColumnRecords {
    int col = 0;
    ExtremeRecord top;     // smallest box index of the column (its highest box)
    ExtremeRecord bottom;  // largest box index (its lowest box)
};

struct ColumnBuild {
    // The days that have a box index, when fewer than the days shown: the days shown
    // are lowered to this count.
    int countedDays = 0;
    // The oldest day used: the days shown lowered to the days that have a box index,
    // and further to the newest of those days at or above it. 0 when no day has one.
    int startDay = 0;
    std::vector<MarkedBox> boxes;        // in the order they are written
    std::vector<ColumnRecords> records;  // final records of each column that got them
    int lastColumn = 2;                  // K
    bool rising = false;                 // direction of column K
    std::optional<int> level;            // box the current column has reached
};

// boxByDay[d - 1] is the box index of day d (day 1 the newest), nothing where the day
// has no box index; its size is the number of days shown.
ColumnBuild buildScreeningColumns(const std::vector<std::optional<int>>& boxByDay);

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

// Whether the chart whose last column is lastColumn shows the pattern.
bool matches(Pattern pattern, const ChartCells& chart, int lastColumn);

// A chart held as plain values, the way the column build leaves it.
class BuiltChart : public ChartCells {
  public:
    explicit BuiltChart(const ColumnBuild& build);
    Mark mark(int col, int row) const override;
    std::optional<int> topBox(int col) const override;
    std::optional<int> bottomBox(int col) const override;

  private:
    struct Column {
        bool marked = false;
        bool rising = false;
        int firstRow = 0, lastRow = 0;
        std::optional<int> top, bottom;
    };
    const Column* column(int col) const;
    std::vector<Column> columns_;  // index = chart column
};

// Every pattern the chart shows, in the order the screening records them.
std::vector<Pattern> detectPatterns(const ChartCells& chart, int lastColumn);

}  // namespace screening
