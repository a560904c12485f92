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

// Held by the quick collection and the calendar update while they fetch pages. Both
// share the page file, the page table and the working series, and the window stays
// live during a request, so a second one started meanwhile (a chart run from the
// keyboard) would mix its data with the first one's: it ends silently (EAbort).
class PageFetchGuard {
  public:
    explicit PageFetchGuard(const void* owner);
    ~PageFetchGuard();
    PageFetchGuard(const PageFetchGuard&) = delete;
    PageFetchGuard& operator=(const PageFetchGuard&) = delete;

  private:
    const void* owner_;
};

// Whether the owner holds a PageFetchGuard (a chart run can check it before it
// overwrites the working series).
bool pageFetchBusy(const void* owner);

}  // namespace data
