// Importing CSV files into a data root: one transaction per file, the exchange's
// prices kept, the sample making way, the watch list filling up, and the program
// charting and screening what was imported.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>

#include "chart/patterns.h"
#include "data/cp932.h"
#include "data/text_file.h"
#include "market/csv_import.h"
#include "market/program_files.h"
#include "screening/screening.h"
#include "screening/screening_build.h"
#include "tables/comma_text.h"
#include "tables/convert.h"
#include "tests/support.h"

namespace {

using market::Day;
using market::Store;

// A daily history "Date,Close", oldest first from 2024/03/01 on, weekdays only.
std::string history(const std::vector<double>& closes, Day first = market::dayOf(20240301)) {
    std::string text = "Date,Close\n";
    Day day = first;
    for (double close : closes) {
        while (std::chrono::weekday(day).iso_encoding() > 5) day += std::chrono::days(1);
        text += market::isoText(day) + "," + std::to_string(close) + "\n";
        day += std::chrono::days(1);
    }
    return text;
}

struct CsvImport : ::testing::Test, testing_support::FormFixture {
    std::filesystem::path file(const std::string& name, const std::string& bytes) {
        dir.writeRaw("in/" + name, bytes);
        return dir.path() / "in" / name;
    }
    std::vector<std::string> priceHeader() const {
        auto fields = tables::splitCommaText(data::readLines(root().priceFile()).at(0));
        fields.erase(fields.begin());
        return fields;
    }
    market::ImportResult import(const std::vector<std::filesystem::path>& files,
                                const market::ImportOptions& options = {}) {
        return market::importCsvFiles(root(), files, options);
    }
};

TEST_F(CsvImport, TheExchangesPricesStayAndAFailedFileStoresNothing) {
    {
        Store store(Store::fileIn(root()));
        store.setListedIssues({{"72030", "トヨタ自動車"}});
        market::Bar exchange;
        exchange.code = "72030";
        exchange.day = market::dayOf(20240304);
        exchange.close = exchange.adjClose = 2600;
        store.putBars({exchange}, market::Source::exchange, 1);
    }
    dir.writeRaw("quendal/.keep", "");
    data::writeLines(root().codeListFile(), {"コード\t銘柄名", "6758\tソニーグループ"});
    const auto result = import({file("7203.csv", history({2500, 2510, 2520})),
                                file("6758.csv", history({900, 910}) + "2024-13-01,1\n"),
                                file("9984.csv", history({8000}))},
                               {});
    ASSERT_EQ(result.files.size(), 3u);
    EXPECT_EQ(result.files[0].keptFromExchange, 1);
    EXPECT_EQ(result.files[0].stored, 2);
    EXPECT_EQ(result.files[1].error, "6758.csv 4行目: 日付ではありません: 2024-13-01");
    EXPECT_TRUE(result.anyFailed());
    EXPECT_EQ(result.files[2].error, "");

    const Store store(Store::fileIn(root()));
    const auto closes =
        store.closes({"72030", "67580"}, {market::dayOf(20240301), market::dayOf(20240304)});
    EXPECT_EQ(closes[0], 2500);
    EXPECT_EQ(closes[1], 2600);  // the exchange's
    EXPECT_FALSE(market::hasNumber(closes[2]));
    EXPECT_FALSE(store.issueFor("6758").has_value());

    const auto report = market::describe(result);
    EXPECT_EQ(report.done.front(),
              "7203.csv: 7203 トヨタ自動車 2024/03/01〜2024/03/05 の 3日分を取り込みました。"
              "取引所のデータと重なる 1行は取引所の値のままです。");
    EXPECT_EQ(report.problems, std::vector<std::string>{result.files[1].error});
    EXPECT_EQ(report.done.back(), "2ファイルを取り込みました（1ファイルは失敗）。");

    // The code list holds the exchange's stock and the import; the price file both.
    EXPECT_EQ(data::readLines(root().codeListFile()),
              (std::vector<std::string>{"コード\t銘柄名", "7203\tトヨタ自動車", "9984\t"}));
    EXPECT_EQ(priceHeader(), (std::vector<std::string>{"7203トヨタ自動車", "9984"}));
    EXPECT_EQ(data::readLines(root().priceFile()).at(3), "2024/03/01,2500,8000");
}

TEST_F(CsvImport, AStorageFailureFailsOnlyTheFilesNotYetStored) {
    {
        // The store refuses the rows of one stock, as a full disk would refuse a batch.
        Store store(Store::fileIn(root()));
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(Store::fileIn(root()).c_str(), &db), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(db,
                               "CREATE TRIGGER refuse BEFORE INSERT ON bars WHEN NEW.code = "
                               "'99840' BEGIN SELECT RAISE(FAIL, 'disk I/O error'); END",
                               nullptr, nullptr, nullptr),
                  SQLITE_OK);
        sqlite3_close(db);
    }
    const auto batchRows = market::importRowsPerCommit;
    market::importRowsPerCommit = 1;  // every file a batch of its own
    const auto result =
        import({file("7203.csv", history({2500, 2510})), file("9984.csv", history({8000})),
                file("6758.csv", history({900}))});
    market::importRowsPerCommit = batchRows;
    EXPECT_EQ(result.files[0].error, "");
    EXPECT_EQ(
        result.files[1].error,
        "9984.csv: 市場データに保存できなかったため、このファイルは取り込んでいません (市場データ"
        "の保存先 " +
            Store::fileIn(root()).string() +
            " を使えません: disk I/O error)。それより前の 1ファイルは保存してあります。");
    EXPECT_EQ(result.files[2].error, "");
    EXPECT_TRUE(result.filesRebuilt);
    const Store store(Store::fileIn(root()));
    EXPECT_EQ(store.closes({"72030", "99840", "67580"}, {market::dayOf(20240301)})[0], 2500);
    EXPECT_FALSE(
        market::hasNumber(store.closes({"72030", "99840", "67580"}, {market::dayOf(20240301)})[1]));
    EXPECT_EQ(priceHeader(), (std::vector<std::string>{"7203", "6758"}));
}

