#pragma once
// The program's files as views of the store: the code list and the candidate file
// from the listed and the imported issues, the date file from the trading days, the
// price file from the watch list (the price file's header codes). Each is built whole
// in memory and written atomically; the readers of those files stay as they are.
#include <cstddef>
#include <functional>
#include <memory>
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

// All four files as one generation: every one is built and staged beside its place
// before the first replaces the old one, and a failure before the last replacement
// puts the old ones back. The store marks the generation while its files are being
// replaced and records at the end that the root's files come from it (see
// repairProgramFiles). The code list's first line loses the generated sample's mark. Codes of
// `joinWatchList` not yet watched are added at the end of the watch list (while it has room).
// Returns the unknown watch-list codes.
std::vector<std::string> rebuildProgramFiles(Store& store, const data::DataRoot& root,
                                             int candidateDays = kCandidateDays,
                                             const std::vector<std::string>& joinWatchList = {});

// The same with the watch list given instead of read from the price file. `fresh`
// starts the files anew (first lines, the price file's corner) instead of keeping
// those of the root's files, as when the generated sample makes way.
std::vector<std::string> rebuildProgramFiles(Store& store, const data::DataRoot& root,
                                             const std::vector<std::string>& watchList, bool fresh,
                                             int candidateDays = kCandidateDays);

// A generation left half replaced (a kill, a power cut) is rebuilt from the store with
// the watch list it was written with; returns the notice for the user, or empty.
std::string repairProgramFiles(Store& store, const data::DataRoot& root);

// Tests stand in for a failure (a throw) or a kill between the replacements of a
// generation: called before each of the four renames with its number, 0 to 3.
extern std::function<void(int file)> beforeReplacingFile;

// The price file's prices the store lacks (older history, a watched stock the exchange
// does not list), taken into the store as imported prices so that no rebuild cuts them.
struct KeptHistory {
    int rows = 0;
    std::vector<std::string> codes;  // four characters
};
KeptHistory keepPriceFileHistory(Store& store, const data::DataRoot& root);

// One update or import at a time per data root: R/dravik/update.lock, held while it
// runs (and let go by the system when the program dies).
class RootLock {
  public:
    // Throws Busy "別の更新が実行中です。…" when another holds it.
    explicit RootLock(const data::DataRoot& root);
    ~RootLock();
    RootLock(const RootLock&) = delete;
    RootLock& operator=(const RootLock&) = delete;
    // Nothing when another holds it.
    static std::unique_ptr<RootLock> tryTake(const data::DataRoot& root);

  private:
    RootLock() = default;
    bool take(const data::DataRoot& root);
    int fd_ = -1;
};

}  // namespace market
