#include "app/cli_morning.h"

#include <iostream>

#include "analysis/morning.h"
#include "analysis/report.h"
#include "app/chart_text.h"
#include "app/chart_view.h"
#include "app/cli_args.h"
#include "app/cli_pictures.h"
#include "data/text_file.h"
#include "market/market.h"
#include "tables/comma_text.h"
#include "tables/convert.h"
#include "tables/errors.h"

namespace app {

namespace {

using analysis::Group;
using analysis::GroupDay;
using analysis::MarketAnalysis;

// A date as the options take it: 2024/06/14, 2024-06-14 or 20240614.
std::optional<market::Day> dateOption(std::string text) {
    if (text.size() == 8 && text.find_first_not_of("0123456789") == std::string::npos)
        text = text.substr(0, 4) + "/" + text.substr(4, 2) + "/" + text.substr(6, 2);
    for (char& c : text)
        if (c == '-') c = '/';
    return parseDate(text);
}

// The newest day of the analysis at or before the date.
std::size_t dayAtOrBefore(const MarketAnalysis& analysis, market::Day day) {
    const auto& days = analysis.days();
    const auto after = std::upper_bound(days.begin(), days.end(), day);
    if (after == days.begin())
        throw market::MarketError("日付 " + formatDate(day) + " は市場データの期間 (" +
                                  formatDate(days.front()) + "～" + formatDate(days.back()) +
                                  ") より前です。");
    return static_cast<std::size_t>(after - days.begin()) - 1;
}

void saveCsv(const std::string& path, const std::string& csv) {
    data::writeBytes(path, "\xEF\xBB\xBF" + csv);
}

std::string breadthCsvLine(const MarketAnalysis& analysis, const Group& group, std::size_t d) {
    const GroupDay& day = group.days[d];
    using analysis::percentText;
    using tables::csvField;
    return formatDate(analysis.days()[d]) + ',' + csvField(group.code) + ',' +
           csvField(group.name) + ',' + intToStr(day.members) + ',' +
           percentText(day.bullishPercent()) + ',' + std::string(analysis::statusText(day.status)) +
           ',' + (day.nearReversal ? "1" : "0") + ',' + percentText(day.share(day.aboveSupport)) +
           ',' + percentText(day.share(day.rsBuys)) + ',' + percentText(day.share(day.rsRising)) +
           "\r\n";
}

std::string padRight(const std::string& text, std::size_t width) {
    // Japanese characters take two columns in a terminal, three bytes in UTF-8.
    std::size_t columns = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if ((c & 0xC0) == 0x80) continue;
        columns += c >= 0xE0 ? 2 : 1;
    }
    return columns >= width ? text + " " : text + std::string(width - columns, ' ');
}

std::string breadthTextLine(const Group& group, std::size_t d) {
    const GroupDay& day = group.days[d];
    using analysis::percentText;
    std::string change;
    if (d > 0) {
        const auto now = day.bullishPercent(), before = group.days[d - 1].bullishPercent();
        if (now && before) {
            char text[32];
            std::snprintf(text, sizeof text, "%+.1f", *now - *before);
            change = text;
        }
    }
    const auto cell = [](const std::string& text) { return text.empty() ? "-" : text; };
    return padRight(group.code, 6) + padRight(group.name, 22) + padRight(intToStr(day.members), 6) +
           padRight(cell(percentText(day.bullishPercent())), 7) +
           padRight(cell(std::string(analysis::statusText(day.status))), 10) +
           padRight(day.nearReversal ? "○" : "-", 4) +
           padRight(cell(percentText(day.share(day.aboveSupport))), 7) +
           padRight(cell(percentText(day.share(day.rsBuys))), 7) +
           padRight(cell(percentText(day.share(day.rsRising))), 7) + cell(change) + "\n";
}

int failed(const std::string& message) {
    std::cerr << "dravik: " << message << '\n';
    return cli::kExitFailure;
}

}  // namespace

