#pragma once
// The program's files as views of the store: the code list and the candidate file
// from the listed and the imported issues, the date file from the trading days, the
// price file from the watch list (the price file's header codes). Each is built whole
// in memory and written atomically; the readers of those files stay as they are.
#include <cstddef>
#include <string>
#include <vector>

#include "data/paths.h"
#include "market/store.h"

namespace market {

// The most days the candidate file holds.
inline constexpr int kCandidateDays = 400;
// The most stocks the price file holds: the columns the price table reads.
inline constexpr std::size_t kPriceFileStocks = 197;

// The watch list: the stock headers of the price file (fields 1 to 197 of line 0, as
// read), in their order; none when there is no price file.
std::vector<std::string> watchList(const data::DataRoot& root);

// The days the store holds prices for, newest first: the calendar's trading days
// between the oldest and the newest stored bar, and stored days the calendar does not
// cover (imports without a calendar).
std::vector<Day> storedDays(const Store& store);

// A price as the files write it: whole yen, halves away from zero; empty for none.
std::string wholeYen(double price);

// zenncode.txt: line 0 as given, then "CODE<TAB>name" per listed or imported common
// stock, ascending by code as text.
std::vector<std::string> codeListLines(const Store& store, const std::string& firstLine);
// hizuke.csv: 1001 lines; line 0 as given, then the trading days from the newest day
// with prices back, "date,date,date".
std::vector<std::string> dateFileLines(const Store& store, const std::string& firstLine);
// kabuka.csv: line 0 the newest `days` dates, then one line per code-list line.
std::vector<std::string> candidateFileLines(const Store& store, int days);

struct PriceFile {
    std::vector<std::string> lines;
    std::vector<std::string> unknownCodes;  // watch-list codes the store knows nothing of
};
// デ-タ一覧.csv: the watch list with names refreshed, one row per stored day.
PriceFile priceFileLines(const Store& store, const std::vector<std::string>& watchList,
                         const std::string& cornerField = {});

// One function per file: built from the store and written atomically.
void writeCodeList(const Store& store, const data::DataRoot& root);
void writeDateFile(const Store& store, const data::DataRoot& root);
void writeCandidateFile(const Store& store, const data::DataRoot& root, int days);
// Returns the watch-list codes the store knows nothing of.
std::vector<std::string> writePriceFile(const Store& store, const data::DataRoot& root);

// All four files: every one is built before the first is written; the store then
// records that the root's files come from it. Codes of `joinWatchList` not yet watched
// are added at the end of the watch list (while it has room). Returns the unknown
// watch-list codes.
std::vector<std::string> rebuildProgramFiles(Store& store, const data::DataRoot& root,
                                             int candidateDays = kCandidateDays,
                                             const std::vector<std::string>& joinWatchList = {});

// The same with the watch list given instead of read from the price file. `fresh`
// starts the files anew (first lines, the price file's corner) instead of keeping
// those of the root's files, as when the generated sample makes way.
std::vector<std::string> rebuildProgramFiles(Store& store, const data::DataRoot& root,
                                             const std::vector<std::string>& watchList, bool fresh,
                                             int candidateDays = kCandidateDays);

// Whether the root still holds the generated sample data (made-up names and prices):
// its code list says so and no file has been built from the store since.
bool holdsGeneratedSample(const data::DataRoot& root);

}  // namespace market
