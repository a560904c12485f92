#pragma once
// The results list's own preferences, in a file of their own under the data root
// (R/dravik/patterns.csv, one "name,value" line each), never in the settings file:
// whether the list shows the catalogue's further formations after the ten (拡張パターン).
#include "data/paths.h"

namespace screening {

// False without the file, without the line, or when the file cannot be read.
bool savedExtendedPatterns(const data::DataRoot& root);
// Keeps the file's other lines; throws EFileError when the file cannot be written.
void saveExtendedPatterns(const data::DataRoot& root, bool shown);

}  // namespace screening
