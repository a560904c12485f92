#include "net/url_encoder.h"

#include <exception>

namespace {

bool passesUnchanged(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

}  // namespace

std::string TUrlEncoder::Encode() {
    static constexpr char kHex[] = "0123456789ABCDEF";
    try {
        std::string encoded;
        encoded.reserve(InputString.size() * 3);
        for (const char ch : InputString) {
            const auto c = static_cast<unsigned char>(ch);
            if (passesUnchanged(c)) {
                encoded += ch;
            } else if (c == ' ') {
                encoded += '+';
            } else {
                encoded += '%';
                encoded += kHex[c >> 4];
                encoded += kHex[c & 0x0F];
            }
        }
        return encoded;
    } catch (const std::exception& e) {
        if (OnError) OnError(*this, "Error during encode", e.what());
        return InputString;
    }
}
