#include <string>
#include <vector>

#include "app/form.h"
#include "data/text_file.h"

namespace {
// The settings file keeps the first 16 rows of the settings table.
constexpr int kSavedRows = 16;
constexpr int kSettingsColumns = 200;
}  // namespace

// Save the settings: rows 0 to 15 of the settings table, one comma-text line each.
void TForm1::Button17Click() {
    std::vector<std::string> lines;
    lines.reserve(kSavedRows);
    for (int row = 0; row < kSavedRows; ++row) lines.push_back(StringGrid3.rowToCommaText(row));
    data::writeLines(options.root.settingsFile(), lines);
    platform.showMessage("保存しました");
}

// Load the settings: one table row per line of the file.
void TForm1::Button18Click() {
    const auto lines = data::readLines(options.root.settingsFile());
    StringGrid3.setRowCount(static_cast<int>(lines.size()));
    StringGrid3.setColCount(kSettingsColumns);
    for (std::size_t i = 0; i < lines.size(); ++i)
        StringGrid3.rowFromCommaText(static_cast<int>(i), lines[i]);
}
