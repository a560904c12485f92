// A stock's stored highs, lows and closes, for the textbook chart on highs and lows and
// the current price as the data has it.
#include <system_error>

#include "market/market.h"
#include "market/store.h"

namespace market {

std::vector<DayPrices> storedDayPrices(const data::DataRoot& root, std::string_view code,
                                       const std::vector<Day>& days) {
    std::vector<DayPrices> prices(days.size());
    const auto file = Store::fileIn(root);
    std::error_code error;
    if (days.empty() || !std::filesystem::is_regular_file(file, error)) return prices;
    const Store store(file);
    const auto issue = store.issueFor(code);
    if (!issue) return prices;
    const auto bars = store.barsOnDays(issue->code, days);
    for (std::size_t i = 0; i < bars.size(); ++i) {
        const Bar& bar = bars[i];
        const double close = shownClose(bar);
        // The high and low as traded, adjusted as the close is.
        const double factor = hasNumber(bar.adjClose) && hasNumber(bar.close) && bar.close > 0
                                  ? bar.adjClose / bar.close
                                  : 1.0;
        prices[i] = {bar.high * factor, bar.low * factor, close};
    }
    return prices;
}

}  // namespace market
