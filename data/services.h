#pragma once
// The hosts of the quote services and of the usage-guide page, read from the
// services file, one "name,HOST[:PORT]" line per service. An empty host means the
// service is not set up. The exchange's daily-data API has its base URL, its
// requests per minute and its wait after a refusal for too many requests there too.
#include <string>

#include "data/paths.h"

namespace data {

struct ServiceHosts {
    std::string priceTable;    // price-table
    std::string quoteHistory;  // quote-history
    std::string usageGuide;    // usage-guide
    // jquants: the exchange's API; an empty line turns it off.
    std::string jquants = "https://api.jquants.com/v2";
    int jquantsRate = 5;        // jquants-rate: requests per minute (the free plan's)
    int jquantsRetryWait = 60;  // jquants-retry-wait: seconds to wait after "too many"
};

// A missing file gives no hosts.
ServiceHosts loadServiceHosts(const DataRoot& root);

}  // namespace data
