#include "tools/sample_data.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <set>
#include <stdexcept>

#include "data/paths.h"
#include "data/text_file.h"
#include "tables/comma_text.h"
#include "tables/convert.h"
#include "tables/settings_layout.h"
#include "tables/working_table.h"
#include "tools/sample_calendar.h"

namespace sample {

namespace {

using namespace std::chrono;

// The newest trading day of every generated file.
constexpr sys_days kNewestDay{year{2026} / December / 4};
constexpr int kDateFileRows = 1000;
constexpr int kCandidateDays = 400;

// ---------------------------------------------------------------------------------
// Randomness that does not depend on the standard library's distributions.

std::uint64_t mix(std::uint64_t x) {
    x += 0x9E3779B97F4A7C15ULL;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
    return x ^ (x >> 31);
}

class Rng {
  public:
    explicit Rng(std::uint64_t seed) : state_(mix(seed)) {}
    std::uint64_t next() {
        state_ += 0x9E3779B97F4A7C15ULL;
        return mix(state_);
    }
    // 0 .. n - 1
    int below(int n) { return static_cast<int>(next() % static_cast<std::uint64_t>(n)); }
    // lo .. hi
    int between(int lo, int hi) { return lo + below(hi - lo + 1); }
    bool chance(int percent) { return below(100) < percent; }

  private:
    std::uint64_t state_;
};

std::uint64_t seedOf(int code, std::uint64_t purpose) {
    return mix(static_cast<std::uint64_t>(code) * 0x100000001B3ULL ^ purpose);
}

// ---------------------------------------------------------------------------------
// The box ladder: every generated price lies in one of its boxes. A box j holds the
// prices above ladder[j + 1] up to ladder[j]. The ladder is the chart's percentage
// scale at ratio 0.015 started from ladder[0]; a chart whose highest price is
// ladder[k] therefore uses ladder[k], ladder[k + 1], ... as its levels, and its box
// index a is ladder box k + a - 1.

const std::vector<long long>& ladder() {
    static const std::vector<long long> levels = [] {
        std::vector<long long> result{50000};
        const long double factor = 1.0L - toFloat("0.015");
        while (result.back() > 30) {
            result.push_back(static_cast<long long>(
                std::trunc(static_cast<long double>(result.back()) * factor)));
        }
        return result;
    }();
    return levels;
}

// The first ladder index whose level is at or below price.
int ladderIndexAtOrBelow(long long price) {
    const auto& levels = ladder();
    int j = 0;
    while (j + 1 < static_cast<int>(levels.size()) && levels[j] > price) ++j;
    return j;
}

// A price inside box j; strictlyInside keeps it off both ends of the box.
long long priceInBox(int j, Rng& rng, bool strictlyInside) {
    const auto& levels = ladder();
    const long long top = levels[j], bottom = levels[j + 1];
    const long long low = bottom + 1, high = strictlyInside ? top - 1 : top;
    if (high <= low) return low;
    return low + static_cast<long long>(rng.next() % static_cast<std::uint64_t>(high - low + 1));
}

// ---------------------------------------------------------------------------------
// Random walk with trends and turns over box indices (a larger index is a lower
// price), kept inside [lo, hi]; positions in 1/256 of a box.

class TrendWalk {
  public:
    TrendWalk(Rng& rng, int startBox, int lo, int hi)
        : rng_(rng), pos_(startBox * 256L + 128), lo_(lo), hi_(hi) {}

    int next() {
        if (--regimeLeft_ <= 0) turn();
        long noise = 0;
        for (int i = 0; i < 4; ++i) noise += rng_.between(-180, 180);
        pos_ += drift_ + noise;
        if (pos_ < lo_ * 256L) {
            pos_ = 2 * lo_ * 256L - pos_;
            drift_ = std::abs(drift_);
        }
        if (pos_ >= (hi_ + 1) * 256L) {
            pos_ = 2 * (hi_ + 1) * 256L - pos_ - 1;
            drift_ = -std::abs(drift_);
        }
        return static_cast<int>(pos_ / 256);
    }

