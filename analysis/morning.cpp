#include "analysis/morning.h"

#include <algorithm>
#include <map>
#include <stdexcept>

#include "analysis/bytes.h"
#include "tables/convert.h"

namespace analysis {

namespace {

constexpr std::string_view kCacheKey = "morning";

bool sameNumber(double a, double b) {
    return (!market::hasNumber(a) && !market::hasNumber(b)) || a == b;
}

// The input of a new analysis: every day and stock of the store.
MarketInput wholeInput(const market::MarketData& data, std::vector<Day> days,
                       std::vector<market::StockInfo> stocks) {
    MarketInput input;
    std::vector<std::string> codes;
    for (const auto& stock : stocks) codes.push_back(stock.code);
    input.closes = data.closes(codes, days);
    auto [kind, closes] = data.benchmark(days);
    input.benchmark = kind;
    input.benchmarkCloses = std::move(closes);
    input.days = std::move(days);
    input.stocks = std::move(stocks);
    return input;
}

// The input that carries a kept analysis on, or nothing when the store changed in a way
// only a new analysis follows: other days or prices than those it walked, a stock gone or
// moved to another sector, another benchmark.
std::optional<MarketInput> carryingInput(const market::MarketData& data, const MarketAnalysis& kept,
                                         long long keptRevision, const std::vector<Day>& days,
                                         const std::vector<market::StockInfo>& stocks) {
    const auto& keptDays = kept.days();
    const std::size_t from = keptDays.size();
    if (from == 0 || days.size() < from ||
        !std::equal(keptDays.begin(), keptDays.end(), days.begin()))
        return std::nullopt;
    const auto changes = data.changesSince(keptRevision);
    if (!changes.complete || !changes.codes.empty()) return std::nullopt;
    for (const Day day : changes.days)
        if (day < keptDays.back()) return std::nullopt;

    // The kept stocks in their order, then the new ones.
    std::map<std::string, const market::StockInfo*> now;
    for (const auto& stock : stocks) now[stock.code] = &stock;
    MarketInput input;
    input.days = days;
    for (const auto& stock : kept.stocks()) {
        const auto found = now.find(stock.code);
        if (found == now.end() || found->second->sector33 != stock.sector33 ||
            found->second->listed != stock.listed)
            return std::nullopt;
        input.stocks.push_back(*found->second);
        now.erase(found);
    }
    std::vector<std::string> fresh;
    for (const auto& [code, stock] : now) {
        input.stocks.push_back(*stock);
        fresh.push_back(code);
    }
    // A new stock must have had no price on the days walked before.
    if (!fresh.empty()) {
        const auto before = data.closes(fresh, keptDays);
        if (std::any_of(before.begin(), before.end(),
                        [](double close) { return market::hasNumber(close); }))
            return std::nullopt;
    }

    auto [kind, benchmark] = data.benchmark(days);
    if (kind != kept.benchmark()) return std::nullopt;
    if (kind != market::BenchmarkKind::none) {
        const auto keptValues = kept.benchmarkSeries();
        for (std::size_t d = 0; d < from; ++d)
            if (!sameNumber(keptValues[d], benchmark[d])) return std::nullopt;
    }
    input.benchmark = kind;
    input.benchmarkCloses = std::move(benchmark);

    // The closes of the new days, and of the newest kept day (the changes start from it).
    std::vector<std::string> codes;
    for (const auto& stock : input.stocks) codes.push_back(stock.code);
    std::vector<Day> wanted(days.begin() + static_cast<std::ptrdiff_t>(from) - 1, days.end());
    const auto read = data.closes(codes, wanted);
    const std::size_t S = input.stocks.size(), W = wanted.size();
    input.firstClosed = from - 1;
    input.closes = read;
    const auto& lastCloses = kept.lastCloses();
    for (std::size_t s = 0; s < S; ++s) {
        // The day the last run ended on must be as it was (an update stores it again).
        if (s < lastCloses.size() && !sameNumber(lastCloses[s], read[s * W])) return std::nullopt;
    }
    return input;
}

}  // namespace

RootAnalysis analyseRoot(const data::DataRoot& root, const Settings& settings) {
    market::MarketData data(root);
    const long long revision = data.revision();
    const auto days = data.days();
    const auto stocks = data.stocks();

    std::optional<MarketAnalysis> kept;
    long long keptRevision = 0;
    if (const auto bytes = data.cached(kCacheKey)) {
        try {
            std::size_t at = 0;
            keptRevision = bytes::getInt(*bytes, at);
            kept = MarketAnalysis::load(bytes->substr(at), settings);
        } catch (const std::exception&) {
            kept.reset();  // another format, other settings or damaged: made anew
        }
    }
    if (kept) {
        if (auto input = carryingInput(data, *kept, keptRevision, days, stocks)) {
            const bool unchanged = keptRevision == revision &&
                                   input->days.size() == kept->days().size() &&
                                   input->stocks.size() == kept->stocks().size();
            kept->advance(*input);
            if (!unchanged) {
                std::string out;
                bytes::putInt(out, revision);
                data.keep(kCacheKey, out + kept->save());
            }
            return {std::move(*kept), RunKind::carried};
        }
    }
    MarketAnalysis analysis(settings);
    analysis.advance(wholeInput(data, days, stocks));
    std::string out;
    bytes::putInt(out, revision);
    data.keep(kCacheKey, out + analysis.save());
    return {std::move(analysis), RunKind::anew};
}

RootAnalysis analyseRoot(const data::DataRoot& root) {
    return analyseRoot(root, savedSettings(root));
}

RsChart rsChartOf(const data::DataRoot& root, const MarketAnalysis& analysis, std::string_view code,
                  bool againstSector) {
    const std::string key(codeKey(code));
    const auto stock = analysis.stockIndex(key);
    if (!stock) throw market::MarketError("市場データに銘柄 " + key + " がありません。");
    const market::StockInfo& info = analysis.stocks()[*stock];
    RsChart rs;
    rs.code = info.code;
    rs.name = info.name;
    std::vector<double> benchmark;
    if (againstSector) {
        const Group* sector = analysis.sectorOf(*stock);
        const std::vector<double>* index = sector ? analysis.sectorIndex(sector->code) : nullptr;
        if (!index)
            throw market::MarketError("銘柄 " + key +
                                      " には業種がありません (J-Quants APIの銘柄一覧にない銘柄か、"
                                      "業種「その他」の銘柄です)。");
        benchmark = *index;
        rs.benchmarkName = sector->name + "（業種）";
    } else {
        benchmark = analysis.benchmarkSeries();
        rs.benchmarkName = analysis.benchmarkName();
    }
    const auto& days = analysis.days();
    market::MarketData data(root);
    const auto closes = data.closes({info.code}, days);
    for (std::size_t d = 0; d < days.size(); ++d) {
        rs.values.push_back(rsValue(closes[d], benchmark[d]));
        const StockDay day = analysis.stockDay(*stock, d);
        rs.bits.push_back(againstSector ? rsSectorBits(day) : rsMarketBits(day));
    }
    std::vector<chart::Close> series;
    std::vector<std::string> dates;
    for (std::size_t d = days.size(); d-- > 0;) {
        series.push_back(rs.values[d] ? chart::Close::of(*rs.values[d]) : chart::Close::none());
        dates.push_back(formatDate(days[d]));
    }
    chart::ChartRequest request;
    request.closes = series;
    request.dates = dates;
    request.days = static_cast<int>(series.size());
    request.scale = {false, analysis.settings().rsRatio, true};
    request.construction = chart::Construction::Textbook;
    request.reversal = analysis.settings().reversal;
    rs.chart = chart::runChart(request);
    return rs;
}

}  // namespace analysis
