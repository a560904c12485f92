#pragma once
// Point-and-figure columns from box indices: a column goes on with a move of one box in
// its direction and reverses with a move of `reversal` boxes (three by default) against
// it. The chart's drawing and the screening build both draw by this one rule; the build
// also keeps each column's extreme records.
#include <optional>
#include <vector>

namespace chart {

inline constexpr const char* kRisingMark = "×";
inline constexpr const char* kFallingMark = "〇";

struct DrawnBox {
    int col;      // chart-grid column, from 2
    int row;      // chart-grid row (box index + 1)
    int day;      // the day whose price drew the box
    bool rising;  // "×" when rising, "〇" when falling
    bool operator==(const DrawnBox&) const = default;
};

// One extreme record of the screening build: a box index and the day whose price (and
// date) go with it.
struct ExtremeRecord {
    int box = 0;
    int day = 0;
    bool dated = false;  // the start day's records carry no date
    bool operator==(const ExtremeRecord&) const = default;
};

struct ColumnRecords {
    int col = 0;
    ExtremeRecord top;     // smallest box index of the column (its highest box)
    ExtremeRecord bottom;  // largest box index (its lowest box)
};

struct DrawRules {
    int reversal = 3;
    // The screening build's records: after each day, the column's highest and lowest box;
    // a reversal takes the new column's far record from the previous column's, one box on.
    bool keepRecords = false;
};

struct Drawing {
    std::vector<DrawnBox> boxes;         // in the order they are drawn
    std::vector<ColumnRecords> records;  // with keepRecords: the final records of each column
    int lastColumn = 2;
    bool rising = false;  // the direction of the last column
    int lastBox = 0;      // box index of the last box drawn (or of the start day)
};

// boxIndexByDay[d] is the box index of day d (d = 1 newest .. startDay oldest; index 0
// unused); days without a box index are skipped. The start day only places the first
// box. The chart begins as a falling column in grid column 2.
Drawing drawColumns(const std::vector<std::optional<int>>& boxIndexByDay, int startDay,
                    const DrawRules& rules = {});

}  // namespace chart
