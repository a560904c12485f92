#pragma once
// A Point-and-Figure chart as a value: a request (one stock's daily prices, the days to
// chart, the scale and the construction) in, the chart (its levels, its columns and the
// day behind every box) out. No table, no form: the chart run writes a Chart into the
// working tables, the command line prints it, the renderer draws it and the whole-market
// features compute thousands of them.
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "chart/box_indexing.h"
#include "chart/column_drawing.h"

namespace chart {

enum class Pattern;  // chart/patterns.h

// One day of a series: a price, a day of the series without a price (a no-trade day,
// " " in the files), or no day at all (past the series' end, or a cell left empty).
struct Close {
    enum class Kind : unsigned char { NoDay, NoPrice, Price };
    Kind kind = Kind::NoDay;
    long long price = 0;

    static Close of(long long price) { return {Kind::Price, price}; }
    static Close none() { return {Kind::NoPrice, 0}; }
    bool priced() const { return kind == Kind::Price; }
    bool present() const { return kind != Kind::NoDay; }
};

// The vertical scale: the percentage ratio or the Cohen ladder. The percentage levels
// start at the period's highest price, or, fixed, at 100,000,000 whatever the period.
struct Scale {
    bool cohen = false;
    long double ratio = 0.015L;
    bool fixed = false;
};

// The program's own rule (a close belongs to the box of the lowest level at or above it,
// a reversal is `reversal` box numbers) or the textbook rule.
enum class Construction { Program, Textbook };

// Which days the drawing counts when it lowers the days shown: the days the series has
// (the chart), or the days that have a price (the screening build).
enum class DayCount { SeriesDays, PricedDays };

// The construction choices beyond the box ratio: what the chart window, the command line and
// the screening draw by. The default is the program's own rule, unchanged.
struct ChartStyle {
    Construction construction = Construction::Program;
    int reversal = 3;         // 1 to 5
    bool highLow = false;     // the textbook construction on highs and lows
    bool fixedScale = false;  // percentage levels started at 100,000,000
    bool operator==(const ChartStyle&) const = default;
};

struct ChartRequest {
    std::span<const Close> closes;  // closes[0] is day 1, the newest
    // The textbook construction on highs and lows: both as long as closes (empty: closes).
    std::span<const Close> highs, lows;
    std::span<const std::string> dates;  // dates[0] is day 1; may be empty
    int days = 500;                      // days shown
    Scale scale;
    Construction construction = Construction::Program;
    int reversal = 3;
    DayCount count = DayCount::SeriesDays;
    // The screening build's extreme records of each column (the drawing needs none).
    bool keepRecords = false;
};

struct Column {
    int col = 0;  // chart-grid column, from 2
    bool rising = false;
    int topRow = 0;  // chart rows of the highest and the lowest box; 0 when the column is empty
    int bottomRow = 0;
    std::vector<int> days;  // the day behind each box, from topRow down to bottomRow

    bool empty() const { return topRow == 0; }
    int boxes() const { return empty() ? 0 : bottomRow - topRow + 1; }
    bool holds(int row) const { return !empty() && row >= topRow && row <= bottomRow; }
    // The day that drew the box in the row; 0 outside the column.
    int dayAt(int row) const {
        return holds(row) ? days[static_cast<std::size_t>(row - topRow)] : 0;
    }
    // The newest box: the top of a rising column, the bottom of a falling one.
    int newestRow() const { return rising ? topRow : bottomRow; }
};

struct Chart {
    // Box levels by chart row; the vector's size is the chart's row count (one empty row
    // follows the last level). With the percentage scale the levels start in row 2, with
    // the Cohen scale in row 1.
    LevelColumn levels;
    // A Cohen scale whose highest price lies above the ladder: row 1 is a box without a
    // level that holds every higher price.
    bool openTop = false;
    std::vector<Column> columns;  // columns[i].col == i + 2, up to the last column

    int daysShown = 0;  // the days shown, lowered to the days counted
    int startDay = 0;   // the oldest day drawn; 0 when no day has a box
    // The box index of each day (index d for day d; index 0 unused), nothing where the
    // day has no price.
    std::vector<std::optional<int>> boxIndexByDay;
    // The price range: the days whose prices are the highest and the lowest, and those
    // prices (with highs and lows, the highest high and the lowest low).
    int highDay = 0;
    int lowDay = 0;
    long long highPrice = 0;
    long long lowPrice = 0;
    // The newest close of the days drawn and its day.
    std::optional<long long> newestClose;
    int newestCloseDay = 0;
    bool rising = false;                 // the direction of the last column
    int lastBox = 0;                     // box index of the last box drawn (or of the start day)
    std::vector<ColumnRecords> records;  // with keepRecords
    std::vector<std::string> dates;      // dates[d - 1] for day d, when the request had them
    Scale scale;
    Construction construction = Construction::Program;
    int reversal = 3;
    // The screening's own build of the same series, where it starts on another day than
    // the drawing (the screening counts only the days with a price when it lowers the
    // days shown): what it lists for the stock, the box and the day that completed it.
    // Nothing when both start on the same day and so draw the same columns.
    struct Screened {
        struct Found {
            Pattern pattern;
            int row = 0;  // the box that completed it
            int day = 0;  // the day that drew that box
        };
        // The ten as the screening finds them, then the further formations.
        std::vector<Found> found;
    };
    std::optional<Screened> screened;

    int lastColumn() const { return columns.empty() ? 2 : columns.back().col; }
    // Nothing for a column outside 2 .. the last column.
    const Column* column(int col) const;
    std::optional<long long> level(int row) const;
    // The first and the last chart row that hold a level; 0 when none does.
    int firstLevelRow() const;
    int lastLevelRow() const;
    // The number written beside a row: 1 on the first box row, then counting down.
    int boxNumber(int row) const { return row - (firstLevelRow() == 2 ? 1 : 0); }
    // The date of the day behind the box in the cell; empty text without one.
    const std::string& dateAt(int col, int row) const;
    const std::string& dateOfDay(int day) const;
    // The row of the box that holds a price by the chart's own box rule: the lowest level at
    // or above it (the program's rule), the highest level at or below it (the textbook's).
    // 0 when no box holds it.
    int rowHolding(long long price) const;
};

// The chart of a drawing made over levels the caller holds (the form's handlers run one
// by one).
Chart chartOfDrawing(const Drawing& drawing, LevelColumn levels, bool openTop);

// The request drawn in the style (the highs and lows are the caller's to give).
inline void applyStyle(ChartRequest& request, const ChartStyle& style) {
    request.construction = style.construction;
    request.reversal = style.reversal;
    request.scale.fixed = style.fixedScale;
}

// Whether a request draws by highs and lows.
inline bool byHighLow(const ChartRequest& request) {
    return request.construction == Construction::Textbook && !request.highs.empty() &&
           !request.lows.empty();
}

// The whole chart run on values. A series whose first two days have no price has no
// price range: the chart then has no levels and no columns.
Chart runChart(const ChartRequest& request);

// An arithmetic scale: levels `step` apart from `top` down to `bottom` (a bullish
// percent's 2-point boxes from 100 to 0). Empty for a step that is not positive.
std::vector<long long> stepLevels(long long top, long long bottom, long long step);

// The request drawn on levels the caller gives (falling, from row 2) instead of those of
// its scale, whatever its prices' range; the request's scale is kept only as a note.
Chart runChartOnLevels(const ChartRequest& request, const std::vector<long long>& levels);

}  // namespace chart
