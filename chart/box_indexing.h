#pragma once
// Each day's price becomes the index of the chart box that holds it: box index a is
// drawn in chart row a + 1 and holds the prices above the level of row a + 2 up to
// and including the level of row a + 1.
#include <optional>
#include <vector>

namespace chart {

// The box levels down the chart, indexed by chart row; empty where a row has no level.
// The rows that hold levels follow one another and their levels fall strictly.
using LevelColumn = std::vector<std::optional<long long>>;

// The box of the lowest level at or above the price. A price at or below the last
// level gets the box of the last level row; a price above the level of row 2 gets
// the box of row 1 when row 1 holds a level. Nothing when no level lies at or above
// the price.
std::optional<int> boxIndexOf(long long price, const LevelColumn& levels);

// The same search over one scale for many prices: the level rows are found once.
class BoxFinder {
  public:
    // openTop: row 1 is a box without a level above the first level row, holding every
    // higher price (a Cohen scale whose highest price lies above the ladder).
    explicit BoxFinder(const LevelColumn& levels, bool openTop = false);
    std::optional<int> boxIndexOf(long long price) const;

  private:
    int firstRow_ = 0;
    std::vector<long long> levels_;  // the level rows from firstRow_ on
    bool openTop_ = false;
};

}  // namespace chart
