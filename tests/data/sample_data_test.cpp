// The generated sample data root: its layout as the program reads it, the calendar,
// byte-identical output from run to run, and the ten screening patterns, found by the
// screening's plain functions (price range, percentage boxes at 0.015, box indexing,
// screening column build and the pattern tests) over the files as written.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/form.h"
#include "app/platform.h"
#include "chart/box_indexing.h"
#include "chart/box_scale.h"
#include "chart/patterns.h"
#include "data/paths.h"
#include "data/text_file.h"
#include "screening/screening_build.h"
#include "tables/convert.h"
#include "tables/working_table.h"
#include "tests/support.h"

namespace {

using testing_support::sampleRoot;
using testing_support::ScratchDir;

data::DataRoot root() {
    return data::DataRoot{sampleRoot()};
}

WorkingTable loadCommaFile(const std::filesystem::path& path, int cols) {
    const auto lines = data::readLines(path);
    WorkingTable table(cols, static_cast<int>(lines.size()));
    for (std::size_t i = 0; i < lines.size(); ++i)
        table.rowFromCommaText(static_cast<int>(i), lines[i]);
    return table;
}

// The price table as the program loads it: columns 1 to 4 cut to whole numbers.
WorkingTable loadPriceTable() {
    auto table = loadCommaFile(root().priceFile(), 200);
    for (int col = 1; col <= 4; ++col) {
        for (int row = 1; row < table.rowCount(); ++row) {
            if (hasValue(table.cell(col, row))) {
                table.setCell(
                    col, row,
                    intToStr(static_cast<long long>(std::trunc(toFloat(table.cell(col, row))))));
            }
        }
    }
    return table;
}

// ---------------------------------------------------------------------------------
// One stock through the screening pass, from the program's own plain functions.

using chart::kPatternCount;
using chart::Pattern;
using enum chart::Pattern;

Pattern patternOfColumn(int listColumn) {
    return static_cast<Pattern>(listColumn);
}

struct Screened {
    screening::ColumnBuild build;
    std::set<Pattern> found;
    bool oldestDayUnpriced = false;  // the oldest counted day has no box index
};

// series[d - 1] is the price cell of day d (1 = newest); its size is the days shown.
Screened screen(const std::vector<std::string>& series) {
    static const std::string noPrice;
    const int days = static_cast<int>(series.size());
    std::vector<const std::string*> cells;
    for (const auto& cell : series) cells.push_back(&cell);
    while (cells.size() < 2) cells.push_back(&noPrice);

    const auto range = chart::priceRange(cells, days);
    chart::LevelColumn levels(2);  // the percentage levels stand in chart rows 2 on
    for (const long long level :
         chart::percentageLevels(toInt(range.high), toInt(range.low), toFloat("0.015")))
        levels.emplace_back(level);
    levels.emplace_back();

    // Oldest day first; a price that matches no box keeps the index of the day before.
    std::vector<std::optional<int>> boxByDay(series.size());
    int index = 0, counted = 0;
    for (int d = days; d >= 1; --d) {
        const auto& cell = series[static_cast<std::size_t>(d - 1)];
        if (!hasValue(cell)) continue;
        index = chart::boxIndexOf(toInt(cell), levels).value_or(index);
        boxByDay[static_cast<std::size_t>(d - 1)] = index;
        ++counted;
    }

    Screened result;
    result.build = screening::buildScreeningColumns(boxByDay);
    result.oldestDayUnpriced =
        result.build.startDay == 0 || result.build.startDay < std::min(counted, days);
    const screening::BuiltChart chart(result.build);
    for (const Pattern pattern : chart::detectPatterns(chart, result.build.lastColumn))
        result.found.insert(pattern);
    return result;
}

// Codes listed under each pattern, indexed by the pattern's list column - 1.
using Results = std::array<std::vector<std::string>, kPatternCount>;

void list(Results& results, const Screened& screened, const std::string& code) {
    for (const Pattern pattern : screened.found)
        results[static_cast<std::size_t>(chart::listColumn(pattern) - 1)].push_back(code);
}

// A pass over every stock column of the price file from column 1 on. The days used
// carry over from stock to stock, so the stocks after a short history are screened
// over fewer days as well.
Results screenPriceFile(int days, std::vector<std::string>* problems = nullptr) {
    const auto prices = loadPriceTable();
    Results results;
    for (int col = 1; col <= 197 && hasValue(prices.cell(col, 0)); ++col) {
        std::vector<std::string> series;
        for (int d = 1; d <= days; ++d) series.push_back(prices.cell(col, d));
        const auto screened = screen(series);
        if (screened.oldestDayUnpriced && problems) problems->push_back(prices.cell(col, 0));
        days = screened.build.startDay;
        list(results, screened, std::string(codeKey(prices.cell(col, 0))));
    }
    return results;
}

// The candidate rows of codes first..last, each over 400 days.
Results screenCandidates(int first, int last, std::vector<std::string>* problems = nullptr) {
    const auto lines = data::readLines(root().candidateFile());
    Results results;
    WorkingTable row(402, 1);
    for (std::size_t r = 1; r < lines.size(); ++r) {
        const int code = std::atoi(lines[r].substr(0, 4).c_str());
        if (code < first || code > last) continue;
        row.rowFromCommaText(0, lines[r]);
        std::vector<std::string> series;
        for (int d = 1; d <= 400; ++d) {
            const auto& cell = row.cell(d, 0);
            series.push_back(cell == "　" ? "" : cell);
        }
        if (!hasValue(series[4]) || !hasValue(series[9])) continue;  // never charted
        const auto screened = screen(series);
        if (screened.oldestDayUnpriced && problems) problems->push_back(lines[r].substr(0, 4));
        list(results, screened, lines[r].substr(0, 4));
    }
    return results;
}

std::string describe(const Results& results) {
    std::string text;
    for (int col = 1; col <= kPatternCount; ++col) {
        text += std::string(chart::caption(patternOfColumn(col))) + ":";
        for (const auto& code : results[static_cast<std::size_t>(col - 1)]) text += " " + code;
        text += "\n";
    }
    return text;
}

// ---------------------------------------------------------------------------------

TEST(SampleScreening, EveryPatternOccursInSeveralStocksOfThePriceFile) {
    std::vector<std::string> problems;
    const auto results = screenPriceFile(500, &problems);
    for (int col = 1; col <= kPatternCount; ++col) {
        EXPECT_GE(results[static_cast<std::size_t>(col - 1)].size(), 3u)
            << chart::caption(patternOfColumn(col)) << "\n"
            << describe(results);
    }
    EXPECT_TRUE(problems.empty()) << "build would start on an unpriced day: " << problems.front();
    if (std::getenv("DRAVIK_SAMPLE_REPORT"))
        std::printf("price file:\n%s", describe(results).c_str());
}

TEST(SampleScreening, EveryPatternOccursInTheCandidateRangeOfTheDefaultSettings) {
    std::vector<std::string> problems;
    const auto results = screenCandidates(6001, 6998, &problems);
    for (int col = 1; col <= kPatternCount; ++col) {
        EXPECT_GE(results[static_cast<std::size_t>(col - 1)].size(), 3u)
            << chart::caption(patternOfColumn(col)) << "\n"
            << describe(results);
    }
    EXPECT_TRUE(problems.empty());
    if (std::getenv("DRAVIK_SAMPLE_REPORT"))
        std::printf("candidates:\n%s", describe(results).c_str());
}

// The planted endings and what the screening finds in them, over any number of days
// from 250 (the shortest late listing lowers the days shown to about that) to all.
const std::map<std::string, std::set<Pattern>> kPlanted = {
    {"6024", {DoubleTop}},
    {"6348", {DoubleTop}},
    {"6691", {DoubleTop}},
    {"6060", {DoubleBottom}},
    {"6380", {DoubleBottom}},
    {"6717", {DoubleBottom}},
    {"6088", {DoubleTop, BullishSignal}},
    {"6414", {DoubleTop, BullishSignal}},
    {"6747", {DoubleTop, BullishSignal}},
    {"6118", {DoubleBottom, BearishSignal}},
    {"6454", {DoubleBottom, BearishSignal}},
    {"6773", {DoubleBottom, BearishSignal}},
    {"6154", {DoubleTop, TripleTop}},
    {"6492", {DoubleTop, TripleTop}},
    {"6796", {DoubleTop, TripleTop}},
    {"6182", {DoubleBottom, TripleBottom}},
    {"6520", {DoubleBottom, TripleBottom}},
    {"6832", {DoubleBottom, TripleBottom}},
    {"6218", {DoubleTop, ReversalUp, BullishTriangle}},
    {"6560", {DoubleTop, ReversalUp, BullishTriangle}},
    {"6864", {DoubleTop, ReversalUp, BullishTriangle}},
    {"6245", {DoubleBottom, ReversalDown}},
    {"6577", {DoubleBottom, ReversalDown}},
    {"6892", {DoubleBottom, ReversalDown}},
    {"6272", {DoubleTop, BullishTriangle}},
    {"6609", {DoubleTop, BullishTriangle}},
    {"6928", {DoubleTop, BullishTriangle}},
    {"6318", {DoubleBottom, BearishTriangle}},
    {"6653", {DoubleBottom, BearishTriangle}},
    {"6974", {DoubleBottom, BearishTriangle}},
};

TEST(SampleScreening, PlantedStocksShowTheirPatternsWhateverTheDaysShown) {
    const auto prices = loadPriceTable();
    std::set<std::string> seen;
    for (int col = 1; col <= 197; ++col) {
        const std::string code(codeKey(prices.cell(col, 0)));
        const auto planted = kPlanted.find(code);
        if (planted == kPlanted.end()) continue;
        seen.insert(code);
        for (const int days : {250, 400, 500, 800, 1200}) {
            std::vector<std::string> series;
            for (int d = 1; d <= days; ++d) series.push_back(prices.cell(col, d));
            EXPECT_EQ(screen(series).found, planted->second) << code << " over " << days << " days";
        }
    }
    EXPECT_EQ(seen.size(), kPlanted.size());

    const auto candidates = screenCandidates(6001, 6998);
    for (const auto& [code, patterns] : kPlanted) {
        for (int col = 1; col <= kPatternCount; ++col) {
            const auto& listed = candidates[static_cast<std::size_t>(col - 1)];
            EXPECT_EQ(std::find(listed.begin(), listed.end(), code) != listed.end(),
                      patterns.count(patternOfColumn(col)) == 1)
                << code << " " << chart::caption(patternOfColumn(col)) << " in the candidate file";
        }
    }
}

// The screening's column build agrees with the chart the program draws of every stock
// (a separate column drawing): the same last column and the same top and bottom box in
// every column after the first.
TEST(SampleScreening, ScreeningColumnsMatchTheChartOfTheProgram) {
    HeadlessPlatform platform;
    TForm1 form(platform, TForm1::Options{root(), {}});
    form.run(&TForm1::Button2Click);
    ASSERT_TRUE(platform.errors.empty()) << platform.errors.front();
    const auto prices = loadPriceTable();
    int compared = 0;
    for (int col = 1; col <= 197; ++col) {
        form.Edit1.setText(prices.cell(col, 0));
        form.Edit2.setText("500");
        form.run(&TForm1::Button3Click);
        ASSERT_TRUE(platform.errors.empty())
            << prices.cell(col, 0) << ": " << platform.errors.front();
        std::vector<std::string> series;
        for (int d = 1; d <= 500; ++d) series.push_back(prices.cell(col, d));
        const auto screened = screen(series);
        // The drawing counts a day without a price where the screening does not.
        if (form.Edit2.text() != std::to_string(screened.build.startDay)) continue;
        ++compared;
        const screening::BuiltChart built(screened.build);
        const auto& grid = form.StringGrid1;
        ASSERT_EQ(grid.colCount(), screened.build.lastColumn + 2) << prices.cell(col, 0);
        for (int x = 3; x <= screened.build.lastColumn; ++x) {
            int top = 0, bottom = 0;
            for (int row = 1; row < grid.rowCount(); ++row) {
                if (grid.cell(x, row).empty()) continue;
                if (!top) top = row;
                bottom = row;
            }
            ASSERT_TRUE(built.topBox(x) && built.bottomBox(x))
                << prices.cell(col, 0) << " column " << x;
            EXPECT_EQ(top, *built.topBox(x) + 1) << prices.cell(col, 0) << " column " << x;
            EXPECT_EQ(bottom, *built.bottomBox(x) + 1) << prices.cell(col, 0) << " column " << x;
        }
    }
    EXPECT_GT(compared, 180);
}

// ---------------------------------------------------------------------------------

std::vector<std::string> fieldsOf(const std::string& line, char separator = ',') {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const auto end = line.find(separator, start);
        fields.push_back(line.substr(start, end - start));
        if (end == std::string::npos) return fields;
        start = end + 1;
    }
}

