#pragma once
// Market data: real daily prices from the exchange's API and the CSV files investors
// already have, kept in a local store (R/dravik/market.sqlite) from which the
// program's four files are built. This is the one header of market/ that the rest of
// the program includes; the SQL, the HTTP, the JSON and the file formats stay inside.
#include <chrono>
#include <cmath>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "data/paths.h"
#include "data/services.h"
#include "tables/errors.h"

namespace market {

using Day = std::chrono::sys_days;

// A failure of the store, of the exchange's service or of a file, in the user's words.
class MarketError : public Exception {
    using Exception::Exception;
};

// The user stopped the work.
class Cancelled : public MarketError {
  public:
    Cancelled() : MarketError("中止しました。") {}
};

// Another update or import works on the same data root.
class Busy : public MarketError {
    using MarketError::MarketError;
};

// The store file is damaged ("database disk image is malformed", "file is not a
// database"); setDamagedStoreAside is the way out.
class StoreDamaged : public MarketError {
  public:
    StoreDamaged(std::string text, std::filesystem::path file)
        : MarketError(std::move(text)), file_(std::move(file)) {}
    const std::filesystem::path& file() const { return file_; }

  private:
    std::filesystem::path file_;
};

// A file that cannot be imported: "7203.csv 57行目: 日付ではありません: ...".
class ImportError : public MarketError {
    using MarketError::MarketError;
};

// A value the service or a file left empty (no trade that day).
inline constexpr double kNoValue = std::numeric_limits<double>::quiet_NaN();
inline bool hasNumber(double value) {
    return !std::isnan(value);
}

struct Bar {
    std::string code;
    Day day{};
    double open = kNoValue;
    double high = kNoValue;
    double low = kNoValue;
    double close = kNoValue;  // as traded
    double volume = kNoValue;
    double adjFactor = kNoValue;  // set on an ex-date: 0.5 for a 2-for-1 split
    double adjClose = kNoValue;   // split-adjusted
};

// The closing price the program's files show: the adjusted close, else the close.
double shownClose(const Bar& bar);
// A price as the files write it: whole yen, halves away from zero; empty for none.
std::string wholeYen(double price);

// Days as the store keeps them: yyyymmdd.
int dayNumber(Day day);
Day dayOf(int number);
std::string isoText(Day day);  // "2024-03-04"

// ---------------------------------------------------------------------------------
// Reaching the exchange's API

struct Connection {
    std::string base;    // "https://api.jquants.com/v2", no trailing slash
    std::string key;     // sent as x-api-key
    std::string caFile;  // PEM bundle to trust; empty: the system's
    int requestsPerMinute = 5;
    int retryWaitSeconds = 60;
};

// $XDG_CONFIG_HOME/dravik/jquants-api-key, else ~/.config/dravik/jquants-api-key.
std::filesystem::path keyFilePath();
// Whether the API is set up: a base URL, and a key in the environment or the key file
// (the file is not checked further here).
bool exchangeConfigured(const data::ServiceHosts& services);
// Writes the key file, readable by its owner only. Throws MarketError.
void saveKey(std::string_view key);
// Everything needed to call the API. Throws MarketError (source turned off, a base that
// is not https, no key).
Connection connectionFor(const data::ServiceHosts& services);

// ---------------------------------------------------------------------------------
// The update

// The most trading days an update fetches.
inline constexpr int kMaxUpdateDays = 400;

struct UpdateProgress {
    enum class Stage { calendar, searching, issues, days, benchmark, splits, files, done };
    Stage stage = Stage::calendar;
    int daysDone = 0;
    int daysTotal = 0;
    int daysUsable = 0;  // days the program's files already hold (a long first update)
    int requests = 0;
    int waitSeconds = 0;  // left of a wait for the rate limit or after a refusal
};

struct UpdateHooks {
    std::function<void(const UpdateProgress&)> progress;
    // Polled often; true stops the update (Cancelled) keeping the days it completed.
    std::function<bool()> cancelled;
};

struct UpdateSummary {
    int issues = 0;  // listed issues
    int daysAdded = 0;
    int splitsRefetched = 0;
    int requests = 0;
    double seconds = 0;
    std::optional<Day> newestDay;           // the newest day with prices
    std::vector<std::string> unknownCodes;  // watch-list codes nothing is known of
    // History of the old price file the store lacked, kept as imported prices.
    int keptRows = 0;
    std::vector<std::string> keptCodes;
    bool replacedSample = false;  // the generated sample's mark is gone
    std::string repaired;         // the files were out of step and were rebuilt first
};

// The whole update of a data root: the store, then every program file as one
// generation. Throws MarketError (Busy while another update or import runs,
// StoreDamaged); the files then stay as they were (a long first update leaves the
// last whole generation it wrote).
UpdateSummary updateMarketData(const data::DataRoot& root, const Connection& connection, int days,
                               Day today, const UpdateHooks& hooks = {});

// The summary in the user's words, one line per fact.
std::string summaryText(const UpdateSummary& summary);
// One line of progress: the stage, days done of total, requests, a wait's seconds left.
std::string progressText(const UpdateProgress& progress);

// Whether trading days have passed that the store does not hold yet, judged by the
// delay the plan showed at the last update (for the start-up notice). A root without
// a store lacks them all.
bool storeLacksPassedDays(const data::DataRoot& root, Day today);

// Every bar the plan shows of the issue with this code (4 characters: the common
// stock), oldest first, for a stock the program's files do not hold; not kept in the
// store. Throws MarketError.
std::vector<Bar> fetchIssueHistory(const data::DataRoot& root, const Connection& connection,
                                   std::string_view code,
                                   const std::function<bool()>& cancelled = {});

// ---------------------------------------------------------------------------------
// CSV files

enum class CsvShape { dailyHistory, marketDay };

struct CsvFile {
    CsvShape shape = CsvShape::dailyHistory;
    // Bars by code, then by day, oldest first; codes of four characters ("7203", "130A")
    // or of five as the exchange writes them ("72030"). A history's bars carry its code.
    std::vector<Bar> bars;
    // Names the file gives in a name column, by code.
    std::map<std::string, std::string> names;
    int rowsWithoutPrice = 0;  // an empty, "-" or 0 close: a day without a trade
    int eventRows = 0;         // rows of a split or a dividend inside the table
    int ignoredCells = 0;      // unreadable cells of columns the chart does not use
    // Doubts that do not stop the file: columns not understood, prices that disagree.
    std::vector<std::string> warnings;
};

// Reads a file's bytes (see README "CSV取り込み" for the layouts). `fileName` names the
// file in messages and gives a history's code ("7203.T.csv") unless `code` is given,
// and a market day's date ("20240304.csv") without a date column. Dates after `today`
// (the system's date when none) are refused. Throws ImportError.
CsvFile parseCsvFile(std::string_view fileName, std::string_view bytes, std::string_view code = {},
                     std::optional<Day> today = std::nullopt);

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
    int rowsWithoutPrice = 0;
    int eventRows = 0;
    int ignoredCells = 0;
    int closedDays = 0;  // rows on days the exchange's calendar marks as closed
    std::vector<std::string> warnings;
};

