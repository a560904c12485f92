#pragma once
// Point-and-figure columns from box indices: a column goes on with a move of one box
// in its direction and reverses with a move of three boxes against it.
#include <optional>
#include <vector>

namespace chart {

inline constexpr const char* kRisingMark = "×";
inline constexpr const char* kFallingMark = "〇";

struct DrawnBox {
    int column;   // chart-grid column, from 2
    int row;      // chart-grid row (box index + 1)
    int day;      // the day whose price drew the box
    bool rising;  // "×" when rising, "〇" when falling
};

struct Drawing {
    std::vector<DrawnBox> boxes;
    int lastColumn = 2;
    bool rising = false;  // the direction of the last column
    int lastBox = 0;      // box index of the last box drawn (or of the start day)
};

// boxIndexByDay[d] is the box index of day d (d = 1 newest .. startDay oldest; index 0
// unused); days without a box index are skipped. The start day only places the first
// box. The chart begins as a falling column in grid column 2.
Drawing drawColumns(const std::vector<std::optional<int>>& boxIndexByDay, int startDay);

}  // namespace chart
