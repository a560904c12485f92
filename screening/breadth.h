#pragma once
// What a screening run notes about each stock besides the results list: the side of its
// newest double top or double bottom, for the bullish percent of the range, where each
// listed pattern (and each further formation of the catalogue) completed, and the
// stock's next trigger prices. Gathered in the same pass, from the chart the stock's
// screening build leaves.
#include <string>
#include <vector>

#include "chart/patterns.h"

namespace screening {

// A stock listed under a pattern, with the box that completed it and the stock's next
// trigger prices.
struct ListedSignal {
    chart::Pattern pattern = chart::Pattern::DoubleTop;
    std::string code;       // the text listed
    std::string date;       // the box's date
    std::string level;      // the box's level
    std::string buyPoint;   // 買い点: the level of the next double-top buy; may be empty
    std::string sellPoint;  // 売り点: the level of the next double-bottom sell; may be empty
};

struct RunNotes {
    int screened = 0;
    int buys = 0;  // stocks whose newest breakout is a double top
    int sells = 0;
    // In the order the list got them; the ten, then the further formations of each stock
    // (listed after the ten while the list shows them).
    std::vector<ListedSignal> listed;
};

// "強気％ 58.3% (35/60)": buys of the stocks with a breakout; "強気％ - (0/0)" without any.
std::string bullishPercentText(const RunNotes& notes);

}  // namespace screening