struct ImportResult {
    std::vector<ImportedFile> files;
    bool cancelled = false;
    bool replacedSample = false;  // the generated sample data made way for the imports
    bool filesRebuilt = false;
    std::vector<std::string> watchListFull;  // imported codes past the price file's columns
    std::vector<std::string> unknownCodes;   // watch-list codes the store knows nothing of
    int keptRows = 0;                        // old price-file history kept in the store
    std::vector<std::string> keptCodes;
    std::string rebuildError;  // the program's files could not be rebuilt
    std::string repaired;      // the files were out of step and were rebuilt first

    bool anyFailed() const;
    int storedFiles() const;
    // The codes of the stored files, in file order, each once.
    std::vector<std::string> importedCodes() const;
};

// Called before each file (done of total) and once at the end (total of total); false
// stops before the next file: the files stored so far stay and the files are rebuilt.
using ImportProgress =
    std::function<bool(std::size_t done, std::size_t total, const std::filesystem::path& file)>;

// Each file lands whole or not at all, and a file stored stays stored whatever fails
// after it. A price the store holds from the exchange is never replaced. Then, when
// any file was stored, the program's files are rebuilt from the store as one
// generation: the imported stocks join the watch list as far as it has room. On a
// root that still holds the generated sample, the sample makes way (the watch list
// starts empty); callers ask the user first. Throws MarketError when the store cannot
// be opened (StoreDamaged) or another update or import runs (Busy).
ImportResult importCsvFiles(const data::DataRoot& root,
                            const std::vector<std::filesystem::path>& files,
                            const ImportOptions& options = {}, const ImportProgress& progress = {});

