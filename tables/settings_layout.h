#pragma once
// The settings table's cells: what the settings file keeps (rows 0 to 15) and the state
// the actions hand each other while the program runs. Every place in the program that
// reads or writes one of these cells names it here.
#include <string>
#include <string_view>
#include <vector>

#include "tables/working_table.h"

namespace settings {

// The settings file holds rows 0 to 15 of the table, 200 columns each.
inline constexpr int kSavedRows = 16;
inline constexpr int kColumns = 200;

inline constexpr CellRef kPosition{1, 1};      // charted stock's column (quendal) or row (kouho)
inline constexpr CellRef kHighestPrice{1, 2};  // as the text found in the series
inline constexpr CellRef kLowestPrice{1, 3};
inline constexpr CellRef kDirectionMark{1, 4};        // "〇" or "×" of the column being drawn
inline constexpr CellRef kSavedRatio{1, 5};           // saved box ratio or "コーエン"
inline constexpr CellRef kPageNumber{1, 6};           // quote page being fetched
inline constexpr CellRef kLastBox{1, 7};              // box index of the last box drawn
inline constexpr CellRef kSavedDays{1, 8};            // saved days shown
inline constexpr CellRef kSavedCode{1, 9};            // saved code, mode quendal
inline constexpr CellRef kSavedCandidateCode{1, 10};  // saved code, mode kouho
inline constexpr CellRef kRangeStart{1, 13};          // screening range, as typed or resolved
inline constexpr CellRef kRangeEnd{1, 14};
inline constexpr CellRef kMode{1, 15};              // data-source mode word
inline constexpr CellRef kCandidatesLoaded{1, 16};  // "1" when the candidate rows are loaded
inline constexpr CellRef kLastColumn{1, 17};        // last chart column of the screening build
inline constexpr CellRef kRangeStartRow{3, 13};     // code-table rows of the screening range
inline constexpr CellRef kRangeEndRow{3, 14};
inline constexpr CellRef kCodeRow{3, 15};  // code-table row of the code field

// The pattern counter of results-list column 1..10: (1..5, 18) for the odd columns,
// (1..5, 19) for the even ones.
inline constexpr CellRef counter(int listColumn) {
    return {(listColumn + 1) / 2, listColumn % 2 == 1 ? 18 : 19};
}

// The lines of the settings file: rows 0 to 15 as comma text.
std::vector<std::string> fileLines(const WorkingTable& table);
// A table of the settings file's lines, one row per line, 200 columns.
void fromFileLines(WorkingTable& table, const std::vector<std::string>& lines);

// What a settings file starts with when the program makes one: ratio, days, codes,
// range and mode.
struct Saved {
    std::string ratio = "0.015";
    std::string days = "500";
    std::string code;
    std::string candidateCode;
    std::string rangeStart = "6000";
    std::string rangeEnd = "6999";
    std::string mode = "quendal";
};
void setSaved(WorkingTable& table, const Saved& saved);
std::vector<std::string> newFileLines(const Saved& saved);

}  // namespace settings
