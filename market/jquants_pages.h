#pragma once
// The JSON pages of the exchange's API read into the store's rows. Each reader takes
// one page's body and returns its pagination key (empty on the last page); a page it
// cannot read raises MarketError. No network and no store here, so a fuzzer can feed
// them anything.
#include <string>
#include <vector>

#include "market/store.h"

namespace market {

// Raises MarketError "J-Quants APIの応答を読めません (what)。".
[[noreturn]] void malformedReply(std::string_view what);

// The body is padded in place as the JSON parser needs.
std::string readCalendarPage(std::string& body, std::vector<CalendarDay>& days);
std::string readIssuesPage(std::string& body, std::vector<Issue>& issues);
std::string readBarsPage(std::string& body, std::vector<Bar>& bars);
std::string readIndexBarsPage(std::string& body, std::vector<IndexBar>& bars);

// The service's own "message" of an error reply; empty when it sent none.
std::string serviceMessageOf(std::string& body);

}  // namespace market