bool isWholeNumber(const std::string& text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

TEST(SampleFiles, CodeListIsAscendingFrom1301To9997WithoutTheRangeStart) {
    const auto lines = data::readLines(root().codeListFile());
    ASSERT_GT(lines.size(), 3000u);
    ASSERT_LT(lines.size(), 4000u);
    EXPECT_EQ(lines[0].substr(0, 5), "0000\t");
    EXPECT_NE(lines[0].find("見本"), std::string::npos);
    EXPECT_EQ(lines[1].substr(0, 5), "1301\t");
    EXPECT_EQ(lines.back().substr(0, 5), "9997\t");
    int previous = 0, inRange = 0;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const auto fields = fieldsOf(lines[i], '\t');
        ASSERT_EQ(fields.size(), 2u) << lines[i];
        ASSERT_EQ(fields[0].size(), 4u);
        const int code = std::atoi(fields[0].c_str());
        EXPECT_GT(code, previous);
        EXPECT_NE(code, 6000);
        EXPECT_EQ(fields[1].substr(0, 6), "見本") << lines[i];
        inRange += code > 6000 && code < 7000;
        previous = code;
    }
    EXPECT_GT(inRange, 300);
}

TEST(SampleFiles, PriceFileHas197StocksOverTheCalendarDays) {
    const auto prices = loadCommaFile(root().priceFile(), 200);
    const auto codes = data::readLines(root().codeListFile());
    std::set<std::string> listed;
    for (const auto& line : codes) listed.insert(line.substr(0, 4));
    const auto dates = data::readLines(root().dateFile());

    ASSERT_EQ(prices.rowCount(), 1201);
    int lateColumns = 0, decimals = 0, missing = 0;
    for (int col = 1; col <= 197; ++col) {
        const auto& header = prices.cell(col, 0);
        ASSERT_TRUE(hasValue(header)) << col;
        EXPECT_TRUE(listed.count(std::string(codeKey(header)))) << header;
        int listedRows = 0;
        for (int row = 1; row <= 1200; ++row) {
            const auto& cell = prices.cell(col, row);
            if (cell.empty()) continue;  // before the stock was listed
            listedRows = row;
            if (cell == " ") {
                ++missing;
                EXPECT_GT(row, 12) << header;
                continue;
            }
            if (col <= 4 && !isWholeNumber(cell)) {
                ++decimals;
                EXPECT_TRUE(tryToFloat(cell)) << cell;
                continue;
            }
            ASSERT_TRUE(isWholeNumber(cell)) << header << " row " << row << ": " << cell;
            const int price = std::atoi(cell.c_str());
            EXPECT_GE(price, 80);
            EXPECT_LE(price, 25000);
        }
        if (listedRows < 1200) {
            ++lateColumns;
            EXPECT_GE(listedRows, 250) << header;
            EXPECT_GE(col, 190) << "late listings stand at the right end";
        }
    }
    EXPECT_GE(lateColumns, 3);
    EXPECT_GT(decimals, 10);
    EXPECT_GT(missing, 3);
    EXPECT_TRUE(prices.cell(198, 0).empty());
    int inRange = 0;
    for (int col = 1; col <= 197; ++col) {
        const int code = std::atoi(std::string(codeKey(prices.cell(col, 0))).c_str());
        inRange += code > 6000 && code < 7000;
    }
    EXPECT_GE(inRange, 50);
    for (int row = 1; row <= 1000; ++row) {
        EXPECT_EQ(prices.cell(0, row), fieldsOf(dates[static_cast<std::size_t>(row)])[0]);
    }
}

