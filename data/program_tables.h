#pragma once
// The program's files as tables: the price file, the code list and the candidate file,
// read into working tables the way the form's loads read them. The form loads them into
// its own tables; the command line reads them into tables of its own.
#include <string>
#include <string_view>
#include <vector>

#include "tables/working_table.h"

namespace data {

// The price file's lines, one table row per line (row 0 the headers, column 0 the
// dates); the first four stock columns are cut to whole numbers. Throws EConvertError
// when a price there is no number.
void fillPriceTable(WorkingTable& table, const std::vector<std::string>& lines);

// The code list's lines, tabs read as commas, each whole into column 0 of its row.
void fillCodeTable(WorkingTable& table, const std::vector<std::string>& lines);

// The candidate file: one row per line, one column per day, 402 columns.
inline constexpr int kCandidateColumns = 402;
inline constexpr int kCandidateDays = 400;
// A day of a stock's row without a price (" " or a full-width space) becomes an empty cell.
void blankDaysWithoutPrice(WorkingTable& table, int row);

}  // namespace data
