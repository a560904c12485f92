#pragma once
// The results list as a CSV file for a spreadsheet: a header line, then one line per
// listed stock: pattern caption, code, name, date and level of the box where the
// pattern completed, and the stock's next trigger prices (買い点, 売り点). UTF-8 with a
// byte-order mark, so spreadsheets read the Japanese.
#include <string>

#include "data/text_file.h"
#include "screening/breadth.h"
#include "tables/working_table.h"

namespace screening {

// The lines of the list, in list order (pattern by pattern, each from row 1 down; the
// further formations after the ten while the list shows them).
// Where a run's notes do not match the list (an earlier, broken-off run), the date
// and level stay empty.
std::string resultsCsv(const WorkingTable& settingsTable, const WorkingTable& results,
                       const WorkingTable& codeTable, const RunNotes& notes);

// Writes the text with the byte-order mark; throws EFileError when it cannot.
void saveResultsCsv(const data::Path& path, const std::string& csv);

}  // namespace screening
