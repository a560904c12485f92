// What a screening run notes beside its list: the bullish percent of the range and the
// box where each listed pattern completed, written out as the results CSV.
#include <gtest/gtest.h>

#include "screening/breadth.h"
#include "screening/results_csv.h"
#include "tests/screening/screening_fixture.h"

namespace {

using namespace screening_testing;

struct ScreeningNotes : ::testing::Test, ScreeningForm {
    ScreeningNotes() {
        codes({"6001,見本一", "6002,見本,二", "6003,見本三", "6004,見本四"});
        stock(1, "6001", kDoubleTop);
        stock(2, "6002", kTripleTop);
        stock(3, "6003", kDoubleBottom);
        stock(4, "6004", kNoPattern);
    }
};

TEST_F(ScreeningNotes, BullishPercentCountsTheStocksWithABreakout) {
    form->run(&TForm1::Button37Click);
    ASSERT_EQ(firstError(), "");
    const screening::RunNotes& notes = form->screeningNotes;
    EXPECT_EQ(notes.screened, 4);
    EXPECT_EQ(screening::bullishPercentText(notes), "強気％ 66.7% (2/3)");
    EXPECT_EQ(screening::bullishPercentText({}), "強気％ - (0/0)");

    // A new run starts its notes afresh.
    form->run(&TForm1::Button37Click);
    EXPECT_EQ(form->screeningNotes.screened, 4);
}

TEST_F(ScreeningNotes, CsvHasALinePerListedStockWithTheBoxWhereThePatternCompleted) {
    form->run(&TForm1::Button37Click);
    ASSERT_EQ(firstError(), "");
    // The tops break into the box above 955 (the box of 950), the bottom into the box
    // below 754 (the box of 750), all on the newest day.
    EXPECT_EQ(screening::resultsCsv(form->StringGrid3, form->StringGrid11, form->StringGrid8,
                                    form->screeningNotes),
              "パターン,コード,銘柄名,日付,株価,買い点,売り点\r\n"
              "ダブルトップ,6001,見本一,2024/05/1,970,1016,742\r\n"
              "ダブルトップ,6002,\"見本,二\",2024/05/1,970,1016,742\r\n"
              "ダブルボトム,6003,見本三,2024/05/1,742,970,697\r\n"
              "トリプルトップ,6002,\"見本,二\",2024/05/1,970,1016,742\r\n");

    // Notes that do not belong to the list leave the date and level empty.
    screening::RunNotes stale;
    EXPECT_NE(screening::resultsCsv(form->StringGrid3, form->StringGrid11, form->StringGrid8, stale)
                  .find("ダブルトップ,6001,見本一,,,,\r\n"),
              std::string::npos);

    screening::saveResultsCsv(dir.path() / "results.csv", "x\r\n");
    EXPECT_EQ(dir.readRaw("results.csv"), "\xEF\xBB\xBFx\r\n");
}

}  // namespace
