// The candidate price file: one line per stock of the code list, one field per day.
// Only line 0 (the dates) and the lines of the screening range are cut into fields.
#include "app/form.h"
#include "data/program_tables.h"
#include "data/text_file.h"
#include "tables/code_lookup.h"
#include "tables/convert.h"
#include "tables/errors.h"
#include "tables/settings_layout.h"
#include "tables/source_mode.h"

namespace {

using data::kCandidateColumns;

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
    for (int row = start; row <= end; ++row) data::blankDaysWithoutPrice(StringGrid10, row);
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

void TForm1::loadCandidateRangeOf(const std::string& code) {
    Edit8.setText(std::string(kKouhoWord));
    Edit1.setText(tables::normalizedCodeText(code));
    const int row =
        tables::lastRowWithCode(StringGrid8, 0, 1, StringGrid8.rowCount(), Edit1.text());
    if (row == 0) {
        platform.showMessage("コードを確認して下さい。");
        return;
    }
    const std::string& line = StringGrid8.cell(0, row);
    Edit6.setText(line);
    Edit7.setText(line);
    StringGrid3.setCell(settings::kRangeStart, line);
    StringGrid3.setCell(settings::kRangeEnd, line);
    StringGrid3.setNumber(settings::kRangeStartRow, row);
    StringGrid3.setNumber(settings::kRangeEndRow, row);
    Button35Click();
    Button32Click();
}
