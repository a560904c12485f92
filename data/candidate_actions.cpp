// The candidate price file: one line per stock of the code list, one field per day.
// Only line 0 (the dates) and the lines of the screening range are cut into fields.
#include "app/form.h"
#include "data/text_file.h"
#include "tables/code_lookup.h"
#include "tables/convert.h"
#include "tables/errors.h"
#include "tables/settings_layout.h"
#include "tables/source_mode.h"

namespace {

constexpr int kCandidateColumns = 402;
constexpr int kCandidateDays = 400;
constexpr std::string_view kFullWidthSpace = "　";

std::vector<std::string> candidateLines(const TForm1& form) {
    return data::readLines(form.options.root.candidateFile());
}

}  // namespace

void TForm1::Button35Click() {
    WaitCursor wait(platform);
    const auto lines = candidateLines(*this);
    StringGrid10.setRowCount(2);
    StringGrid10.setColCount(kCandidateColumns);
    if (lines.empty()) throwListIndex(0);
    StringGrid10.rowFromCommaText(0, lines[0]);
}

void TForm1::Button32Click() {
    WaitCursor wait(platform);
    const auto lines = candidateLines(*this);
    StringGrid10.setRowCount(static_cast<int>(lines.size()));
    StringGrid10.setColCount(kCandidateColumns);
    const int start = toInt(StringGrid3.cell(settings::kRangeStartRow));
    const int end = toInt(StringGrid3.cell(settings::kRangeEndRow));
    for (int row = start; row <= end; ++row) {
        if (row < 0 || static_cast<std::size_t>(row) >= lines.size()) throwListIndex(row);
        StringGrid10.rowFromCommaText(row, lines[static_cast<std::size_t>(row)]);
    }
    StringGrid3.setCell(settings::kCandidatesLoaded, "1");
    // A day without a price is an empty cell.
    for (int row = start; row <= end; ++row)
        for (int col = 1; col <= kCandidateDays; ++col) {
            const std::string& cell = StringGrid10.cell(col, row);
            if (cell == " " || cell == kFullWidthSpace) StringGrid10.setCell(col, row, "");
        }
}

void TForm1::Button31Click() {
    if (mode() == SourceMode::Quendal) return;
    Edit6.setText(tables::normalizedCodeText(Edit6.text()));
    Edit7.setText(tables::normalizedCodeText(Edit7.text()));
    // Codes with a letter are ordered as text among the digit codes.
    if (tables::compareCodes(Edit6.text(), "1301") < 0) Edit6.setText("1301");
    if (tables::compareCodes(Edit7.text(), "9997") > 0) Edit7.setText("9997");
    if (StringGrid3.cell(settings::kCandidatesLoaded) == "1")
        return;  // loaded already; nothing to chart

    tables::checkCode(StringGrid3.cell(settings::kRangeStart));
    tables::checkCode(StringGrid3.cell(settings::kRangeEnd));
    Panel5.visible = false;
    toInt(StringGrid3.cell(settings::kRangeStartRow));
    if (StringGrid3.cell(settings::kCandidatesLoaded) == "0") {
        Button33Click();
        Button35Click();
        Button32Click();
    }
    const std::string start = Edit6.text();
    Edit1.setText(start);
    StringGrid3.setCell(settings::kSavedCandidateCode, start);
    Button3Click();
}