  private:
    void turn() {
        static constexpr int kDrifts[] = {-90, -55, -25, 0, 25, 55, 90};
        drift_ = kDrifts[rng_.below(7)];
        regimeLeft_ = rng_.between(15, 80);
    }

    Rng& rng_;
    long pos_;
    int lo_, hi_;
    long drift_ = 0;
    int regimeLeft_ = 0;
};

// ---------------------------------------------------------------------------------
// Planted endings. Each design lists the turning points of the columns that follow
// the series' highest day, as chart box indices (1 is the box of the highest price,
// larger numbers are lower boxes): first a falling column down to the first
// number, then a rising one up to the second, and so on.

struct Design {
    const char* name;
    std::vector<int> turns;
};

const std::vector<Design>& designs() {
    static const std::vector<Design> all = {
        {"double-top", {12, 7, 13, 5}},
        {"double-bottom", {12, 6, 14}},
        {"bullish-signal", {14, 8, 12, 6}},
        {"bearish-signal", {10, 4, 12, 6, 14}},
        {"triple-top", {10, 4, 12, 4, 11, 2}},
        {"triple-bottom", {12, 6, 12, 7, 14}},
        {"reversal-up", {10, 4, 12, 6, 13, 8, 14, 5}},
        {"reversal-down", {16, 6, 14, 5, 12, 4, 18}},
        {"bullish-triangle", {10, 5, 12, 7, 11, 3}},
        {"bearish-triangle", {12, 8, 14, 6, 16, 10, 18}},
    };
    return all;
}

constexpr int kOffsets[] = {0, 3, 6};

// Box indices of the planted part, oldest day first: a steady climb to the highest
// day (box 1), then the designed columns. Pauses and one-box pullbacks make it look
// like trading without ever moving three boxes against a column.
std::vector<int> plantedPath(const Design& design, int offset, Rng& rng) {
    std::vector<int> path;
    int cur = rng.between(12, 17);
    path.push_back(cur);
    while (cur > 1) {
        cur = std::max(1, cur - rng.between(1, 3));
        path.push_back(cur);
    }
    int dir = 1;
    for (const int turn : design.turns) {
        const int target = turn + offset;
        const int start = cur;
        dir = target > cur ? 1 : -1;
        while (cur != target) {
            if (cur != start && rng.chance(30)) {
                path.push_back(rng.chance(50) ? cur : cur - dir);
                continue;
            }
            const int roll = rng.below(100);
            const int step = std::min(roll < 50 ? 1 : roll < 85 ? 2 : 3, std::abs(target - cur));
            cur += dir * step;
            path.push_back(cur);
        }
    }
    for (int i = rng.between(1, 3); i > 0; --i) path.push_back(rng.chance(60) ? cur : cur - dir);
    return path;
}

// ---------------------------------------------------------------------------------
// Stocks and their series. Series are generated from the newest day backwards, so
// the newest days do not depend on how many days are asked for.

struct Stock {
    int code = 0;      // also the seed of its prices and name
    std::string text;  // the code as the files write it: "1301", or "130A"
    std::string name;
    int design = -1;  // index into designs(), -1 for a plain random walk
    int offset = 0;
};

// prices[0] is the newest day.
std::vector<long long> randomSeries(int code, int length) {
    Rng rng(seedOf(code, 0x5E41E5));
    // A home price between about 150 and 12000 yen, and room to wander around it.
    const int home = ladderIndexAtOrBelow(150) -
                     rng.below(ladderIndexAtOrBelow(150) - ladderIndexAtOrBelow(12000));
    const int lo = std::max(ladderIndexAtOrBelow(20000), home - rng.between(25, 50));
    const int hi = std::min(ladderIndexAtOrBelow(100), home + rng.between(25, 50));
    TrendWalk walk(rng, home, lo, hi);
    std::vector<long long> prices;
    prices.reserve(static_cast<std::size_t>(length));
    for (int d = 0; d < length; ++d) prices.push_back(priceInBox(walk.next(), rng, false));
    return prices;
}

std::vector<long long> plantedSeries(const Stock& stock, int length) {
    Rng rng(seedOf(stock.code, 0x9A77E2));
    const int top = ladderIndexAtOrBelow(700) -
                    rng.below(ladderIndexAtOrBelow(700) - ladderIndexAtOrBelow(9000));
    const auto path = plantedPath(designs()[stock.design], stock.offset, rng);
    std::vector<long long> prices;
    prices.reserve(static_cast<std::size_t>(length));
    // Newest first: the planted part from its end, then older history that stays at
    // least ten boxes below the highest day.
    for (auto it = path.rbegin(); it != path.rend() && static_cast<int>(prices.size()) < length;
         ++it) {
        const int j = top + *it - 1;
        // The highest day sits exactly on a level, so that the chart's scale starts there.
        prices.push_back(*it == 1 ? ladder()[top] : priceInBox(j, rng, true));
    }
    TrendWalk walk(rng, path.front(), 11, 70);
    while (static_cast<int>(prices.size()) < length) {
        prices.push_back(priceInBox(top + walk.next() - 1, rng, true));
    }
    return prices;
}

std::vector<long long> seriesOf(const Stock& stock, int length) {
    return stock.design >= 0 ? plantedSeries(stock, length) : randomSeries(stock.code, length);
}

std::string sectorOf(int code) {
    const int head = code / 100;
    if (head <= 13) return "水産";
    if (head <= 19) return "建設";
    if (head <= 29) return "食品";
    if (head <= 35) return "繊維";
    if (head <= 39) return "情報";
    if (head <= 49) return "化学";
    if (head <= 52) return "素材";
    if (head <= 59) return "金属";
    if (head <= 64) return "機械";
    if (head <= 69) return "電機";
    if (head <= 74) return "輸送";
    if (head <= 79) return "精密";
    if (head <= 83) return "商事";
    if (head <= 87) return "金融";
    if (head <= 89) return "不動産";
    if (head <= 94) return "運輸";
    if (head <= 96) return "電力";
    return "サービス";
}

std::string nameOf(int code) {
    static const char* const kSounds[] = {"ア", "カ", "サ", "タ", "ナ", "ハ", "マ",
                                          "ヤ", "ラ", "ワ", "イ", "キ", "シ", "チ",
                                          "ニ", "ヒ", "ミ", "リ", "ウ", "ク"};
    const std::uint64_t h = mix(static_cast<std::uint64_t>(code) ^ 0xAA11);
    return "見本" + sectorOf(code) + kSounds[h % 20] + kSounds[(h / 20) % 20];
}

// About 3500 codes from 1301 to 9997 (4000 and some with a letter for the market),
// always with the planted ones and never 6000, so that the default screening range
// starts at the code just below it.
std::vector<Stock> codeList(bool market = false) {
    std::vector<Stock> stocks;
    const std::uint64_t share = market ? 460 : 403;
    for (int code = 1301; code <= 9997; ++code) {
        const bool listed =
            code == 1301 || code == 9997 || mix(static_cast<std::uint64_t>(code)) % 1000 < share;
        if (listed && code != 6000) stocks.push_back({code, std::to_string(code), nameOf(code)});
    }
    if (market) {
        // Codes issued with a letter: "130A" lies between 1309 and 1310. Their numbers,
        // above every digit code, only seed prices and names.
        for (int prefix = 130; prefix <= 999; ++prefix) {
            if (prefix == 600 || mix(static_cast<std::uint64_t>(prefix) ^ 0xA1) % 100 >= 8)
                continue;
            const int seed = 10000 + prefix;
            stocks.push_back({seed, std::to_string(prefix) + "A", nameOf(seed)});
        }
        std::sort(stocks.begin(), stocks.end(),
                  [](const Stock& a, const Stock& b) { return a.text < b.text; });
    }
    // Planted stocks: spread over 6001..6989, three depth variants of every design.
    std::vector<int> inRange;
    for (std::size_t i = 0; i < stocks.size(); ++i) {
        if (stocks[i].code > 6000 && stocks[i].code < 6990) inRange.push_back(static_cast<int>(i));
    }
    const int planted = static_cast<int>(designs().size()) * 3;
    for (int p = 0; p < planted; ++p) {
        Stock& stock = stocks[inRange[static_cast<std::size_t>(
            (2 * p + 1) * static_cast<int>(inRange.size()) / (2 * planted))]];
        stock.design = p % static_cast<int>(designs().size());
        stock.offset = kOffsets[p / static_cast<int>(designs().size())];
    }
    return stocks;
}

// ---------------------------------------------------------------------------------
// The price file.

struct PriceColumn {
    const Stock* stock;
    std::string header;
    int listedDays;         // rows 1..listedDays hold prices
    std::set<int> missing;  // rows without a price
    std::vector<long long> prices;
};

bool nearRoundRow(int row) {
    const int r = row % 100;
    return r >= 97 || r <= 3;
}

std::vector<PriceColumn> priceColumns(const std::vector<Stock>& stocks, const Options& options) {
    // Planted stocks first, then many others of 6001..6999, then the rest spread
    // over the whole list.
    std::vector<const Stock*> chosen;
    for (const auto& stock : stocks) {
        if (stock.design >= 0 && static_cast<int>(chosen.size()) < options.stocks) {
            chosen.push_back(&stock);
        }
    }
    std::vector<const Stock*> sixes, others;
    for (const auto& stock : stocks) {
        if (stock.design >= 0) continue;
        (stock.code > 6000 && stock.code < 7000 ? sixes : others).push_back(&stock);
    }
    const int wantedSixes = std::min<int>(40, options.stocks - static_cast<int>(chosen.size()));
    for (int i = 0; i < wantedSixes; ++i) {
        chosen.push_back(sixes[static_cast<std::size_t>(i * static_cast<int>(sixes.size()) /
                                                        std::max(1, wantedSixes))]);
    }
    const int wantedOthers = options.stocks - static_cast<int>(chosen.size());
    std::vector<const Stock*> late;
    for (int i = 0; i < wantedOthers; ++i) {
        const Stock* stock = others[static_cast<std::size_t>(
            (2 * i + 1) * static_cast<int>(others.size()) / (2 * wantedOthers))];
        // Every twentieth of the others was listed late; they go to the right end so
        // that the older lines simply stop before them.
        if (options.stocks >= 40 && i % 20 == 10 && late.size() < 6) {
            late.push_back(stock);
        } else {
            chosen.push_back(stock);
        }
    }
    std::sort(chosen.begin(), chosen.end(),
              [](const Stock* a, const Stock* b) { return a->code < b->code; });

    static constexpr int kLateListing[] = {470, 430, 390, 350, 300, 260};
    std::vector<PriceColumn> columns;
    for (const Stock* stock : chosen) columns.push_back({stock, "", options.days, {}, {}});
    for (std::size_t i = 0; i < late.size(); ++i) {
        columns.push_back({late[i], "", std::min(options.days, kLateListing[i]), {}, {}});
    }

    for (std::size_t c = 0; c < columns.size(); ++c) {
        auto& column = columns[c];
        const int code = column.stock->code;
        const std::string& codeText = column.stock->text;
        if (c + 1 == 7) {
            // One header of a code and a name with a space between, quoted so that it
            // stays one column.
            column.header = tables::quoteField(codeText + " " + column.stock->name);
        } else if (column.stock->design >= 0 || c % 3 == 0) {
            column.header = codeText + column.stock->name;
        } else {
            column.header = codeText;
        }
        column.prices = seriesOf(*column.stock, column.listedDays);

        // Days without a price: a few old ones in every eighth plain column, and one
        // recent one in three columns; never near a round row or among the newest days.
        if (column.stock->design >= 0 || column.listedDays < options.days) continue;
        Rng rng(seedOf(code, 0x3155));
        if (c % 8 == 5 && options.days > 530) {
            for (int n = rng.between(1, 3); n > 0; --n) {
                const int row = rng.between(521, options.days);
                if (!nearRoundRow(row)) column.missing.insert(row);
            }
        }
        if ((c == 20 || c == 90 || c == 150) && options.days > 210) {
            int row = rng.between(30, 200);
            if (nearRoundRow(row)) row = 50;
            column.missing.insert(row);
        }
    }
    return columns;
}

std::string decimalText(long long price, int row, int column) {
    static const char* const kFractions[] = {".5", ".25", ".75", ".1"};
    if (mix(static_cast<std::uint64_t>(row) * 7 + static_cast<std::uint64_t>(column)) % 11 != 0) {
        return std::to_string(price);
    }
    return std::to_string(price) + kFractions[(row + column) % 4];
}

std::vector<std::string> priceFileLines(const std::vector<PriceColumn>& columns,
                                        const std::vector<sys_days>& days, int rows) {
    std::vector<std::string> lines;
    std::string header;
    for (const auto& column : columns) header += "," + column.header;
    lines.push_back(header);
    for (int row = 1; row <= rows; ++row) {
        std::string line = formatDate(days[static_cast<std::size_t>(row - 1)]);
        std::string pending;  // empty fields are only written when a price follows
        for (std::size_t c = 0; c < columns.size(); ++c) {
            const auto& column = columns[c];
            pending += ",";
            if (row > column.listedDays || column.missing.count(row)) continue;
            const long long price = column.prices[static_cast<std::size_t>(row - 1)];
            line += pending +
                    (c < 4 ? decimalText(price, row, static_cast<int>(c)) : std::to_string(price));
            pending.clear();
        }
        lines.push_back(line);
    }
    return lines;
}

// ---------------------------------------------------------------------------------
// The candidate file: one line per code-list line, 400 days.

std::vector<std::string> candidateFileLines(const std::vector<Stock>& stocks,
                                            const std::vector<sys_days>& days,
                                            const std::set<int>& keepWhole) {
    std::vector<std::string> lines;
    std::string header;
    for (int d = 0; d < kCandidateDays; ++d)
        header.append(",").append(formatDate(days[static_cast<std::size_t>(d)]));
    lines.push_back(header);
    for (const auto& stock : stocks) {
        Rng rng(seedOf(stock.code, 0xCA2D));
        const auto prices = seriesOf(stock, kCandidateDays);
        std::string line = stock.text + stock.name;
        // Rows near the ends of the default range and the planted ones stay whole.
        const bool plain = stock.design < 0 && !keepWhole.count(stock.code) &&
                           !(stock.code >= 5990 && stock.code <= 6010) &&
                           !(stock.code >= 6985 && stock.code <= 7010);
        const int kind = plain ? rng.below(100) : 99;
        const char* const blank = rng.chance(50) ? "" : "　";
        if (kind == 0) {
            // No prices at all (a suspended stock).
            for (int d = 0; d < kCandidateDays; ++d)
                line += std::string(",") + (d % 7 ? "" : blank);
        } else if (kind <= 2) {
            // Listed recently: the line stops after its first trading day.
            const int listed = rng.between(30, kCandidateDays - 1);
            for (int d = 0; d < listed; ++d)
                line.append(",").append(std::to_string(prices[static_cast<std::size_t>(d)]));
        } else {
            std::set<int> missing;
            if (kind < 11) {
                for (int n = rng.between(1, 4); n > 0; --n) missing.insert(rng.between(13, 380));
            }
            for (int d = 0; d < kCandidateDays; ++d) {
                line += ",";
                if (missing.count(d + 1)) {
                    line += (d % 2 ? "　" : "");
                } else {
                    line += std::to_string(prices[static_cast<std::size_t>(d)]);
                }
            }
        }
        lines.push_back(line);
    }
    return lines;
}

// ---------------------------------------------------------------------------------
// Small files.

std::vector<std::string> codeListLines(const std::vector<Stock>& stocks) {
    std::vector<std::string> lines{
        "0000\t見本データ（生成された架空の銘柄です。実在の株価ではありません）"};
    for (const auto& stock : stocks) lines.push_back(stock.text + "\t" + stock.name);
    return lines;
}

// Three fields a line, each filled, so that loading and saving the file again gives
// the same text: the calendar, the dates of the last update and of the last chart.
std::vector<std::string> dateFileLines(const std::vector<sys_days>& days) {
    std::vector<std::string> lines{"日付,取得日付,表示日付"};
    for (int row = 1; row <= kDateFileRows; ++row) {
        const std::string date = formatDate(days[static_cast<std::size_t>(row - 1)]);
        lines.push_back(date + "," + date + "," + date);
    }
    return lines;
}

std::vector<std::string> settingsLines(const std::string& chartCode,
                                       const std::string& candidateCode) {
    settings::Saved saved;
    saved.code = chartCode;
    saved.candidateCode = candidateCode;
    return settings::newFileLines(saved);
}

std::vector<std::string> readmeLines() {
    return {
        "見本データ / sample data",
        "",
        "このフォルダのデータはすべてプログラムで生成した見本です。銘柄名は架空のもので、",
        "株価は乱数による値動きであり、実在の市場の株価ではありません。",
        "",
        "Everything in this folder was generated by a program. The names are made up and the",
        "prices are random walks, not market prices.",
    };
}

const Stock* findDesign(const std::vector<Stock>& stocks, const std::string& name, int offset) {
    for (const auto& stock : stocks) {
        if (stock.design >= 0 && designs()[stock.design].name == name && stock.offset == offset) {
            return &stock;
        }
    }
    return nullptr;
}

}  // namespace

std::vector<PlantedStock> plantedStocks() {
    std::vector<PlantedStock> result;
    for (const auto& stock : codeList()) {
        if (stock.design >= 0)
            result.push_back({stock.code, designs()[stock.design].name, stock.offset});
    }
    return result;
}

void writeSampleRoot(const Options& options) {
    if (options.days < 10) throw std::invalid_argument("--days must be at least 10");
    if (options.stocks < 1 || options.stocks > 197) {
        throw std::invalid_argument("--stocks must be between 1 and 197");
    }
    const data::DataRoot root{options.out};
    for (const auto& path : {root.priceFile(), root.settingsFile(), root.candidateFile()}) {
        std::filesystem::create_directories(path.parent_path());
    }

    const auto stocks = codeList(options.market);
    const auto days =
        tradingDaysBack(kNewestDay, std::max({options.days, kDateFileRows, kCandidateDays}));
    const auto columns = priceColumns(stocks, options);

    // The saved codes are plain four-digit codes; a chart run shows the whole header.
    const Stock* chartStock = findDesign(stocks, "reversal-up", 0);
    const Stock* candidateStock = findDesign(stocks, "triple-top", 0);
    const std::string chartCode = std::to_string(chartStock->code);
    const std::string candidateCode = std::to_string(candidateStock->code);

    data::writeLines(root.priceFile(), priceFileLines(columns, days, options.days));
    data::writeLines(root.codeListFile(), codeListLines(stocks));
    data::writeLines(root.dateFile(), dateFileLines(days));
    data::writeLines(root.candidateFile(),
                     candidateFileLines(stocks, days, {chartStock->code, candidateStock->code}));
    data::writeLines(root.settingsFile(), settingsLines(chartCode, candidateCode));
    data::writeLines(root.servicesFile(), {"price-table,", "quote-history,", "usage-guide,"});
    data::writeLines(options.out / "README.txt", readmeLines());
}

}  // namespace sample