// What the import did, for the user.
struct ImportReport {
    std::vector<std::string> done;      // stored files and the summary
    std::vector<std::string> warnings;  // stored, but worth a look
    std::vector<std::string> problems;  // failed files and what did not fit
};
ImportReport describe(const ImportResult& result);

// ---------------------------------------------------------------------------------
// The whole market for the analyses (breadth, relative strength, what changed)

class Store;

// A stock of the code list as the store knows it. The sector fields come from the
// exchange's list of listed issues; an imported stock has none until an update lists it.
struct StockInfo {
    std::string code;  // four characters, as the program's files write it: "7203", "130A"
    std::string name;
    std::string sector33;  // "3700"; "9999" for その他 (ETFs and the like)
    std::string sector33Name;
    std::string sector17;
    std::string sector17Name;
    std::string market;  // "0111"
    std::string marketName;
    std::string scaleCategory;  // "TOPIX Core30", "-"
    bool listed = false;        // the exchange lists it now (else an import)
};

// The benchmark the store offers for relative strength against the market.
enum class BenchmarkKind {
    topix,    // TOPIX from the exchange
    etf1306,  // a plan without TOPIX: the TOPIX ETF 1306's adjusted closes
    none,     // no data from the exchange: the caller makes an equal-weighted index
};

// The store read by the analyses. One connection, used from one thread.
class MarketData {
  public:
    // Throws MarketError when the root has no store ("市場データがありません…") or it
    // cannot be read (StoreDamaged).
    explicit MarketData(const data::DataRoot& root);
    ~MarketData();
    MarketData(const MarketData&) = delete;
    MarketData& operator=(const MarketData&) = delete;

    // The days the store holds prices for, oldest first.
    std::vector<Day> days() const;
    // The stocks of the code list, ascending by code.
    std::vector<StockInfo> stocks() const;
    // Shown closes of the stocks on the days: result[s * days.size() + d], kNoValue for none.
    std::vector<double> closes(const std::vector<std::string>& codes,
                               const std::vector<Day>& days) const;
    // TOPIX when the store holds it up to the newest of the days, else 1306 when the store
    // holds the exchange's data, else none; its closes on the days.
    std::pair<BenchmarkKind, std::vector<double>> benchmark(const std::vector<Day>& days) const;

    // A number that grows with every change of the bars, and the changes since one.
    long long revision() const;
    struct Changes {
        std::vector<Day> days;           // days stored anew
        std::vector<std::string> codes;  // stocks (four characters) changed on any day
        bool complete = true;            // false: too old to tell; read everything again
    };
    Changes changesSince(long long revision) const;

    // What an analysis kept of its last run.
    std::optional<std::string> cached(std::string_view key) const;
    // Keeps it; a failure to keep it (a read-only store) is no failure of the analysis.
    void keep(std::string_view key, std::string_view bytes);

  private:
    std::unique_ptr<Store> store_;
};

// The watch list: the stocks of the price file's first line, in their order.
std::vector<std::string> watchedCodes(const data::DataRoot& root);

// ---------------------------------------------------------------------------------
// The program's files and the data root

// Whether the root still holds the generated sample data (made-up names and prices).
bool holdsGeneratedSample(const data::DataRoot& root);

// The four files are written as one generation; a run stopped between two of its
// replacements (a kill, a power cut) leaves them out of step. This rebuilds them from
// the store then and returns a notice for the user; empty when they were in step (or
// another update or import is at work on them). Throws MarketError when they cannot be
// rebuilt.
std::string repairProgramFiles(const data::DataRoot& root);

// Keeps a damaged store as market.sqlite.damaged-YYYYMMDD-HHMMSS beside it, so that the
// next update builds a new one. Returns the kept file. Throws MarketError.
std::filesystem::path setDamagedStoreAside(const data::DataRoot& root);

// ---------------------------------------------------------------------------------
// A stock's stored prices

// A day's high, low and close as the store holds them, split-adjusted as the program's
// files show the close (the adjusted close, and the high and low by the same factor);
// kNoValue where there is none.
struct DayPrices {
    double high = kNoValue;
    double low = kNoValue;
    double close = kNoValue;
};

// The stock's (its four-character code) prices on each of the days; all kNoValue when
// the data root has no store or the store does not know the stock. The store is never
// created here. Throws MarketError (a damaged store, one that cannot be read).
std::vector<DayPrices> storedDayPrices(const data::DataRoot& root, std::string_view code,
                                       const std::vector<Day>& days);

}  // namespace market
