// The CP932 reader on any bytes, and the writer on any text: what is read is written and
// read again as the same text (invalid bytes travel as escapes).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "data/cp932.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string text = data::cp932ToUtf8(bytes);
    if (data::cp932ToUtf8(data::utf8ToCp932(text)) != text) __builtin_trap();
    (void)data::utf8ToCp932(bytes);  // the same bytes taken as (maybe broken) UTF-8
    return 0;
}
