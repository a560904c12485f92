#include "data/collection_fetch.h"

#include <set>

#include "data/cp932.h"
#include "data/quote_pages.h"
#include "data/text_file.h"
#include "net/http_client.h"
#include "tables/errors.h"

namespace data {

namespace {

// The status line without its version and line end ("404 Not Found"), printable ASCII
// only and kept short: the server's text goes into a message box.
std::string statusText(const std::string& header) {
    constexpr std::size_t kLongest = 60;
    const std::string line = header.substr(0, header.find_first_of("\r\n"));
    const auto space = line.find(' ');
    std::string text;
    for (std::size_t i = space == std::string::npos ? 0 : space + 1;
         i < line.size() && text.size() < kLongest; ++i) {
        const auto c = static_cast<unsigned char>(line[i]);
        text += c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?';
    }
    return "HTTP " + text;
}

}  // namespace

std::string downloadFailure(std::string_view failed, std::string_view reason) {
    return std::string(failed) + "（" + errorBoxText(reason) + "）";
}

std::string fetchPageText(THttpClient& client, const std::string& host, const std::string& path,
                          std::string_view failed) {
    try {
        client.Get("http://" + host + path);
    } catch (const EAbortError& e) {
        // A time-out ends the wait as an abort; it stays one.
        throw EAbortError(downloadFailure(failed, e.message()));
    } catch (const Exception& e) {
        throw ESockError(downloadFailure(failed, e.message()));
    }
    // A server that closes without a word sent no page; an error reply's page is no
    // page of quotes either, and taking it for one would cut the history short.
    if (client.Header.empty()) throw ESockError(downloadFailure(failed, "Empty reply"));
    if (client.ReplyNumber >= 400)
        throw ESockError(downloadFailure(failed, statusText(client.Header)));
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
