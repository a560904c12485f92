#pragma once
// What a screening run notes about each stock besides the results list: the side of its
// newest double top or double bottom, for the bullish percent of the range, and where
// each listed pattern completed. Gathered in the same pass, from the chart the stock's
// screening build leaves.
#include <optional>
#include <string>
#include <vector>

#include "screening/patterns.h"

class TForm1;

namespace screening {

enum class Side { Buy, Sell };

// The newest double top (a buy) or double bottom (a sell), from the last column back.
std::optional<Side> newestBreakout(const ChartCells& chart, int lastColumn);

// The chart row of the box that completed a breakout at the column: one past the top
// (double top) or the bottom (double bottom) of the column two before.
int breakoutRow(const ChartCells& chart, Pattern breakout, int col);

// A stock listed under a pattern, with the box that completed it.
struct ListedSignal {
    Pattern pattern = Pattern::DoubleTop;
    std::string code;   // the text listed
    std::string date;   // the box's date
    std::string level;  // the box's level
};

struct RunNotes {
    int screened = 0;
    int buys = 0;  // stocks whose newest breakout is a double top
    int sells = 0;
    std::vector<ListedSignal> listed;  // in the order the list got them
};

// "強気％ 58.3% (35/60)": buys of the stocks with a breakout; "強気％ - (0/0)" without any.
std::string bullishPercentText(const RunNotes& notes);

// The pattern check's note of the stock it is looking at, on the form's chart grids.
void noteScreenedStock(TForm1& form, const ChartCells& chart, int lastColumn);

}  // namespace screening
