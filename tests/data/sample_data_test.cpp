// The generated sample data root: its layout as the program reads it, the calendar,
// byte-identical output from run to run, and the ten screening patterns, found by
// a small model of the screening pass (price range, percentage boxes at 0.015, box
// indexing, screening column build and the pattern tests) over the files as written.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "data/paths.h"
#include "data/text_file.h"
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
// Screening model. Box index b is drawn in chart row b + 1; rows below are chart rows.

enum Pattern {
    DoubleTop,
    DoubleBottom,
    BullishSignal,
    BearishSignal,
    TripleTop,
    TripleBottom,
    ReversalUp,
    ReversalDown,
    BullishTriangle,
    BearishTriangle,
    PatternCount
};
const char* const kPatternNames[] = {
    "ダブルトップ",   "ダブルボトム", "強気のシグナル", "弱気のシグナル", "トリプルトップ",
    "トリプルボトム", "逆転上昇",     "逆転下降",       "強気の三角形",   "弱気の三角形"};
using Found = std::array<bool, PatternCount>;

struct Screened {
    Found found{};
    int daysUsed = 0;                // days shown after the build lowered them
    bool oldestDayUnpriced = false;  // the build would start on a day without a box
};

// series[d] is the price cell of day d (1 = newest); series[0] is unused.
Screened screen(const std::vector<std::string>& series, int n) {
    Screened result;
    const auto price = [&](int d) { return static_cast<long long>(toInt(series[d])); };
    const auto has = [&](int d) {
        return d < static_cast<int>(series.size()) && hasValue(series[d]);
    };

    // Price range: a day whose more recent neighbour has no price is not compared.
    long long high = price(has(1) ? 1 : 2), low = high;
    for (int a = 1; a <= n - 1; ++a) {
        if (has(a) && has(a + 1)) {
            high = std::max(high, price(a + 1));
            low = std::min(low, price(a + 1));
        }
    }
    // Percentage levels: level(r) of chart row r, rows 2 on.
    std::vector<long long> levels{high};
    const long double factor = 1.0L - toFloat("0.015");
    for (long long level = high; level > low && levels.size() <= 3000;) {
        level = static_cast<long long>(std::trunc(static_cast<long double>(level) * factor));
        levels.push_back(level);
    }
    const auto level = [&](int row) { return levels[static_cast<std::size_t>(row - 2)]; };
    const int lastLevelRow = static_cast<int>(levels.size()) + 1;

    // Box indexing, oldest day first; a price that matches no box keeps the index.
    std::vector<std::optional<int>> box(static_cast<std::size_t>(n + 1));
    int index = 0;
    for (int d = n; d >= 1; --d) {
        if (!has(d)) continue;
        const long long p = price(d);
        for (int a = 1; a + 2 <= lastLevelRow; ++a) {
            if (level(a + 1) >= p && level(a + 2) < p) index = a;
        }
        box[static_cast<std::size_t>(d)] = index;
    }

    // Screening column build.
    int m = 0;
    for (int d = 1; d <= n; ++d) m += box[static_cast<std::size_t>(d)].has_value();
    n = std::min(n, m);
    result.daysUsed = n;
    if (n < 1 || !box[static_cast<std::size_t>(n)]) {
        result.oldestDayUnpriced = true;
        return result;
    }
    std::map<std::pair<int, int>, char> marks;
    std::map<int, std::pair<int, int>> records;  // column -> top and bottom box index
    char dir = 'O';
    int lastBox = *box[static_cast<std::size_t>(n)];
    int k = 2, top = lastBox, bottom = lastBox;
    const auto mark = [&](int from, int to, char c) {
        for (int row = std::min(from, to); row <= std::max(from, to); ++row) marks[{k, row}] = c;
    };
    for (int d = n - 1; d >= 1; --d) {
        if (const auto v = box[static_cast<std::size_t>(d)]) {
            const int L = lastBox;
            if (*v < L - 2 && dir == 'O') {
                ++k, dir = 'X', mark(L, *v + 1, 'X'), lastBox = *v, top = *v, --bottom;
            } else if (*v < L && dir == 'X') {
                mark(L, *v + 1, 'X'), lastBox = *v, top = *v;
            } else if (*v > L + 2 && dir == 'X') {
                ++k, dir = 'O', mark(L + 2, *v + 1, 'O'), lastBox = *v, bottom = *v, ++top;
            } else if (*v > L && dir == 'O') {
                mark(L + 2, *v + 1, 'O'), lastBox = *v, bottom = *v;
            }
        }
        records[k] = {top, bottom};
    }
    const int K = k;
    const auto at = [&](int col, int row, char c) {
        const auto it = marks.find({col, row});
        return it != marks.end() && it->second == c;
    };
    const auto topRow = [&](int col) -> std::optional<int> {
        if (col < 2 || !records.count(col)) return std::nullopt;
        return records[col].first + 1;
    };
    const auto bottomRow = [&](int col) -> std::optional<int> {
        if (col < 2 || !records.count(col)) return std::nullopt;
        return records[col].second + 1;
    };
    auto& f = result.found;
    if (auto r = topRow(K - 2); r && at(K - 2, *r, 'X') && at(K, *r - 1, 'X')) f[DoubleTop] = true;
    if (auto r = bottomRow(K - 2); r && at(K - 2, *r, 'O') && at(K, *r + 1, 'O')) {
        f[DoubleBottom] = true;
    }
    if (!f[DoubleTop] && !f[DoubleBottom]) return result;
    if (auto v = bottomRow(K - 2), u = bottomRow(K); v && u) {
        f[BullishSignal] =
            at(K - 2, *v, 'X') && at(K, *v - 2, 'X') && at(K, *u, 'X') && at(K - 2, *u + 2, 'X');
    }
    if (auto v = topRow(K - 2), u = topRow(K); v && u) {
        f[BearishSignal] =
            at(K - 2, *v, 'O') && at(K, *v + 2, 'O') && at(K, *u, 'O') && at(K - 2, *u - 2, 'O');
    }
    if (auto w = topRow(K - 2), u = topRow(K - 4); w && u) {
        f[TripleTop] = at(K - 2, *w, 'X') && at(K, *w - 1, 'X') && at(K - 4, *u, 'X') && *w == *u;
        f[BullishTriangle] = at(K - 2, *w, 'X') && at(K - 4, *u, 'X') && *u == *w - 2;
        f[BearishTriangle] = at(K - 2, *w, 'O') && at(K - 4, *u, 'O') && *u == *w + 2;
        if (auto v = topRow(K - 6)) {
            f[ReversalUp] = f[BullishTriangle] && at(K - 6, *v, 'X') && *v == *w - 4;
        }
    }
    if (auto w = bottomRow(K - 2), u = bottomRow(K - 4); w && u) {
        f[TripleBottom] =
            at(K - 2, *w, 'O') && at(K, *w + 1, 'O') && at(K - 4, *u, 'O') && *w == *u;
        if (auto v = bottomRow(K - 6)) {
            f[ReversalDown] = at(K - 2, *w, 'O') && at(K - 4, *u, 'O') && *u == *w + 2 &&
                              at(K - 6, *v, 'O') && *v == *w + 4;
        }
    }
    return result;
}

