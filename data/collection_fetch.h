#pragma once
// One page of a quote service: fetched with the form's HTTP client, cut at its
// marker and kept in the page file, byte for byte as the service sent it.
#include <string>
#include <string_view>

#include "data/paths.h"

class THttpClient;

namespace data {

// What failed, for the message of a failed download.
inline constexpr std::string_view kPriceFetchFailed = "株価データの取得に失敗しました";
inline constexpr std::string_view kCalendarFetchFailed = "取引日カレンダーの更新に失敗しました";

// Body of http://host + path, as one text (the service's bytes read as CP932). A failed
// connection or transfer, an empty reply and a reply status of 400 or more raise
// ESockError "failed（reason）" (a time-out stays an EAbortError): an error page is
// never taken for a page of quotes.
std::string fetchPageText(THttpClient& client, const std::string& host, const std::string& path,
                          std::string_view failed);

// "failed（reason）", the reason with the error box's "." rule applied.
std::string downloadFailure(std::string_view failed, std::string_view reason);

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
