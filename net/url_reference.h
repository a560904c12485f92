#pragma once
// Where a redirect leads: a Location value resolved against the URL that was asked, as
// RFC 3986 resolves a reference, and made fit for a request line.
#include <string>
#include <string_view>

// Whether the text before a ":" is a scheme: a letter, then letters, digits, "+", "-"
// or ".".
bool isUriScheme(std::string_view text);

// The scheme of a URL in lower case: the text before its first ":" when that ":" comes
// before any "/", "?" or "#" and the text is a scheme; empty otherwise.
std::string uriScheme(std::string_view url);

// The absolute http URL a reference leads to from `base` (an absolute http URL). Dot
// segments are removed and the fragment is dropped: it never goes to the server.
// A scheme other than http raises ("Unsupported scheme"; https: "HTTP Secure Socket
// is not supported"), so no other kind of address becomes a request.
std::string resolveReference(std::string_view base, std::string_view reference);

// Bytes outside printable ASCII, spaces and the characters " < > # as %XX, so the
// text cannot break or bend the request line.
std::string percentEncodeUnsafe(std::string_view text);
