#pragma once
// The whole market's breadth and relative strength, day by day: every stock's buy or sell
// status (its newest double top or double bottom), its trend line in force and its
// relative strength against the market's benchmark and against its sector; the bullish
// percent of the market and of each 33-sector with its own chart and status; the
// companions PT, RSP and RSX, and each stock's technical score. Plain values, no store:
// the caller gives the stocks and their closes (analysis/morning.h reads them from the
// store and keeps what a run computed).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/series_walk.h"
#include "analysis/settings.h"
#include "market/market.h"

namespace analysis {

using Day = market::Day;

// The status of a group's bullish percent, from its own chart.
enum class Status : std::uint8_t {
    none,            // no chart yet
    bullConfirmed,   // 強気確認: X column, on a buy
    bullAlert,       // 強気警戒: X column, on a sell, up from 30 or below
    bearCorrection,  // 弱気調整: X column otherwise
    bearConfirmed,   // 弱気確認: O column, on a sell
    bearAlert,       // 弱気警戒: O column, on a buy, down from 70 or above
    bullCorrection,  // 強気調整: O column otherwise
};
std::string_view statusText(Status status);  // "強気確認"; "" for none

// A day of a bullish percent's chart: its status, and whether it stands within one box of
// a reversal (an X column's value at most a box above the level a reversal needs, an O
// column's at most a box below it).
struct Rating {
    Status status = Status::none;
    bool nearReversal = false;
    bool operator==(const Rating&) const = default;
};
// The ratings of a bullish percent by day (nothing on a day without one): its chart on
// 2-point boxes from 0 to 100 with the reversal, walked day by day. In an X column 強気確認
// on a buy, 強気警戒 on a sell when the column's high is 30 or less or the day before was
// 強気警戒, else 弱気調整; in an O column 弱気確認 on a sell, 弱気警戒 on a buy when the
// column's high is 70 or more or the day before was 弱気警戒, else 強気調整.
std::vector<Rating> rateBullishPercents(const std::vector<std::optional<double>>& percents,
                                        int reversal = 3);

// What the analysis reads: the days, the stocks and their closes, the benchmark.
struct MarketInput {
    std::vector<Day> days;  // oldest first
    std::vector<market::StockInfo> stocks;
    // The closes of the days from `firstClosed` on: closes[s * closedDays() + d - firstClosed]
    // (market::kNoValue for none). An analysis carried on needs only the day before the
    // days it walks.
    std::vector<double> closes;
    std::size_t firstClosed = 0;
    market::BenchmarkKind benchmark = market::BenchmarkKind::none;
    std::vector<double> benchmarkCloses;  // by day (kind none: unused)

    std::size_t closedDays() const { return days.size() - firstClosed; }
    double close(std::size_t stock, std::size_t day) const {
        return closes[stock * closedDays() + day - firstClosed];
    }
};

// The code of the whole market's group, and the sector left out of the sector groups.
inline constexpr std::string_view kMarketGroup = "市場";
inline constexpr std::string_view kOtherSector = "9999";

// One day of a group.
struct GroupDay {
    int members = 0;  // members with a price by then (and still traded)
    int counted = 0;  // members with a status
    int buys = 0;     // members on a buy
    int aboveSupport = 0;
    int rsBuys = 0;    // on a relative-strength buy against the market
    int rsRising = 0;  // relative-strength chart against the market in an X column
    Status status = Status::none;
    bool nearReversal = false;  // the bullish percent's chart within one box of a reversal

