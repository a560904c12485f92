#include "data/collection_fetch.h"

#include "data/cp932.h"
#include "data/quote_pages.h"
#include "data/text_file.h"
#include "net/http_client.h"

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

}  // namespace data
