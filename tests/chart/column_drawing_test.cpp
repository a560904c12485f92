#include "chart/column_drawing.h"

#include <gtest/gtest.h>

#include "chart/box_indexing.h"

namespace {

using Indices = std::vector<std::optional<int>>;
using Cells = std::vector<std::tuple<int, int, bool>>;  // column, row, rising

// Box indices listed oldest first, as days n .. 1.
chart::Drawing draw(std::vector<std::optional<int>> oldestFirst) {
    Indices byDay(oldestFirst.size() + 1);
    for (std::size_t i = 0; i < oldestFirst.size(); ++i)
        byDay[oldestFirst.size() - i] = oldestFirst[i];
    return chart::drawColumns(byDay, static_cast<int>(oldestFirst.size()));
}

Cells cells(const chart::Drawing& drawing) {
    Cells out;
    for (const auto& box : drawing.boxes) out.emplace_back(box.col, box.row, box.rising);
    return out;
}

TEST(ColumnDrawing, ThreeBoxMoveReversesOneBoxBeyondTheLastBox) {
    const auto drawing = draw({5, 6, 7, 4, 3, 6});
    EXPECT_EQ(cells(drawing), (Cells{{2, 7, false},
                                     {2, 8, false},  // 6, 7
                                     {3, 7, true},
                                     {3, 6, true},
                                     {3, 5, true},  // up to 4
                                     {3, 4, true},  // 3
                                     {4, 5, false},
                                     {4, 6, false},
                                     {4, 7, false}}));
    EXPECT_EQ(drawing.lastColumn, 4);
    EXPECT_FALSE(drawing.rising);
    EXPECT_EQ(drawing.lastBox, 6);
}

TEST(ColumnDrawing, FirstRiseDrawsNothingUntilItReachesThreeBoxes) {
    const auto drawing = draw({5, 4, 3, 2});
    EXPECT_EQ(cells(drawing), (Cells{{3, 5, true}, {3, 4, true}, {3, 3, true}}));
    EXPECT_EQ(drawing.lastColumn, 3);
}

TEST(ColumnDrawing, MovesOfOneOrTwoBoxesAgainstTheColumnAreIgnored) {
    EXPECT_TRUE(draw({5, 5, 5, 5}).boxes.empty());
    EXPECT_EQ(draw({5, 5, 5, 5}).lastColumn, 2);
    const auto drawing = draw({5, 7, 5, 7, 9});  // falls, two up ignored, falls on
    EXPECT_EQ(cells(drawing), (Cells{{2, 7, false}, {2, 8, false}, {2, 9, false}, {2, 10, false}}));
}

TEST(ColumnDrawing, DaysWithoutABoxIndexAreSkipped) {
    const auto drawing = draw({5, std::nullopt, 6, std::nullopt});
    EXPECT_EQ(cells(drawing), (Cells{{2, 7, false}}));
    EXPECT_EQ(drawing.boxes[0].day, 2);
}

TEST(BoxIndexing, PricesOnBoxBorders) {
    // Rows 2 to 4 hold 1000, 985, 970; row count 6.
    const chart::LevelColumn levels{std::nullopt, std::nullopt, 1000, 985, 970, std::nullopt};
    EXPECT_EQ(chart::boxIndexOf(1000, levels), 1);
    EXPECT_EQ(chart::boxIndexOf(986, levels), 1);
    EXPECT_EQ(chart::boxIndexOf(985, levels), 2);
    EXPECT_EQ(chart::boxIndexOf(971, levels), 2);
    // The lowest price exactly on the last level shows in the last level row.
    EXPECT_EQ(chart::boxIndexOf(970, levels), 3);
    EXPECT_EQ(chart::boxIndexOf(900, levels), 3);
    EXPECT_EQ(chart::boxIndexOf(1001, levels), std::nullopt);
}

TEST(BoxIndexing, CohenExtremesGoToTheFirstAndLastLevelRows) {
    // Rows 1 to 3 hold 1240, 1220, 1200.
    const chart::LevelColumn levels{std::nullopt, 1240, 1220, 1200, std::nullopt};
    EXPECT_EQ(chart::boxIndexOf(1234, levels), 0);  // above row 2's level: row 1
    EXPECT_EQ(chart::boxIndexOf(1220, levels), 1);
    EXPECT_EQ(chart::boxIndexOf(1201, levels), 1);
    EXPECT_EQ(chart::boxIndexOf(1200, levels), 2);  // at the last level: its row
    EXPECT_EQ(chart::boxIndexOf(1185, levels), 2);
}

}  // namespace