    // 100 × buys / counted; nothing without a member with a status.
    std::optional<double> bullishPercent() const;
    // A share of the members in percent (PT, RSP, RSX); nothing without members.
    std::optional<double> share(int count) const;
};

struct Group {
    std::string code;                  // "市場", or the 33-sector code
    std::string name;                  // "市場", or the sector's name
    std::vector<std::size_t> members;  // stocks, ascending
    std::vector<GroupDay> days;
};

// A stock's day as bits: its price chart's DayBits (five), those of its relative strength
// against the market (four, from bit 5) and against its sector (four, from bit 9), and
// whether it counts in its groups that day (bit 13): from its first price on, and for a
// stock the exchange does not list, while its newest price is at most 20 days old.
using StockDay = std::uint16_t;
inline constexpr StockDay kActive = 1u << 13;
inline constexpr int kStaleDays = 20;
inline std::uint8_t priceBits(StockDay day) {
    return static_cast<std::uint8_t>(day & 0x1F);
}
inline std::uint8_t rsMarketBits(StockDay day) {
    return static_cast<std::uint8_t>((day >> 5) & 0x0F);
}
inline std::uint8_t rsSectorBits(StockDay day) {
    return static_cast<std::uint8_t>((day >> 9) & 0x0F);
}
inline bool isActive(StockDay day) {
    return (day & kActive) != 0;
}
// The technical score 0-5: relative strength against the market on a buy, in an X column;
// against the sector on a buy, in an X column; the price above its bullish support line.
int scoreOf(StockDay day);
// "BX", "BO", "SX", "SO"; "X" or "O" without a signal; "" without a column.
std::string rsStateText(std::uint8_t bits);

// The relative strength a stock is charted by: 100 × close / benchmark, kept in hundredths.
inline constexpr double kRsScale = 100.0 * 100.0;
std::optional<long long> rsValue(double close, double benchmark);

class MarketAnalysis {
  public:
    explicit MarketAnalysis(const Settings& settings);

    // Walks the input's days from the first this analysis does not hold yet (all of them
    // for a new one): the days it holds must be the input's first days, its stocks the
    // input's first stocks. Only the closes of the days walked and the day before them
    // are read.
    void advance(const MarketInput& input);

    const Settings& settings() const { return settings_; }
    const std::vector<Day>& days() const { return days_; }
    const std::vector<market::StockInfo>& stocks() const { return stocks_; }
    market::BenchmarkKind benchmark() const { return benchmark_; }
    // "TOPIX", "TOPIX（1306で代用）" or "等加重指数".
    std::string benchmarkName() const;
    // The groups: the whole market first, then the sectors ascending by code.
    const std::vector<Group>& groups() const { return groups_; }
    const Group* group(std::string_view code) const;
    StockDay stockDay(std::size_t stock, std::size_t day) const {
        return stockDays_[stock * days_.size() + day];
    }
    const std::vector<Event>& events(std::size_t stock) const { return events_[stock]; }
    std::optional<std::size_t> stockIndex(std::string_view code) const;
    std::optional<std::size_t> dayIndex(Day day) const;
    // The index the stock's relative strength is measured against, by day (the market's
    // benchmark when the stock has no sector): nothing before it starts.
    std::vector<double> benchmarkSeries() const;
    const std::vector<double>* sectorIndex(std::string_view sector) const;
    // The group of a stock's sector; nothing for a stock without one.
    const Group* sectorOf(std::size_t stock) const;

    // Each stock's close on the newest day (kNoValue for none): what the next day's changes
    // start from.
    const std::vector<double>& lastCloses() const { return lastCloses_; }

    // The bullish percent's own chart: 2-point boxes from 0 to 100, levels in hundredths.
    chart::Chart bullishPercentChart(const Group& group) const;

    // The state as bytes, and back; load throws std::runtime_error on bytes it cannot read.
    std::string save() const;
    static MarketAnalysis load(const std::string& bytes, const Settings& settings);

  private:
    struct StockWalks {
        SeriesWalk price, rsMarket, rsSector;
    };
    struct SectorIndex {
        std::string code;
        std::vector<double> values;  // by day
    };
    void adoptStocks(const MarketInput& input);
    void extendIndex(std::vector<double>& values, const std::vector<std::size_t>& members,
                     const MarketInput& input, std::size_t from) const;
    void walkStock(std::size_t stock, const MarketInput& input, std::size_t from);
    void rebuildGroups();

    Settings settings_;
    std::shared_ptr<const Ladder> priceLadder_, rsLadder_;
    std::vector<Day> days_;
    std::vector<market::StockInfo> stocks_;
    market::BenchmarkKind benchmark_ = market::BenchmarkKind::none;
    std::vector<double> benchmarkValues_;  // by day: the benchmark or the equal-weighted index
    std::vector<SectorIndex> sectorIndexes_;
    std::vector<StockWalks> walks_;
    std::vector<std::vector<Event>> events_;
    std::vector<int> firstPriced_, lastPriced_;  // day indexes; -1 for none
    std::vector<double> lastCloses_;
    std::vector<StockDay> stockDays_;  // [s * days + d]
    std::vector<Group> groups_;
};

}  // namespace analysis
