#pragma once
// A two-dimensional table of text cells addressed (column, row). Storage does not
// depend on the row and column counts: cells outside the counts keep their text.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A cell's place, for the cells the program names (tables/settings_layout.h).
struct CellRef {
    int col;
    int row;
};

class WorkingTable {
  public:
    WorkingTable(int colCount, int rowCount, int fixedCols = 1, int fixedRows = 1);

    // Empty text when never written; never fails for large coordinates.
    const std::string& cell(int col, int row) const {
        if (row < 0 || col < 0 || static_cast<std::size_t>(row) >= rows_.size()) return empty();
        const auto& cells = rows_[static_cast<std::size_t>(row)];
        if (static_cast<std::size_t>(col) >= cells.size()) return empty();
        return cells[static_cast<std::size_t>(col)];
    }
    void setCell(int col, int row, std::string text);
    // The number as decimal text, as setCell(col, row, intToStr(value)) writes it.
    void setNumber(int col, int row, long long value);
    const std::string& cell(CellRef at) const { return cell(at.col, at.row); }
    void setCell(CellRef at, std::string text) { setCell(at.col, at.row, std::move(text)); }
    void setNumber(CellRef at, long long value) { setNumber(at.col, at.row, value); }

    int colCount() const { return colCount_; }
    int rowCount() const { return rowCount_; }
    void setColCount(int count);
    void setRowCount(int count);
    int fixedCols() const { return fixedCols_; }
    int fixedRows() const { return fixedRows_; }

    // Rows from this one on hold no text in any column; loops over days can stop here.
    int storedRowCount() const { return static_cast<int>(rows_.size()); }
    // Columns from this one on hold no text in the row.
    int storedColCount(int row) const {
        return row >= 0 && static_cast<std::size_t>(row) < rows_.size()
                   ? static_cast<int>(rows_[static_cast<std::size_t>(row)].size())
                   : 0;
    }

    // Every stored cell of the row becomes empty text, also beyond the column count.
    void clearRow(int row);
    // Clear the row, then store the fields from column 0 on; an empty field is stored
    // as " "; fields beyond the column count are dropped.
    void fillRow(int row, std::vector<std::string> fields);
    void rowFromCommaText(int row, std::string_view text);
    void rowFromLineList(int row, std::string_view text);
    // Columns 0 to column count - 1 joined by the comma-text rules.
    std::string rowToCommaText(int row) const;

    // Shown on screen (only meaningful for the visible tables).
    bool visible = true;

    // Grows with every change of a cell or a count, so a view can tell it is stale.
    std::uint64_t revision() const { return revision_; }
    // Differs between any two tables, alive or gone (a copy is another table): with
    // the revision it tells whether something derived from the cells still holds.
    std::uint64_t serial() const { return serial_.value; }

  private:
    static const std::string& empty();
    // The cell in place when it is stored, else nothing.
    std::string* storedCell(std::size_t col, std::size_t row) {
        return row < rows_.size() && col < rows_[row].size() ? &rows_[row][col] : nullptr;
    }
    // Stores text into a cell not stored yet.
    void storeNew(std::size_t col, std::size_t row, std::string text);

    std::vector<std::vector<std::string>> rows_;
    int colCount_;
    int rowCount_;
    int fixedCols_;
    int fixedRows_;
    std::uint64_t revision_ = 0;
    struct Serial {
        Serial() : value(next()) {}
        Serial(const Serial&) : value(next()) {}
        Serial& operator=(const Serial&) {
            value = next();
            return *this;
        }
        static std::uint64_t next();
        std::uint64_t value;
    } serial_;
};
