#include "chart/stored_prices.h"

#include <cmath>

#include "chart/decorations.h"
#include "market/market.h"
#include "tables/convert.h"
#include "tables/errors.h"

namespace chart {

namespace {

std::vector<market::DayPrices> pricesOn(const data::DataRoot& root, std::string_view code,
                                        std::span<const std::string> dates) {
    std::vector<market::Day> days;
    days.reserve(dates.size());
    for (const std::string& date : dates) days.push_back(parseDate(date).value_or(market::Day{}));
    try {
        return market::storedDayPrices(root, codeKey(code), days);
    } catch (const Exception&) {
        // A store that cannot be read has no prices to give.
        return std::vector<market::DayPrices>(dates.size());
    }
}

}  // namespace

HighsLows storedHighsLows(const data::DataRoot& root, std::string_view code,
                          std::span<const std::string> dates) {
    HighsLows found;
    const auto prices = pricesOn(root, code, dates);
    found.highs.resize(prices.size(), Close::none());
    found.lows.resize(prices.size(), Close::none());
    for (std::size_t i = 0; i < prices.size(); ++i) {
        const auto& day = prices[i];
        if (!market::hasNumber(day.high) || !market::hasNumber(day.low) || day.high <= 0 ||
            day.low <= 0)
            continue;
        found.highs[i] = Close::of(static_cast<long long>(std::floor(day.high + 1e-9)));
        found.lows[i] = Close::of(static_cast<long long>(std::ceil(day.low - 1e-9)));
        found.any = true;
    }
    return found;
}

std::optional<double> storedClose(const data::DataRoot& root, std::string_view code,
                                  const std::string& date, long long shown) {
    const auto prices = pricesOn(root, code, std::span<const std::string>(&date, 1));
    if (prices.empty() || !market::hasNumber(prices[0].close)) return std::nullopt;
    if (std::llround(prices[0].close) != shown) return std::nullopt;
    return prices[0].close;
}

std::string priceText(double price) {
    const long long cents = std::llround(price * 100);
    std::string text = groupedNumber(cents / 100);
    const long long fraction = std::llabs(cents % 100);
    if (fraction == 0) return text;
    text += '.';
    text += static_cast<char>('0' + fraction / 10);
    if (fraction % 10 != 0) text += static_cast<char>('0' + fraction % 10);
    return text;
}

}  // namespace chart
