// The program's files built from the store, read back through the program's own loads.
#include "market/program_files.h"

#include <gtest/gtest.h>

#include "data/text_file.h"
#include "tables/convert.h"
#include "tests/support.h"

namespace {

using market::Bar;
using market::Source;
using market::Store;

Bar bar(const std::string& code, int date, double adjusted) {
    Bar result;
    result.code = code;
    result.day = market::dayOf(date);
    result.close = adjusted;
    result.adjClose = adjusted;
    return result;
}

struct ProgramFiles : ::testing::Test, testing_support::FormFixture {
    ProgramFiles() : store(Store::fileIn(root())) {
        store.setListedIssues({{"13010", "極洋"},
                               {"72030", "トヨタ 自動車"},
                               {"25935", "伊藤園優先"},
                               {"130A0", "ベリ\tサーブ"},
                               {"25930", "伊藤園"},
                               {"86970", "日本取引所"}});
        std::vector<market::CalendarDay> calendar;
        for (int date = 20240301; date <= 20240307; ++date) {
            const bool weekend = date == 20240302 || date == 20240303;
            calendar.push_back({market::dayOf(date), weekend ? 0 : (date == 20240306 ? 2 : 1)});
        }
        store.setCalendar(calendar);
        store.putBars({bar("72030", 20240301, 2500.5), bar("72030", 20240304, market::kNoValue),
                       bar("72030", 20240305, 2499.5), bar("72030", 20240306, 2600),
                       bar("130A0", 20240305, 1234.4), bar("130A0", 20240306, 1234.5),
                       bar("13010", 20240306, 3000)},
                      Source::exchange, 1);
        dir.writeRaw("quendal/.keep", "");
        data::writeLines(root().codeListFile(), {"0000\t見本データ"});
        data::writeLines(root().priceFile(),
                         {",\"7203 古い名前\",130A,9999旧名,1301", "2020/01/06,1,2,3,4"});
    }
    Store store;
};

TEST_F(ProgramFiles, TheProgramReadsWhatTheStoreHolds) {
    EXPECT_TRUE(market::holdsGeneratedSample(root()));
    const auto unknown = market::rebuildProgramFiles(store, root(), 400);
    EXPECT_EQ(unknown, std::vector<std::string>{"9999"});
    EXPECT_FALSE(market::holdsGeneratedSample(root()));

    // Code list: line 0 without the sample's mark; listed common stocks ascending by code.
    EXPECT_EQ(
        data::readLines(root().codeListFile()),
        (std::vector<std::string>{"コード\t銘柄名", "1301\t極洋", "130A\tベリサーブ",
                                  "2593\t伊藤園", "7203\tトヨタ 自動車", "8697\t日本取引所"}));

    // Date file: 1001 lines from the newest day with prices; the half-day session counts.
    const auto dates = data::readLines(root().dateFile());
    ASSERT_EQ(dates.size(), 1001u);
    EXPECT_EQ(dates[0], "日付,取得日付,表示日付");
    EXPECT_EQ(dates[1], "2024/03/06,2024/03/06,2024/03/06");
    EXPECT_EQ(dates[4], "2024/03/01,2024/03/01,2024/03/01");
    EXPECT_EQ(dates[5], "");
    form->run(&TForm1::Button20Click);
    EXPECT_EQ(form->StringGrid4.cell(0, 3), "2024/03/04");

    // Price file: the watch list in its order, names refreshed, the unknown code kept.
    form->run(&TForm1::Button2Click);
    ASSERT_TRUE(platform.errors.empty()) << platform.errors.front();
    const auto& prices = form->StringGrid2;
    EXPECT_EQ(prices.cell(1, 0), "7203トヨタ 自動車");
    EXPECT_EQ(prices.cell(2, 0), "130Aベリサーブ");
    EXPECT_EQ(prices.cell(3, 0), "9999旧名");
    EXPECT_EQ(prices.cell(4, 0), "1301極洋");
    EXPECT_EQ(prices.rowCount(), 5);
    const std::vector<std::vector<std::string>> rows = {
        {"2024/03/06", "2600", "1235", "", "3000"},
        {"2024/03/05", "2500", "1234", "", ""},
        {"2024/03/04", "", "", "", ""},
        {"2024/03/01", "2501", "", "", ""},
    };
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 5; ++c)
            EXPECT_EQ(hasValue(prices.cell(c, r + 1)) ? prices.cell(c, r + 1) : std::string(),
                      rows[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)])
                << c << "," << r + 1;

    // Candidate file: line r is code-list line r.
    form->run(&TForm1::Button25Click);
    form->StringGrid3.setCell(3, 13, "1");
    form->StringGrid3.setCell(3, 14, "5");
    form->run(&TForm1::Button35Click);
    form->run(&TForm1::Button32Click);
    ASSERT_TRUE(platform.errors.empty()) << platform.errors.front();
    const auto& candidates = form->StringGrid10;
    for (int row = 1; row <= 5; ++row)
        EXPECT_EQ(codeKey(candidates.cell(0, row)), codeKey(form->StringGrid8.cell(0, row)));
    EXPECT_EQ(candidates.cell(1, 0), "2024/03/06");
    EXPECT_EQ(candidates.cell(4, 0), "2024/03/01");
    EXPECT_EQ(candidates.cell(0, 4), "7203トヨタ 自動車");
    EXPECT_EQ(candidates.cell(1, 4), "2600");
    EXPECT_EQ(candidates.cell(3, 4), "");
    EXPECT_EQ(candidates.cell(4, 4), "2501");
    EXPECT_EQ(candidates.cell(0, 2), "130Aベリサーブ");
    EXPECT_EQ(candidates.cell(1, 2), "1235");
    EXPECT_EQ(candidates.cell(1, 5), "");
}

TEST_F(ProgramFiles, StocksJoinTheWatchListAtItsEndOnce) {
    market::rebuildProgramFiles(store, root(), 400, {"86970", "1301", "130A0"});
    EXPECT_EQ(market::watchList(root()),
              (std::vector<std::string>{"7203トヨタ 自動車", "130Aベリサーブ", "9999旧名",
                                        "1301極洋", "8697日本取引所"}));
}

TEST_F(ProgramFiles, TheCandidateFileKeepsTheNewestDays) {
    const auto lines = market::candidateFileLines(store, 2);
    EXPECT_EQ(lines.front(), ",2024/03/06,2024/03/05");
    EXPECT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[1], "1301極洋,3000,");
}

TEST(WholeYen, RoundsHalvesAwayFromZero) {
    const std::vector<std::pair<double, std::string>> cases = {
        {1234.5, "1235"}, {1234.4, "1234"},      {0.5, "1"}, {99.5, "100"}, {2.0, "2"},
        {-2.5, "-3"},     {market::kNoValue, ""}};
    for (const auto& [price, text] : cases) EXPECT_EQ(market::wholeYen(price), text) << price;
}

TEST(GeneratedSample, TheBuildsSampleRootIsOne) {
    EXPECT_TRUE(market::holdsGeneratedSample(data::DataRoot{testing_support::sampleRoot()}));
    testing_support::ScratchDir empty;
    EXPECT_FALSE(market::holdsGeneratedSample(data::DataRoot{empty.path()}));
}

}  // namespace