TEST(SampleFiles, CalendarLeavesOutWeekendsHolidaysAndTheNewYear) {
    using namespace std::chrono;
    const auto lines = data::readLines(root().dateFile());
    ASSERT_EQ(lines.size(), 1001u);
    EXPECT_EQ(fieldsOf(lines[1])[0], "2026/12/04");
    std::set<std::string> dates;
    sys_days previous = sys_days{year{2100} / 1 / 1};
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const auto text = fieldsOf(lines[i])[0];
        const auto day = parseDate(text);
        ASSERT_TRUE(day) << text;
        EXPECT_LT(*day, previous);
        const weekday wd{*day};
        EXPECT_TRUE(wd != Saturday && wd != Sunday) << text;
        dates.insert(text);
        previous = *day;
    }
    for (const char* holiday :
         {"2026/11/23", "2026/11/03", "2026/10/12", "2026/09/21", "2026/09/22", "2026/09/23",
          "2026/08/11", "2026/07/20", "2026/05/04", "2026/05/05", "2026/05/06", "2026/04/29",
          "2026/03/20", "2026/02/23", "2026/02/11", "2026/01/12", "2026/01/02", "2026/01/01",
          "2025/12/31", "2025/11/24", "2025/02/24", "2024/08/12", "2023/01/02"}) {
        EXPECT_FALSE(dates.count(holiday)) << holiday;
    }
    for (const char* tradingDay : {"2026/12/01", "2026/09/24", "2026/09/18", "2026/01/05",
                                   "2025/12/30", "2026/05/07", "2026/03/19"}) {
        EXPECT_TRUE(dates.count(tradingDay)) << tradingDay;
    }
}

