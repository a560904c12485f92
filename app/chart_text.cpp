#include "app/chart_text.h"

#include <map>

#include "app/form.h"
#include "chart/column_drawing.h"

namespace app {

namespace {

std::string padLeft(std::string text, std::size_t width) {
    text.insert(0, text.size() < width ? width - text.size() : 0, ' ');
    return text;
}

}  // namespace

std::string chartText(const TForm1& form, const ChartView& view, const ChartTextOptions& options) {
    const WorkingTable& grid = form.StringGrid1;
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

    std::string text = form.Edit1.text() + "  表示日数 " + form.Edit2.text() + "  株価幅 " +
                       form.Edit3.text() + '\n';
    for (int row = 1; row < grid.rowCount(); ++row) {
        if (grid.cell(1, row).empty()) continue;
        std::string line = padLeft(grid.cell(0, row), 4) + padLeft(grid.cell(1, row), 9) + ' ';
        for (int col = 2; col < grid.colCount(); ++col) {
            const std::string& mark = grid.cell(col, row);
            const bool rising = mark == chart::kRisingMark;
            if (rising || mark == chart::kFallingMark) {
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
        for (const auto& signal : decorations.history)
            text += std::to_string(signal.col) + '\t' +
                    std::string(chart::caption(signal.pattern)) + '\t' + signal.date + '\t' +
                    grid.cell(1, signal.row) + '\n';
        text += chart::newestSignalText(decorations).value_or("最新シグナル なし") + '\n';
    }
    if (options.trendLines)
        text += chart::lineInForceText(decorations).value_or("トレンドライン なし") + '\n';
    if (options.targets) text += chart::objectivesText(decorations).value_or("目標値 なし") + '\n';
    return text;
}

}  // namespace app
