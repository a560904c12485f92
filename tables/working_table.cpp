#include "tables/working_table.h"

#include <algorithm>
#include <atomic>
#include <charconv>

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

std::uint64_t WorkingTable::Serial::next() {
    static std::atomic<std::uint64_t> last{0};
    return last.fetch_add(1, std::memory_order_relaxed) + 1;
}

const std::string& WorkingTable::empty() {
    return kEmpty;
}

namespace {

// Short cells are compared in place; a library call would cost more than the bytes.
bool sameText(const std::string& cell, const char* text, std::size_t size) {
    if (cell.size() != size) return false;
    if (size > 16) return std::char_traits<char>::compare(cell.data(), text, size) == 0;
    for (std::size_t i = 0; i < size; ++i)
        if (cell[i] != text[i]) return false;
    return true;
}

}  // namespace

void WorkingTable::setCell(int col, int row, std::string text) {
    if (col < 0) throwListIndex(col);
    if (row < 0) throwListIndex(row);
    if (std::string* cell =
            storedCell(static_cast<std::size_t>(col), static_cast<std::size_t>(row))) {
        // Charting the same stock again writes mostly the texts the cells hold.
        if (sameText(*cell, text.data(), text.size())) return;
        ++revision_;
        *cell = std::move(text);
        return;
    }
    storeNew(static_cast<std::size_t>(col), static_cast<std::size_t>(row), std::move(text));
}

void WorkingTable::setNumber(int col, int row, long long value) {
    if (col < 0) throwListIndex(col);
    if (row < 0) throwListIndex(row);
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    const auto size = static_cast<std::size_t>(end - digits);
    if (std::string* cell =
            storedCell(static_cast<std::size_t>(col), static_cast<std::size_t>(row))) {
        if (sameText(*cell, digits, size)) return;
        ++revision_;
        cell->assign(digits, size);
        return;
    }
    storeNew(static_cast<std::size_t>(col), static_cast<std::size_t>(row),
             std::string(digits, size));
}

void WorkingTable::storeNew(std::size_t col, std::size_t row, std::string text) {
    if (text.empty()) return;  // cells never written are empty already
    ++revision_;
    if (row >= rows_.size()) rows_.resize(row + 1);
    auto& cells = rows_[row];
    if (col >= cells.size()) cells.resize(col + 1);
    cells[col] = std::move(text);
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
    // The cells stay in place, empty: a chart cleared and drawn again writes into them.
    // Long texts give their memory back.
    for (std::string& cell : rows_[static_cast<std::size_t>(row)]) {
        if (cell.capacity() > std::string().capacity())
            std::string().swap(cell);
        else
            cell.clear();
    }
    ++revision_;
}

void WorkingTable::fillRow(int row, std::vector<std::string> fields) {
    if (row < 0) throwListIndex(row);
    if (static_cast<std::size_t>(row) < rows_.size()) {
        rows_[static_cast<std::size_t>(row)].clear();
        ++revision_;
    }
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
