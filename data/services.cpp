#include "data/services.h"

#include <system_error>

#include "data/text_file.h"
#include "tables/convert.h"

namespace data {

namespace {

std::string trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t");
    return std::string(text.substr(first, last - first + 1));
}

}  // namespace

ServiceHosts loadServiceHosts(const DataRoot& root) {
    ServiceHosts hosts;
    std::error_code error;
    if (!std::filesystem::is_regular_file(root.servicesFile(), error)) return hosts;
    for (const auto& line : readLines(root.servicesFile())) {
        const auto comma = line.find(',');
        if (comma == std::string::npos) continue;
        const std::string name = trimmed(std::string_view(line).substr(0, comma));
        std::string host = trimmed(std::string_view(line).substr(comma + 1));
        // The exchange's API: a URL and two counts; a count that does not read keeps its default.
        if (name == "jquants") {
            hosts.jquants = host;
            continue;
        }
        if (name == "jquants-rate" || name == "jquants-retry-wait") {
            const auto value = tryToInt(host);
            if (name == "jquants-rate" && value && *value >= 1 && *value <= 100000)
                hosts.jquantsRate = *value;
            if (name == "jquants-retry-wait" && value && *value >= 0 && *value <= 3600)
                hosts.jquantsRetryWait = *value;
            continue;
        }
        // A host is a name and a port, nothing that could add to the request path.
        if (host.find_first_of("/?#@ \t") != std::string::npos) host.clear();
        if (name == "price-table")
            hosts.priceTable = host;
        else if (name == "quote-history")
            hosts.quoteHistory = host;
        else if (name == "usage-guide")
            hosts.usageGuide = host;
    }
    return hosts;
}

}  // namespace data
