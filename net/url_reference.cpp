#include "net/url_reference.h"

#include <optional>

#include "tables/errors.h"

namespace {

bool isAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool isAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string lowerCase(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

// A URL or reference taken apart; the fragment is left out.
struct Parts {
    std::optional<std::string> scheme;
    std::optional<std::string> authority;
    std::string path;
    std::optional<std::string> query;
};

Parts split(std::string_view text) {
    Parts parts;
    text = text.substr(0, text.find('#'));
    if (std::string scheme = uriScheme(text); !scheme.empty()) {
        text.remove_prefix(scheme.size() + 1);
        parts.scheme = std::move(scheme);
    }
    if (text.starts_with("//")) {
        text.remove_prefix(2);
        const std::size_t end = std::min(text.find_first_of("/?"), text.size());
        parts.authority = std::string(text.substr(0, end));
        text.remove_prefix(end);
    }
    const std::size_t question = text.find('?');
    parts.path = std::string(text.substr(0, question));
    if (question != std::string_view::npos) parts.query = std::string(text.substr(question + 1));
    return parts;
}

void dropLastSegment(std::string& output) {
    const std::size_t slash = output.rfind('/');
    output.erase(slash == std::string::npos ? 0 : slash);
}

// "." and ".." segments taken out of a path (RFC 3986, 5.2.4).
std::string removeDotSegments(std::string input) {
    std::string output;
    while (!input.empty()) {
        if (input.starts_with("../")) {
            input.erase(0, 3);
        } else if (input.starts_with("./") || input.starts_with("/./")) {
            input.erase(0, 2);
        } else if (input == "/.") {
            input = "/";
        } else if (input.starts_with("/../")) {
            input.erase(0, 3);
            dropLastSegment(output);
        } else if (input == "/..") {
            input = "/";
            dropLastSegment(output);
        } else if (input == "." || input == "..") {
            input.clear();
        } else {
            const std::size_t end = std::min(input.find('/', 1), input.size());
            output.append(input, 0, end);
            input.erase(0, end);
        }
    }
    return output;
}

// A relative path put after the base's last "/" (RFC 3986, 5.2.3).
std::string mergePaths(const Parts& base, const std::string& path) {
    if (base.authority && base.path.empty()) return "/" + path;
    const std::size_t slash = base.path.rfind('/');
    return slash == std::string::npos ? path : base.path.substr(0, slash + 1) + path;
}

// Host and port only: a user name before "@" does not belong in an http request, and an
// empty port means the usual one.
std::string hostAndPort(std::string authority) {
    if (const std::size_t at = authority.rfind('@'); at != std::string::npos)
        authority.erase(0, at + 1);
    if (authority.ends_with(':')) authority.pop_back();
    return authority;
}

}  // namespace

bool isUriScheme(std::string_view text) {
    if (text.empty() || !isAsciiLetter(text.front())) return false;
    for (char c : text)
        if (!isAsciiLetter(c) && !isAsciiDigit(c) && c != '+' && c != '-' && c != '.') return false;
    return true;
}

std::string uriScheme(std::string_view url) {
    const std::size_t end = url.find_first_of(":/?#");
    if (end == std::string_view::npos || url[end] != ':') return {};
    const std::string_view scheme = url.substr(0, end);
    return isUriScheme(scheme) ? lowerCase(scheme) : std::string();
}

std::string resolveReference(std::string_view base, std::string_view reference) {
    const Parts from = split(base);
    Parts to = split(reference);
    // The base's own scheme before a relative reference is read as no scheme at all.
    if (to.scheme == "http") to.scheme.reset();
    if (to.scheme == "https") throw Exception("HTTP Secure Socket is not supported");
    if (to.scheme) throw Exception("Unsupported scheme");

    Parts target;
    if (to.authority) {
        target.authority = to.authority;
        target.path = removeDotSegments(to.path);
        target.query = to.query;
    } else {
        if (to.path.empty()) {
            target.path = from.path;
            target.query = to.query ? to.query : from.query;
        } else {
            target.path =
                removeDotSegments(to.path.starts_with('/') ? to.path : mergePaths(from, to.path));
            target.query = to.query;
        }
        target.authority = from.authority;
    }
    std::string url = "http://" + hostAndPort(target.authority.value_or("")) + target.path;
    if (target.query) url += "?" + *target.query;
    return url;
}

std::string percentEncodeUnsafe(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7F || c == '"' || c == '<' || c == '>' || c == '#') {
            encoded += '%';
            encoded += kHex[byte >> 4];
            encoded += kHex[byte & 0x0F];
        } else {
            encoded += c;
        }
    }
    return encoded;
}
