#pragma once
// The local market store R/dravik/market.sqlite: listed issues, the trading calendar
// and daily bars, from the exchange's API or imported from files. The program's files
// are built from it (market/program_files.h). SQLite stays inside this module.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/paths.h"
#include "market/market.h"

struct sqlite3;

namespace market {

// Where a bar came from. A price from the exchange replaces an imported one for the
// same issue and day; an imported price never replaces one from the exchange.
enum class Source { exchange = 0, imported = 1 };

struct Issue {
    std::string code{};  // 5 characters as the exchange writes it: "72030", "130A0"
    std::string name{};  // Japanese
    std::string nameEn{};
    std::string market{};  // "0111"
    std::string marketName{};
    std::string sector17{};
    std::string sector17Name{};
    std::string sector33{};
    std::string sector33Name{};
    std::string scaleCategory{};  // "TOPIX Core30", "-"
    bool listed = false;          // the exchange lists it now
};

// A bar of an index (TOPIX) from the exchange.
struct IndexBar {
    Day day{};
    double open = kNoValue;
    double high = kNoValue;
    double low = kNoValue;
    double close = kNoValue;
};

// The index code the store keeps TOPIX under.
inline constexpr const char* kTopixCode = "TOPIX";

// The code the program's files use: the first four characters ("72030" -> "7203").
std::string shortCode(std::string_view code);
// A common stock: a 5-character code ending in "0".
bool isCommonStock(std::string_view code);

struct CalendarDay {
    Day day{};
    int kind = 0;  // 0 closed, 1 trading, 2 half-day session, 3 closed (derivatives trade)
};
inline bool isTradingKind(int kind) {
    return kind == 1 || kind == 2;
}

// "2024-03-04" or "20240304"; nothing when it is not a date.
std::optional<Day> parseIsoDay(std::string_view text);

// One connection to the store file; use it from one thread (each thread opens its own).
class Store {
  public:
    // Opens the store, creating it (and its folder) when missing. Throws MarketError.
    explicit Store(const std::filesystem::path& file);
    ~Store();
    Store(const Store&) = delete;
    Store& operator=(const Store&) = delete;

    static std::filesystem::path fileIn(const data::DataRoot& root) {
        return root.root / "dravik" / "market.sqlite";
    }
    const std::filesystem::path& file() const { return file_; }

    // Everything between begin and commit lands whole or not at all; a transaction
    // not committed is rolled back when it goes out of scope. Inside another one it is
    // a part of it: rolled back alone, committed with it.
    class Transaction {
      public:
        explicit Transaction(Store& store);
        ~Transaction();
        void commit();
        Transaction(const Transaction&) = delete;
        Transaction& operator=(const Transaction&) = delete;

      private:
        Store& store_;
        bool nested_;
        bool done_ = false;
    };

    // --- Issues ---
    // The exchange's list of listed issues: these are listed from now on, the others
    // stay known (their bars are kept) but are no longer listed.
    void setListedIssues(const std::vector<Issue>& issues);
    // Adds an issue the exchange does not list (an import); a known issue is kept as it is.
    void addIssue(const Issue& issue);
    // Listed issues, ascending by code as text.
    std::vector<Issue> listedIssues() const;
    // Listed issues and the imported ones the exchange does not list, ascending by code.
    std::vector<Issue> listedAndImportedIssues() const;
    // Names an imported issue; an issue the exchange lists keeps the exchange's name.
    void nameImportedIssue(std::string_view code, std::string_view name);
    // The issue the four-character code stands for (the common stock when there are
    // several), listed or not.
    std::optional<Issue> issueFor(std::string_view shortCode) const;
    // Every issue the store knows, listed or not, ascending by code.
    std::vector<Issue> allIssues() const;

    // --- Calendar ---
    void setCalendar(const std::vector<CalendarDay>& days);
    // Trading days (kinds 1 and 2), ascending.
    std::vector<Day> tradingDays() const;
    // Days the calendar marks as closed for stocks (kinds 0 and 3), ascending.
    std::vector<Day> closedDays() const;

