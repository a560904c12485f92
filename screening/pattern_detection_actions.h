#pragma once
// The pattern check on the form: the screening run's notes and the results list, from a
// chart's columns (the grids' cells, or a chart value of the same chart).
#include "chart/patterns.h"

class TForm1;

// The double top and double bottom, then the follow-up tests after either; each match
// lists the stock and advances its counter. The stock is noted for the bullish percent.
void checkPatterns(TForm1& form, const chart::ChartCells& chart, int lastColumn);

namespace screening {
// The pattern check's note of the stock it is looking at, on the form's chart grids.
void noteScreenedStock(TForm1& form, const chart::ChartCells& chart, int lastColumn);
}  // namespace screening
