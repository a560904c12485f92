#include "app/chart_text.h"

#include <map>

#include "chart/column_drawing.h"

namespace app {

namespace {

std::string padLeft(std::string text, std::size_t width) {
    text.insert(0, text.size() < width ? width - text.size() : 0, ' ');
    return text;
}

}  // namespace

std::string chartText(const ChartView& view, const ChartCaption& caption,
                      const ChartTextOptions& options) {
    const chart::Chart& chart = view.chart;
    const chart::Decorations& decorations = view.decorations;
    std::map<std::pair<int, int>, char> months;
    if (options.months)
        for (const auto& marker : decorations.months)
            months[{marker.col, marker.row}] = marker.letter;
    const auto onLine = [&](int col, int row) {
        if (!options.trendLines) return false;
        for (const auto& line : decorations.lines)
            if (col >= line.startCol && col <= line.endCol && line.rowAt(col) == row) return true;
        return false;
    };

    std::string text = caption.codeText + "  表示日数 " + caption.daysText + "  株価幅 " +
                       caption.ratioText + '\n';
    for (int row = 1; row < static_cast<int>(chart.levels.size()); ++row) {
        if (!chart.level(row)) continue;
        std::string line = padLeft(std::to_string(chart.boxNumber(row)), 4) +
                           padLeft(view.levelText(row), 9) + ' ';
        for (int col = 2; col <= chart.lastColumn() + 1; ++col) {
            const chart::Column* column = chart.column(col);
            if (column && column->holds(row)) {
                const bool rising = column->rising;
                if (const auto month = months.find({col, row}); month != months.end())
                    line += std::string{month->second, ' '};
                else
                    line += rising ? "× " : "〇";
            } else {
                line += onLine(col, row) ? "+ " : "  ";
            }
        }
        while (!line.empty() && line.back() == ' ') line.pop_back();
        text += line + '\n';
    }

    if (options.signalList) {
        // Columns are numbered as drawn: 1 is the first column with a mark.
        int firstMarked = 2;
        while (firstMarked < chart.lastColumn() && chart.column(firstMarked)->empty())
            ++firstMarked;
        const auto line = [&](const chart::Signal& signal, std::string_view prefix) {
            return std::to_string(signal.col - firstMarked + 1) + '\t' + std::string(prefix) +
                   std::string(chart::caption(signal.pattern)) + '\t' + signal.date + '\t' +
                   view.levelText(signal.row) + '\n';
        };
        for (const auto& signal : decorations.history) text += line(signal, "");
        text += chart::newestSignalText(decorations).value_or("最新シグナル なし") + '\n';
        // The warnings (traps, poles) after the signals, each marked as one.
        for (const auto& warning : decorations.warnings) text += line(warning, "警告 ");
    }
    if (options.trendLines)
        text += chart::lineInForceText(decorations).value_or("トレンドライン なし") + '\n';
    if (options.targets) {
        text += chart::objectivesText(decorations).value_or("目標値 なし") + '\n';
        text += chart::triggerText(decorations).value_or("買い点 - / 売り点 -") + '\n';
    }
    return text;
}

}  // namespace app
