#include "tables/settings_layout.h"

namespace settings {

std::vector<std::string> fileLines(const WorkingTable& table) {
    std::vector<std::string> lines;
    lines.reserve(kSavedRows);
    for (int row = 0; row < kSavedRows; ++row) lines.push_back(table.rowToCommaText(row));
    return lines;
}

void fromFileLines(WorkingTable& table, const std::vector<std::string>& lines) {
    table.setRowCount(static_cast<int>(lines.size()));
    table.setColCount(kColumns);
    for (std::size_t i = 0; i < lines.size(); ++i)
        table.rowFromCommaText(static_cast<int>(i), lines[i]);
}

void setSaved(WorkingTable& table, const Saved& saved) {
    table.setCell(kSavedRatio, saved.ratio);
    table.setCell(kSavedDays, saved.days);
    table.setCell(kSavedCode, saved.code);
    table.setCell(kSavedCandidateCode, saved.candidateCode);
    table.setCell(kRangeStart, saved.rangeStart);
    table.setCell(kRangeEnd, saved.rangeEnd);
    table.setCell(kMode, saved.mode);
}

std::vector<std::string> newFileLines(const Saved& saved) {
    WorkingTable table(kColumns, kSavedRows);
    setSaved(table, saved);
    return fileLines(table);
}

}  // namespace settings
