#pragma once
// Bringing the store up to date from the exchange's API, then the program's files
// from the store. Every fetched day and every refetched issue is its own transaction,
// so an update that stops keeps what it completed and the next one goes on from there;
// the files are written only after the store holds the whole update.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "data/paths.h"
#include "market/setup.h"
#include "market/store.h"

namespace market {

// The most trading days an update fetches.
inline constexpr int kMaxUpdateDays = 400;

struct UpdateProgress {
    enum class Stage { calendar, searching, issues, days, splits, files, done };
    Stage stage = Stage::calendar;
    int daysDone = 0;
    int daysTotal = 0;
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
    std::vector<std::string> unknownCodes;  // watch-list codes the service does not list
};

// The store only: calendar, listed issues, the newest `days` trading days with prices
// that it lacks, and the histories of issues that split. Throws MarketError.
UpdateSummary updateStore(Store& store, const Connection& connection, int days, Day today,
                          const UpdateHooks& hooks = {});

// The whole update of a data root: the store, then every program file. Throws
// MarketError; then no file has changed.
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

}  // namespace market
