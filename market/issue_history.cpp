#include "market/jquants_client.h"
#include "market/market.h"

#include <algorithm>

#include "market/jquants_client.h"

namespace market {

std::vector<Bar> fetchIssueHistory(const data::DataRoot& root, const Connection& connection,
                                   std::string_view code, const std::function<bool()>& cancelled) {
    // The store keeps the recent requests, so this one keeps to the rate with the update.
    Store store(Store::fileIn(root));
    JQuantsClient client(connection, ClientHooks{cancelled, {}, {}});
    if (const auto recent = store.state(kRecentRequestsState)) client.rateLimit().restore(*recent);
    std::vector<Bar> bars;
    try {
        bars = client.barsOf(code);
    } catch (...) {
        store.setState(kRecentRequestsState, client.rateLimit().save());
        throw;
    }
    store.setState(kRecentRequestsState, client.rateLimit().save());
    std::sort(bars.begin(), bars.end(), [](const Bar& a, const Bar& b) { return a.day < b.day; });
    return bars;
}

}  // namespace market
