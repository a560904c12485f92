#include "tables/working_table.h"

#include <algorithm>

#include "tables/comma_text.h"
#include "tables/errors.h"

namespace {
const std::string kEmpty;
}

WorkingTable::WorkingTable(int colCount, int rowCount, int fixedCols, int fixedRows)
    : colCount_(std::max(1, colCount)),
      rowCount_(std::max(1, rowCount)),
      fixedCols_(fixedCols),
      fixedRows_(fixedRows) {}

const std::string& WorkingTable::cell(int col, int row) const {
    if (row < 0 || col < 0 || static_cast<std::size_t>(row) >= rows_.size()) return kEmpty;
    const auto& cells = rows_[static_cast<std::size_t>(row)];
    if (static_cast<std::size_t>(col) >= cells.size()) return kEmpty;
    return cells[static_cast<std::size_t>(col)];
}

void WorkingTable::setCell(int col, int row, std::string text) {
    if (col < 0) throwListIndex(col);
    if (row < 0) throwListIndex(row);
    ++revision_;
    const auto r = static_cast<std::size_t>(row);
    const auto c = static_cast<std::size_t>(col);
    if (r >= rows_.size()) {
        if (text.empty()) return;
        rows_.resize(r + 1);
    }
    auto& cells = rows_[r];
    if (c >= cells.size()) {
        if (text.empty()) return;
        cells.resize(c + 1);
    }
    cells[c] = std::move(text);
}

void WorkingTable::setColCount(int count) {
    colCount_ = std::max(1, count);
    if (colCount_ <= fixedCols_) fixedCols_ = colCount_ - 1;
    ++revision_;
}

void WorkingTable::setRowCount(int count) {
    rowCount_ = std::max(1, count);
    if (rowCount_ <= fixedRows_) fixedRows_ = rowCount_ - 1;
    ++revision_;
}

void WorkingTable::clearRow(int row) {
    if (row < 0 || static_cast<std::size_t>(row) >= rows_.size()) return;
    rows_[static_cast<std::size_t>(row)].clear();
    ++revision_;
}

void WorkingTable::fillRow(int row, std::vector<std::string> fields) {
    if (row < 0) throwListIndex(row);
    clearRow(row);
    if (fields.size() > static_cast<std::size_t>(colCount_))
        fields.resize(static_cast<std::size_t>(colCount_));
    if (fields.empty()) return;
    ++revision_;
    for (auto& field : fields)
        if (field.empty()) field.push_back(' ');  // an empty field is stored as " "
    const auto r = static_cast<std::size_t>(row);
    if (r >= rows_.size()) rows_.resize(r + 1);
    rows_[r] = std::move(fields);
}

void WorkingTable::rowFromCommaText(int row, std::string_view text) {
    fillRow(row, tables::splitCommaText(text));
}

void WorkingTable::rowFromLineList(int row, std::string_view text) {
    fillRow(row, tables::splitLines(text));
}

std::string WorkingTable::rowToCommaText(int row) const {
    if (colCount_ == 1 && cell(0, row).empty()) return "\"\"";
    std::string out;
    for (int col = 0; col < colCount_; ++col) {
        if (col > 0) out += ',';
        out += tables::quoteField(cell(col, row));
    }
    return out;
}
