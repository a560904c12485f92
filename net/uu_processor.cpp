#include "net/uu_processor.h"

#include <algorithm>

namespace {

constexpr char kMimeAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr std::size_t kBlockSize = 45;

// uuencode: the grave accent for 0, then "!" to "_" for 1 to 63.
char uuChar(unsigned value) {
    return value == 0 ? '`' : static_cast<char>(' ' + value);
}

}  // namespace

void TUUProcessor::encodeLine(const unsigned char* block, std::size_t length) {
    const bool mime = Method == UUMethods::uuMime;
    auto symbol = [mime](unsigned value) { return mime ? kMimeAlphabet[value] : uuChar(value); };
    if (!mime) OutputStream += uuChar(static_cast<unsigned>(length));
    for (std::size_t i = 0; i < length; i += 3) {
        const std::size_t left = length - i;
        const unsigned b0 = block[i];
        const unsigned b1 = left > 1 ? block[i + 1] : 0;
        const unsigned b2 = left > 2 ? block[i + 2] : 0;
        const unsigned group = (b0 << 16) | (b1 << 8) | b2;
        OutputStream += symbol((group >> 18) & 63);
        OutputStream += symbol((group >> 12) & 63);
        if (mime && left == 1) {
            OutputStream += "==";
        } else if (mime && left == 2) {
            OutputStream += symbol((group >> 6) & 63);
            OutputStream += '=';
        } else {
            OutputStream += symbol((group >> 6) & 63);
            OutputStream += symbol(group & 63);
        }
    }
    OutputStream += "\r\n";
}

void TUUProcessor::Encode() {
    if (OnBeginEncode) OnBeginEncode(*this);
    try {
        const auto* bytes = reinterpret_cast<const unsigned char*>(InputStream.data());
        for (std::size_t at = 0; at < InputStream.size(); at += kBlockSize)
            encodeLine(bytes + at, std::min(kBlockSize, InputStream.size() - at));
        if (Method == UUMethods::uuCode) OutputStream += std::string(1, uuChar(0)) + "\r\n";
    } catch (...) {
        if (OnEndEncode) OnEndEncode(*this);
        throw;
    }
    if (OnEndEncode) OnEndEncode(*this);
}
