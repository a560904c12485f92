// The chart run: finds the stock of the code field, copies its newest prices into the
// working series and runs the engine on them.
#include <algorithm>

#include "app/form.h"
#include "tables/code_lookup.h"
#include "tables/convert.h"
#include "tables/layout.h"

namespace {

constexpr const char* kCohen = "コーエン";
constexpr const char* kCheckCode = "コードを確認して下さい。";
using layout::kLastStockColumn;
using layout::kSeriesColumn;

}  // namespace

void TForm1::Button34Click() {
    StringGrid3.setCell(
        3, 15,
        intToStr(tables::lastRowWithCode(StringGrid8, 0, 1, StringGrid8.rowCount(), Edit1.text())));
}

void TForm1::Button3Click() {
    WaitCursor wait(platform);
    const bool quendal = Edit8.text() == "quendal";
    // A code typed with full-width characters is looked up as its ASCII code.
    Edit1.setText(tables::normalizedCodeText(Edit1.text()));

    // Candidate data must be loaded before a kouho stock can be charted.
    if (Edit8.text() == "kouho") {
        Button34Click();
        const int row = toInt(StringGrid3.cell(3, 15));
        if (StringGrid10.cell(5, row).empty()) {
            if (toInt(StringGrid3.cell(3, 13)) == 0 && toInt(StringGrid3.cell(3, 14)) == 0) {
                Panel5.caption = "ｋｏｕｈｏデータを読み込んでください。";
                Panel5.visible = true;
            }
            return;
        }
        if (row == 0) {
            platform.showMessage(kCheckCode);
            Button37.caption = "選別";
            return;
        }
    }

    Edit4.setText("");
    Edit5.setText("");
    if (Edit3.text() != kCohen && toFloat(Edit3.text()) < 0.002L) Edit3.setText("0.002");
    const int days = toInt(Edit2.text());
    for (WorkingTable* grid : {&StringGrid1, &StringGrid5})
        for (int row = 1; row < grid->rowCount(); ++row) grid->clearRow(row);

    // The last matching entry is charted; the field then shows its whole text.
    const int position =
        quendal
            ? tables::lastColumnWithCode(StringGrid2, 0, 1, kLastStockColumn + 1, Edit1.text())
            : tables::lastRowWithCode(StringGrid10, 0, 1, StringGrid10.rowCount(), Edit1.text());
    if (position > 0)
        Edit1.setText(quendal ? StringGrid2.cell(position, 0) : StringGrid10.cell(0, position));
    StringGrid3.setNumber(1, 1, position);

    if (position > 0) {
        StringGrid2.setCell(kSeriesColumn, 0, Edit1.text());
        // Past the stored cells of both source and working series every copy is of
        // empty text onto empty text, so the copies stop there.
        int reach = StringGrid2.storedRowCount();
        if (!quendal)
            reach = std::max(
                {reach, StringGrid10.storedColCount(position), StringGrid10.storedColCount(0)});
        const int copied = std::min(days, reach);
        if (quendal) {
            for (int row = 0; row <= copied; ++row)
                StringGrid2.setCell(kSeriesColumn, row, StringGrid2.cell(position, row));
            for (int row = 1; row <= copied; ++row)
                StringGrid4.setCell(2, row, StringGrid2.cell(0, row));
        } else {
            for (int day = 1; day <= copied; ++day)
                StringGrid2.setCell(kSeriesColumn, day, StringGrid10.cell(day, position));
            for (int day = 1; day <= copied; ++day)
                StringGrid4.setCell(2, day, StringGrid10.cell(day, 0));
        }
    } else {
        // Neither table holds the stock: the quick collection brings its series, unless
        // the working series already holds it.
        if (StringGrid2.cell(kSeriesColumn, 0) != Edit1.text()) {
            for (int row = 1; row < StringGrid4.rowCount(); ++row)
                StringGrid4.setCell(2, row, StringGrid4.cell(0, row));
            if (StringGrid4.cell(1, 0).empty())
                for (int row = 1; row < StringGrid4.rowCount(); ++row)
                    StringGrid7.setCell(0, row, StringGrid4.cell(0, row));
            Button24Click();
        }
        if (StringGrid2.cell(kSeriesColumn, 5).empty()) {
            platform.showMessage(kCheckCode);
            return;
        }
        Button34Click();
    }

    Button4Click();
    if (Edit3.text() == kCohen)
        Button28Click();
    else
        Button5Click();
    Button12Click();
    if (Button37.caption == "選別中") {
        Button38Click();
        Button39Click();
    } else {
        Button6Click();
    }
}
