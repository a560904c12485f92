#include "screening/screening_build.h"

#include <algorithm>

namespace screening {

ColumnBuild buildScreeningColumns(const std::vector<std::optional<int>>& boxByDay, int reversal) {
    ColumnBuild build;
    const int shown = static_cast<int>(boxByDay.size());
    int counted = 0;
    for (const auto& box : boxByDay) counted += box.has_value() ? 1 : 0;
    // Days without a box index lower the days used; when the oldest of them still has
    // none, the build starts at the newest day above it that has one.
    build.countedDays = std::min(counted, shown);
    int start = build.countedDays;
    while (start > 0 && !boxByDay[static_cast<std::size_t>(start - 1)]) --start;
    build.startDay = start;
    if (start == 0) return build;

    std::vector<std::optional<int>> byDay(static_cast<std::size_t>(start) + 1);
    std::copy(boxByDay.begin(), boxByDay.begin() + start, byDay.begin() + 1);
    const chart::Drawing drawing = chart::drawColumns(byDay, start, {reversal, true});
    build.boxes = drawing.boxes;
    build.records = drawing.records;
    build.lastColumn = drawing.lastColumn;
    build.rising = drawing.rising;
    build.level = drawing.lastBox;
    return build;
}

BuiltChart::BuiltChart(const ColumnBuild& build)
    : columns_(static_cast<std::size_t>(std::max(build.lastColumn, 2) + 1)) {
    for (const chart::DrawnBox& box : build.boxes) {
        Column& column = columns_[static_cast<std::size_t>(box.col)];
        if (!column.marked) {
            column.marked = true;
            column.rising = box.rising;
            column.firstRow = column.lastRow = box.row;
        }
        column.firstRow = std::min(column.firstRow, box.row);
        column.lastRow = std::max(column.lastRow, box.row);
    }
    for (const chart::ColumnRecords& records : build.records) {
        Column& column = columns_[static_cast<std::size_t>(records.col)];
        column.top = records.top.box;
        column.bottom = records.bottom.box;
    }
}

const BuiltChart::Column* BuiltChart::column(int col) const {
    if (col < 2 || col >= static_cast<int>(columns_.size())) return nullptr;
    return &columns_[static_cast<std::size_t>(col)];
}

chart::Mark BuiltChart::mark(int col, int row) const {
    const Column* c = column(col);
    if (!c || !c->marked || row < c->firstRow || row > c->lastRow) return chart::Mark::None;
    return c->rising ? chart::Mark::Rising : chart::Mark::Falling;
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
