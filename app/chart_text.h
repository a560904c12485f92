#pragma once
// The chart as text for the command line: the grid (box number, level, one mark per
// column), and on request the month markers and trend lines in it and the signals,
// the line in force and the price objectives after it.
#include <string>

#include "app/chart_view.h"

namespace app {

struct ChartTextOptions {
    bool months = false;      // the month letter, then a space, in place of the box's mark
    bool signalList = false;  // column, caption, date, level; one line per signal, then warning
    bool trendLines = false;  // "+" in the empty cells a line passes; the line in force
    bool targets = false;     // the objectives of the newest breakout; the trigger prices
};

std::string chartText(const ChartView& view, const ChartCaption& caption,
                      const ChartTextOptions& options);

}  // namespace app
