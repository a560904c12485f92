// The CP932 reader and writer against glibc's own converter, over every one- and
// two-byte sequence.
#include "data/cp932.h"

#include <iconv.h>

#include <gtest/gtest.h>

#include <optional>

namespace {

// One glibc conversion of the whole input, or nothing when glibc refuses it.
class Glibc {
  public:
    Glibc(const char* to, const char* from) : handle_(iconv_open(to, from)) {}
    ~Glibc() { iconv_close(handle_); }
    bool ok() const { return handle_ != reinterpret_cast<iconv_t>(-1); }
    std::optional<std::string> operator()(std::string_view in) const {
        iconv(handle_, nullptr, nullptr, nullptr, nullptr);
        char out[32];
        char* inPtr = const_cast<char*>(in.data());
        char* outPtr = out;
        std::size_t inLeft = in.size(), outLeft = sizeof out;
        if (iconv(handle_, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1) ||
            inLeft != 0)
            return std::nullopt;
        return std::string(out, sizeof out - outLeft);
    }

  private:
    iconv_t handle_;
};

bool isLead(unsigned b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}
bool isTrail(unsigned b) {
    return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}

// The escape code point U+DC00 + byte in UTF-8; ASCII stands for itself.
std::string escaped(unsigned b) {
    if (b < 0x80) return std::string(1, static_cast<char>(b));
    const unsigned cp = 0xDC00 + b;
    return {static_cast<char>(0xE0 | (cp >> 12)), static_cast<char>(0x80 | ((cp >> 6) & 0x3F)),
            static_cast<char>(0x80 | (cp & 0x3F))};
}

TEST(Cp932, ReadsWhatGlibcReadsAndEscapesTheRestWithoutSlipping) {
    const Glibc read("UTF-8", "CP932"), write("CP932", "UTF-8");
    ASSERT_TRUE(read.ok() && write.ok());
    const std::string kanji = "\x93\xfa";  // 日
    auto byteAlone = [&](unsigned b) {
        return read(std::string(1, static_cast<char>(b))).value_or(escaped(b));
    };
    int characters = 0;
    for (unsigned a = 0; a < 256; ++a) {
        const std::string one(1, static_cast<char>(a));
        ASSERT_EQ(data::cp932ToUtf8(one), byteAlone(a)) << std::hex << a;
        for (unsigned b = 0; b < 256; ++b) {
            const std::string two{static_cast<char>(a), static_cast<char>(b)};
            const std::string got = data::cp932ToUtf8(two);
            if (const auto glibc = read(two)) {
                ASSERT_EQ(got, *glibc) << std::hex << a << ' ' << b;
                if (isLead(a)) {
                    // A character reads back as itself, written as glibc writes it.
                    ++characters;
                    const std::string bytes = data::utf8ToCp932(got);
                    ASSERT_EQ(bytes, write(got).value_or("(none)")) << std::hex << a << ' ' << b;
                    ASSERT_EQ(data::cp932ToUtf8(bytes), got) << std::hex << a << ' ' << b;
                }
                continue;
            }
            // Not CP932: the bytes come back as they were. A lead and a trail byte that
            // form no character are escaped together, and the text after them reads as it
            // would on its own.
            const bool pair = isLead(a) && isTrail(b);
            ASSERT_EQ(got, pair ? escaped(a) + escaped(b) : byteAlone(a) + byteAlone(b))
                << std::hex << a << ' ' << b;
            ASSERT_EQ(data::utf8ToCp932(got), two) << std::hex << a << ' ' << b;
            if (pair) {
                ASSERT_EQ(data::cp932ToUtf8(two + kanji), got + "日") << std::hex << a << ' ' << b;
            }
        }
    }
    EXPECT_GT(characters, 9000);  // JIS X 0208, the NEC and IBM rows and the user area
}

TEST(Cp932, ExtensionCharactersAsOtherToolsWriteThem) {
    // NEC row 13 and NEC-selected IBM codes, as some tools write them; writing picks one
    // code per character.
    const std::string necSelected = "6218\x87\x8a\xed\x40\x87\x90\xee\xe0\x8b\xb4\x87\x40";
    EXPECT_EQ(data::cp932ToUtf8(necSelected), "6218㈱纊≒髙橋①");
    EXPECT_EQ(data::utf8ToCp932("6218㈱纊≒髙橋①"),
              "6218\x87\x8a\xfa\x5c\x81\xe0\xfb\xfc\x8b\xb4\x87\x40");
}

TEST(Cp932, CharactersOfLinuxInputMethodsAreWrittenAsTheirCp932Look) {
    const std::pair<const char*, const char*> cases[] = {
        {"〜", "\x81\x60"}, {"−", "\x81\x7c"}, {"‖", "\x81\x61"}, {"—", "\x81\x5c"},
        {"¬", "\x81\xca"},  {"¢", "\x81\x91"}, {"£", "\x81\x92"},
    };
    for (const auto& [text, bytes] : cases) EXPECT_EQ(data::utf8ToCp932(text), bytes) << text;
}

}  // namespace
