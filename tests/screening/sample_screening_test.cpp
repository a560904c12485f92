// The screening run over the generated sample data: the stocks planted with a
// pattern are listed under exactly their patterns, from the price file and from the
// candidate file.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "chart/patterns.h"
#include "screening/screening_build.h"
#include "tables/convert.h"
#include "tests/screening/screening_fixture.h"

namespace {

using chart::Pattern;
using enum chart::Pattern;

const std::map<std::string, std::set<Pattern>> kPlanted = {
    {"6024", {DoubleTop}},
    {"6060", {DoubleBottom}},
    {"6088", {DoubleTop, BullishSignal}},
    {"6118", {DoubleBottom, BearishSignal}},
    {"6154", {DoubleTop, TripleTop}},
    {"6182", {DoubleBottom, TripleBottom}},
    {"6218", {DoubleTop, ReversalUp, BullishTriangle}},
    {"6245", {DoubleBottom, ReversalDown}},
    {"6272", {DoubleTop, BullishTriangle}},
    {"6318", {DoubleBottom, BearishTriangle}},
    {"6520", {DoubleBottom, TripleBottom}},
    {"6864", {DoubleTop, ReversalUp, BullishTriangle}},
    {"6974", {DoubleBottom, BearishTriangle}},
};

struct ScreeningOverSampleData : ::testing::Test, screening_testing::ScreeningForm {
    ScreeningOverSampleData() {
        sample = data::DataRoot{testing_support::sampleRoot()};
        form = std::make_unique<TForm1>(platform, TForm1::Options{sample, {}});
        form->run(&TForm1::Button25Click);
        form->run(&TForm1::Button2Click);
        for (auto [col, row] : {std::pair{3, 13}, {3, 14}, {1, 16}})
            form->StringGrid3.setCell(col, row, "0");
        form->StringGrid3.setCell(1, 13, "6000");
        form->StringGrid3.setCell(1, 14, "6999");
    }

    // The planted patterns each planted stock is listed under.
    std::map<std::string, std::set<Pattern>> plantedListings() const {
        std::map<std::string, std::set<Pattern>> found;
        for (int col = 1; col <= chart::kPatternCount; ++col)
            for (const auto& code : listed(col)) {
                const std::string key(codeKey(code));
                if (kPlanted.count(key)) found[key].insert(static_cast<Pattern>(col));
            }
        return found;
    }

    data::DataRoot sample;
};

TEST_F(ScreeningOverSampleData, QuendalPassListsThePlantedStocksUnderTheirPatterns) {
    form->run(&TForm1::Button37Click);
    ASSERT_EQ(firstError(), "");
    EXPECT_EQ(form->Button37.caption, "選別");
    auto found = plantedListings();
    for (const auto& [code, patterns] : kPlanted) EXPECT_EQ(found[code], patterns) << code;
}

TEST_F(ScreeningOverSampleData, KouhoScreeningListsThePlantedStocksUnderTheirPatterns) {
    form->Edit8.setText("kouho");
    form->run(&TForm1::Button31Click);
    form->run(&TForm1::Button37Click);
    ASSERT_EQ(firstError(), "");
    EXPECT_EQ(form->Edit6.text().substr(0, 4), "5999");  // the last code below 6000
    auto found = plantedListings();
    for (const auto& [code, patterns] : kPlanted) EXPECT_EQ(found[code], patterns) << code;
}

}  // namespace
