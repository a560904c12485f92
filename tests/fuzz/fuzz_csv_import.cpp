// The CSV reader on any bytes, under a history's and a market day's file name: it reads
// the file or raises the importer's own error, never anything else.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "market/market.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    for (const std::string_view name : {"7203.csv", "20240304.csv"}) {
        try {
            (void)market::parseCsvFile(name, bytes);
        } catch (const market::ImportError&) {
        }
    }
    return 0;
}
