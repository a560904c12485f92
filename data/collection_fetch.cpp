#include "data/collection_fetch.h"

#include <set>

#include "data/cp932.h"
#include "data/quote_pages.h"
#include "data/text_file.h"
#include "net/http_client.h"
#include "tables/errors.h"

namespace data {

std::string fetchPageText(THttpClient& client, const std::string& host, const std::string& path) {
    client.Get("http://" + host + path);
    return cp932ToUtf8(client.Body);
}

void keepPage(const DataRoot& root, std::string_view pageText, std::string_view marker,
              std::size_t maxChars) {
    // Bytes that are not CP932 travel through the text as escapes and come back unchanged.
    writeBytes(root.pageFile(), utf8ToCp932(cutAtMarker(pageText, marker, maxChars)));
}

namespace {
// Owners (forms) with a fetch under way; one thread only.
std::set<const void*>& busyOwners() {
    static std::set<const void*> owners;
    return owners;
}
}  // namespace

PageFetchGuard::PageFetchGuard(const void* owner) : owner_(owner) {
    if (!busyOwners().insert(owner).second) throw EAbort("");
}

PageFetchGuard::~PageFetchGuard() {
    busyOwners().erase(owner_);
}

bool pageFetchBusy(const void* owner) {
    return busyOwners().count(owner) > 0;
}

}  // namespace data
