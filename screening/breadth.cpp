#include "screening/breadth.h"

#include <cstdio>

namespace screening {

std::optional<Side> newestBreakout(const ChartCells& chart, int lastColumn) {
    for (int col = lastColumn; col >= 4; --col) {
        if (matches(Pattern::DoubleTop, chart, col)) return Side::Buy;
        if (matches(Pattern::DoubleBottom, chart, col)) return Side::Sell;
    }
    return std::nullopt;
}

int breakoutRow(const ChartCells& chart, Pattern breakout, int col) {
    // A record holds a box index; its chart row is one more.
    return breakout == Pattern::DoubleTop ? chart.topBox(col - 2).value_or(0)
                                          : chart.bottomBox(col - 2).value_or(0) + 2;
}

std::string bullishPercentText(const RunNotes& notes) {
    const int counted = notes.buys + notes.sells;
    char percent[32] = "-";
    if (counted > 0) std::snprintf(percent, sizeof percent, "%.1f%%", 100.0 * notes.buys / counted);
    return "強気％ " + std::string(percent) + " (" + std::to_string(notes.buys) + "/" +
           std::to_string(counted) + ")";
}

}  // namespace screening
