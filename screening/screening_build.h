#pragma once
// The screening build: the chart's column drawing over the days that have a box index,
// keeping each column's extreme records as the pattern tests read them from the grids.
#include <optional>
#include <vector>

#include "chart/column_drawing.h"
#include "chart/patterns.h"

namespace screening {

struct ColumnBuild {
    // The days that have a box index, when fewer than the days shown: the days shown
    // are lowered to this count.
    int countedDays = 0;
    // The oldest day used: the days shown lowered to the days that have a box index,
    // and further to the newest of those days at or above it. 0 when no day has one.
    int startDay = 0;
    std::vector<chart::DrawnBox> boxes;         // in the order they are written
    std::vector<chart::ColumnRecords> records;  // final records of each column that got them
    int lastColumn = 2;                         // K
    bool rising = false;                        // direction of column K
    std::optional<int> level;                   // box the current column has reached
};

// boxByDay[d - 1] is the box index of day d (day 1 the newest), nothing where the day
// has no box index; its size is the number of days shown. A reversal takes `reversal`
// boxes.
ColumnBuild buildScreeningColumns(const std::vector<std::optional<int>>& boxByDay,
                                  int reversal = 3);

// A chart held as plain values, the way the column build leaves it: marks, and the
// extreme records as written.
class BuiltChart : public chart::ChartCells {
  public:
    explicit BuiltChart(const ColumnBuild& build);
    chart::Mark mark(int col, int row) const override;
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

}  // namespace screening
