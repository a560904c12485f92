#pragma once
// Daily prices from the CSV files investors already have (broker exports, finance
// sites, their own spreadsheets) into the market store, after which the program's
// files are rebuilt from the store as after an update.
//
// Two shapes are read, told apart by their header row:
//  - a stock's daily history: a date column and a close column, one row per day;
//  - a whole-market day: a code column and a close column, one row per stock, the
//    date from a date column or from the file name (20240304.csv).
#include <cstddef>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/paths.h"
#include "market/market.h"
#include "market/store.h"

namespace market {

// A stock code as the files write it: four characters, digits or capital letters, the
// first a digit ("7203", "130A"), or five as the exchange writes them ("72030"). Lower
// case is raised; nothing when the text is no code.
std::optional<std::string> stockCode(std::string_view text);
// The code a file name starts with: "7203.csv", "7203.T.csv", "130a_daily.csv".
std::optional<std::string> codeFromFileName(std::string_view fileName);
// A date as the files write it: 2024-03-04, 2024/03/04, 2024/3/4, 20240304, 2024.3.4,
// 2024年3月4日, optionally followed by a time of day.
std::optional<Day> csvDate(std::string_view text);

// Imported rows committed together (a failure of the store fails only the files of its
// batch); tests make batches small.
extern std::size_t importRowsPerCommit;

}  // namespace market
