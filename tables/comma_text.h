#pragma once
// The comma-text and line-list rules that every file of the system is read and
// written with.
#include <string>
#include <string_view>
#include <vector>

namespace tables {

// Characters 1 to 32 are blanks: they end an unquoted field.
inline bool isBlank(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u >= 1 && u <= 32;
}

// Fields of a comma text: quoted fields keep commas and blanks ("" stands for ");
// a blank or a comma ends an unquoted field; a comma at the very end adds no field.
std::vector<std::string> splitCommaText(std::string_view text);

// One field as written in comma text: quoted when it holds a blank, a quote or a comma.
std::string quoteField(std::string_view field);

// One field of a CSV file written for other programs (a spreadsheet): quoted only when it
// holds a comma, a quote or a line break.
std::string csvField(std::string_view field);

// Lines split at CR, LF or CR LF; a line break at the very end adds no empty line.
std::vector<std::string> splitLines(std::string_view text);

}  // namespace tables