// Codes listed under each pattern.
using Results = std::array<std::vector<std::string>, PatternCount>;

// A pass over every stock column of the price file, as a screening run in mode
// quendal makes it from column 1 on: the days shown carry over from stock to stock.
Results screenPriceFile(int days, std::vector<std::string>* problems = nullptr) {
    const auto prices = loadPriceTable();
    Results results;
    for (int col = 1; col <= 197 && hasValue(prices.cell(col, 0)); ++col) {
        std::vector<std::string> series(static_cast<std::size_t>(days + 1));
        for (int d = 1; d <= days; ++d) series[static_cast<std::size_t>(d)] = prices.cell(col, d);
        const auto screened = screen(series, days);
        if (screened.oldestDayUnpriced && problems) problems->push_back(prices.cell(col, 0));
        days = screened.daysUsed;
        for (int p = 0; p < PatternCount; ++p) {
            if (screened.found[p]) results[p].push_back(std::string(codeKey(prices.cell(col, 0))));
        }
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
        std::vector<std::string> series(401);
        for (int d = 1; d <= 400; ++d) {
            const auto& cell = row.cell(d, 0);
            series[static_cast<std::size_t>(d)] = cell == "　" ? "" : cell;
        }
        if (!hasValue(series[5]) || !hasValue(series[10])) continue;  // never charted
        const auto screened = screen(series, 400);
        if (screened.oldestDayUnpriced && problems) problems->push_back(lines[r].substr(0, 4));
        for (int p = 0; p < PatternCount; ++p) {
            if (screened.found[p]) results[p].push_back(lines[r].substr(0, 4));
        }
    }
    return results;
}

std::string describe(const Results& results) {
    std::string text;
    for (int p = 0; p < PatternCount; ++p) {
        text += std::string(kPatternNames[p]) + ":";
        for (const auto& code : results[p]) text += " " + code;
        text += "\n";
    }
    return text;
}

// ---------------------------------------------------------------------------------

TEST(SampleScreening, EveryPatternOccursInSeveralStocksOfThePriceFile) {
    std::vector<std::string> problems;
    const auto results = screenPriceFile(500, &problems);
    for (int p = 0; p < PatternCount; ++p) {
        EXPECT_GE(results[p].size(), 3u) << kPatternNames[p] << "\n" << describe(results);
    }
    EXPECT_TRUE(problems.empty()) << "build would start on an unpriced day: " << problems.front();
    std::printf("%s", describe(results).c_str());
}

TEST(SampleScreening, EveryPatternOccursInTheCandidateRangeOfTheDefaultSettings) {
    std::vector<std::string> problems;
    const auto results = screenCandidates(6001, 6998, &problems);
    for (int p = 0; p < PatternCount; ++p) {
        EXPECT_GE(results[p].size(), 3u) << kPatternNames[p] << "\n" << describe(results);
    }
    EXPECT_TRUE(problems.empty());
    std::printf("%s", describe(results).c_str());
}

}  // namespace
