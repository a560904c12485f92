#pragma once
// Shift-JIS (code page 932) on disk, UTF-8 in memory. A byte sequence that is not
// valid CP932 (or would not come back as the same bytes) is carried through UTF-8
// as an escape code point U+DC80..U+DCFF, so a read then a write restores it.
#include <string>
#include <string_view>

namespace data {

std::string cp932ToUtf8(std::string_view bytes);
// Characters CP932 cannot hold are written as '?'.
std::string utf8ToCp932(std::string_view text);

}  // namespace data
