// The screening run "選別" with its range resolution, the results list and its
// buttons. While Button37 reads "選別中" every chart run screens instead of drawing.
#include "screening/screening.h"

#include <algorithm>
#include <array>

#include "app/form.h"
#include "chart/pattern_catalogue.h"
#include "chart/patterns.h"
#include "tables/code_lookup.h"
#include "tables/convert.h"
#include "tables/settings_layout.h"
#include "tables/source_mode.h"

namespace {

constexpr int kClearedListRows = 800;

bool quendalMode(const TForm1& form) {
    return form.mode() == SourceMode::Quendal;
}

std::string codeTableText(const TForm1& form, int row) {
    return row >= 0 ? form.StringGrid8.cell(0, row) : std::string();
}

// Codes typed with full-width characters are looked up as their ASCII codes.
void normalizeRangeFields(TForm1& form) {
    form.Edit6.setText(tables::normalizedCodeText(form.Edit6.text()));
    form.Edit7.setText(tables::normalizedCodeText(form.Edit7.text()));
}

// The further formations' columns after the ten, from the run's notes, while the list
// shows them (拡張パターン); otherwise the list keeps its columns of the ten. Returns the
// rows the longest of them needs.
int layOutFormations(TForm1& form) {
    WorkingTable& list = form.StringGrid11;
    const int first = chart::kPatternCount + 1;
    for (int col = first; col <= chart::kCatalogueCount; ++col)
        for (int row = 0; row < list.storedRowCount(); ++row)
            if (!list.cell(col, row).empty()) list.setCell(col, row, "");
    if (!form.extendedPatterns) {
        list.setColCount(first);
        return 0;
    }
    list.setColCount(chart::kCatalogueCount + 1);
    std::array<int, chart::kCatalogueCount + 1> rows{};
    for (const chart::Pattern pattern : chart::formations())
        list.setCell(chart::listColumn(pattern), 0, std::string(chart::caption(pattern)));
    for (const screening::ListedSignal& entry : form.screeningNotes.listed) {
        if (chart::isClassic(entry.pattern)) continue;
        const int col = chart::listColumn(entry.pattern);
        list.setCell(col, ++rows[static_cast<std::size_t>(col)], entry.code);
    }
    return *std::max_element(rows.begin(), rows.end()) + 1;
}

// Sizes and numbers the list so that the longest column shows whole.
void sizeList(TForm1& form) {
    WorkingTable& list = form.StringGrid11;
    const int rows = std::max(screening::resultRowCount(form.StringGrid3), layOutFormations(form));
    list.setRowCount(rows);
    for (int row = 1; row < rows; ++row) list.setCell(0, row, intToStr(row));
}

// Lays the list out and leaves screening mode.
void finishScreening(TForm1& form) {
    sizeList(form);
    form.Button37.caption = "選別";
}

void runScreeningPass(TForm1& form) {
    WorkingTable& settingsTable = form.StringGrid3;
    form.screeningNotes = {};
    for (int j = 1; j <= chart::kPatternCount; ++j) {
        const auto pattern = static_cast<chart::Pattern>(j);
        settingsTable.setCell(settings::counter(j), "0");
        form.StringGrid11.setCell(j, 0, std::string(chart::caption(pattern)));
    }
    layOutFormations(form);
    form.Button33Click();

    const bool quendal = quendalMode(form);
    const int stocks = quendal ? screening::stockColumnCount(form.StringGrid2)
                               : toInt(settingsTable.cell(settings::kRangeEndRow)) -
                                     toInt(settingsTable.cell(settings::kRangeStartRow)) + 1;
    settingsTable.setCell(settings::kPosition, settingsTable.cell(settings::kRangeStartRow));
    const int start = toInt(settingsTable.cell(settings::kPosition));

    if (quendal) {
        // Every stock of the pass is screened over the days shown when the run began,
        // not over what an earlier stock with a shorter history left in the field.
        const std::string daysShown = form.Edit2.text();
        for (int i = 1; i <= stocks; ++i) {
            form.Edit2.setText(daysShown);
            form.Button41Click();
        }
        // The user's days shown stay for the charts after the run.
        form.Edit2.setText(daysShown);
        return;
    }
    for (int i = 1; i <= stocks; ++i) {
        form.Edit2.setText("400");
        const int row = start + i - 1;
        if (!hasValue(form.StringGrid10.cell(10, row)))
            settingsTable.setCell(settings::kPosition,
                                  intToStr(toInt(settingsTable.cell(settings::kPosition)) + 1));
        else
            form.Button41Click();
        if (form.StringGrid10.cell(0, row).empty()) return;
    }
}

}  // namespace

