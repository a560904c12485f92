// The screening run's notes on the form: taken by the pattern check of each stock.
#include "app/form.h"
#include "screening/breadth.h"
#include "screening/pattern_detection_actions.h"

namespace screening {

void noteScreenedStock(TForm1& form, const chart::ChartCells& chart, int lastColumn) {
    RunNotes& notes = form.screeningNotes;
    ++notes.screened;
    if (const auto side = chart::newestBreakout(chart, lastColumn))
        ++(*side == chart::Side::Buy ? notes.buys : notes.sells);
    const auto found = chart::detectPatterns(chart, lastColumn);
    if (found.empty()) return;
    const int row = chart::breakoutRow(chart, found.front(), lastColumn);
    for (const chart::Pattern pattern : found)
        notes.listed.push_back({pattern, form.Edit1.text(), form.StringGrid5.cell(lastColumn, row),
                                form.StringGrid1.cell(1, row)});
}

}  // namespace screening
