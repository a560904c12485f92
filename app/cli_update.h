#pragma once
// dravik-cli update: the exchange's daily data into the store and the program's files,
// with a live progress line on a terminal and a summary at the end.
#include <filesystem>

// Returns the exit status: 0 done, 1 failed, 130 stopped by the user (Ctrl-C).
int runUpdate(const std::filesystem::path& root, int days);