TEST(SampleFiles, DateFileReadsAndWritesBackUnchanged) {
    const auto lines = data::readLines(root().dateFile());
    WorkingTable table(3, 1001);
    for (int row = 0; row < 1001; ++row) {
        std::string text = lines[static_cast<std::size_t>(row)];
        std::replace(text.begin(), text.end(), ',', '\n');
        table.rowFromLineList(row, text);
        for (int col = 1; col <= 2; ++col) {
            if (table.cell(col, row).find('"') != std::string::npos) table.setCell(col, row, "");
        }
        EXPECT_EQ(table.rowToCommaText(row), lines[static_cast<std::size_t>(row)]);
    }
}

TEST(SampleFiles, CandidateFileFollowsTheCodeListLineByLine) {
    const auto codes = data::readLines(root().codeListFile());
    const auto dates = data::readLines(root().dateFile());
    const auto lines = data::readLines(root().candidateFile());
    ASSERT_EQ(lines.size(), codes.size());

    WorkingTable table(402, 1);
    table.rowFromCommaText(0, lines[0]);
    EXPECT_EQ(table.cell(0, 0), " ");
    for (int d = 1; d <= 400; ++d) {
        EXPECT_EQ(table.cell(d, 0), fieldsOf(dates[static_cast<std::size_t>(d)])[0]);
    }
    EXPECT_TRUE(table.cell(401, 0).empty());

    int empties = 0, fullWidth = 0, unpricedRows = 0, shortRows = 0;
    for (std::size_t r = 1; r < lines.size(); ++r) {
        table.rowFromCommaText(0, lines[r]);
        ASSERT_EQ(table.cell(0, 0).substr(0, 4), codes[r].substr(0, 4));
        int priced = 0, last = 0;
        for (int d = 1; d <= 400; ++d) {
            const auto& cell = table.cell(d, 0);
            if (cell == " ") ++empties;
            if (cell == "　") ++fullWidth;
            if (!isWholeNumber(cell)) continue;
            ++priced;
            last = d;
        }
        ASSERT_TRUE(table.cell(401, 0).empty());
        if (priced == 0) {
            ++unpricedRows;
            continue;
        }
        if (last < 400) ++shortRows;
        for (int d = 1; d <= 12; ++d) EXPECT_TRUE(isWholeNumber(table.cell(d, 0))) << codes[r];
        EXPECT_TRUE(isWholeNumber(table.cell(priced, 0)))
            << codes[r] << ": the screening starts on the oldest counted day";
    }
    EXPECT_GT(empties, 20);
    EXPECT_GT(fullWidth, 20);
    EXPECT_GT(unpricedRows, 5);
    EXPECT_GT(shortRows, 20);
}

