#pragma once
// What changed between two days, the morning's reading in its order: the market's
// bullish percent and status, the sectors whose status changed or that came within one box
// of a reversal, then the stocks with new pattern signals (and every other change: relative
// strength signal or column flips, trend-line crossings, price objectives reached), by
// their technical score.
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "analysis/breadth.h"

namespace analysis {

struct Change {
    std::size_t day = 0;  // the day it happened (a comparison: the later day)
    std::string code;     // a stock's code, or a group's ("市場", "3700")
    std::string name;
    std::string kind;  // "シグナル", "RS対市場", "RS対業種", "トレンドライン", "目標値", "状態",
                       // "反転まで1枠"
    std::string text;  // "ダブルトップ", "買シグナル", "X列へ", "強気警戒→強気確認", ...
    std::optional<int> score;  // a stock's score on the later day
};

struct Report {
    std::size_t from = 0, to = 0;  // the changes after day `from` up to day `to`
    std::vector<Change> groups;    // the market first, then the sectors by code
    std::vector<Change> stocks;    // by score (highest first), then code and day
    int sectorsChanged = 0;        // sectors with a change
    int stocksWithSignals = 0;     // stocks with a new pattern signal
};

// The changes after day `from` up to day `to` (indexes of the analysis' days, from < to);
// with `watched`, only the stocks of those codes.
Report reportOf(const MarketAnalysis& analysis, std::size_t from, std::size_t to,
                const std::optional<std::vector<std::string>>& watched = std::nullopt);

// "強気％ 58.3%（強気確認）"; "強気％ -" without a bullish percent.
std::string bullishPercentText(const GroupDay& day);
// "58.3"; "" for none.
std::string percentText(std::optional<double> value);

// The report as the command line prints it.
std::string reportText(const MarketAnalysis& analysis, const Report& report);
// 日付,コード,銘柄名,変化,内容,スコア; a line per change (without the byte-order mark).
std::string reportCsv(const MarketAnalysis& analysis, const Report& report);

// The update's notice: "強気％ 58.3%（強気確認）, 業種の変化 3, 新しいシグナル 41", from the
// day before the newest to the newest.
std::string updateNotice(const MarketAnalysis& analysis);

}  // namespace analysis