int runBreadth(const std::filesystem::path& root,
               const std::map<std::string, std::string>& options) {
    std::optional<market::Day> date;
    if (options.count("--date") && !(date = dateOption(options.at("--date"))))
        return cli::usageError("breadth", "--date takes a date (2024/06/14)");
    try {
        const auto run = analysis::analyseRoot(data::DataRoot{root});
        const MarketAnalysis& analysis = run.analysis;
        if (analysis.days().empty()) return failed("市場データに株価がありません。");
        std::vector<const Group*> groups;
        if (options.count("--sector")) {
            const std::string code = options.at("--sector");
            const Group* group =
                analysis.group(code == "market" ? std::string(analysis::kMarketGroup) : code);
            if (!group) return failed("業種コード " + code + " の業種がありません。");
            groups.push_back(group);
        } else {
            for (const Group& group : analysis.groups()) groups.push_back(&group);
        }
        const std::size_t last = date ? dayAtOrBefore(analysis, *date) : analysis.days().size() - 1;
        const bool history = options.count("--history") > 0;
        const std::size_t first = history ? 0 : last;

        std::cout << "強気％ " << formatDate(analysis.days()[last]) << "  株価幅 "
                  << analysis.settings().ratioText() << "  基準 " << analysis.benchmarkName()
                  << '\n';
        const std::string head = padRight("業種", 6) + padRight("業種名", 22) +
                                 padRight("銘柄数", 6) + padRight("強気％", 7) +
                                 padRight("状態", 10) + padRight("反転", 4) + padRight("PT", 7) +
                                 padRight("RSP", 7) + padRight("RSX", 7) + "前日比\n";
        for (std::size_t d = first; d <= last; ++d) {
            if (history) std::cout << formatDate(analysis.days()[d]) << '\n';
            std::cout << head;
            for (const Group* group : groups) std::cout << breadthTextLine(*group, d);
        }
        if (groups.size() == 1) {
            // The group's own chart, as the window shows it.
            ChartView view =
                viewOf(analysis.bullishPercentChart(*groups.front()), {}, std::nullopt, "");
            view.decorations.objectives.reset();
            view.levelDivisor = 100;
            const ChartCaption caption{
                groups.front()->code + " " + groups.front()->name + " 強気％",
                "",
                intToStr(static_cast<long long>(analysis.days().size())),
                "2",
                "",
                ""};
            std::cout << '\n' << chartText(view, caption, {});
        }
        if (options.count("--csv")) {
            std::string csv =
                "日付,業種コード,業種名,銘柄数,強気％,状態,反転まで1枠,PT,RSP,RSX\r\n";
            for (std::size_t d = first; d <= last; ++d)
                for (const Group* group : groups) csv += breadthCsvLine(analysis, *group, d);
            saveCsv(options.at("--csv"), csv);
        }
        return cli::kExitSuccess;
    } catch (const Exception& e) {
        return failed(e.message());
    }
}

