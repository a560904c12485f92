// 拡張パターン: the results list with a column per further formation after the ten, built
// from the same run's notes, and the list's own preferences file that remembers it.
#include <gtest/gtest.h>

#include "screening/list_preferences.h"
#include "screening/results_csv.h"
#include "screening/screening.h"
#include "tests/screening/screening_fixture.h"

namespace {

using namespace screening_testing;

// Three tops in the box of 955 and a breakout to 1000: a double, triple and quadruple top.
const std::vector<std::string> kQuadrupleTop = {"900", "700", "950", "750", "950",
                                                "750", "950", "750", "1000"};

struct ExtendedList : ::testing::Test, ScreeningForm {
    ExtendedList() {
        codes({"6001,見本一", "6002,見本二"});
        stock(1, "6001", kQuadrupleTop);
        stock(2, "6002", kTripleTop);
    }
    std::string csv() const {
        return screening::resultsCsv(form->StringGrid3, form->StringGrid11, form->StringGrid8,
                                     form->screeningNotes);
    }
};

TEST_F(ExtendedList, FormationsFollowTheTenOnlyWhileShown) {
    form->run(&TForm1::Button37Click);
    ASSERT_EQ(firstError(), "");
    const WorkingTable& list = form->StringGrid11;
    // Off: the ten's columns as always.
    EXPECT_EQ(list.colCount(), 11);
    EXPECT_TRUE(screening::formationColumns(list).empty());
    const std::string tenOnly = csv();
    EXPECT_EQ(tenOnly.find("四重天井"), std::string::npos);

    // On: a column per formation after the ten, from the run already made.
    form->setExtendedPatterns(true);
    EXPECT_EQ(list.colCount(), 27);
    EXPECT_EQ(list.cell(11, 0), "四重天井");
    EXPECT_EQ(list.cell(26, 0), "シェイクアウト");
    EXPECT_EQ(listed(11), (std::vector<std::string>{"6001"}));
    EXPECT_EQ(csv(), tenOnly + "四重天井,6001,見本一,2024/05/1,970,1016,742\r\n");

    // A run while shown lists them too; off again, the list of the ten is as it was.
    form->run(&TForm1::Button37Click);
    EXPECT_EQ(listed(11), (std::vector<std::string>{"6001"}));
    form->setExtendedPatterns(false);
    EXPECT_EQ(list.colCount(), 11);
    EXPECT_EQ(list.cell(11, 1), "");
    EXPECT_EQ(csv(), tenOnly);
}

TEST(ListPreferences, RememberedInAFileOfTheirOwn) {
    testing_support::ScratchDir dir;
    const data::DataRoot root{dir.path()};
    EXPECT_FALSE(screening::savedExtendedPatterns(root));
    dir.writeRaw("dravik/patterns.csv", "other,x\r\n");
    screening::saveExtendedPatterns(root, true);
    EXPECT_TRUE(screening::savedExtendedPatterns(root));
    EXPECT_EQ(dir.readRaw("dravik/patterns.csv"),
              "other,x\r\n\x8Ag\x92\xA3\x83p\x83^\x81[\x83\x93,1\r\n");
    screening::saveExtendedPatterns(root, false);
    EXPECT_FALSE(screening::savedExtendedPatterns(root));
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "dravik" / "memo.csv"));
}

}  // namespace
