#pragma once
// Markets made by hand for the analyses' tests: stocks whose breakouts flip on chosen days,
// a bullish percent that walks through the six states, closes against a flat TOPIX.
#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "analysis/breadth.h"
#include "chart/box_scale.h"

namespace hand_made {

using analysis::MarketInput;
using analysis::Status;

inline market::Day dayNumber(int index) {
    return market::dayOf(20240101) + std::chrono::days(index);
}

inline market::StockInfo stock(const std::string& code, const std::string& sector = "3700") {
    return {code,   "銘柄" + code,
            sector, sector == "3700" ? "輸送用機器" : "業種" + sector,
            "6",    "自動車・輸送機",
            "0111", "プライム",
            "-",    true};
}

// A market of the stocks' closes (oldest first) against a flat TOPIX.
inline MarketInput marketOf(const std::vector<market::StockInfo>& stocks,
                            const std::vector<std::vector<double>>& closes) {
    MarketInput input;
    const std::size_t days = closes.front().size();
    for (std::size_t d = 0; d < days; ++d) input.days.push_back(dayNumber(static_cast<int>(d)));
    input.stocks = stocks;
    for (const auto& series : closes)
        input.closes.insert(input.closes.end(), series.begin(), series.end());
    input.benchmark = market::BenchmarkKind::topix;
    input.benchmarkCloses.assign(days, 1000.0);
    return input;
}

// A bullish percent by day that walks through the six states (the day's expected status).
struct PathDay {
    std::optional<double> percent;
    Status status;
};
inline const std::vector<PathDay>& sixStatePath() {
    using S = Status;
    static const std::vector<PathDay> path = {
        {std::nullopt, S::none},
        {std::nullopt, S::none},
        {std::nullopt, S::none},
        {0, S::none},
        {0, S::none},
        // Up from 0 without a signal of its own, a dip, up again to 40.
        {10, S::bearCorrection},
        {20, S::bearCorrection},
        {30, S::bearCorrection},
        {40, S::bearCorrection},
        {30, S::bullCorrection},
        {20, S::bullCorrection},
        {30, S::bearCorrection},
        {40, S::bearCorrection},
        // Past 40: a double top of the percent itself.
        {50, S::bullConfirmed},
        {40, S::bullCorrection},
        {50, S::bullConfirmed},
        {60, S::bullConfirmed},
        {70, S::bullConfirmed},
        {80, S::bullConfirmed},
        // Down from 80 on a buy: an alert until it breaks the bottom of 40.
        {70, S::bearAlert},
        {60, S::bearAlert},
        {50, S::bearAlert},
        {40, S::bearAlert},
        {30, S::bearConfirmed},
        {40, S::bearCorrection},
        {50, S::bearCorrection},
        {60, S::bearCorrection},
        {50, S::bearConfirmed},
        {40, S::bearConfirmed},
        {30, S::bearConfirmed},
        {20, S::bearConfirmed},
        // Up from 20 on a sell: an alert, which holds past 30 as the day before had it.
        {30, S::bullAlert},
        {40, S::bullAlert}};
    return path;
}

// Closes on the fixed 1.5% ladder whose newest breakout flips on chosen days: a double
// bottom by day 3, then each flip made by a reversal the day before and a break of the
// column two before on the day.
class FlippingStock {
  public:
    FlippingStock() : ladder_(chart::fixedPercentageLadder(0.015L)) {
        start_ = static_cast<int>(
            std::find_if(ladder_.begin(), ladder_.end(), [](long long l) { return l <= 1000; }) -
            ladder_.begin());
        at_ = {start_, start_ + 3, start_, start_ + 4};  // O, X, O below the first O: sell
        xTop_ = start_;
        oBottom_ = start_ + 4;
    }
    // Flips to a buy (or a sell) on the day; days between keep the close.
    void flip(int day, bool buy) {
        while (static_cast<int>(at_.size()) < day - 1) at_.push_back(at_.back());
        if (buy) {
            at_.push_back(oBottom_ - 3);
            at_.push_back(--xTop_);
        } else {
            at_.push_back(xTop_ + 3);
            at_.push_back(++oBottom_);
        }
    }
    std::vector<double> closes(int days) {
        while (static_cast<int>(at_.size()) < days) at_.push_back(at_.back());
        std::vector<double> closes;
        for (const int index : at_) closes.push_back(static_cast<double>(ladder_[index]));
        return closes;
    }

  private:
    const std::vector<long long>& ladder_;
    int start_ = 0, xTop_ = 0, oBottom_ = 0;
    std::vector<int> at_;
};

// Ten stocks of sector 3700 whose bullish percent follows sixStatePath(): all on a sell
// from day 3, then each day one flips as the path asks. `flipped[d]` is the stock that
// flipped on day d (-1 for none).
inline MarketInput sixStateMarket(std::vector<int>* flipped = nullptr) {
    constexpr int kStocks = 10;
    std::vector<FlippingStock> stocks(kStocks);
    std::vector<bool> buy(kStocks, false);
    std::vector<int> lastFlip(kStocks, 0);
    const auto& path = sixStatePath();
    if (flipped) flipped->assign(path.size(), -1);
    for (std::size_t d = 5; d < path.size(); ++d) {
        const double change = (*path[d].percent - *path[d - 1].percent) / 10;
        if (change == 0) continue;
        // The stock on the other side that flipped longest ago.
        int chosen = -1;
        for (int s = 0; s < kStocks; ++s)
            if (buy[s] == (change < 0) && (chosen < 0 || lastFlip[s] < lastFlip[chosen]))
                chosen = s;
        stocks[chosen].flip(static_cast<int>(d), change > 0);
        buy[chosen] = change > 0;
        lastFlip[chosen] = static_cast<int>(d);
        if (flipped) (*flipped)[d] = chosen;
    }
    std::vector<market::StockInfo> infos;
    std::vector<std::vector<double>> closes;
    for (int s = 0; s < kStocks; ++s) {
        infos.push_back(stock(std::to_string(1300 + s)));
        closes.push_back(stocks[s].closes(static_cast<int>(path.size())));
    }
    return marketOf(infos, closes);
}

}  // namespace hand_made
