#pragma once
// How the program reaches the exchange's daily-data API: the base URL and limits of
// the services file, the key from the environment or the key file, the certificates
// to trust. The key is never put in a message, a file of the data root or the output.
#include <filesystem>
#include <string>
#include <string_view>

#include "data/services.h"
#include "market/market.h"

namespace market {

// The key: JQUANTS_API_KEY, else the first line of the key file. Throws MarketError
// when there is none, when group or others can read the file, or when it holds
// characters a key cannot have.
std::string readKey();

}  // namespace market