TEST_F(CsvImport, OneImportAtATimeAndTheOldHistoryStays) {
    dir.writeRaw("quendal/.keep", "");
    data::writeLines(root().priceFile(), {",1301極洋", "2024/02/29,3000", "2024/02/28,2990"});
    {
        const market::RootLock held(root());
        EXPECT_EQ(testing_support::messageOf<market::Busy>(
                      [&] { import({file("7203.csv", history({2500}))}); }),
                  "別の更新が実行中です。終わってからもう一度実行してください。");
    }
    const auto result = import({file("7203.csv", history({2500}))});
    EXPECT_EQ(result.keptRows, 2);
    EXPECT_EQ(result.keptCodes, std::vector<std::string>{"1301"});
    EXPECT_EQ(data::readLines(root().priceFile()),
              (std::vector<std::string>{",1301極洋,7203", "2024/03/01,,2500", "2024/02/29,3000,",
                                        "2024/02/28,2990,"}));
    EXPECT_NE(market::describe(result).done.at(1).find("2件 (1301) は、取り込んだデータとして残し"),
              std::string::npos);
}

TEST_F(CsvImport, OfTwoFilesForTheSameDayTheLaterWins) {
    const auto result =
        import({file("7203.csv", history({100, 101})), file("7203.T.csv", history({0, 201}))});
    EXPECT_EQ(result.files[1].stored, 1);
    const Store store(Store::fileIn(root()));
    EXPECT_EQ(store.closes({"72030"}, {market::dayOf(20240301), market::dayOf(20240304)}),
              (std::vector<double>{100, 201}));
}

TEST_F(CsvImport, NamesComeFromTheOptionTheStoreOrTheCodeList) {
    dir.writeRaw("quendal/.keep", "");
    data::writeLines(root().codeListFile(), {"コード,銘柄名", "6758,ソニーグループ,東証"});
    import({file("6758.csv", history({900}))});
    import({file("9984.jp.csv", history({8000}))}, {"", "ソフトバンクG"});
    import({file("x.csv", history({8100}))}, {"9984", ""});  // a later import keeps the name
    import({file("20240304.csv", "Code,Name,Close\n1301,極洋,3000\n")});
    EXPECT_EQ(data::readLines(root().codeListFile()),
              (std::vector<std::string>{"コード,銘柄名", "1301\t極洋", "6758\tソニーグループ",
                                        "9984\tソフトバンクG"}));
}