TEST(SampleFiles, SettingsHoldTheSavedChartRatioDaysAndRange) {
    const auto lines = data::readLines(root().settingsFile());
    ASSERT_EQ(lines.size(), 16u);
    for (const auto& line : lines) EXPECT_EQ(std::count(line.begin(), line.end(), ','), 199);
    WorkingTable settings(200, 16);
    for (int row = 0; row < 16; ++row)
        settings.rowFromCommaText(row, lines[static_cast<std::size_t>(row)]);
    EXPECT_EQ(settings.cell(1, 5), "0.015");
    EXPECT_EQ(settings.cell(1, 8), "500");
    EXPECT_EQ(settings.cell(1, 13), "6000");
    EXPECT_EQ(settings.cell(1, 14), "6999");
    EXPECT_EQ(settings.cell(1, 15), "quendal");

    const auto prices = loadCommaFile(root().priceFile(), 200);
    bool chartCodeFound = false;
    for (int col = 1; col <= 197; ++col) {
        chartCodeFound |= sameCode(prices.cell(col, 0), settings.cell(1, 9));
    }
    EXPECT_TRUE(chartCodeFound) << settings.cell(1, 9);
    // A reversal up and a triple top, both inside the default range.
    EXPECT_EQ(settings.cell(1, 9), "6218");
    EXPECT_EQ(settings.cell(1, 10), "6154");

    bool candidateFound = false;
    for (const auto& line : data::readLines(root().candidateFile())) {
        candidateFound |= sameCode(line, settings.cell(1, 10));
    }
    EXPECT_TRUE(candidateFound) << settings.cell(1, 10);

    EXPECT_EQ(data::readLines(root().servicesFile()),
              (std::vector<std::string>{"price-table,", "quote-history,", "usage-guide,"}));
}

