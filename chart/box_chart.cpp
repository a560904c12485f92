#include "chart/box_chart.h"

#include <algorithm>

#include "tables/convert.h"

namespace chart {

namespace {
const std::string kNoDate;

void addBox(BoxColumn& column, int row, bool rising, const std::string& date) {
    if (column.empty()) {
        column.rising = rising;
        column.topRow = column.bottomRow = row;
        column.dates.push_back(date);
        return;
    }
    // Rows come in any order; the column is the run from its highest to its lowest box.
    if (row < column.topRow) {
        column.dates.insert(column.dates.begin(), static_cast<std::size_t>(column.topRow - row),
                            std::string());
        column.topRow = row;
    } else if (row > column.bottomRow) {
        column.dates.resize(column.dates.size() + static_cast<std::size_t>(row - column.bottomRow));
        column.bottomRow = row;
    }
    column.dates[static_cast<std::size_t>(row - column.topRow)] = date;
}
}  // namespace

const std::string& BoxColumn::dateAt(int row) const {
    return holds(row) ? dates[static_cast<std::size_t>(row - topRow)] : kNoDate;
}

const BoxColumn* BoxChart::column(int col) const {
    if (col < 2 || col - 2 >= static_cast<int>(columns.size())) return nullptr;
    return &columns[static_cast<std::size_t>(col - 2)];
}

std::optional<long long> BoxChart::level(int row) const {
    if (row < 0 || row >= static_cast<int>(levels.size())) return std::nullopt;
    return levels[static_cast<std::size_t>(row)];
}

int BoxChart::firstLevelRow() const {
    for (std::size_t row = 0; row < levels.size(); ++row)
        if (levels[row]) return static_cast<int>(row);
    return 0;
}

int BoxChart::lastLevelRow() const {
    for (std::size_t row = levels.size(); row-- > 0;)
        if (levels[row]) return static_cast<int>(row);
    return 0;
}

BoxChart readBoxChart(const WorkingTable& chartGrid, const WorkingTable& boxDates) {
    BoxChart chart;
    const int rows = chartGrid.rowCount();
    chart.levels.resize(static_cast<std::size_t>(std::max(rows, 1)));
    for (int row = 1; row < rows; ++row)
        chart.levels[static_cast<std::size_t>(row)] = tryToInt(chartGrid.cell(1, row));

    const int last = std::max(chartGrid.colCount() - 2, 2);
    chart.columns.resize(static_cast<std::size_t>(last - 1));
    for (int col = 2; col <= last; ++col)
        chart.columns[static_cast<std::size_t>(col - 2)].col = col;
    for (int row = 1; row < rows; ++row) {
        // Only the stored cells of a row can hold a mark.
        const int end = std::min(chartGrid.storedColCount(row), last + 1);
        for (int col = 2; col < end; ++col) {
            const std::string& mark = chartGrid.cell(col, row);
            const bool rising = mark == kRisingMark;
            if (!rising && mark != kFallingMark) continue;
            addBox(chart.columns[static_cast<std::size_t>(col - 2)], row, rising,
                   boxDates.cell(col, row));
        }
    }
    return chart;
}

BoxChart boxChartOf(const Drawing& drawing, LevelColumn levels,
                    const std::vector<std::string>& dateByDay) {
    BoxChart chart;
    chart.levels = std::move(levels);
    chart.columns.resize(static_cast<std::size_t>(std::max(drawing.lastColumn, 2) - 1));
    for (std::size_t i = 0; i < chart.columns.size(); ++i)
        chart.columns[i].col = static_cast<int>(i) + 2;
    for (const DrawnBox& box : drawing.boxes) {
        const auto day = static_cast<std::size_t>(box.day);
        addBox(chart.columns[static_cast<std::size_t>(box.column - 2)], box.row, box.rising,
               day < dateByDay.size() ? dateByDay[day] : kNoDate);
    }
    return chart;
}

}  // namespace chart
