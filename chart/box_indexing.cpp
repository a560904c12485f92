#include "chart/box_indexing.h"

#include <algorithm>
#include <functional>

namespace chart {

BoxFinder::BoxFinder(const LevelColumn& levels) {
    auto first =
        std::find_if(levels.begin(), levels.end(), [](const auto& l) { return l.has_value(); });
    firstRow_ = static_cast<int>(first - levels.begin());
    for (auto level = first; level != levels.end() && level->has_value(); ++level)
        levels_.push_back(**level);
}

std::optional<int> BoxFinder::boxIndexOf(long long price) {
    // The box is that of the last (lowest) level at or above the price.
    if (levels_.empty() || levels_.front() < price) return std::nullopt;
    std::size_t k = std::min(last_, levels_.size() - 1);
    const auto atOrAbove = [&](std::size_t i) { return levels_[i] >= price; };
    const bool near = atOrAbove(k) ? k + 1 == levels_.size() || !atOrAbove(k + 1) ||
                                         k + 2 == levels_.size() || !atOrAbove(k + 2)
                                   : k >= 1 && atOrAbove(k - 1);
    if (near) {
        while (!atOrAbove(k)) --k;
        while (k + 1 < levels_.size() && atOrAbove(k + 1)) ++k;
    } else {
        // Levels fall down the rows, so the levels at or above the price come first.
        const auto end = std::upper_bound(levels_.begin(), levels_.end(), price, std::greater<>());
        k = static_cast<std::size_t>(end - levels_.begin()) - 1;
    }
    last_ = k;
    return firstRow_ + static_cast<int>(k) - 1;
}

std::optional<int> boxIndexOf(long long price, const LevelColumn& levels) {
    return BoxFinder(levels).boxIndexOf(price);
}

}  // namespace chart
