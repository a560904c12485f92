#include "app/chart_view.h"

#include <algorithm>
#include <cstdio>

#include "app/form.h"
#include "chart/stored_prices.h"
#include "tables/code_lookup.h"
#include "tables/convert.h"
#include "tables/layout.h"

namespace app {

std::string ChartView::levelText(int row) const {
    if (row == chart.firstLevelRow() && !firstLevelText.empty()) return firstLevelText;
    const auto level = chart.level(row);
    return level ? levelNumberText(*level) : std::string();
}

std::string ChartView::levelNumberText(long long level) const {
    if (levelDivisor <= 1) return intToStr(level);
    char text[48];
    std::snprintf(text, sizeof text, "%.*f", levelDecimals,
                  static_cast<double>(level) / static_cast<double>(levelDivisor));
    return text;
}

std::string ChartView::currentPriceText() const {
    // A series kept in hundredths shows its value as its scale does.
    const auto number = [&](long long value) {
        return levelDivisor > 1 ? levelNumberText(value) : chart::groupedNumber(value);
    };
    std::string price;
    if (exactClose)
        price = chart::priceText(*exactClose);
    else if (latestClose)
        price = number(*latestClose);
    else if (const auto level = chart.level(decorations.currentRow))
        price = number(*level);
    return price.empty() ? price : "現在値 " + price;
}

chart::BoxScale boxScaleOf(const std::string& ratioText, const chart::Chart& chart) {
    chart::BoxScale scale;
    const int first = chart.firstLevelRow();
    scale.cohen = first == 1 || chart.scale.cohen;
    scale.fixed = chart.scale.fixed;
    if (const auto ratio = tryToFloat(ratioText))
        scale.ratio = *ratio;
    else if (const auto top = chart.level(first), next = chart.level(first + 1);
             top && next && *top > 0)
        scale.ratio = 1.0L - static_cast<long double>(*next) / static_cast<long double>(*top);
    return scale;
}

ChartView viewOf(chart::Chart chart, const chart::BoxScale& scale,
                 std::optional<long long> latestClose, std::string firstLevelText) {
    ChartView view;
    view.chart = std::move(chart);
    if (!view.chart.newestClose) view.chart.newestClose = latestClose;
    view.decorations = chart::decorate(view.chart, scale);
    view.latestClose = view.chart.newestClose;
    view.firstLevelText = std::move(firstLevelText);
    return view;
}

ChartView chartViewOf(const TForm1& form) {
    ChartView view;
    if (form.shownChart) view.chart = *form.shownChart;
    if (view.chart.dates.empty()) {
        view.chart.dates.reserve(static_cast<std::size_t>(std::max(view.chart.startDay, 0)));
        for (int day = 1; day <= view.chart.startDay; ++day)
            view.chart.dates.push_back(form.StringGrid4.cell(2, day));
    }
    if (!view.chart.newestClose)
        if (const auto close = tryToInt(form.StringGrid2.cell(layout::kSeriesColumn, 1))) {
            view.chart.newestClose = *close;
            view.chart.newestCloseDay = 1;
        }
    view.decorations = chart::decorate(view.chart, boxScaleOf(form.Edit3.text(), view.chart));
    view.latestClose = view.chart.newestClose;
    if (view.latestClose)
        view.exactClose = chart::storedClose(form.options.root, form.Edit1.text(),
                                             form.StringGrid4.cell(2, view.chart.newestCloseDay),
                                             *view.latestClose);
    if (const int first = view.chart.firstLevelRow(); first > 0)
        view.firstLevelText = form.StringGrid1.cell(1, first);
    return view;
}

ChartCaption chartCaptionOf(const TForm1& form) {
    ChartCaption caption;
    caption.codeText = form.Edit1.text();
    caption.name = tables::stockName(form.StringGrid8, caption.codeText);
    caption.daysText = form.Edit2.text();
    caption.ratioText = form.Edit3.text();
    const int days = tryToInt(form.Edit2.text()).value_or(0);
    caption.oldestDate = form.StringGrid4.cell(2, std::max(days, 1));
    caption.newestDate = form.StringGrid4.cell(2, 1);
    return caption;
}

std::vector<std::string> panelTexts(const chart::Decorations& decorations) {
    std::vector<std::string> texts;
    for (const auto& text : {chart::newestSignalText(decorations), chart::warningText(decorations),
                             chart::lineInForceText(decorations),
                             chart::objectivesText(decorations), chart::triggerText(decorations)})
        if (text) texts.push_back(*text);
    return texts;
}

std::vector<std::string> chartTitleLines(const ChartView& view, const ChartCaption& caption) {
    std::string first{codeKey(caption.codeText)};
    // append, not "literal" + ...: GCC 12 at -O3 warns falsely (-Wrestrict)
    if (!caption.name.empty()) first.append(" ").append(caption.name);
    first.append("  表示日数 ").append(caption.daysText);
    if (view.chart.firstLevelRow() == 1)
        first.append("  コーエン");
    else
        first.append("  株価幅 ").append(caption.ratioText);
    if (hasValue(caption.oldestDate) && hasValue(caption.newestDate))
        first.append("  ").append(caption.oldestDate).append("～").append(caption.newestDate);

    std::string second;
    for (const std::string& text : panelTexts(view.decorations))
        second.append(second.empty() ? "" : "  ").append(text);
    return second.empty() ? std::vector<std::string>{first}
                          : std::vector<std::string>{first, second};
}

}  // namespace app
