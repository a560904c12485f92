#include "analysis/report.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include "chart/decorations.h"
#include "tables/comma_text.h"
#include "tables/convert.h"

namespace analysis {

using tables::csvField;

namespace {

std::string signedText(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%+.1f", value);
    return text;
}

std::string eventText(const Event& event) {
    switch (event.kind) {
        case Event::Kind::signal:
            return patternCaption(event.detail);
        case Event::Kind::lineCrossed:
            return event.detail == static_cast<int>(chart::LineKind::BullishSupport)
                       ? "強気支持線を下抜け"
                       : "弱気抵抗線を上抜け";
        case Event::Kind::targetReached:
            return std::string(event.detail == 0 ? "垂直" : "水平") + " " +
                   chart::groupedNumber(event.value) + " 到達";
    }
    return "";
}

std::string eventKind(const Event& event) {
    switch (event.kind) {
        case Event::Kind::signal:
            return "シグナル";
        case Event::Kind::lineCrossed:
            return "トレンドライン";
        case Event::Kind::targetReached:
            return "目標値";
    }
    return "";
}

// The flips of a relative-strength chart between two days.
void rsFlips(std::uint8_t before, std::uint8_t after, const std::string& kind, Change change,
             std::vector<Change>& out) {
    if (!(after & kHasColumn)) return;
    const bool buy = after & kBuy, sell = after & kSell;
    if (buy != static_cast<bool>(before & kBuy) || sell != static_cast<bool>(before & kSell)) {
        if (buy || sell) {
            change.kind = kind;
            change.text = buy ? "買シグナル" : "売シグナル";
            out.push_back(change);
        }
    }
    const bool rising = after & kRising;
    if (!(before & kHasColumn) || rising != static_cast<bool>(before & kRising)) {
        change.kind = kind;
        change.text = rising ? "X列へ" : "O列へ";
        out.push_back(change);
    }
}

}  // namespace

std::string percentText(std::optional<double> value) {
    if (!value) return "";
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", *value);
    return text;
}

std::string bullishPercentText(const GroupDay& day) {
    const auto bp = day.bullishPercent();
    if (!bp) return "強気％ -";
    std::string text = "強気％ " + percentText(bp) + "%";
    if (day.status != Status::none) text += "（" + std::string(statusText(day.status)) + "）";
    return text;
}

Report reportOf(const MarketAnalysis& analysis, std::size_t from, std::size_t to,
                const std::optional<std::vector<std::string>>& watched) {
    Report report;
    report.from = from;
    report.to = to;
    for (const Group& group : analysis.groups()) {
        const GroupDay& before = group.days[from];
        const GroupDay& after = group.days[to];
        Change change{to, group.code, group.name, "", "", std::nullopt};
        bool changed = false;
        if (before.status != after.status && after.status != Status::none) {
            change.kind = "状態";
            change.text = (before.status == Status::none ? std::string("-")
                                                         : std::string(statusText(before.status))) +
                          "→" + std::string(statusText(after.status));
            report.groups.push_back(change);
            changed = true;
        }
        if (after.nearReversal && !before.nearReversal) {
            change.kind = "反転まで1枠";
            change.text = bullishPercentText(after);
            report.groups.push_back(change);
            changed = true;
        }
        if (changed && group.code != kMarketGroup) ++report.sectorsChanged;
    }

    std::map<std::string, bool> only;
    if (watched)
        for (const auto& code : *watched) only[std::string(codeKey(code))] = true;
    for (std::size_t s = 0; s < analysis.stocks().size(); ++s) {
        const market::StockInfo& stock = analysis.stocks()[s];
        if (watched && !only.count(stock.code)) continue;
        const StockDay after = analysis.stockDay(s, to), before = analysis.stockDay(s, from);
        Change base{to, stock.code, stock.name, "", "", scoreOf(after)};
        std::vector<Change> changes;
        bool signal = false;
        for (const Event& event : analysis.events(s)) {
            if (event.day <= static_cast<int>(from) || event.day > static_cast<int>(to)) continue;
            Change change = base;
            change.day = static_cast<std::size_t>(event.day);
            change.kind = eventKind(event);
            change.text = eventText(event);
            changes.push_back(change);
            signal = signal || event.kind == Event::Kind::signal;
        }
        rsFlips(rsMarketBits(before), rsMarketBits(after), "RS対市場", base, changes);
        rsFlips(rsSectorBits(before), rsSectorBits(after), "RS対業種", base, changes);
        if (signal) ++report.stocksWithSignals;
        report.stocks.insert(report.stocks.end(), changes.begin(), changes.end());
    }
    std::stable_sort(report.stocks.begin(), report.stocks.end(),
                     [](const Change& a, const Change& b) {
                         if (a.score != b.score) return a.score > b.score;
                         return a.code < b.code;
                     });
    return report;
}

std::string reportText(const MarketAnalysis& analysis, const Report& report) {
    const auto& days = analysis.days();
    std::string text = "朝の確認 " + formatDate(days[report.to]) + "（" +
                       formatDate(days[report.from]) + " から）  基準 " + analysis.benchmarkName() +
                       "\n";
    if (const Group* market = analysis.group(kMarketGroup)) {
        const GroupDay& now = market->days[report.to];
        const GroupDay& before = market->days[report.from];
        text += "市場 " + bullishPercentText(now);
        if (now.bullishPercent() && before.bullishPercent())
            text += " 前日比 " + signedText(*now.bullishPercent() - *before.bullishPercent());
        text += "  PT " + percentText(now.share(now.aboveSupport)) + "%  RSP " +
                percentText(now.share(now.rsBuys)) + "%  RSX " +
                percentText(now.share(now.rsRising)) + "%";
        if (now.nearReversal) text += "  反転まで1枠";
        text += "\n";
    }
    text += "\n業種の変化 " + intToStr(report.sectorsChanged) + "\n";
    for (const Change& change : report.groups) {
        if (change.code == kMarketGroup) {
            text += "  市場 " + change.kind + " " + change.text + "\n";
            continue;
        }
        const Group* group = analysis.group(change.code);
        text += "  " + change.code + " " + change.name + " " +
                (group ? bullishPercentText(group->days[report.to]) : std::string()) + "  " +
                (change.kind == "状態" ? change.text : change.kind) + "\n";
    }

    // A line per stock: its score and changes; those with a new pattern signal first.
    std::vector<std::pair<std::string, std::string>> withSignals, others;
    for (std::size_t i = 0; i < report.stocks.size();) {
        std::size_t end = i;
        std::string line = "  " + report.stocks[i].code + " " + report.stocks[i].name +
                           "  スコア " + intToStr(report.stocks[i].score.value_or(0)) + "  ";
        bool signal = false;
        std::string items;
        for (; end < report.stocks.size() && report.stocks[end].code == report.stocks[i].code;
             ++end) {
            const Change& change = report.stocks[end];
            signal = signal || change.kind == "シグナル";
            if (!items.empty()) items += "、";
            items += change.kind == "シグナル" ? change.text : change.kind + " " + change.text;
        }
        (signal ? withSignals : others).emplace_back(report.stocks[i].code, line + items);
        i = end;
    }
    text += "\n新しいシグナル " + intToStr(static_cast<long long>(withSignals.size())) + "\n";
    for (const auto& [code, line] : withSignals) text += line + "\n";
    text += "\nそのほかの変化 " + intToStr(static_cast<long long>(others.size())) + "\n";
    for (const auto& [code, line] : others) text += line + "\n";
    return text;
}

std::string reportCsv(const MarketAnalysis& analysis, const Report& report) {
    std::string csv = "日付,コード,銘柄名,変化,内容,スコア\r\n";
    const auto line = [&](const Change& change) {
        csv += formatDate(analysis.days()[change.day]) + ',' + csvField(change.code) + ',' +
               csvField(change.name) + ',' + csvField(change.kind) + ',' + csvField(change.text) +
               ',' + (change.score ? intToStr(*change.score) : std::string()) + "\r\n";
    };
    for (const Change& change : report.groups) line(change);
    for (const Change& change : report.stocks) line(change);
    return csv;
}

std::string updateNotice(const MarketAnalysis& analysis) {
    const auto& days = analysis.days();
    const Group* market = analysis.group(kMarketGroup);
    if (days.empty() || !market) return {};
    const std::size_t to = days.size() - 1;
    std::string text = bullishPercentText(market->days[to]);
    if (to == 0) return text;
    const Report report = reportOf(analysis, to - 1, to);
    return text + ", 業種の変化 " + intToStr(report.sectorsChanged) + ", 新しいシグナル " +
           intToStr(report.stocksWithSignals);
}

}  // namespace analysis
