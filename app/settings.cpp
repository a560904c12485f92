#include <string>
#include <vector>

#include "app/form.h"
#include "data/text_file.h"
#include "tables/settings_layout.h"

// Save the settings: rows 0 to 15 of the settings table, one comma-text line each.
void TForm1::Button17Click() {
    data::writeLines(options.root.settingsFile(), settings::fileLines(StringGrid3));
    platform.showMessage("保存しました");
}

// Load the settings: one table row per line of the file.
void TForm1::Button18Click() {
    settings::fromFileLines(StringGrid3, data::readLines(options.root.settingsFile()));
}
