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

}  // namespace tables
