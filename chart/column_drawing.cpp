#include "chart/column_drawing.h"

namespace chart {

Drawing drawColumns(const std::vector<std::optional<int>>& boxIndexByDay, int startDay) {
    Drawing drawing;
    drawing.lastBox = *boxIndexByDay[static_cast<std::size_t>(startDay)];
    for (int day = startDay - 1; day >= 1; --day) {
        const auto& index = boxIndexByDay[static_cast<std::size_t>(day)];
        if (!index) continue;
        const int cur = *index, prev = drawing.lastBox;
        bool up;
        if (!drawing.rising && cur < prev - 2) {  // reversal up
            up = true;
            ++drawing.lastColumn;
        } else if (drawing.rising && cur > prev + 2) {  // reversal down
            up = false;
            ++drawing.lastColumn;
        } else if (drawing.rising && cur < prev) {
            up = true;
        } else if (!drawing.rising && cur > prev) {
            up = false;
        } else {
            continue;  // no change, or one or two boxes against the column
        }
        drawing.rising = up;
        if (up) {
            for (int row = prev; row >= cur + 1; --row)
                drawing.boxes.push_back({drawing.lastColumn, row, day, true});
        } else {
            for (int row = prev + 2; row <= cur + 1; ++row)
                drawing.boxes.push_back({drawing.lastColumn, row, day, false});
        }
        drawing.lastBox = cur;
    }
    return drawing;
}

}  // namespace chart
