#pragma once
// The decorated chart of what the last chart run left in the form's tables, as the
// window, the pictures and the command line show it.
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
    // The newest close of the charted series, shown as the current price.
    std::optional<long long> latestClose;
};

// The scale of the drawn levels: Cohen when the levels begin in row 1; the ratio of the
// box-ratio field, or the one the levels show when the field holds none.
chart::BoxScale boxScaleOf(const TForm1& form, const chart::Chart& chart);

// The chart the grids show, with the dates of its boxes from the date table; an empty
// chart when none is shown.
ChartView chartViewOf(const TForm1& form);

// The title of a picture of the chart: code and name, days shown, box ratio or コーエン,
// first and last date; then the newest signal, the line in force and the objectives.
std::vector<std::string> chartTitleLines(const TForm1& form, const ChartView& view);

// What the panel says about the chart: newest signal, line in force, objectives.
std::vector<std::string> panelTexts(const chart::Decorations& decorations);

}  // namespace app
