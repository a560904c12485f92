#include "chart/box_indexing.h"

#include <algorithm>

namespace chart {

BoxFinder::BoxFinder(const LevelColumn& levels, bool openTop) {
    auto first =
        std::find_if(levels.begin(), levels.end(), [](const auto& l) { return l.has_value(); });
    firstRow_ = static_cast<int>(first - levels.begin());
    for (auto level = first; level != levels.end() && level->has_value(); ++level)
        levels_.push_back(**level);
    openTop_ = openTop && firstRow_ == 2;
}

std::optional<int> BoxFinder::boxIndexOf(long long price) const {
    // The box is that of the last (lowest) level at or above the price. Levels fall down
    // the rows; the halving below has no branch a price could mispredict.
    if (levels_.empty()) return std::nullopt;
    if (levels_.front() < price) return openTop_ ? std::optional<int>(0) : std::nullopt;
    const long long* first = levels_.data();
    for (std::size_t length = levels_.size(); length > 1;) {
        const std::size_t half = length / 2;
        first = first[half] >= price ? first + half : first;
        length -= half;
    }
    return firstRow_ + static_cast<int>(first - levels_.data()) - 1;
}

std::optional<int> boxIndexOf(long long price, const LevelColumn& levels) {
    return BoxFinder(levels).boxIndexOf(price);
}

}  // namespace chart
