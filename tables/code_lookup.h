#pragma once
// Stock codes: finding one in a table (the last matching entry wins), ordering codes,
// and a code field's text made ready for lookup. Codes are four characters, digits or,
// for codes issued since 2024, digits and capital letters ("130A").
#include <string>
#include <string_view>

#include "tables/convert.h"
#include "tables/working_table.h"

namespace tables {

// The last row in [first, end) whose cell in the column has the code; 0 when none does.
// A table searched again unchanged is searched through an index.
int lastRowWithCode(const WorkingTable& table, int col, int first, int end, std::string_view code);

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

// A code with a letter: four ASCII digits and capital letters, the first a digit, at
// least one a letter.
bool isLetterCode(std::string_view key);

// Orders two codes by their first four characters: as whole numbers, or as text when
// either is a code with a letter (for digit codes both orders agree). Negative, zero or
// positive. A digit code that is no whole number fails as toInt does.
int compareCodes(std::string_view a, std::string_view b);

// Fails as toInt does unless the first four characters are a whole number or a code
// with a letter.
void checkCode(std::string_view text);

// The text of a code or range field as an input method may give it, ready for lookup:
// within the first four characters (the code) full-width digits and letters become
// ASCII, and when the code begins with a digit its letters become capitals. The rest
// of the text (a name) stays as it is.
std::string normalizedCodeText(std::string_view text);

}  // namespace tables