    // --- Bars ---
    // Stores bars under the source's precedence. `fetch` is the update that fetched them
    // (0 for imports).
    void putBars(const std::vector<Bar>& bars, Source source, int fetch = 0);
    // Stores imported bars as putBars does; returns for each bar whether it was left
    // out because the store holds the exchange's price for that issue and day.
    std::vector<bool> importBars(const std::vector<Bar>& bars);
    // Stores imported bars only where the store holds no bar of that issue and day;
    // returns for each bar whether it was stored.
    std::vector<bool> fillBars(const std::vector<Bar>& bars);
    // Replaces the exchange's bars of one issue from `from` to `to` by these (a history
    // refetched after a split).
    void replaceIssueBars(std::string_view code, Day from, Day to, const std::vector<Bar>& bars,
                          int fetch);
    std::vector<Bar> bars(std::string_view code, Day from, Day to) const;
    // The issue's bar of each of the days (a bar without a day where there is none), each
    // found through the key.
    std::vector<Bar> barsOnDays(std::string_view code, const std::vector<Day>& days) const;
    std::vector<Bar> barsOn(Day day) const;
    // Days holding at least one bar, ascending.
    std::vector<Day> barDays() const;
    // The oldest day of an issue's bars stored by an update before `fetch`.
    std::optional<Day> oldestBarBefore(std::string_view code, int fetch) const;
    std::optional<Day> oldestBar(std::string_view code) const;

    // Shown closes (shownClose) of the codes on the days: result[c * days.size() + d],
    // kNoValue where the store has none.
    std::vector<double> closes(const std::vector<std::string>& codes,
                               const std::vector<Day>& days) const;

    // --- Index bars (TOPIX) ---
    void putIndexBars(std::string_view index, const std::vector<IndexBar>& bars);
    // Closes of the index on the days (kNoValue where none), in the days' order.
    std::vector<double> indexCloses(std::string_view index, const std::vector<Day>& days) const;
    // The oldest and the newest day of the index's bars.
    std::optional<std::pair<Day, Day>> indexSpan(std::string_view index) const;

    // --- What changed in the bars, for the analyses' cache ---
    // A number that grows with every change of the bars (a day stored, an issue
    // refetched, an import); the changes since an earlier number.
    long long barsRevision() const;
    struct BarChanges {
        std::vector<Day> days;           // days whose bars were stored anew
        std::vector<std::string> codes;  // issues whose bars changed on any day
        bool complete = true;            // false: too old a revision to tell
    };
    BarChanges barChangesSince(long long revision) const;

    // --- Blobs the analyses keep (R/dravik/market.sqlite, table analysis_cache) ---
    std::optional<std::string> cached(std::string_view key) const;
    void setCached(std::string_view key, std::string_view bytes);

    // --- Days fetched whole from the exchange ---
    void markDayFetched(Day day, int rows, int fetch);
    struct FetchedDay {
        Day day;
        int rows;
        int fetch;
    };
    std::vector<FetchedDay> fetchedDays() const;  // ascending

    // --- Issues whose history must be fetched again (a split was seen) ---
    void addPendingRefetch(std::string_view code);
    void removePendingRefetch(std::string_view code);
    std::vector<std::string> pendingRefetches() const;

    // --- The update's own state ---
    std::optional<std::string> state(std::string_view key) const;
    void setState(std::string_view key, std::string_view value);
    // A new number for an update; its bars carry it.
    int beginFetch();

  private:
    friend class Transaction;
    void exec(const char* sql);
    void upgrade();
    // Notes in bar_changes what the bars touch: their issues when fewer than their days,
    // else their days.
    void noteChanges(const std::vector<Bar>& bars);

    std::filesystem::path file_;
    sqlite3* db_ = nullptr;
};

}  // namespace market
