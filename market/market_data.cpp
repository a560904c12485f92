// The store as the analyses read it: the code list's stocks with their sectors, the
// closes of every day, the benchmark, what changed since a revision and the analyses'
// own cache.
#include <algorithm>

#include "market/program_files.h"
#include "market/store.h"

namespace market {

namespace {

constexpr const char* kEtfCode = "13060";

}  // namespace

MarketData::MarketData(const data::DataRoot& root) {
    const auto file = Store::fileIn(root);
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error))
        throw MarketError(
            "市場データがありません。dravik-cli update でJ-Quants APIから株価を取り込むか、"
            "CSV取り込みで株価を取り込んでください。");
    store_ = std::make_unique<Store>(file);
}

MarketData::~MarketData() = default;

std::vector<Day> MarketData::days() const {
    auto days = storedDays(*store_);  // newest first
    std::reverse(days.begin(), days.end());
    return days;
}

std::vector<StockInfo> MarketData::stocks() const {
    std::vector<StockInfo> stocks;
    for (const Issue& issue : store_->listedAndImportedIssues()) {
        if (!isCommonStock(issue.code)) continue;
        stocks.push_back({shortCode(issue.code), issue.name, issue.sector33, issue.sector33Name,
                          issue.sector17, issue.sector17Name, issue.market, issue.marketName,
                          issue.scaleCategory, issue.listed});
    }
    return stocks;
}

std::vector<double> MarketData::closes(const std::vector<std::string>& codes,
                                       const std::vector<Day>& days) const {
    // The store keys the exchange's five-character codes: a common stock ends in "0".
    std::vector<std::string> keys;
    keys.reserve(codes.size());
    for (const auto& code : codes) keys.push_back(code.size() == 4 ? code + "0" : code);
    return store_->closes(keys, days);
}

std::pair<BenchmarkKind, std::vector<double>> MarketData::benchmark(
    const std::vector<Day>& days) const {
    if (days.empty()) return {BenchmarkKind::none, {}};
    auto topix = store_->indexCloses(kTopixCode, days);
    if (hasNumber(topix.back())) return {BenchmarkKind::topix, std::move(topix)};
    bool exchange = false;
    for (const auto& fetched : store_->fetchedDays()) exchange = exchange || fetched.rows > 0;
    if (exchange) {
        auto etf = store_->closes({kEtfCode}, days);
        if (std::any_of(etf.begin(), etf.end(), [](double close) { return hasNumber(close); }))
            return {BenchmarkKind::etf1306, std::move(etf)};
    }
    return {BenchmarkKind::none, std::vector<double>(days.size(), kNoValue)};
}

long long MarketData::revision() const {
    return store_->barsRevision();
}

MarketData::Changes MarketData::changesSince(long long revision) const {
    const auto changes = store_->barChangesSince(revision);
    Changes result;
    result.days = changes.days;
    result.complete = changes.complete;
    for (const auto& code : changes.codes) result.codes.push_back(shortCode(code));
    std::sort(result.codes.begin(), result.codes.end());
    result.codes.erase(std::unique(result.codes.begin(), result.codes.end()), result.codes.end());
    return result;
}

std::optional<std::string> MarketData::cached(std::string_view key) const {
    return store_->cached(key);
}

void MarketData::keep(std::string_view key, std::string_view bytes) {
    try {
        store_->setCached(key, bytes);
    } catch (const MarketError&) {
    }
}

std::vector<std::string> watchedCodes(const data::DataRoot& root) {
    return watchList(root);
}

}  // namespace market
