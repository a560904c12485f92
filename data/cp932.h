#pragma once
// Shift-JIS (code page 932) on disk, UTF-8 in memory. Every CP932 character is read,
// including the NEC and IBM extension rows; where CP932 has two codes for one
// character, writing picks the same one as glibc's CP932 converter. Bytes that are not
// CP932 (a lone byte, or a lead and a trail byte that form no character) are carried
// through UTF-8 as escape code points U+DC80..U+DCFF, so a read then a write restores
// them byte for byte.
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
