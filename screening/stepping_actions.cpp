// Stepping from stock to stock ("順次", "戻る") and the data-source mode toggle.
// The current position (1, 1) is a price-table column in "quendal" mode and a
// candidate-table row in "kouho" mode.
#include <algorithm>

#include "app/form.h"
#include "tables/convert.h"
#include "tables/layout.h"
#include "tables/settings_layout.h"
#include "tables/source_mode.h"

namespace {

using layout::kLastStockColumn;

int position(const TForm1& form) {
    return toInt(form.StringGrid3.cell(settings::kPosition));
}
int rangeStartRow(const TForm1& form) {
    return toInt(form.StringGrid3.cell(settings::kRangeStartRow));
}
int rangeEndRow(const TForm1& form) {
    return toInt(form.StringGrid3.cell(settings::kRangeEndRow));
}

const std::string& stockHeader(const TForm1& form, int col) {
    return form.StringGrid2.cell(col, 0);
}
const std::string& candidateCode(const TForm1& form, int row) {
    return form.StringGrid10.cell(0, row);
}

}  // namespace

void TForm1::Button41Click() {
    const int p = position(*this);
    if (mode() == SourceMode::Quendal) {
        // After the last stock column the step wraps to the first.
        const int next = std::max(std::min(p, kLastStockColumn) + 1, 1);
        const std::string& header = stockHeader(*this, next);
        Edit1.setText(header.empty() ? stockHeader(*this, 1) : header);
        Button3Click();
        return;
    }
    const int end = rangeEndRow(*this);
    if (p < end) {
        Edit1.setText(candidateCode(*this, p + 1));
        Button3Click();
    } else {
        // The range end row: show its code, chart nothing.
        Edit1.setText(candidateCode(*this, end));
    }
}

void TForm1::Button26Click() {
    Button41Click();
}

void TForm1::Button27Click() {
    const int start = rangeStartRow(*this);
    const bool quendal = mode() == SourceMode::Quendal;
    if (!quendal && !hasValue(StringGrid10.cell(1, start))) return;  // no candidate data
    const int p = position(*this);
    if (quendal) {
        // At the first stock column, and when the last chart found no stock
        // (position 0), the first stock is charted; otherwise the header of the column
        // before the position, whatever that column is.
        const int previous = p >= 2 ? p - 1 : 1;
        Edit1.setText(stockHeader(*this, previous));
    } else {
        // At the range start row, and when the last chart found no stock, the first
        // stock of the range is charted.
        Edit1.setText(candidateCode(*this, p == start || p <= 0 ? start : p - 1));
    }
    Button3Click();
}

void TForm1::Edit8Click() {
    if (mode() == SourceMode::Kouho) {
        setMode(SourceMode::Quendal);
        Panel5.visible = false;
        StringGrid3.setCell(settings::kPosition, "3");
    } else {
        setMode(SourceMode::Kouho);
    }
    Edit1DblClick();
}
