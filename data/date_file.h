#pragma once
// The lines of the date file. Every comma ends a field, except inside a field written
// in quotes: a line read and written again comes out byte for byte the same, so the
// file settles after one update instead of gaining a level of quotes at every start.
#include <string>
#include <string_view>
#include <vector>

namespace data {

// The fields of a line as they are laid into a date-table row. A field enclosed in
// quotes, as dateFileLine writes it, reads back without them ("" inside stands for ");
// any other text is taken as it stands. A comma at the very end adds no field.
std::vector<std::string> dateFileFields(std::string_view line);

// A row's cells joined by commas. A cell holding a single space (what an empty field
// reads back as) is written as an empty field; any other cell as comma text.
std::string dateFileLine(const std::vector<std::string>& cells);

}  // namespace data
