#pragma once
// One issue's history straight from the exchange, for a stock the program's files do
// not hold (the quick collection). Its bars are not kept in the store: they would
// stretch the price file over the issue's whole history.
#include <functional>
#include <string_view>
#include <vector>

#include "data/paths.h"
#include "market/setup.h"
#include "market/store.h"

namespace market {

// Every bar the plan shows of the issue with this code (4 characters: the common
// stock), oldest first. Throws MarketError.
std::vector<Bar> fetchIssueHistory(const data::DataRoot& root, const Connection& connection,
                                   std::string_view code,
                                   const std::function<bool()>& cancelled = {});

}  // namespace market
