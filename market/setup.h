#pragma once
// How the program reaches the exchange's daily-data API: the base URL and limits of
// the services file, the key from the environment or the key file, the certificates
// to trust. The key is never put in a message, a file of the data root or the output.
#include <filesystem>
#include <string>
#include <string_view>

#include "data/services.h"

namespace market {

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

// The key: JQUANTS_API_KEY, else the first line of the key file. Throws MarketError
// when there is none, when group or others can read the file, or when it holds
// characters a key cannot have.
std::string readKey();

// Writes the key file, readable by its owner only. Throws MarketError.
void saveKey(std::string_view key);

// Everything needed to call the API. Throws MarketError (source turned off, a base that
// is not https, no key).
Connection connectionFor(const data::ServiceHosts& services);

}  // namespace market
