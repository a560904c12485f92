#pragma once
// Finding a stock code in a table: the last matching entry wins.
#include <string_view>

#include "tables/convert.h"
#include "tables/working_table.h"

namespace tables {

// The last row in [first, end) whose cell in the column has the code; 0 when none does.
inline int lastRowWithCode(const WorkingTable& table, int col, int first, int end,
                           std::string_view code) {
    int found = 0;
    for (int row = first; row < end; ++row)
        if (sameCode(table.cell(col, row), code)) found = row;
    return found;
}

// The last column in [first, end) whose cell in the row has the code; 0 when none does.
inline int lastColumnWithCode(const WorkingTable& table, int row, int first, int end,
                              std::string_view code) {
    int found = 0;
    for (int col = first; col < end; ++col)
        if (sameCode(table.cell(col, row), code)) found = col;
    return found;
}

// The name in a code-list line (its tab read as a comma) or a column header: what
// follows the code, without the separators around it.
inline std::string_view nameAfterCode(std::string_view text) {
    text.remove_prefix(codeKey(text).size());
    const auto first = text.find_first_not_of(" \t,");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t,") - first + 1);
}

// A stock's name from the code table (column 0, rows 1 on), else from the text itself.
inline std::string_view stockName(const WorkingTable& codeTable, std::string_view codeText) {
    const int row = lastRowWithCode(codeTable, 0, 1, codeTable.rowCount(), codeText);
    return nameAfterCode(row > 0 ? std::string_view(codeTable.cell(0, row)) : codeText);
}

}  // namespace tables
