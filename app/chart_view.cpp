#include "app/chart_view.h"

#include <algorithm>

#include "app/form.h"
#include "tables/code_lookup.h"
#include "tables/convert.h"
#include "tables/layout.h"

namespace app {

chart::BoxScale boxScaleOf(const TForm1& form, const chart::Chart& chart) {
    chart::BoxScale scale;
    const int first = chart.firstLevelRow();
    scale.cohen = first == 1;
    if (const auto ratio = tryToFloat(form.Edit3.text()))
        scale.ratio = *ratio;
    else if (const auto top = chart.level(first), next = chart.level(first + 1);
             top && next && *top > 0)
        scale.ratio = 1.0L - static_cast<long double>(*next) / static_cast<long double>(*top);
    return scale;
}

ChartView chartViewOf(const TForm1& form) {
    ChartView view;
    if (form.shownChart) view.chart = *form.shownChart;
    if (view.chart.dates.empty()) {
        view.chart.dates.reserve(static_cast<std::size_t>(std::max(view.chart.startDay, 0)));
        for (int day = 1; day <= view.chart.startDay; ++day)
            view.chart.dates.push_back(form.StringGrid4.cell(2, day));
    }
    view.decorations = chart::decorate(view.chart, boxScaleOf(form, view.chart));
    if (const auto close = tryToInt(form.StringGrid2.cell(layout::kSeriesColumn, 1)))
        view.latestClose = *close;
    return view;
}

std::vector<std::string> panelTexts(const chart::Decorations& decorations) {
    std::vector<std::string> texts;
    for (const auto& text :
         {chart::newestSignalText(decorations), chart::lineInForceText(decorations),
          chart::objectivesText(decorations)})
        if (text) texts.push_back(*text);
    return texts;
}

std::vector<std::string> chartTitleLines(const TForm1& form, const ChartView& view) {
    const std::string& codeText = form.Edit1.text();
    std::string first{codeKey(codeText)};
    // append, not "literal" + ...: GCC 12 at -O3 warns falsely (-Wrestrict)
    if (const auto name = tables::stockName(form.StringGrid8, codeText); !name.empty())
        first.append(" ").append(name);
    first.append("  表示日数 ").append(form.Edit2.text());
    if (view.chart.firstLevelRow() == 1)
        first.append("  コーエン");
    else
        first.append("  株価幅 ").append(form.Edit3.text());
    const int days = tryToInt(form.Edit2.text()).value_or(0);
    const std::string& oldest = form.StringGrid4.cell(2, std::max(days, 1));
    const std::string& newest = form.StringGrid4.cell(2, 1);
    if (hasValue(oldest) && hasValue(newest))
        first.append("  ").append(oldest).append("～").append(newest);

    std::string second;
    for (const std::string& text : panelTexts(view.decorations))
        second.append(second.empty() ? "" : "  ").append(text);
    return second.empty() ? std::vector<std::string>{first}
                          : std::vector<std::string>{first, second};
}

}  // namespace app
