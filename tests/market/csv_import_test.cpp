// Reading investors' CSV files: the two shapes, encodings, separators, date and number
// forms, and the rows that stop a file.
#include "market/csv_import.h"

#include <gtest/gtest.h>

#include "data/cp932.h"
#include "market/program_files.h"
#include "tables/convert.h"
#include "tests/support.h"

namespace {

using market::CsvShape;

// UTF-16LE with its byte-order mark, as spreadsheets save "Unicode text".
std::string utf16le(std::string_view utf8) {
    std::string out = "\xFF\xFE";
    auto unit = [&](char32_t u) {
        out += static_cast<char>(u & 0xFF);
        out += static_cast<char>(u >> 8);
    };
    for (std::size_t i = 0; i < utf8.size();) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        const int length = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
        char32_t cp = length == 1 ? b : length == 2 ? b & 0x1F : length == 3 ? b & 0x0F : b & 0x07;
        for (int k = 1; k < length; ++k) cp = (cp << 6) | (utf8[i + k] & 0x3F);
        i += static_cast<std::size_t>(length);
        if (cp >= 0x10000) {
            unit(0xD800 + ((cp - 0x10000) >> 10));
            unit(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            unit(cp);
        }
    }
    return out;
}

// "code date close" per bar, as the reader left them.
std::vector<std::string> summary(const market::CsvFile& file) {
    std::vector<std::string> rows;
    for (const auto& bar : file.bars)
        rows.push_back(bar.code + " " + formatDate(bar.day) + " " +
                       market::wholeYen(market::shownClose(bar)));
    return rows;
}

TEST(CsvReading, ReadsBothShapesInEveryEncodingAndForm) {
    struct Case {
        const char* fileName;
        std::string bytes;
        std::string code;  // given instead of the file name's
        CsvShape shape;
        std::vector<std::string> bars;
        int withoutPrice = 0;
    };
    const std::vector<Case> cases = {
        {"7203.T.csv",  // a finance site: newest first, the adjusted close wins
         "Date,Open,High,Low,Close,Adj Close,Volume\n"
         "2024-03-05,2510,2530,2490,2520,1260,\"1,234,000\"\n"
         "2024-03-04,2500,2520,2480,2500,1250,1000000\n"
         "2024-03-01,null,null,null,null,null,null\n",
         "",
         CsvShape::dailyHistory,
         {"7203 2024/03/04 1250", "7203 2024/03/05 1260"},
         1},
        {"7203_2024.csv",  // CP932 with a title line above the header, CR line ends
         data::utf8ToCp932("7203 東証プライム トヨタ自動車\r日付,銘柄名,始値,高値,安値,終値,"
                           "出来高,終値調整値\r2024-03-04,トヨタ自動車,2500,2520,2480,2500,100,"
                           "2500\r"),
         "",
         CsvShape::dailyHistory,
         {"7203 2024/03/04 2500"}},
        {"130a.jp.csv",  // UTF-8 with BOM, tabs, short dates, quoted grouped decimals
         "\xEF\xBB\xBF日付\t終値\r\n2024/3/4\t\"1,234.5\"\r\n20240305\t \"1,200\" \r\n"
         "2024年3月6日\t-\r\n\r\n2024/03/07\t0\r\n",
         "",
         CsvShape::dailyHistory,
         {"130A 2024/03/04 1235", "130A 2024/03/05 1200"},
         2},
        {"export.txt",  // UTF-16 "Unicode text", the code given; a repeated row is no conflict
         utf16le("年月日\t調整後終値\r\n2024.03.05\t990\r\n2024.03.04\t980\r\n2024.03.05\t990\r\n"),
         "6758",
         CsvShape::dailyHistory,
         {"6758 2024/03/04 980", "6758 2024/03/05 990"}},
        {"20240304.csv",  // a whole-market day in CP932, the date from the file name
         data::utf8ToCp932("コード,銘柄名,終値\n9984,ソフトバンクグループ,\"8,000\"\n1301,極洋,"
                           "3000\n25935,伊藤園優先,2000\n1332,日水,\n"),
         "",
         CsvShape::marketDay,
         {"1301 2024/03/04 3000", "25935 2024/03/04 2000", "9984 2024/03/04 8000"},
         1},
        {"prices.csv",  // the exchange's own column names, a date per row
         "Date,Code,O,H,L,C,Vo,AdjC\n2024-03-05,72030,1,1,1,2600,5,1300\n"
         "2024-03-04,72030,1,1,1,2500,5,1250\n2024-03-04,130A0,1,1,1,700,5,700\n",
         "",
         CsvShape::marketDay,
         {"130A0 2024/03/04 700", "72030 2024/03/04 1250", "72030 2024/03/05 1300"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fileName);
        const auto file = market::parseCsvFile(c.fileName, c.bytes, c.code);
        EXPECT_EQ(file.shape, c.shape);
        EXPECT_EQ(summary(file), c.bars);
        EXPECT_EQ(file.rowsWithoutPrice, c.withoutPrice);
    }
    const auto yahoo = market::parseCsvFile("7203.csv", cases[0].bytes);
    EXPECT_EQ(yahoo.bars[1].close, 2520);
    EXPECT_EQ(yahoo.bars[1].volume, 1234000);
    EXPECT_EQ(market::parseCsvFile("20240304.csv", cases[4].bytes).names.at("9984"),
              "ソフトバンクグループ");
    EXPECT_EQ(market::parseCsvFile("7203_2024.csv", cases[1].bytes).names.at("7203"),
              "トヨタ自動車");
}

TEST(CsvReading, ARowThatDoesNotParseStopsTheFileWithItsLine) {
    std::string longFile = "Date,Close\n";
    for (int day = 1; day <= 55; ++day)
        longFile += formatDate(market::dayOf(20240101) + std::chrono::days(day)) + "," +
                    intToStr(1000 + day) + "\n";
    longFile += "2024/13/01,1000\n";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {longFile, "7203.csv 57行目: 日付ではありません: 2024/13/01"},
        {"Date,Close\n2024/02/30,100\n", "7203.csv 2行目: 日付ではありません: 2024/02/30"},
        {"Date,Close\n,100\n", "7203.csv 2行目: 日付がありません"},
        {"Date,Close\n2024/03/04,12a\n", "7203.csv 2行目: 数値ではありません: 12a"},
        {"Date\tClose\n2024/03/04\t1234,5\n", "7203.csv 2行目: 数値ではありません: 1234,5"},
        {"Date,Close,Volume\n2024/03/04,-5,1\n", "7203.csv 2行目: 株価ではありません: -5"},
        {"Date,Close\n2024/03/04,100\n\n2024/3/4,101\n",
         "7203.csv 4行目: 同じ日付の行がすでにあります: 2024/03/04"},
        {"Code,Close\n72O3,100\n",
         "7203.csv: 日付が分かりません。日付の列（Date／日付／年月日）を"
         "入れるか、ファイル名を 20240304.csv のようにしてください。"},
        {"Date,Code,Close\n2024/03/04,7203x,100\n",
         "7203.csv 2行目: 銘柄コードではありません: 7203x"},
        {"Date,Value\n2024/03/04,100\n",
         "7203.csv: 株価の列が見つかりません。1銘柄の日足なら日付の列（Date／日付／年月日）と終値の"
         "列（Close／終値／Adj Close／調整後終値）、全銘柄の1日分ならコードの列（コード／Code／銘柄"
         "コード）と終値の列が、先頭30行までの見出しの行に要ります。"},
        {"Date,Close\n2024/03/04,-\n", "7203.csv: 株価のある行がありません"},
        {" \r\n", "7203.csv: 空のファイルです"},
        {std::string("PK\x03\x04", 4) + "xl/workbook.xml",
         "7203.csv: Excel などの表計算ファイルはそのまま読めません。CSV 形式で保存してから取り込ん"
         "でください。"},
    };
    for (const auto& [input, message] : cases) {
        const std::string& bytes = input;  // a lambda may not capture a structured binding
        EXPECT_EQ(testing_support::messageOf([&] { market::parseCsvFile("7203.csv", bytes); }),
                  message);
    }
    EXPECT_EQ(testing_support::messageOf([] { market::parseCsvFile("data.csv", "日付,終値\n"); }),
              "data.csv: 銘柄コードが分かりません。ファイル名を 7203.csv のようにするか、銘柄コー"
              "ドを指定してください。");
}

TEST(CsvReading, CodesAndDatesAsFilesWriteThem) {
    const std::vector<std::pair<const char*, const char*>> names = {
        {"7203.csv", "7203"},     {"7203.T.csv", "7203"},
        {"7203.jp.csv", "7203"},  {"7203_daily.csv", "7203"},
        {"dir/130a.csv", "130A"}, {"72030.csv", "72030"},
        {"20240304.csv", ""},     {"data.csv", ""},
        {"7203x.csv", ""},        {"A203.csv", ""}};
    for (const auto& [name, code] : names)
        EXPECT_EQ(market::codeFromFileName(name).value_or(""), code) << name;

    const std::vector<std::pair<const char*, int>> dates = {{"2024-03-04", 20240304},
                                                            {"2024/03/04", 20240304},
                                                            {"2024/3/4", 20240304},
                                                            {"20240304", 20240304},
                                                            {"2024.3.4", 20240304},
                                                            {"2024年3月4日", 20240304},
                                                            {"2024-03-04 00:00:00+09:00", 20240304},
                                                            {"2024-03-04T15:00", 20240304},
                                                            {"2024/13/01", 0},
                                                            {"2024-02-30", 0},
                                                            {"2024-3/4", 0},
                                                            {"24/03/04", 0},
                                                            {"2024/03/004", 0},
                                                            {"1800/01/01", 0},
                                                            {"2024/03/04x", 0},
                                                            {"", 0}};
    for (const auto& [text, number] : dates) {
        const auto day = market::csvDate(text);
        EXPECT_EQ(day ? market::dayNumber(*day) : 0, number) << text;
    }
}

}  // namespace
