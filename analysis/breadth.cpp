#include "analysis/breadth.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <stdexcept>

#include "analysis/bytes.h"
#include "tables/convert.h"

namespace analysis {

namespace {

constexpr double kIndexStart = 1000.0;
// The bullish percent's chart: 2-point boxes from 0 to 100, in hundredths.
constexpr long long kBpTop = 10000, kBpBox = 200;
constexpr long long kBpHighAlert = 3000, kBpLowAlert = 7000;
constexpr int kFormat = 2;  // 2: the pattern bits cover the whole catalogue

bool priced(double close) {
    return market::hasNumber(close) && std::llround(close) > 0;
}

// A stock belongs to the sector groups when the exchange lists it in one of the 33.
bool inSector(const market::StockInfo& stock) {
    return stock.listed && !stock.sector33.empty() && stock.sector33 != kOtherSector;
}

}  // namespace

std::string_view statusText(Status status) {
    switch (status) {
        case Status::bullConfirmed:
            return "強気確認";
        case Status::bullAlert:
            return "強気警戒";
        case Status::bearCorrection:
            return "弱気調整";
        case Status::bearConfirmed:
            return "弱気確認";
        case Status::bearAlert:
            return "弱気警戒";
        case Status::bullCorrection:
            return "強気調整";
        case Status::none:
            break;
    }
    return "";
}

std::optional<double> GroupDay::bullishPercent() const {
    if (counted == 0) return std::nullopt;
    return 100.0 * buys / counted;
}

std::optional<double> GroupDay::share(int count) const {
    if (members == 0) return std::nullopt;
    return 100.0 * count / members;
}

int scoreOf(StockDay day) {
    const std::uint8_t market = rsMarketBits(day), sector = rsSectorBits(day);
    const auto rising = [](std::uint8_t bits) {
        return (bits & kHasColumn) && (bits & kRising) ? 1 : 0;
    };
    return ((market & kBuy) ? 1 : 0) + rising(market) + ((sector & kBuy) ? 1 : 0) + rising(sector) +
           ((priceBits(day) & kAboveSupport) ? 1 : 0);
}

std::string rsStateText(std::uint8_t bits) {
    if (!(bits & kHasColumn)) return "";
    std::string text = (bits & kBuy) ? "B" : (bits & kSell) ? "S" : "";
    return text + ((bits & kRising) ? "X" : "O");
}

std::optional<long long> rsValue(double close, double benchmark) {
    if (!priced(close) || !market::hasNumber(benchmark) || !(benchmark > 0)) return std::nullopt;
    const long long value = std::llround(kRsScale * close / benchmark);
    if (value <= 0) return std::nullopt;
    return value;
}

std::vector<Rating> rateBullishPercents(const std::vector<std::optional<double>>& percents,
                                        int reversal) {
    static const Ladder ladder = Ladder::steps(kBpTop, 0, kBpBox);
    SeriesWalk walk(ladder, reversal, false);
    std::vector<Rating> ratings(percents.size());
    Status previous = Status::none;
    std::optional<long long> value;  // the newest bullish percent, in hundredths
    for (std::size_t d = 0; d < percents.size(); ++d) {
        Rating& rating = ratings[d];
        if (percents[d]) value = std::llround(*percents[d] * 100.0);
        const std::uint8_t bits =
            walk.day(static_cast<int>(d), percents[d] ? value : std::nullopt, nullptr);
        if (!(bits & kHasColumn) || !value) {
            previous = Status::none;
            continue;
        }
        const chart::Column& column = walk.shape().columns.back();
        const bool buy = bits & kBuy, sell = bits & kSell;
        const long long high = ladder.level(column.topRow).value_or(kBpTop);
        if (bits & kRising) {
            rating.status = buy ? Status::bullConfirmed
                            : sell && (high <= kBpHighAlert || previous == Status::bullAlert)
                                ? Status::bullAlert
                                : Status::bearCorrection;
            const auto turn = ladder.level(column.topRow + reversal);
            const auto near = ladder.level(column.topRow + reversal - 1);
            rating.nearReversal = turn && near && *value <= *near;
        } else {
            rating.status = sell ? Status::bearConfirmed
                            : buy && (high >= kBpLowAlert || previous == Status::bearAlert)
                                ? Status::bearAlert
                                : Status::bullCorrection;
            const auto turn = ladder.level(column.bottomRow - reversal);
            const auto near = ladder.level(column.bottomRow - reversal + 1);
            rating.nearReversal = turn && near && *value >= *near;
        }
        previous = rating.status;
    }
    return ratings;
}

// ---------------------------------------------------------------------------------

MarketAnalysis::MarketAnalysis(const Settings& settings)
    : settings_(settings),
      priceLadder_(std::make_shared<Ladder>(settings.priceScale.cohen
                                                ? Ladder::cohen()
                                                : Ladder::percentage(settings.priceScale.ratio))),
      rsLadder_(std::make_shared<Ladder>(Ladder::percentage(settings.rsRatio))) {}

std::string MarketAnalysis::benchmarkName() const {
    switch (benchmark_) {
        case market::BenchmarkKind::topix:
            return "TOPIX";
        case market::BenchmarkKind::etf1306:
            return "TOPIX（1306で代用）";
        case market::BenchmarkKind::none:
            break;
    }
    return "等加重指数";
}

const Group* MarketAnalysis::group(std::string_view code) const {
    for (const Group& group : groups_)
        if (group.code == code) return &group;
    return nullptr;
}

std::optional<std::size_t> MarketAnalysis::stockIndex(std::string_view code) const {
    for (std::size_t s = 0; s < stocks_.size(); ++s)
        if (stocks_[s].code == code) return s;
    return std::nullopt;
}

std::optional<std::size_t> MarketAnalysis::dayIndex(Day day) const {
    const auto found = std::lower_bound(days_.begin(), days_.end(), day);
    if (found == days_.end() || *found != day) return std::nullopt;
    return static_cast<std::size_t>(found - days_.begin());
}

std::vector<double> MarketAnalysis::benchmarkSeries() const {
    return benchmarkValues_;
}

const std::vector<double>* MarketAnalysis::sectorIndex(std::string_view sector) const {
    for (const SectorIndex& index : sectorIndexes_)
        if (index.code == sector) return &index.values;
    return nullptr;
}

const Group* MarketAnalysis::sectorOf(std::size_t stock) const {
    if (!inSector(stocks_[stock])) return nullptr;
    return group(stocks_[stock].sector33);
}

// ---------------------------------------------------------------------------------

void MarketAnalysis::adoptStocks(const MarketInput& input) {
    const std::size_t before = stocks_.size();
    stocks_ = input.stocks;
    for (std::size_t s = before; s < stocks_.size(); ++s) {
        walks_.push_back({SeriesWalk(*priceLadder_, settings_.reversal, true),
                          SeriesWalk(*rsLadder_, settings_.reversal, false),
                          SeriesWalk(*rsLadder_, settings_.reversal, false)});
        events_.emplace_back();
        firstPriced_.push_back(-1);
        lastPriced_.push_back(-1);
    }
    // The days of every stock, the new ones without bits until walked.
    const std::size_t oldDays = days_.size(), newDays = input.days.size();
    std::vector<StockDay> bits(stocks_.size() * newDays, 0);
    for (std::size_t s = 0; s < before; ++s)
        std::copy_n(stockDays_.begin() + static_cast<std::ptrdiff_t>(s * oldDays), oldDays,
                    bits.begin() + static_cast<std::ptrdiff_t>(s * newDays));
    stockDays_ = std::move(bits);
}

// An equal-weighted index: from 1000 on the first day a member has a price, then each day
// by the mean of the members' changes from the day before, over those priced on both.
void MarketAnalysis::extendIndex(std::vector<double>& values,
                                 const std::vector<std::size_t>& members, const MarketInput& input,
                                 std::size_t from) const {
    values.resize(input.days.size(), market::kNoValue);
    for (std::size_t d = from; d < input.days.size(); ++d) {
        if (d == 0 || !market::hasNumber(values[d - 1])) {
            const bool any = std::any_of(members.begin(), members.end(),
                                         [&](std::size_t m) { return priced(input.close(m, d)); });
            values[d] = any ? kIndexStart : market::kNoValue;
            continue;
        }
        double sum = 0;
        int count = 0;
        for (const std::size_t m : members) {
            const double before = input.close(m, d - 1), now = input.close(m, d);
            if (!priced(before) || !priced(now)) continue;
            sum += now / before - 1.0;
            ++count;
        }
        values[d] = values[d - 1] * (1.0 + (count > 0 ? sum / count : 0.0));
    }
}

void MarketAnalysis::walkStock(std::size_t stock, const MarketInput& input, std::size_t from) {
    StockWalks& walks = walks_[stock];
    const market::StockInfo& info = stocks_[stock];
    const std::vector<double>* sector = inSector(info) ? sectorIndex(info.sector33) : nullptr;
    const std::size_t days = days_.size();
    for (std::size_t d = from; d < days; ++d) {
        const double close = input.close(stock, d);
        const int day = static_cast<int>(d);
        std::optional<long long> price;
        if (priced(close)) {
            price = std::llround(close);
            if (firstPriced_[stock] < 0) firstPriced_[stock] = day;
            lastPriced_[stock] = day;
        }
        StockDay bits = walks.price.day(day, price, &events_[stock]);
        bits |= static_cast<StockDay>(
            walks.rsMarket.day(day, rsValue(close, benchmarkValues_[d]), nullptr) << 5);
        if (sector)
            bits |= static_cast<StockDay>(
                walks.rsSector.day(day, rsValue(close, (*sector)[d]), nullptr) << 9);
        const bool active =
            firstPriced_[stock] >= 0 && (info.listed || day - lastPriced_[stock] <= kStaleDays);
        if (active) bits |= kActive;
        stockDays_[stock * days + d] = bits;
    }
}

void MarketAnalysis::advance(const MarketInput& input) {
    const std::size_t from = days_.size();
    if (input.days.size() < from || !std::equal(days_.begin(), days_.end(), input.days.begin()) ||
        input.stocks.size() < stocks_.size() || input.firstClosed > input.days.size() ||
        input.firstClosed + (from > 0 ? 1 : 0) > from ||
        input.closes.size() != input.stocks.size() * input.closedDays())
        throw std::logic_error("analysis: the input does not continue the analysis");
    adoptStocks(input);
    days_ = input.days;
    benchmark_ = input.benchmark;

    // Every stock is a member of the market; the listed ones of their sector.
    std::vector<std::size_t> everyone(stocks_.size());
    for (std::size_t s = 0; s < everyone.size(); ++s) everyone[s] = s;
    if (benchmark_ == market::BenchmarkKind::none) {
        extendIndex(benchmarkValues_, everyone, input, from);
    } else {
        benchmarkValues_.resize(days_.size(), market::kNoValue);
        for (std::size_t d = from; d < days_.size(); ++d)
            benchmarkValues_[d] =
                d < input.benchmarkCloses.size() ? input.benchmarkCloses[d] : market::kNoValue;
    }
    std::map<std::string, std::vector<std::size_t>> sectors;
    for (std::size_t s = 0; s < stocks_.size(); ++s)
        if (inSector(stocks_[s])) sectors[stocks_[s].sector33].push_back(s);
    for (const auto& [code, members] : sectors) {
        auto found = std::find_if(sectorIndexes_.begin(), sectorIndexes_.end(),
                                  [&](const SectorIndex& index) { return index.code == code; });
        if (found == sectorIndexes_.end()) {
            sectorIndexes_.push_back({code, {}});
            found = sectorIndexes_.end() - 1;
        }
        extendIndex(found->values, members, input, from);
    }
    std::sort(sectorIndexes_.begin(), sectorIndexes_.end(),
              [](const SectorIndex& a, const SectorIndex& b) { return a.code < b.code; });
    for (SectorIndex& index : sectorIndexes_) index.values.resize(days_.size(), market::kNoValue);

    for (std::size_t s = 0; s < stocks_.size(); ++s) walkStock(s, input, from);
    lastCloses_.resize(stocks_.size(), market::kNoValue);
    if (days_.size() > from)
        for (std::size_t s = 0; s < stocks_.size(); ++s)
            lastCloses_[s] = input.close(s, days_.size() - 1);
    rebuildGroups();
}

void MarketAnalysis::rebuildGroups() {
    groups_.clear();
    Group market{std::string(kMarketGroup), "市場全体", {}, {}};
    std::map<std::string, Group> sectors;
    for (std::size_t s = 0; s < stocks_.size(); ++s) {
        market.members.push_back(s);
        const market::StockInfo& stock = stocks_[s];
        if (!inSector(stock)) continue;
        Group& sector = sectors[stock.sector33];
        if (sector.code.empty()) sector = {stock.sector33, stock.sector33Name, {}, {}};
        sector.members.push_back(s);
    }
    groups_.push_back(std::move(market));
    for (auto& [code, sector] : sectors) groups_.push_back(std::move(sector));

    const std::size_t days = days_.size();
    for (Group& group : groups_) {
        group.days.assign(days, GroupDay{});
        for (const std::size_t s : group.members) {
            const StockDay* bits = stockDays_.data() + s * days;
            for (std::size_t d = 0; d < days; ++d) {
                const StockDay day = bits[d];
                if (!isActive(day)) continue;
                GroupDay& g = group.days[d];
                ++g.members;
                const std::uint8_t price = priceBits(day), rs = rsMarketBits(day);
                if (price & (kBuy | kSell)) ++g.counted;
                if (price & kBuy) ++g.buys;
                if (price & kAboveSupport) ++g.aboveSupport;
                if (rs & kBuy) ++g.rsBuys;
                if ((rs & kHasColumn) && (rs & kRising)) ++g.rsRising;
            }
        }
        std::vector<std::optional<double>> percents;
        for (const GroupDay& day : group.days) percents.push_back(day.bullishPercent());
        const auto ratings = rateBullishPercents(percents, settings_.reversal);
        for (std::size_t d = 0; d < days; ++d) {
            group.days[d].status = ratings[d].status;
            group.days[d].nearReversal = ratings[d].nearReversal;
        }
    }
}

chart::Chart MarketAnalysis::bullishPercentChart(const Group& group) const {
    std::vector<chart::Close> closes;
    std::vector<std::string> dates;
    for (std::size_t d = group.days.size(); d-- > 0;) {
        const auto bp = group.days[d].bullishPercent();
        closes.push_back(bp ? chart::Close::of(std::llround(*bp * 100.0)) : chart::Close::none());
        dates.push_back(formatDate(days_[d]));
    }
    chart::ChartRequest request;
    request.closes = closes;
    request.dates = dates;
    request.days = static_cast<int>(closes.size());
    request.construction = chart::Construction::Textbook;
    request.reversal = settings_.reversal;
    request.scale.fixed = true;
    return chart::runChartOnLevels(request, chart::stepLevels(kBpTop, 0, kBpBox));
}

// ---------------------------------------------------------------------------------
// The state as bytes

std::string MarketAnalysis::save() const {
    using namespace bytes;
    std::string out;
    putInt(out, kFormat);
    putText(out, settings_.key());
    putInt(out, static_cast<long long>(days_.size()));
    for (const Day day : days_) putInt(out, market::dayNumber(day));
    putInt(out, static_cast<long long>(stocks_.size()));
    for (const auto& stock : stocks_) {
        for (const std::string* text :
             {&stock.code, &stock.name, &stock.sector33, &stock.sector33Name, &stock.sector17,
              &stock.sector17Name, &stock.market, &stock.marketName, &stock.scaleCategory})
            putText(out, *text);
        putInt(out, stock.listed ? 1 : 0);
    }
    putInt(out, static_cast<int>(benchmark_));
    for (const double value : benchmarkValues_) putReal(out, value);
    putInt(out, static_cast<long long>(sectorIndexes_.size()));
    for (const auto& index : sectorIndexes_) {
        putText(out, index.code);
        for (const double value : index.values) putReal(out, value);
    }
    for (std::size_t s = 0; s < stocks_.size(); ++s) {
        walks_[s].price.save(out);
        walks_[s].rsMarket.save(out);
        walks_[s].rsSector.save(out);
        putInt(out, firstPriced_[s]);
        putInt(out, lastPriced_[s]);
        putReal(out, lastCloses_[s]);
        putInt(out, static_cast<long long>(events_[s].size()));
        for (const Event& event : events_[s]) {
            putInt(out, event.day);
            putInt(out, static_cast<int>(event.kind));
            putInt(out, event.detail);
            putInt(out, event.value);
        }
        // The days' bits change seldom from day to day: runs of equal bits.
        const StockDay* bits = stockDays_.data() + s * days_.size();
        for (std::size_t d = 0; d < days_.size();) {
            std::size_t run = 1;
            while (d + run < days_.size() && bits[d + run] == bits[d]) ++run;
            putInt(out, static_cast<long long>(run));
            putInt(out, bits[d]);
            d += run;
        }
    }
    return out;
}

MarketAnalysis MarketAnalysis::load(const std::string& in, const Settings& settings) {
    using namespace bytes;
    std::size_t at = 0;
    if (getInt(in, at) != kFormat) throw std::runtime_error("cache: another format");
    if (getText(in, at) != settings.key()) throw std::runtime_error("cache: other settings");
    MarketAnalysis analysis(settings);
    const auto days = static_cast<std::size_t>(getInt(in, at, 0, 1 << 20));
    for (std::size_t d = 0; d < days; ++d) {
        const auto number = static_cast<int>(getInt(in, at, 10000101, 99991231));
        analysis.days_.push_back(market::dayOf(number));
    }
    const auto stocks = static_cast<std::size_t>(getInt(in, at, 0, 1 << 20));
    for (std::size_t s = 0; s < stocks; ++s) {
        market::StockInfo stock;
        for (std::string* text :
             {&stock.code, &stock.name, &stock.sector33, &stock.sector33Name, &stock.sector17,
              &stock.sector17Name, &stock.market, &stock.marketName, &stock.scaleCategory})
            *text = getText(in, at);
        stock.listed = getInt(in, at, 0, 1) != 0;
        analysis.stocks_.push_back(std::move(stock));
    }
    analysis.benchmark_ = static_cast<market::BenchmarkKind>(getInt(in, at, 0, 2));
    for (std::size_t d = 0; d < days; ++d) analysis.benchmarkValues_.push_back(getReal(in, at));
    const auto sectors = static_cast<std::size_t>(getInt(in, at, 0, 1 << 16));
    for (std::size_t i = 0; i < sectors; ++i) {
        SectorIndex index{getText(in, at), {}};
        for (std::size_t d = 0; d < days; ++d) index.values.push_back(getReal(in, at));
        analysis.sectorIndexes_.push_back(std::move(index));
    }
    analysis.stockDays_.assign(stocks * days, 0);
    for (std::size_t s = 0; s < stocks; ++s) {
        StockWalks walks{SeriesWalk(*analysis.priceLadder_, settings.reversal, true),
                         SeriesWalk(*analysis.rsLadder_, settings.reversal, false),
                         SeriesWalk(*analysis.rsLadder_, settings.reversal, false)};
        walks.price.load(in, at);
        walks.rsMarket.load(in, at);
        walks.rsSector.load(in, at);
        analysis.walks_.push_back(std::move(walks));
        const auto limit = static_cast<long long>(days);
        analysis.firstPriced_.push_back(static_cast<int>(getInt(in, at, -1, limit)));
        analysis.lastPriced_.push_back(static_cast<int>(getInt(in, at, -1, limit)));
        analysis.lastCloses_.push_back(getReal(in, at));
        const auto count = static_cast<std::size_t>(getInt(in, at, 0, 1 << 24));
        std::vector<Event> events(count);
        for (Event& event : events) {
            event.day = static_cast<int>(getInt(in, at, 0, limit));
            event.kind = static_cast<Event::Kind>(getInt(in, at, 0, 2));
            event.detail = static_cast<int>(getInt(in, at, 0, 1 << 16));
            event.value = getInt(in, at);
        }
        analysis.events_.push_back(std::move(events));
        StockDay* bits = analysis.stockDays_.data() + s * days;
        for (std::size_t d = 0; d < days;) {
            const auto run =
                static_cast<std::size_t>(getInt(in, at, 1, limit - static_cast<long long>(d)));
            const auto value = static_cast<StockDay>(getInt(in, at, 0, 0xFFFF));
            std::fill_n(bits + d, run, value);
            d += run;
        }
    }
    if (at != in.size()) throw std::runtime_error("cache: bytes left over");
    analysis.rebuildGroups();
    return analysis;
}

}  // namespace analysis
