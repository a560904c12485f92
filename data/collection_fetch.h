#pragma once
// One page of a quote service: fetched with the form's HTTP client, cut at its
// marker and kept in the page file, byte for byte as the service sent it.
#include <string>
#include <string_view>

#include "data/paths.h"

class THttpClient;

namespace data {

// Body of http://host + path, as one text (the service's bytes read as CP932).
std::string fetchPageText(THttpClient& client, const std::string& host, const std::string& path);

// Cuts the page at the marker and writes it to the page file.
void keepPage(const DataRoot& root, std::string_view pageText, std::string_view marker,
              std::size_t maxChars);

}  // namespace data
