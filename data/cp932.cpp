#include "data/cp932.h"

#include <iconv.h>

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>

namespace data {
namespace {

constexpr char32_t kEscapeBase = 0xDC00;  // U+DC80..U+DCFF stand for the raw bytes 0x80..0xFF

bool isLeadByte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

bool isTrailByte(unsigned char b) {
    return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}

// Decode and encode tables, built once from glibc's CP932 converter: every sequence it
// reads, and for every character it writes, the one choice it makes among CP932's
// duplicate codes (NEC row 13, the NEC-selected and the IBM extensions).
struct Tables {
    std::array<char32_t, 256> single{};           // 0 = not a character on its own
    std::array<char32_t, 256 * 256> pair{};       // lead << 8 | trail; 0 = not a character
    std::array<std::uint16_t, 0x10000> encode{};  // code point -> bytes (0 = none)
    std::array<bool, 0x10000> encodeSingle{};     // the entry is one byte
};

class Converter {
  public:
    Converter(const char* to, const char* from) : handle_(iconv_open(to, from)) {}
    ~Converter() {
        if (handle_ != reinterpret_cast<iconv_t>(-1)) iconv_close(handle_);
    }
    bool ok() const { return handle_ != reinterpret_cast<iconv_t>(-1); }
    // Converts the whole input or reports failure.
    bool convert(const char* in, std::size_t inLength, char* out, std::size_t outCapacity,
                 std::size_t& outLength) {
        iconv(handle_, nullptr, nullptr, nullptr, nullptr);
        char* inPtr = const_cast<char*>(in);
        char* outPtr = out;
        std::size_t inLeft = inLength, outLeft = outCapacity;
        if (iconv(handle_, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1))
            return false;
        if (inLeft != 0) return false;
        outLength = outCapacity - outLeft;
        return true;
    }

  private:
    iconv_t handle_;
};

const Tables& tables() {
    static std::unique_ptr<Tables> built;
    static std::once_flag once;
    std::call_once(once, [] {
        built = std::make_unique<Tables>();
        Converter decoder("UTF-32LE", "CP932");
        Converter encoder("CP932", "UTF-32LE");
        if (!decoder.ok() || !encoder.ok()) return;
        auto decodeOne = [&](const char* in, std::size_t length) -> char32_t {
            char out[16];
            std::size_t outLength = 0;
            if (!decoder.convert(in, length, out, sizeof out, outLength) || outLength != 4)
                return 0;
            char32_t cp = 0;
            for (int i = 3; i >= 0; --i) cp = (cp << 8) | static_cast<unsigned char>(out[i]);
            return cp < 0x10000 ? cp : 0;
        };
        for (int b = 0x80; b <= 0xFF; ++b) {
            const char byte = static_cast<char>(b);
            if (!isLeadByte(static_cast<unsigned char>(b)))
                built->single[static_cast<std::size_t>(b)] = decodeOne(&byte, 1);
        }
        for (int lead = 0x81; lead <= 0xFC; ++lead) {
            if (!isLeadByte(static_cast<unsigned char>(lead))) continue;
            for (int trail = 0x40; trail <= 0xFC; ++trail) {
                if (!isTrailByte(static_cast<unsigned char>(trail))) continue;
                const char bytes[2] = {static_cast<char>(lead), static_cast<char>(trail)};
                built->pair[static_cast<std::size_t>(lead << 8 | trail)] = decodeOne(bytes, 2);
            }
        }
        for (char32_t cp = 0x80; cp < 0x10000; ++cp) {
            if (cp >= 0xD800 && cp <= 0xDFFF) continue;
            char in[4];
            for (int i = 0; i < 4; ++i) in[i] = static_cast<char>((cp >> (8 * i)) & 0xFF);
            char out[8];
            std::size_t outLength = 0;
            if (!encoder.convert(in, 4, out, sizeof out, outLength)) continue;
            if (outLength == 1) {
                built->encode[cp] = static_cast<unsigned char>(out[0]);
                built->encodeSingle[cp] = true;
            } else if (outLength == 2) {
                built->encode[cp] = static_cast<std::uint16_t>(
                    static_cast<unsigned char>(out[0]) << 8 | static_cast<unsigned char>(out[1]));
            }
        }
    });
    return *built;
}

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

bool isAscii(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

}  // namespace

std::string cp932ToUtf8(std::string_view bytes) {
    if (isAscii(bytes)) return std::string(bytes);
    const Tables& t = tables();
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 2);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            out += static_cast<char>(b);
            continue;
        }
        if (isLeadByte(b) && i + 1 < bytes.size() &&
            isTrailByte(static_cast<unsigned char>(bytes[i + 1]))) {
            // A lead and a trail byte are one character or one invalid pair: either way
            // both are taken, so decoding never restarts on a trail byte.
            const auto trail = static_cast<unsigned char>(bytes[i + 1]);
            ++i;
            if (const char32_t cp = t.pair[static_cast<std::size_t>(b << 8 | trail)]) {
                appendUtf8(out, cp);
            } else {
                appendUtf8(out, kEscapeBase + b);
                appendUtf8(out, trail < 0x80 ? char32_t{trail} : kEscapeBase + trail);
            }
            continue;
        }
        if (const char32_t cp = t.single[b]) {
            appendUtf8(out, cp);
            continue;
        }
        appendUtf8(out, kEscapeBase + b);
    }
    return out;
}

