#pragma once
// A drawn chart as plain values: the levels by chart row and each column's unbroken run
// of boxes with their dates. The decorations are computed from this, never from cells.
#include <optional>
#include <string>
#include <vector>

#include "chart/box_indexing.h"
#include "chart/column_drawing.h"
#include "tables/working_table.h"

namespace chart {

struct BoxColumn {
    int col = 0;  // chart-grid column, from 2
    bool rising = false;
    int topRow = 0;  // chart rows of the highest and the lowest box; 0 when the column is empty
    int bottomRow = 0;
    std::vector<std::string> dates;  // box dates from topRow down to bottomRow

    bool empty() const { return topRow == 0; }
    int boxes() const { return empty() ? 0 : bottomRow - topRow + 1; }
    bool holds(int row) const { return !empty() && row >= topRow && row <= bottomRow; }
    // The date of the box in the row; empty text outside the column.
    const std::string& dateAt(int row) const;
    // The newest box: the top of a rising column, the bottom of a falling one.
    int newestRow() const { return rising ? topRow : bottomRow; }
};

struct BoxChart {
    LevelColumn levels;              // by chart row
    std::vector<BoxColumn> columns;  // columns[i].col == i + 2, up to the last column

    int lastColumn() const { return columns.empty() ? 2 : columns.back().col; }
    // Nothing for a column outside 2 .. the last column.
    const BoxColumn* column(int col) const;
    std::optional<long long> level(int row) const;
    // The first and the last chart row that hold a level; 0 when none does.
    int firstLevelRow() const;
    int lastLevelRow() const;
};

// The chart the column drawing (or the screening build) left in the chart grid and the
// box-date grid. Columns 2 to column count - 2 are read.
BoxChart readBoxChart(const WorkingTable& chartGrid, const WorkingTable& boxDates);

// The chart of a drawing, with the date of each day (dateByDay[d] for day d).
BoxChart boxChartOf(const Drawing& drawing, LevelColumn levels,
                    const std::vector<std::string>& dateByDay);

}  // namespace chart