TEST_F(CsvImport, TheFirstImportReplacesTheGeneratedSample) {
    std::filesystem::copy(testing_support::sampleRoot(), dir.path(),
                          std::filesystem::copy_options::recursive |
                              std::filesystem::copy_options::overwrite_existing);
    ASSERT_TRUE(market::holdsGeneratedSample(root()));
    auto result = import({file("7203.csv", history({2500, 2510}))});
    EXPECT_TRUE(result.replacedSample);
    EXPECT_EQ(market::describe(result).done.at(1),
              "見本データを取り込んだデータで置き換えました。");
    EXPECT_FALSE(market::holdsGeneratedSample(root()));
    EXPECT_EQ(data::readLines(root().codeListFile()),
              (std::vector<std::string>{"コード\t銘柄名", "7203\t"}));
    EXPECT_EQ(priceHeader(), std::vector<std::string>{"7203"});
    EXPECT_EQ(data::readLines(root().priceFile()).size(), 3u);
    EXPECT_EQ(data::readLines(root().candidateFile()).size(), 2u);
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "README.txt"));
    // The saved codes no longer name a made-up stock.
    form->run(&TForm1::Button18Click);
    EXPECT_EQ(form->StringGrid3.cell(1, 9), "7203");
    EXPECT_EQ(form->StringGrid3.cell(1, 13), "6000");

    // The next import adds to what is there.
    result = import({file("130A.csv", history({700}))});
    EXPECT_FALSE(result.replacedSample);
    EXPECT_EQ(priceHeader(), (std::vector<std::string>{"7203", "130A"}));
}

TEST_F(CsvImport, StocksPastThePriceFilesColumnsGoToTheCandidateFileOnly) {
    std::string header;
    for (int code = 1000; code < 1196; ++code) header += "," + intToStr(code);
    dir.writeRaw("quendal/.keep", "");
    data::writeLines(root().priceFile(), {header});
    std::string day = "コード\t終値\n";
    for (const char* code : {"7203", "1301", "6758"}) day += std::string(code) + "\t1000\n";
    const auto result = import({file("2024-03-04.csv", day)});
    EXPECT_EQ(result.watchListFull, (std::vector<std::string>{"6758", "7203"}));
    EXPECT_EQ(result.unknownCodes.size(), 196u);
    const auto fields = priceHeader();
    ASSERT_EQ(fields.size(), 197u);
    EXPECT_EQ(fields.back(), "1301");
    EXPECT_EQ(data::readLines(root().candidateFile()).size(), 4u);
    EXPECT_EQ(market::describe(result).done.at(1),
              "価格ファイルの列は197銘柄までです。入りきらなかった 2銘柄（6758 ほか）は kouho"
              "（候補ファイル）で見られます。");
}

TEST_F(CsvImport, TheProgramChartsAndScreensImportedStocks) {
    // A double top, oldest first, and a falling stock; the second from a CP932 export.
    const auto result = import(
        {file("6501.csv", history({900, 700, 950, 750, 1000})),
         file("8001_daily.csv",
              data::utf8ToCp932(history({1000, 950, 900, 850, 800}).replace(0, 10, "日付,終値")))});
    ASSERT_FALSE(result.anyFailed());
    ASSERT_TRUE(result.filesRebuilt);

    form->run(&TForm1::Button25Click);
    form->run(&TForm1::Button2Click);
    form->Edit1.setText("6501");
    form->run(&TForm1::Button3Click);
    ASSERT_TRUE(platform.errors.empty()) << platform.errors.front();
    int marks = 0;
    for (int row = 1; row < form->StringGrid1.rowCount(); ++row)
        for (int col = 2; col < form->StringGrid1.colCount(); ++col)
            marks += form->StringGrid1.cell(col, row) == "×";
    EXPECT_GT(marks, 0);

    for (auto [col, row] : {std::pair{3, 13}, {3, 14}, {1, 16}})
        form->StringGrid3.setCell(col, row, "0");
    form->StringGrid3.setCell(1, 13, "1301");
    form->StringGrid3.setCell(1, 14, "9997");
    form->run(&TForm1::Button37Click);
    ASSERT_TRUE(platform.errors.empty()) << platform.errors.front();
    const auto columns = screening::resultColumns(form->StringGrid3, form->StringGrid11);
    const auto& doubleTops = columns.at(chart::listColumn(chart::Pattern::DoubleTop) - 1);
    EXPECT_EQ(doubleTops, std::vector<std::string>{"6501"});
}

}  // namespace
