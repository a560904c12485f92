#pragma once
// The window's and the command line's own choices of a data root, beside the settings file
// (which stays as it is): how charts are drawn (作図) and the window's cell size.
// R/dravik/chart-style.csv, one "name,value" line each, CP932 with CR LF.
#include <filesystem>
#include <string>

#include "chart/chart.h"
#include "data/paths.h"

namespace app {

struct Preferences {
    chart::ChartStyle style;
    // The chart grid's cell in pixels; 0 for the window's default.
    int cellWidth = 0;
    int cellHeight = 0;
    bool operator==(const Preferences&) const = default;
};

std::filesystem::path preferencesFile(const data::DataRoot& root);

// The saved choices; the defaults for a missing file and for each line that is missing
// or holds no value the program knows.
Preferences loadPreferences(const data::DataRoot& root);

// Throws EFileError when the file cannot be written.
void savePreferences(const data::DataRoot& root, const Preferences& preferences);

// What the panel shows of a style: "作図 標準・転換3・高安・固定目盛り".
std::string styleText(const chart::ChartStyle& style);

}  // namespace app
