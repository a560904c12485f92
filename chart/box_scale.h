#pragma once
// The vertical scale of a chart: the price range of the days shown and the box
// levels of the percentage or the Cohen box method.
#include <string>
#include <vector>

namespace chart {

// The highest and lowest price of a series, as the texts found in it.
struct PriceRange {
    std::string high;
    std::string low;
};

// series[0] is day 1 (the newest); it holds at least days 1 and 2. Days 2 to `days` are
// compared, each only when the next more recent day also has a value.
PriceRange priceRange(const std::vector<const std::string*>& series, int days);

// Levels from the highest price down to the first level at or below the lowest one;
// each level is the one above it times (1 - ratio), truncated, in extended precision.
// At most 3001 levels.
std::vector<long long> percentageLevels(long long high, long long low, long double ratio);

// The same percentage rule started at 100,000,000 instead of at the period's high, so a
// level never depends on the period: from the lowest level at or above the highest
// price down to the first level at or below the lowest one. At most 3001 levels.
std::vector<long long> fixedPercentageLevels(long long high, long long low, long double ratio);

// The whole percentage ladder the fixed levels are taken from: from 100,000,000 down to 0
// by the ratio (steps of one yen where the ratio no longer moves a level). Empty for a
// ratio below 0.001 or not below 1 (the fixed levels are then the period's).
const std::vector<long long>& fixedPercentageLadder(long double ratio);

// The fixed Cohen ladder: rows 1 to 1370, from 100000000 down to 0 (index 0 is row 1).
const std::vector<long long>& cohenLadder();

// The ladder levels from the first one above the highest price down to the first one
// above the lowest price. When no level lies above the highest price (100000000 or
// more) they start at the ladder's first level: the scale then has a box row without
// a level above them (cohenLadderRow(high) is 0). Empty when no level lies above the
// lowest price either.
std::vector<long long> cohenLevels(long long high, long long low);

// Ladder row (1-based) whose level is above the price and whose next level is at or
// below it; 0 when there is none.
int cohenLadderRow(long long price);

}  // namespace chart
