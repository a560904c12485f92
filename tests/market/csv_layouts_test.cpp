// The layouts investors download (finance sites, brokers' and data services' files)
// read with the right closes, dates whose order only the column tells, and the input
// that is refused or only warned about.
#include <gtest/gtest.h>

#include "data/cp932.h"
#include "market/csv_import.h"
#include "tables/convert.h"
#include "tests/support.h"

namespace {

const market::Day kToday = market::dayOf(20261208);

market::CsvFile read(const std::string& fileName, const std::string& bytes) {
    return market::parseCsvFile(fileName, bytes, {}, kToday);
}

std::string failure(const std::string& bytes) {
    return testing_support::messageOf([&] { read("7203.csv", bytes); });
}

// "code date close" per bar.
std::vector<std::string> closes(const market::CsvFile& file) {
    std::vector<std::string> rows;
    for (const auto& bar : file.bars)
        rows.push_back(bar.code + " " + formatDate(bar.day) + " " +
                       market::wholeYen(market::shownClose(bar)));
    return rows;
}

TEST(CsvLayouts, EachSourceReadsWithTheRightCloses) {
    struct Case {
        const char* fileName;
        std::string bytes;
        std::vector<std::string> bars;
        int withoutPrice = 0, events = 0, ignored = 0;
    };
    const std::vector<Case> cases = {
        {"7203.T.csv",  // Yahoo!ファイナンス copied into a sheet: the adjusted close and a split
                        // row
         "日付,始値,高値,安値,終値,出来高,調整後終値*\n"
         "2026年12月4日,\"2,500\",\"2,550\",\"2,480\",\"2,520\",\"1,234,500\",\"2,520\"\n"
         "2026年12月3日,分割: 1株 -> 5株,,,,,\n"
         "2026年12月2日,\"12,000\",\"12,300\",\"11,900\",\"12,100\",\"100,000\",\"2,420\"\n"
         "2026年12月1日,---,---,---,---,---,---\n",
         {"7203 2026/12/02 2420", "7203 2026/12/04 2520"},
         1,
         1},
        {"7203.T.csv",  // Yahoo Finance (US), the adjusted close spelled with a dot
         "Date,Open,High,Low,Close,Adj. Close,Volume\n2024-03-05,10,12,9,11,5.5,100\n"
         "2024-03-04,null,null,null,null,null,null\n",
         {"7203 2024/03/05 6"},
         1},
        {"7203 Historical Data.csv",  // investing.com: month first, as 03/15 shows; 4.59M
         "\xEF\xBB\xBF\"Date\",\"Price\",\"Open\",\"High\",\"Low\",\"Vol.\",\"Change %\"\n"
         "\"03/15/2024\",\"2,520.0\",\"2,500.0\",\"2,530.0\",\"2,490.0\",\"4.59M\",\"1.23%\"\n"
         "\"03/04/2024\",\"2,489.5\",\"2,480.0\",\"2,500.0\",\"2,470.0\",\"850.5K\",\"-0.5%\"\n"
         "\"03/01/2024\",\"2,500.0\",\"2,480.0\",\"2,500.0\",\"2,470.0\",\"-\",\"0.00%\"\n",
         {"7203 2024/03/01 2500", "7203 2024/03/04 2490", "7203 2024/03/15 2520"}},
        {"7203過去データ.csv",  // investing.com in Japanese
         "\"日付け\",\"終値\",\"始値\",\"高値\",\"安値\",\"出来高\",\"変化率 %\"\n"
         "\"2024年03月15日\",\"2,520.0\",\"2,500.0\",\"2,530.0\",\"2,490.0\",\"1.2B\",\"1.23%\"\n",
         {"7203 2024/03/15 2520"}},
        {"9984.jp.csv",  // stooq, one stock
         "Date,Open,High,Low,Close,Volume\n2024-03-04,8000,8100,7900,8050,1000\n",
         {"9984 2024/03/04 8050"}},
        {"d_jp_txt.csv",  // stooq's bulk ASCII files
         "<TICKER>,<PER>,<DATE>,<TIME>,<OPEN>,<HIGH>,<LOW>,<CLOSE>,<VOL>,<OPENINT>\n"
         "9984.JP,D,20240304,000000,8000,8100,7900,8050,1000,0\n"
         "7203.JP,D,20240304,000000,2500,2550,2480,2520,5000,0\n",
         {"7203 2024/03/04 2520", "9984 2024/03/04 8050"}},
        {"metastock.txt",  // MetaStock / AmiBroker ASCII
         "<TICKER>,<DTYYYYMMDD>,<OPEN>,<HIGH>,<LOW>,<CLOSE>,<VOL>\n7203,20240304,1,3,1,2,9\n",
         {"7203 2024/03/04 2"}},
        {"6501.csv",  // 株探 pasted into a sheet: year first, two digits
         "日付\t始値\t高値\t安値\t終値\t前日比\t前日比％\t売買高(株)\n"
         "26/12/04\t3,000\t3,100\t2,900\t3,050\t+50\t+1.67\t1,000\n"
         "26/12/03\t3,000\t3,000\t2,950\t3,000\t0\t0.00\t800\n"
         "26/11/30\t2,900\t3,000\t2,900\t3,000\t0\t0.00\t800\n",
         {"6501 2026/11/30 3000", "6501 2026/12/03 3000", "6501 2026/12/04 3050"}},
        {"japan-all-stock-prices.csv",  // KABU+: 株価 is the close, "-" no trade
         data::utf8ToCp932("SC,名称,市場,業種,日時,株価,前日比,前日比（％）,前日終値,始値,高値,"
                           "安値,出来高\n1301,極洋,東証P,水産・農林業,2024/03/04 15:00,3000,+10,"
                           "+0.33,2990,2990,3010,2980,10000\n1332,ニッスイ,東証P,水産・農林業,"
                           "2024/03/04 15:00,-,-,-,800,-,-,-,-\n"),
         {"1301 2024/03/04 3000"},
         1},
        {"prices.csv",  // J-Quants V1 saved by pandas: an unnamed index column
         ",Date,Code,Open,High,Low,Close,Volume,TurnoverValue,AdjustmentFactor,AdjustmentOpen,"
         "AdjustmentHigh,AdjustmentLow,AdjustmentClose,AdjustmentVolume\n"
         "0,2024-03-04,72030,2500.0,2520.0,2480.0,2500.0,100.0,250000.0,1.0,1250.0,1260.0,"
         "1240.0,1250.0,200.0\n",
         {"72030 2024/03/04 1250"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fileName);
        const auto file = read(c.fileName, c.bytes);
        EXPECT_EQ(closes(file), c.bars);
        EXPECT_EQ(file.rowsWithoutPrice, c.withoutPrice);
        EXPECT_EQ(file.eventRows, c.events);
        EXPECT_EQ(file.ignoredCells, c.ignored);
        EXPECT_TRUE(file.warnings.empty()) << file.warnings.front();
    }
    const auto investing = read("7203.csv", cases[2].bytes);
    EXPECT_EQ(investing.bars.back().volume, 4590000);
    EXPECT_EQ(investing.bars[1].volume, 850500);
}

TEST(CsvLayouts, DatesWhoseOrderTheColumnTells) {
    const auto days = [](const std::string& bytes) {
        std::vector<int> numbers;
        for (const auto& bar : read("7203.csv", bytes).bars)
            numbers.push_back(market::dayNumber(bar.day));
        return numbers;
    };
    // A day past 12 decides for the whole column, wherever it stands.
    EXPECT_EQ(days("Date,Close\n03/04/2024,1\n03/15/2024,2\n"),
              (std::vector<int>{20240304, 20240315}));
    EXPECT_EQ(days("Date,Close\n04/03/2024,1\n15/03/2024,2\n"),
              (std::vector<int>{20240304, 20240315}));
    EXPECT_EQ(days("Date,Close\n24/03/04,1\n24/03/05,2\n"), (std::vector<int>{20240304, 20240305}));
    EXPECT_EQ(failure("Date,Close\n03/04/2024,1\n04/03/2024,2\n"),
              "7203.csv: 日付の列の順が決められません (月/日/年か日/月/年か、どの日付からも分か"
              "りません)。日付を 2024-03-04 のように書き直してください。");
    EXPECT_EQ(failure("Date,Close\n03/04/2024,1\n13/14/2024,2\n"),
              "7203.csv 3行目: 日付ではありません: 13/14/2024");
}

TEST(CsvLayouts, BadInputIsRefusedWithItsLineOrWarnedAbout) {
    const std::string longCell(5000, '9');
    const std::vector<std::pair<std::string, std::string>> refused = {
        // A year typed wrong must not become the newest day of every stock.
        {"Date,Close\n2024/03/04,100\n2027/03/04,100\n",
         "7203.csv 3行目: 今日より後の日付です: 2027/03/04"},
        {"Date,Close\n2024/03/09,100\n", "7203.csv 2行目: 土曜日の日付です: 2024/03/09"},
        {"Date,Close\n2024/03/10,100\n", "7203.csv 2行目: 日曜日の日付です: 2024/03/10"},
        {"Date,Close\n2024/03/04,x" + longCell + "\n",
         "7203.csv 2行目: 数値ではありません: x" + longCell.substr(0, 59) + "…"},
        {"\xEF\xBB\xBF日付,終値\n2024/03/04,100\n" + data::utf8ToCp932("2024/03/05,１００\n"),
         "7203.csv: 3行目が UTF-8 ではありません。1つのファイルに文字コードが混ざっています。表計"
         "算ソフトなどで1つの文字コードで保存し直してください。"},
        {data::utf8ToCp932("日付,終値\n2024/03/04,100\n") + "2024/03/05,１００\n",
         "7203.csv: 3行目が Shift-JIS ではありません。1つのファイルに文字コードが混ざっています。"
         "表計算ソフトなどで1つの文字コードで保存し直してください。"},
    };
    for (const auto& [input, message] : refused) {
        const std::string& bytes = input;  // a lambda may not capture a structured binding
        EXPECT_EQ(failure(bytes), message);
    }
    EXPECT_EQ(testing_support::messageOf([] { read("20240309.csv", "Code,Close\n7203,1\n"); }),
              "20240309.csv: 土曜日の日付です: 2024/03/09");

    // Kept, with a word: prices that disagree, columns not understood, cells the chart
    // does not need.
    const auto file = read("7203.csv",
                           "Date,Open,High,Low,Close,Volume,Adj Open Price\n"
                           "2024/03/04,x,100,90,95,lots,1\n2024/03/05,1,90,100,95,1,1\n"
                           "2024/03/06,1,100,90,120,1,1\n2024/03/07,1,100,90,0,1,1\n");
    EXPECT_EQ(closes(file), (std::vector<std::string>{"7203 2024/03/04 95", "7203 2024/03/05 95",
                                                      "7203 2024/03/06 120"}));
    EXPECT_EQ(file.ignoredCells, 2);
    EXPECT_EQ(file.rowsWithoutPrice, 1);
    EXPECT_EQ(file.warnings,
              (std::vector<std::string>{
                  "7203.csv: 列「Adj Open Price」は調整済みの値のようですが、使い方が分からないた"
                  "め読みません。",
                  "7203.csv 3行目ほか 1行: 高値・安値・終値が合いません (高値が安値より低いか、終値"
                  "が高値と安値の間にありません)。"}));
}

}  // namespace