// ---------------------------------------------------------------------------------

std::string generator() {
    return std::string(DRAVIK_BINARY_DIR) + "/tools/dravik-gen-sample";
}

int runGenerator(const std::string& arguments) {
    return std::system((generator() + " " + arguments + " >/dev/null 2>&1").c_str());
}

TEST(SampleGenerator, WritesTheSameBytesEveryRun) {
    ScratchDir first, second;
    ASSERT_EQ(runGenerator("--out " + first.path().string()), 0);
    ASSERT_EQ(runGenerator("--out " + second.path().string()), 0);
    std::size_t files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(sampleRoot())) {
        if (!entry.is_regular_file() || entry.path().filename() == ".complete") continue;
        const auto relative = std::filesystem::relative(entry.path(), sampleRoot());
        const auto built = data::readBytes(entry.path());
        EXPECT_EQ(data::readBytes(first.path() / relative), built) << relative;
        EXPECT_EQ(data::readBytes(second.path() / relative), built) << relative;
        ++files;
    }
    EXPECT_EQ(files, 7u);
    // CP932 with CR LF line ends.
    EXPECT_EQ(first.readRaw("quendal/zenncode.txt").substr(0, 6), "0000\t\x8c");
    EXPECT_NE(first.readRaw("dravik/memo.csv").find("\r\n"), std::string::npos);
}

TEST(SampleGenerator, BenchmarkSizeKeepsTheNewestDaysAndTheCandidates) {
    ScratchDir bench;
    ASSERT_EQ(runGenerator("--bench --out " + bench.path().string()), 0);
    const data::DataRoot big{bench.path()};
    const auto lines = data::readLines(big.priceFile());
    ASSERT_EQ(lines.size(), 4001u);
    const auto normal = data::readLines(root().priceFile());
    for (std::size_t i = 0; i <= 500; ++i) EXPECT_EQ(lines[i], normal[i]);
    EXPECT_EQ(data::readBytes(big.candidateFile()), data::readBytes(root().candidateFile()));
    EXPECT_EQ(data::readLines(big.dateFile()).size(), 1001u);
}

TEST(SampleGenerator, RejectsMissingOrBadOptions) {
    EXPECT_NE(runGenerator(""), 0);
    EXPECT_NE(runGenerator("--out /tmp/x --days nine"), 0);
    EXPECT_NE(runGenerator("--out /tmp/x --stocks 198"), 0);
}

}  // namespace