std::string utf8ToCp932(std::string_view text) {
    if (isAscii(text)) return std::string(text);
    const Tables& t = tables();
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b < 0x80) {
            out += static_cast<char>(b);
            ++i;
            continue;
        }
        int length = (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : (b & 0xF8) == 0xF0 ? 4 : 0;
        char32_t cp = length == 2 ? b & 0x1F : length == 3 ? b & 0x0F : b & 0x07;
        bool valid = length > 0 && i + static_cast<std::size_t>(length) <= text.size();
        for (int k = 1; valid && k < length; ++k) {
            const auto c = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
            if ((c & 0xC0) != 0x80) valid = false;
            cp = (cp << 6) | (c & 0x3F);
        }
        if (!valid) {  // not UTF-8: the byte goes out as it is
            out += static_cast<char>(b);
            ++i;
            continue;
        }
        i += static_cast<std::size_t>(length);
        if (cp >= kEscapeBase + 0x80 && cp <= kEscapeBase + 0xFF) {
            out += static_cast<char>(cp - kEscapeBase);
        } else if (cp < 0x10000 && t.encode[cp] != 0) {
            const std::uint16_t bytes = t.encode[cp];
            if (t.encodeSingle[cp]) {
                out += static_cast<char>(bytes);
            } else {
                out += static_cast<char>(bytes >> 8);
                out += static_cast<char>(bytes & 0xFF);
            }
        } else {
            out += '?';
        }
    }
    return out;
}

bool isUtf8(std::string_view bytes) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            ++i;
            continue;
        }
        const std::size_t length = (b & 0xE0) == 0xC0   ? 2
                                   : (b & 0xF0) == 0xE0 ? 3
                                   : (b & 0xF8) == 0xF0 ? 4
                                                        : 0;
        if (length == 0 || i + length > bytes.size()) return false;
        char32_t cp = length == 2 ? b & 0x1F : length == 3 ? b & 0x0F : b & 0x07;
        for (std::size_t k = 1; k < length; ++k) {
            const auto c = static_cast<unsigned char>(bytes[i + k]);
            if ((c & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (c & 0x3F);
        }
        static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < kSmallest[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += length;
    }
    return true;
}

std::string utf16ToUtf8(std::string_view bytes, bool bigEndian) {
    auto unit = [&](std::size_t i) {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        return static_cast<char32_t>(bigEndian ? (a << 8) | b : (b << 8) | a);
    };
    constexpr char32_t kReplacement = 0xFFFD;
    std::string out;
    out.reserve(bytes.size());
    const std::size_t units = bytes.size() / 2;
    for (std::size_t u = 0; u < units; ++u) {
        const char32_t first = unit(u * 2);
        if (first >= 0xD800 && first <= 0xDBFF && u + 1 < units) {
            const char32_t second = unit(u * 2 + 2);
            if (second >= 0xDC00 && second <= 0xDFFF) {
                appendUtf8(out, 0x10000 + ((first - 0xD800) << 10) + (second - 0xDC00));
                ++u;
                continue;
            }
        }
        appendUtf8(out, first >= 0xD800 && first <= 0xDFFF ? kReplacement : first);
    }
    if (bytes.size() % 2 != 0) appendUtf8(out, kReplacement);
    return out;
}

}  // namespace data