int runRs(const std::filesystem::path& root, const std::string& code,
          const std::map<std::string, std::string>& options) {
    bool againstSector = false;
    if (options.count("--vs")) {
        const std::string& vs = options.at("--vs");
        if (vs == "sector")
            againstSector = true;
        else if (vs != "topix")
            return cli::usageError("rs", "--vs takes topix or sector");
    }
    if (options.count("--width") && !pictureWidth(options.at("--width")))
        return cli::usageError("rs", "--width takes a number of pixels from 1 to 20000");
    try {
        const data::DataRoot dataRoot{root};
        const auto run = analysis::analyseRoot(dataRoot);
        const auto rs = analysis::rsChartOf(dataRoot, run.analysis, code, againstSector);
        const auto& days = run.analysis.days();
        std::optional<std::size_t> newest;
        for (std::size_t d = days.size(); d-- > 0;)
            if (rs.values[d]) {
                newest = d;
                break;
            }
        std::cout << rs.code << ' ' << rs.name << "  対" << rs.benchmarkName;
        if (newest) {
            char value[32];
            std::snprintf(value, sizeof value, "%.2f",
                          static_cast<double>(*rs.values[*newest]) / 100);
            std::cout << "  RS " << value << "  " << analysis::rsStateText(rs.bits.back()) << "  "
                      << formatDate(days[*newest]);
        }
        std::cout << '\n';

        ChartView view =
            viewOf(rs.chart, {false, run.analysis.settings().rsRatio}, std::nullopt, "");
        view.decorations.objectives.reset();
        view.levelDivisor = 100;
        view.levelDecimals = 2;
        char ratio[32];
        std::snprintf(ratio, sizeof ratio, "%.6Lg", run.analysis.settings().rsRatio);
        const std::string against = " 対" + rs.benchmarkName;
        const ChartCaption caption{rs.code + " " + rs.name + against,
                                   rs.name + against,
                                   intToStr(static_cast<long long>(days.size())),
                                   ratio,
                                   days.empty() ? "" : formatDate(days.front()),
                                   days.empty() ? "" : formatDate(days.back())};
        std::cout << chartText(view, caption, {});
        if (options.count("--csv")) {
            std::string csv = "日付,RS,列,シグナル\r\n";
            for (std::size_t d = 0; d < days.size(); ++d) {
                if (!rs.values[d]) continue;
                const std::uint8_t bits = rs.bits[d];
                char value[32];
                std::snprintf(value, sizeof value, "%.2f",
                              static_cast<double>(*rs.values[d]) / 100);
                csv += formatDate(days[d]) + ',' + value + ',' +
                       (bits & analysis::kHasColumn ? (bits & analysis::kRising ? "X" : "O") : "") +
                       ',' +
                       (bits & analysis::kBuy    ? "買"
                        : bits & analysis::kSell ? "売"
                                                 : "") +
                       "\r\n";
            }
            saveCsv(options.at("--csv"), csv);
        }
        std::map<std::string, std::string> pictures;
        for (const char* picture : {"--png", "--width"})
            if (options.count(picture)) pictures[picture] = options.at(picture);
        return writeChartPictures(view, caption, pictures);
    } catch (const Exception& e) {
        return failed(e.message());
    }
}

int runReport(const std::filesystem::path& root,
              const std::map<std::string, std::string>& options) {
    std::optional<market::Day> since;
    if (options.count("--since") && !(since = dateOption(options.at("--since"))))
        return cli::usageError("report", "--since takes a date (2024/06/13)");
    try {
        const data::DataRoot dataRoot{root};
        const auto run = analysis::analyseRoot(dataRoot);
        const MarketAnalysis& analysis = run.analysis;
        const auto& days = analysis.days();
        if (days.size() < 2) return failed("市場データに株価のある日が2日以上ありません。");
        const std::size_t to = days.size() - 1;
        const std::size_t from = since ? dayAtOrBefore(analysis, *since) : to - 1;
        if (from >= to)
            return failed("--since の日付は市場データの最新の日 " + formatDate(days[to]) +
                          " より前にしてください。");
        std::optional<std::vector<std::string>> watched;
        if (options.count("--watch")) watched = market::watchedCodes(dataRoot);
        const auto report = analysis::reportOf(analysis, from, to, watched);
        std::cout << analysis::reportText(analysis, report);
        if (options.count("--csv"))
            saveCsv(options.at("--csv"), analysis::reportCsv(analysis, report));
        return cli::kExitSuccess;
    } catch (const Exception& e) {
        return failed(e.message());
    }
}

std::optional<std::string> morningNotice(const std::filesystem::path& root) {
    try {
        return analysis::updateNotice(analysis::analyseRoot(data::DataRoot{root}).analysis);
    } catch (const Exception& e) {
        std::cerr << "dravik: 強気％を計算できませんでした: " << e.message() << '\n';
        return std::nullopt;
    }
}

}  // namespace app
