#pragma once
// The hosts of the quote services and of the usage-guide page, read from the
// services file, one "name,HOST[:PORT]" line per service. An empty host means the
// service is not set up.
#include <string>

#include "data/paths.h"

namespace data {

struct ServiceHosts {
    std::string priceTable;    // price-table
    std::string quoteHistory;  // quote-history
    std::string usageGuide;    // usage-guide
};

// A missing file gives no hosts.
ServiceHosts loadServiceHosts(const DataRoot& root);

}  // namespace data
