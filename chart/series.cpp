#include "chart/series.h"

#include "tables/convert.h"

namespace chart {

std::optional<Close> closeOfCell(std::string_view text) {
    if (text.empty()) return Close{};
    if (text == " ") return Close::none();
    if (const auto price = tryToInt(text)) return Close::of(*price);
    return std::nullopt;
}

Scale scaleOfField(std::string_view text) {
    Scale scale;
    if (text == kCohenWord)
        scale.cohen = true;
    else
        scale.ratio = toFloat(text);
    return scale;
}

namespace {

template <class CellAt>
std::optional<std::vector<Close>> closesOf(int days, CellAt cellAt) {
    std::vector<Close> closes(static_cast<std::size_t>(std::max(days, 0)));
    for (int day = 1; day <= days; ++day) {
        const auto close = closeOfCell(cellAt(day));
        if (!close) return std::nullopt;
        closes[static_cast<std::size_t>(day) - 1] = *close;
    }
    return closes;
}

}  // namespace

std::optional<std::vector<Close>> closesOfColumn(const WorkingTable& table, int col, int days) {
    days = std::min(days, table.storedRowCount());
    return closesOf(days, [&](int day) -> const std::string& { return table.cell(col, day); });
}

std::optional<std::vector<Close>> closesOfRow(const WorkingTable& table, int row, int days) {
    days = std::min(days, table.storedColCount(row));
    return closesOf(days, [&](int day) -> const std::string& { return table.cell(day, row); });
}

}  // namespace chart
