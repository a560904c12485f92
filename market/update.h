#pragma once
// Bringing the store up to date from the exchange's API, then the program's files
// from the store. Every fetched day and every refetched issue is its own transaction,
// so an update that stops keeps what it completed and the next one goes on from there.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "data/paths.h"
#include "market/market.h"
#include "market/setup.h"
#include "market/store.h"

namespace market {

// Called after every day stored with the count of days stored so far and to store.
using DaysStored = std::function<void(int stored, int total)>;

// The store only: calendar, listed issues, the newest `days` trading days with prices
// that it lacks (the newest first), and the histories of issues that split. Throws
// MarketError.
UpdateSummary updateStore(Store& store, const Connection& connection, int days, Day today,
                          const UpdateHooks& hooks = {}, const DaysStored& daysStored = {});

// A long first update writes a new generation of the files after this many more days.
inline constexpr int kDaysPerGeneration = 100;

}  // namespace market
