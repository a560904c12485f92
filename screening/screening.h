#pragma once
// Plain pieces of the screening run that tests and the command line use directly.
#include <string>
#include <string_view>
#include <vector>

#include "tables/working_table.h"

namespace screening {

// Code-table row of a range code: the last row (1 to row count - 1) whose code is the
// same; otherwise the last row whose code is smaller; 0 when there is none.
int rangeRow(const WorkingTable& codeTable, std::string_view code);

// Number of stock columns a "quendal" pass visits: the last price-table column of 1 to
// 197 with a header.
int stockColumnCount(const WorkingTable& priceTable);

// Rows the results list needs to show every entry: the largest of the ten counters
// plus the caption row.
int resultRowCount(const WorkingTable& settingsTable);

// The codes listed under each of the ten patterns, in list order.
std::vector<std::vector<std::string>> resultColumns(const WorkingTable& settingsTable,
                                                    const WorkingTable& results);

// The codes listed under each of the sixteen further formations, in list order, while the
// list shows them after the ten (拡張パターン); none otherwise.
std::vector<std::vector<std::string>> formationColumns(const WorkingTable& results);

}  // namespace screening
