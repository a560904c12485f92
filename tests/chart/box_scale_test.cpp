#include "chart/box_scale.h"

#include <gtest/gtest.h>

#include "tables/convert.h"
#include "tests/support.h"

namespace {

using Levels = std::vector<long long>;

TEST(PercentageLevels, ExactProductStaysExact) {
    EXPECT_EQ(chart::percentageLevels(1000, 900, 0.015L),
              (Levels{1000, 985, 970, 955, 940, 925, 911, 897}));
}

TEST(PercentageLevels, TwoPercentFromTwoThousand) {
    EXPECT_EQ(chart::percentageLevels(2000, 1500, 0.02L),
              (Levels{2000, 1960, 1920, 1881, 1843, 1806, 1769, 1733, 1698, 1664, 1630, 1597, 1565,
                      1533, 1502, 1471}));
}

TEST(PercentageLevels, FlatSeriesHasOneLevelAndTheScaleStopsAtThreeThousandSteps) {
    EXPECT_EQ(chart::percentageLevels(500, 500, 0.015L), Levels{500});
    EXPECT_EQ(chart::percentageLevels(100000000, 0, 0.002L).size(), 3001u);
}

TEST(PercentageLevels, TruncatedProductsInTheX87Format) {
    // Each case comes out otherwise in double or in a 128-bit long double.
    struct Case {
        long long high;
        const char* ratio;
        long long next;
    };
    for (const Case& c :
         {Case{500, "0.066", 467}, Case{17000, "0.039", 16337}, Case{2150, "0.06", 2021}})
        EXPECT_EQ(chart::percentageLevels(c.high, 0, toFloat(c.ratio))[1], c.next)
            << c.high << " at " << c.ratio;
}

TEST(CohenLadder, HoldsTheFixedLevels) {
    const auto& ladder = chart::cohenLadder();
    ASSERT_EQ(ladder.size(), 1370u);
    EXPECT_EQ(ladder[0], 100000000);
    EXPECT_EQ(ladder[1050], 5000);
    EXPECT_EQ(ladder[1250], 1000);
    EXPECT_EQ(ladder[1330], 200);
    EXPECT_EQ(ladder[1331], 190);
    EXPECT_EQ(ladder[1368], 5);
    EXPECT_EQ(ladder[1369], 0);
}

TEST(CohenLevels, FromTheFirstLevelAboveTheHighToTheFirstAboveTheLow) {
    EXPECT_EQ(chart::cohenLevels(1234, 1100), (Levels{1240, 1220, 1200, 1180, 1160, 1140, 1120}));
    EXPECT_EQ(chart::cohenLevels(1234, 1225), Levels{1240});
}

TEST(PriceRange, SkipsADayWhoseNewerNeighbourHasNoValue) {
    const std::string a = "500", empty, c = "480";
    EXPECT_EQ(chart::priceRange({&a, &empty, &c}, 3).high, "500");
    EXPECT_EQ(chart::priceRange({&a, &empty, &c}, 3).low, "500");
    const std::string d = "1000", e = "0990", f = "1010";
    const auto range = chart::priceRange({&d, &e, &f}, 3);
    EXPECT_EQ(range.high, "1010");
    EXPECT_EQ(range.low, "0990");  // the text exactly as found
}

// The handlers write the same scale into both grids.
struct ScaleOnForm : ::testing::Test, testing_support::FormFixture {
    void range(const std::string& high, const std::string& low) {
        form->StringGrid3.setCell(1, 2, high);
        form->StringGrid3.setCell(1, 3, low);
    }
};

TEST_F(ScaleOnForm, PercentageScaleStartsInRowTwoWithOneEmptyRowAfter) {
    range("1000", "900");
    form->Button5Click();
    for (WorkingTable* grid : {&form->StringGrid1, &form->StringGrid5}) {
        EXPECT_EQ(grid->cell(1, 1), "");
        EXPECT_EQ(grid->cell(0, 2), "1");
        EXPECT_EQ(grid->cell(1, 2), "1000");
        EXPECT_EQ(grid->cell(1, 9), "897");
        EXPECT_EQ(grid->cell(0, 9), "8");
        EXPECT_EQ(grid->rowCount(), 11);
    }
    range("700", "700");
    form->Button5Click();
    EXPECT_EQ(form->StringGrid1.rowCount(), 4);
}

TEST_F(ScaleOnForm, CohenScaleStartsInRowOne) {
    range("1234", "1100");
    form->Button28Click();
    for (WorkingTable* grid : {&form->StringGrid1, &form->StringGrid5}) {
        EXPECT_EQ(grid->cell(0, 1), "1");
        EXPECT_EQ(grid->cell(1, 1), "1240");
        EXPECT_EQ(grid->cell(1, 7), "1120");
        EXPECT_EQ(grid->cell(0, 7), "7");
        EXPECT_EQ(grid->rowCount(), 9);
    }
    EXPECT_EQ(form->StringGrid9.cell(1, 1370), "0");
    EXPECT_EQ(form->StringGrid9.cell(0, 1369), "1369");
    EXPECT_EQ(form->StringGrid9.cell(0, 1370), "");
    range("1234", "1225");
    form->Button28Click();
    EXPECT_EQ(form->StringGrid1.rowCount(), 3);
}

TEST_F(ScaleOnForm, PercentageScaleStopsAfterThreeThousandStepsWithRowCount3004) {
    range("100000000", "1");
    form->Edit3.setText("0.002");
    form->Button5Click();
    for (WorkingTable* grid : {&form->StringGrid1, &form->StringGrid5}) {
        EXPECT_EQ(grid->rowCount(), 3004);
        EXPECT_EQ(grid->cell(0, 3002), "3001");
        EXPECT_NE(grid->cell(1, 3002), "");
        EXPECT_EQ(grid->cell(1, 3003), "");
    }
}

TEST_F(ScaleOnForm, CohenScaleAboveTheLadderStartsWithARowWithoutLevel) {
    range("150000000", "90000000");
    form->Button28Click();
    for (WorkingTable* grid : {&form->StringGrid1, &form->StringGrid5}) {
        EXPECT_EQ(grid->cell(0, 1), "1");
        EXPECT_EQ(grid->cell(1, 1), "");
        EXPECT_EQ(grid->cell(0, 2), "2");
        EXPECT_EQ(grid->cell(1, 2), "100000000");
        EXPECT_EQ(grid->cell(0, 11), "11");
        EXPECT_EQ(grid->cell(1, 11), "91000000");  // the first level above the lowest
        EXPECT_EQ(grid->rowCount(), 13);
    }
    range("150000000", "120000000");  // no level above the lowest either
    form->Button28Click();
    EXPECT_EQ(form->StringGrid1.cell(0, 1), "1");
    EXPECT_EQ(form->StringGrid1.rowCount(), 3);
}

TEST_F(ScaleOnForm, BoxIndexingGoesOldestFirstAndAPriceInNoBoxKeepsTheOlderIndex) {
    range("1000", "970");
    form->Button5Click();  // 1000, 985, 970 in rows 2 to 4, row count 6
    struct Case {
        std::vector<std::string> prices, indices;  // rows 1 (newest) on
    };
    for (const Case& c : {Case{{"990", "", "975", "1000", "980"}, {"1", "", "2", "1", "2"}},
                          // Above the highest level: no box; the oldest day then has index 0.
                          Case{{"1010", "980", "1010", "1010"}, {"2", "2", "0", "0"}},
                          Case{{" ", "970", "900"}, {"", "3", "3"}}}) {
        form->Edit2.setText(std::to_string(c.prices.size()));
        for (std::size_t i = 0; i < c.prices.size(); ++i)
            form->StringGrid2.setCell(199, static_cast<int>(i) + 1, c.prices[i]);
        form->run(&TForm1::Button12Click);
        ASSERT_TRUE(platform.errors.empty()) << platform.errors.front();
        for (std::size_t i = 0; i < c.indices.size(); ++i)
            EXPECT_EQ(form->StringGrid2.cell(198, static_cast<int>(i) + 1), c.indices[i])
                << c.prices[0] << ", row " << i + 1;
    }
}

TEST_F(ScaleOnForm, ARatioThatIsNotANumberStopsWithTheMessage) {
    range("1000", "900");
    form->Edit3.setText("abc");
    form->run(&TForm1::Button5Click);
    EXPECT_EQ(platform.errors, std::vector<std::string>{"'abc' は浮動小数点数ではありません."});
}

}  // namespace
