#include "chart/box_scale.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <functional>
#include <map>
#include <mutex>

#include "tables/convert.h"

// The levels are truncated products in the x87 extended format; a wider or narrower
// long double gives other levels (500 at 0.066: 467 here, 466 in double precision).
static_assert(LDBL_MANT_DIG == 64,
              "the box levels need long double to be the x87 80-bit extended format "
              "(64-bit mantissa); build for x86 or x86-64 with GCC or Clang");

namespace chart {

PriceRange priceRange(const std::vector<const std::string*>& series, int days) {
    PriceRange range;
    range.high = range.low = hasValue(*series[0]) ? *series[0] : *series[1];
    long long high = 0, low = 0;
    bool converted = false;
    for (int a = 1; a < days; ++a) {
        const std::string& newer = *series[static_cast<std::size_t>(a) - 1];
        const std::string& day = *series[static_cast<std::size_t>(a)];
        if (!hasValue(newer) || !hasValue(day)) continue;
        if (!converted) {
            high = toInt(range.high);
            low = toInt(range.low);
            converted = true;
        }
        const long long price = toInt(day);
        if (price > high) {
            high = price;
            range.high = day;
        }
        if (price < low) {
            low = price;
            range.low = day;
        }
    }
    return range;
}

std::vector<long long> percentageLevels(long long high, long long low, long double ratio) {
    const long double factor = 1.0L - ratio;
    std::vector<long long> levels{high};
    long long level = high;
    for (int i = 1; i <= 3000 && level > low; ++i) {
        level = static_cast<long long>(std::trunc(static_cast<long double>(level) * factor));
        levels.push_back(level);
    }
    return levels;
}

namespace {

constexpr long long kFixedTop = 100000000;

long long cohenStep(long long b) {
    if (b > 50000000) return 1000000;
    if (b > 10000000) return 200000;
    if (b > 5000000) return 100000;
    if (b > 1000000) return 20000;
    if (b > 500000) return 10000;
    if (b > 100000) return 2000;
    if (b > 50000) return 1000;
    if (b > 10000) return 200;
    if (b > 5000) return 100;
    if (b > 1000) return 20;
    if (b >= 200) return 10;
    return 5;
}

}  // namespace

const std::vector<long long>& fixedPercentageLadder(long double ratio) {
    // A ratio far below the smallest the chart takes would step most of the way in yen.
    static const std::vector<long long> none;
    if (!(ratio >= 0.001L && ratio < 1.0L)) return none;
    // Built once per ratio.
    static std::mutex guard;
    static std::map<long double, std::vector<long long>> ladders;
    const std::lock_guard lock(guard);
    auto& ladder = ladders[ratio];
    if (ladder.empty()) {
        const long double factor = 1.0L - ratio;
        long long level = kFixedTop;
        ladder.push_back(level);
        while (level > 0) {
            const auto next =
                static_cast<long long>(std::trunc(static_cast<long double>(level) * factor));
            // A ratio too small to move a level on steps one yen down.
            level = next < level ? next : level - 1;
            ladder.push_back(level);
        }
    }
    return ladder;
}

std::vector<long long> fixedPercentageLevels(long long high, long long low, long double ratio) {
    const auto& ladder = fixedPercentageLadder(ratio);
    if (ladder.empty() || high > kFixedTop) return percentageLevels(high, low, ratio);
    // The ladder falls: the last level at or above the high, then down past the low.
    auto first = std::upper_bound(ladder.begin(), ladder.end(), high, std::greater<>()) - 1;
    if (first < ladder.begin()) first = ladder.begin();
    std::vector<long long> levels{*first};
    for (auto level = first + 1;
         level != ladder.end() && levels.size() < 3001 && levels.back() > low; ++level)
        levels.push_back(*level);
    return levels;
}

const std::vector<long long>& cohenLadder() {
    static const std::vector<long long> ladder = [] {
        std::vector<long long> levels{100000000};
        while (levels.size() < 1370 && levels.back() >= 5)
            levels.push_back(levels.back() - cohenStep(levels.back()));
        return levels;
    }();
    return ladder;
}

int cohenLadderRow(long long price) {
    const auto& ladder = cohenLadder();
    for (std::size_t i = 0; i + 1 < ladder.size(); ++i)
        if (ladder[i] > price && ladder[i + 1] <= price) return static_cast<int>(i) + 1;
    return 0;
}

std::vector<long long> cohenLevels(long long high, long long low) {
    const auto& ladder = cohenLadder();
    const int top = cohenLadderRow(high);
    const int bottom = cohenLadderRow(low);
    std::vector<long long> levels;
    // Above the ladder's first level the scale goes on from ladder row 1 down.
    const int first = std::max(top, 1);
    if (top == 0 && bottom == 0) return levels;
    for (int row = first; row <= std::max(first, bottom); ++row)
        levels.push_back(ladder[static_cast<std::size_t>(row) - 1]);
    return levels;
}

}  // namespace chart
