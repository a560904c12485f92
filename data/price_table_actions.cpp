// The shipped price file: one column per stock, one row per trading day.
#include <cmath>
#include <cstdio>

#include "app/form.h"
#include "data/text_file.h"
#include "tables/convert.h"

namespace {

// The whole-number part of a decimal price, as decimal text without grouping.
std::string integerPart(std::string_view text) {
    const long double value = std::trunc(toFloat(text));
    if (value == 0) return "0";
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.0Lf", value);
    return buffer;
}

}  // namespace

void TForm1::Button2Click() {
    WaitCursor wait(platform);
    auto lines = data::readLines(options.root.priceFile());
    StringGrid2.setRowCount(static_cast<int>(lines.size()));
    StringGrid2.setColCount(200);
    platform.splashStatus("データ読み込み中...");
    for (std::size_t i = 0; i < lines.size(); ++i)
        StringGrid2.rowFromCommaText(static_cast<int>(i), lines[i]);
    // Only the first four stock columns may hold decimal prices.
    for (int col = 1; col <= 4; ++col) {
        for (int row = 1; row < StringGrid2.rowCount(); ++row) {
            const std::string& cell = StringGrid2.cell(col, row);
            if (hasValue(cell)) StringGrid2.setCell(col, row, integerPart(cell));
        }
    }
}
