#pragma once
// The decorated chart as the window, the pictures and the command line show it: a chart
// value with its decorations, and the caption that names it.
#include <optional>
#include <string>
#include <vector>

#include "chart/chart.h"
#include "chart/decorations.h"

class TForm1;

namespace app {

struct ChartView {
    chart::Chart chart;
    chart::Decorations decorations;
    // The newest close of the charted series, shown as the current price: as the program's
    // files hold it, and as the market store has it when it has a fraction (564.5).
    std::optional<long long> latestClose;
    std::optional<double> exactClose;
    // The text of the first level row as the grid shows it (the highest price as the
    // series holds it, on the percentage scale); empty: the level's number.
    std::string firstLevelText;
    // Levels kept in hundredths (relative strength, a bullish percent) are shown divided,
    // with these decimals; 1 and 0 show a price as it is.
    long long levelDivisor = 1;
    int levelDecimals = 0;

    // The text of a chart row's level: empty for a row without one.
    std::string levelText(int row) const;
    // A level as the scale shows it.
    std::string levelNumberText(long long level) const;
    // "現在値 1,234" (or "現在値 564.5"): the newest close, or the level of its box without
    // one; empty without a chart.
    std::string currentPriceText() const;
};

// What names a chart: the code field's text (code and name as found), the stock's name
// from the code list, the days shown, the box ratio as typed, the first and last date.
struct ChartCaption {
    std::string codeText;
    std::string name;
    std::string daysText;
    std::string ratioText;
    std::string oldestDate;
    std::string newestDate;
};

// A chart value decorated on the scale; the latest close stands for the chart's newest
// close when the chart has none.
ChartView viewOf(chart::Chart chart, const chart::BoxScale& scale,
                 std::optional<long long> latestClose, std::string firstLevelText);

// The scale of the drawn levels: Cohen when the levels begin in row 1; the ratio of the
// box-ratio field, or the one the levels show when the field holds none.
chart::BoxScale boxScaleOf(const std::string& ratioText, const chart::Chart& chart);

// The chart the form's grids show, with the dates of its boxes from the date table; an
// empty chart when none is shown.
ChartView chartViewOf(const TForm1& form);
ChartCaption chartCaptionOf(const TForm1& form);

// The title of a picture of the chart: code and name, days shown, box ratio or コーエン,
// first and last date; then the newest signal, the line in force and the objectives.
std::vector<std::string> chartTitleLines(const ChartView& view, const ChartCaption& caption);

// What the panel says about the chart: newest signal, the newest column's warnings, line
// in force, objectives, the next trigger prices.
std::vector<std::string> panelTexts(const chart::Decorations& decorations);

}  // namespace app