void TForm1::Button33Click() {
    WorkingTable& settingsTable = StringGrid3;
    const bool quendal = quendalMode(*this);
    normalizeRangeFields(*this);

    const int start = screening::rangeRow(StringGrid8, Edit6.text());
    settingsTable.setCell(settings::kRangeStartRow, intToStr(start));
    settingsTable.setCell(settings::kRangeStart, codeTableText(*this, start));
    if (StringGrid10.cell(2, start).empty() &&
        settingsTable.cell(settings::kCandidatesLoaded) == "1") {
        settingsTable.setCell(settings::kRangeStartRow, intToStr(start + 1));
        settingsTable.setCell(settings::kRangeStart, codeTableText(*this, start + 1));
    }
    if (!quendal) Edit6.setText(settingsTable.cell(settings::kRangeStart));

    const int end = screening::rangeRow(StringGrid8, Edit7.text());
    settingsTable.setCell(settings::kRangeEndRow, intToStr(end));
    settingsTable.setCell(settings::kRangeEnd, codeTableText(*this, end));
    if (StringGrid10.cell(2, end).empty()) {
        settingsTable.setCell(settings::kRangeEndRow, intToStr(end - 1));
        settingsTable.setCell(settings::kRangeEnd, codeTableText(*this, end - 1));
    }
    if (!quendal) Edit7.setText(settingsTable.cell(settings::kRangeEnd));
}

void TForm1::Button37Click() {
    normalizeRangeFields(*this);
    Edit1.setText(Edit6.text());
    if (tables::compareCodes(Edit1.text(), Edit7.text()) > 0) return;

    // Also rows a longer earlier list showed beyond the usual 800.
    const int clearedRows = std::max(kClearedListRows, StringGrid11.rowCount() - 1);
    for (int row = 1; row <= clearedRows; ++row)
        for (int col = 0; col <= chart::kPatternCount; ++col) StringGrid11.setCell(col, row, "");
    StringGrid11.visible = true;
    Button37.caption = "選別中";
    closesOnlyRuns = 0;

    // However the pass ends, the list is sized and screening mode is left, so that
    // later chart runs draw again; an error still reaches the error box.
    try {
        runScreeningPass(*this);
    } catch (...) {
        finishScreening(*this);
        throw;
    }
    finishScreening(*this);
}

void TForm1::setExtendedPatterns(bool shown) {
    extendedPatterns = shown;
    // A list of an earlier run shows (or stops showing) the formations it noted.
    if (screeningNotes.screened > 0)
        sizeList(*this);
    else
        layOutFormations(*this);
}

void TForm1::Button40Click() {
    StringGrid11.visible = !StringGrid11.visible;
}

void TForm1::StringGrid11MouseUp(int col, int row) {
    WaitCursor wait(platform);
    if (col < 0 || row < 0 || col >= StringGrid11.colCount() || row >= StringGrid11.rowCount())
        return;
    const std::string text = StringGrid11.cell(col, row);
    if (!hasValue(text)) return;
    Edit1.setText(text);
    Button3Click();
}

void TForm1::Label6DblClick() {
    StringGrid3.setCell(settings::kRangeStart, Edit6.text());
    StringGrid3.setCell(settings::kRangeEnd, Edit7.text());
    Button17Click();
}

void TForm1::takeRangeAsSaved() {
    // As after start-up: no range resolved, no candidate data loaded; the range fields
    // count as saved, as "読込" expects, without writing the settings file.
    StringGrid3.setCell(settings::kRangeStartRow, "0");
    StringGrid3.setCell(settings::kRangeEndRow, "0");
    StringGrid3.setCell(settings::kRangeStart, Edit6.text());
    StringGrid3.setCell(settings::kRangeEnd, Edit7.text());
    StringGrid3.setCell(settings::kCandidatesLoaded, "0");
}
