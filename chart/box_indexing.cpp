#include "chart/box_indexing.h"

#include <algorithm>

namespace chart {

std::optional<int> boxIndexOf(long long price, const LevelColumn& levels) {
    auto first =
        std::find_if(levels.begin(), levels.end(), [](const auto& l) { return l.has_value(); });
    auto end = std::find_if(first, levels.end(), [](const auto& l) { return !l.has_value(); });
    // Levels fall down the rows, so the rows at or above the price come first.
    const auto atOrAbove =
        std::partition_point(first, end, [price](const auto& level) { return *level >= price; });
    if (atOrAbove == first) return std::nullopt;
    const int row = static_cast<int>(atOrAbove - levels.begin()) - 1;
    return row - 1;
}

}  // namespace chart
