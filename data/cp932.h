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

// Whether the bytes are well-formed UTF-8 (no overlong forms, no surrogates).
bool isUtf8(std::string_view bytes);
// UTF-16 without its byte-order mark to UTF-8; a lone surrogate becomes U+FFFD.
std::string utf16ToUtf8(std::string_view bytes, bool bigEndian);

}  // namespace data
