// The textbook construction on a scale of one yen per box, read as the columns' boxes.
#include "chart/textbook.h"

#include <gtest/gtest.h>

#include "chart/chart.h"

namespace {

// Levels 120 down to 80, one a row from row 2.
chart::LevelColumn oneYenBoxes() {
    chart::LevelColumn levels(44);
    for (int row = 2; row <= 42; ++row) levels[static_cast<std::size_t>(row)] = 122 - row;
    return levels;
}

// Each column as its direction and its top and bottom levels, e.g. "X103-100".
std::vector<std::string> columnsOf(std::vector<long long> oldestFirst, int reversal = 3,
                                   std::vector<std::pair<long long, long long>> highLow = {}) {
    const auto levels = oneYenBoxes();
    std::vector<chart::Close> closes, highs, lows;
    for (auto it = oldestFirst.rbegin(); it != oldestFirst.rend(); ++it)
        closes.push_back(chart::Close::of(*it));
    for (auto it = highLow.rbegin(); it != highLow.rend(); ++it) {
        highs.push_back(chart::Close::of(it->first));
        lows.push_back(chart::Close::of(it->second));
    }
    const auto drawing = chart::drawTextbook(
        {&levels, closes, highs, lows, static_cast<int>(closes.size()), reversal});
    const chart::Chart drawn = chart::chartOfDrawing(drawing, levels, false);
    std::vector<std::string> columns;
    for (const auto& column : drawn.columns)
        if (!column.empty())
            columns.push_back(std::string(column.rising ? "X" : "O") +
                              std::to_string(*drawn.level(column.topRow)) + "-" +
                              std::to_string(*drawn.level(column.bottomRow)));
    return columns;
}

TEST(TextbookConstruction, ThreeBoxReversalsOneBoxBesideTheLastBox) {
    // Up from 100 to 103; 102 is no reversal, 99 is (three boxes under 102's top... 103);
    // 98 extends; 101 reaches three boxes above the bottom.
    EXPECT_EQ(columnsOf({100, 101, 103, 102, 99, 98, 101}),
              (std::vector<std::string>{"X103-100", "O102-98", "X101-99"}));
    // A first fall includes the starting box.
    EXPECT_EQ(columnsOf({100, 98, 97}), (std::vector<std::string>{"O100-97"}));
}

TEST(TextbookConstruction, OneBoxReversalTurnsOnEveryLevel) {
    EXPECT_EQ(columnsOf({100, 102, 101, 103}, 1),
              (std::vector<std::string>{"X102-100", "O101-101", "X103-102"}));
}

TEST(TextbookConstruction, AHighFirstExtendsTheColumnOtherwiseTheLowMayReverseIt) {
    // Day 3's high extends the X column to 105, so its low of 101 does not reverse it;
    // day 4's high does not extend it and its low of 102 reverses it (105 - 3).
    EXPECT_EQ(columnsOf({100, 103, 104, 103}, 3, {{100, 100}, {103, 101}, {105, 101}, {104, 102}}),
              (std::vector<std::string>{"X105-100", "O104-102"}));
}

TEST(TextbookConstruction, TheChartRunDrawsItOverTheChartsLevels) {
    // A fall from 1000 to 900 (newest first): the textbook's first column holds the
    // starting box in row 2, the program's own column starts one box below it.
    const std::vector<chart::Close> closes = {chart::Close::of(900), chart::Close::of(1000)};
    chart::ChartRequest request;
    request.closes = closes;
    request.days = 2;
    request.scale.ratio = 0.02L;
    const auto program = chart::runChart(request);
    request.construction = chart::Construction::Textbook;
    const auto textbook = chart::runChart(request);
    ASSERT_EQ(textbook.columns.size(), 1u);
    EXPECT_EQ(std::pair(textbook.columns[0].topRow, textbook.columns[0].bottomRow),
              std::pair(2, program.columns[0].bottomRow));
    EXPECT_EQ(program.columns[0].topRow, 3);
    EXPECT_EQ(textbook.lastBox, program.lastBox);
}

}  // namespace
