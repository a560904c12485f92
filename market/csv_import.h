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
#include "market/store.h"

namespace market {

// A file that cannot be imported, in the user's words: "7203.csv 57行目: 日付ではありません: ...".
class ImportError : public MarketError {
    using MarketError::MarketError;
};

// --- Reading one file (no store, no other file: safe on any bytes) ---

enum class CsvShape { dailyHistory, marketDay };

struct CsvFile {
    CsvShape shape = CsvShape::dailyHistory;
    // Bars by code, then by day, oldest first; codes of four characters ("7203", "130A")
    // or of five as the exchange writes them ("72030"). A history's bars carry its code.
    std::vector<Bar> bars;
    // Names the file gives in a name column, by code.
    std::map<std::string, std::string> names;
    // Rows without a price (an empty, "-" or 0 close): a day without a trade.
    int rowsWithoutPrice = 0;
};

// Reads a file's bytes: UTF-8 with or without BOM, UTF-16 with BOM or CP932; comma or
// tab separated; the header row among the first lines. `fileName` names the file in
// messages and gives a history's code ("7203.csv", "7203.T.csv", "7203_daily.csv")
// unless `code` is given, and a market day's date ("20240304.csv") when it has no date
// column. Throws ImportError.
CsvFile parseCsvFile(std::string_view fileName, std::string_view bytes, std::string_view code = {});

// A stock code as the files write it: four characters, digits or capital letters, the
// first a digit ("7203", "130A"), or five as the exchange writes them ("72030"). Lower
// case is raised; nothing when the text is no code.
std::optional<std::string> stockCode(std::string_view text);
// The code a file name starts with: "7203.csv", "7203.T.csv", "130a_daily.csv".
std::optional<std::string> codeFromFileName(std::string_view fileName);
// A date as the files write it: 2024-03-04, 2024/03/04, 2024/3/4, 20240304, 2024.3.4,
// 2024年3月4日, optionally followed by a time of day.
std::optional<Day> csvDate(std::string_view text);

// --- Importing files into a data root ---

struct ImportOptions {
    std::string code;  // the stock of a daily history, instead of its file name's
    std::string name;  // its name, instead of the store's or the code list's
};

struct ImportedFile {
    std::filesystem::path file;
    std::string error;  // empty when the file was stored
    CsvShape shape = CsvShape::dailyHistory;
    std::vector<std::string> codes;  // the four-character codes it held
    std::string name;                // a history's name as stored
    std::optional<Day> firstDay, lastDay;
    int stored = 0;            // rows stored
    int keptFromExchange = 0;  // rows left out: the exchange's price for that day stays
    int rowsWithoutPrice = 0;  // rows without a price
};

struct ImportResult {
    std::vector<ImportedFile> files;
    bool cancelled = false;
    bool replacedSample = false;  // the generated sample data made way for the imports
    bool filesRebuilt = false;
    std::vector<std::string> watchListFull;  // imported codes past the price file's columns
    std::vector<std::string> unknownCodes;   // watch-list codes the store knows nothing of
    std::string rebuildError;                // the program's files could not be rebuilt

    bool anyFailed() const;
    int storedFiles() const;
    // The codes of the stored files, in file order, each once.
    std::vector<std::string> importedCodes() const;
};

// Called before each file (done of total) and once at the end (total of total); false
// stops before the next file: the files stored so far stay and the files are rebuilt.
using ImportProgress =
    std::function<bool(std::size_t done, std::size_t total, const std::filesystem::path& file)>;

// Each file is one transaction: a file that fails stores nothing and the others go
// on. A price the store holds from the exchange is never replaced. Then, when any file
// was stored, the program's files are rebuilt from the store: the imported stocks join
// the watch list (the price file's columns) as far as it has room. On a root that
// still holds the generated sample, the sample makes way: the watch list starts empty
// and the files start anew. Throws MarketError when the store cannot be opened.
ImportResult importCsvFiles(const data::DataRoot& root,
                            const std::vector<std::filesystem::path>& files,
                            const ImportOptions& options = {}, const ImportProgress& progress = {});

// What the import did, one line per file and then the summary, for the user.
struct ImportReport {
    std::vector<std::string> done;      // stored files and the summary
    std::vector<std::string> problems;  // failed files and what did not fit
};
ImportReport describe(const ImportResult& result);

}  // namespace market
