#pragma once
// The analyses' cache as bytes: whole numbers as variable-length integers, real numbers
// as their eight bytes, texts with their length. A reader that runs past the end, or
// meets a number too large, throws std::runtime_error: the cache is then read as none.
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>

namespace analysis::bytes {

inline void putInt(std::string& out, long long value) {
    auto bits = (static_cast<std::uint64_t>(value) << 1) ^ static_cast<std::uint64_t>(value >> 63);
    while (bits >= 0x80) {
        out += static_cast<char>(static_cast<std::uint8_t>(bits) | 0x80);
        bits >>= 7;
    }
    out += static_cast<char>(bits);
}

inline long long getInt(std::string_view in, std::size_t& at) {
    std::uint64_t bits = 0;
    for (int shift = 0;; shift += 7) {
        if (at >= in.size() || shift > 63) throw std::runtime_error("cache: truncated number");
        const auto byte = static_cast<std::uint8_t>(in[at++]);
        bits |= static_cast<std::uint64_t>(byte & 0x7F) << shift;
        if (!(byte & 0x80)) break;
    }
    return static_cast<long long>((bits >> 1) ^ (~(bits & 1) + 1));
}

// A whole number that must lie in [low, high].
inline long long getInt(std::string_view in, std::size_t& at, long long low, long long high) {
    const long long value = getInt(in, at);
    if (value < low || value > high) throw std::runtime_error("cache: number out of range");
    return value;
}

inline void putReal(std::string& out, double value) {
    char raw[8];
    std::memcpy(raw, &value, 8);
    out.append(raw, 8);
}

inline double getReal(std::string_view in, std::size_t& at) {
    if (at > in.size() || in.size() - at < 8) throw std::runtime_error("cache: truncated number");
    double value;
    std::memcpy(&value, in.data() + at, 8);
    at += 8;
    return value;
}

inline void putText(std::string& out, std::string_view text) {
    putInt(out, static_cast<long long>(text.size()));
    out.append(text);
}

inline std::string getText(std::string_view in, std::size_t& at) {
    const auto size = static_cast<std::size_t>(getInt(in, at, 0, 1 << 30));
    if (at > in.size() || in.size() - at < size) throw std::runtime_error("cache: truncated text");
    std::string text(in.substr(at, size));
    at += size;
    return text;
}

}  // namespace analysis::bytes
