// The HTTP client's URL reading on any URL (as a Location would hand it over): it is
// refused with an error or makes a request whose header lines stay single lines.
#include <cstddef>
#include <cstdint>
#include <string>

#include "net/http_client.h"

namespace {

bool holdsLineBreak(const std::string& text) {
    return text.find_first_of("\r\n") != std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static THttpClient client(SessionHost{});
    client.Host = "quotes.example";  // the server a relative reference is taken on
    client.Port = 8080;
    client.SetURL(std::string(reinterpret_cast<const char*>(data), size));
    try {
        client.ParseURL();
        client.BuildRequestHeader();
    } catch (const Exception&) {
        return 0;  // refused
    }
    if (holdsLineBreak(client.Host) || holdsLineBreak(client.RequestPath())) __builtin_trap();
    for (const std::string& line : client.RequestHeader())
        if (holdsLineBreak(line)) __builtin_trap();
    return 0;
}
