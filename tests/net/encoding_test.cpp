#include <gtest/gtest.h>

#include "net/url_encoder.h"
#include "net/uu_processor.h"

TEST(UrlEncoder, LettersAndDigitsPassSpacesBecomePlusAndTheRestIsEscaped) {
    TUrlEncoder encoder;
    encoder.InputString = std::string("Az09 a&b=c/\xE6\x97\xA5~");
    EXPECT_EQ(encoder.Encode(), "Az09+a%26b%3Dc%2F%E6%97%A5%7E");
}

TEST(UUProcessor, MimeLinesHoldFortyFiveBytesAndEndInCrLf) {
    TUUProcessor processor;
    int begins = 0, ends = 0;
    processor.OnBeginEncode = [&](TUUProcessor&) { ++begins; };
    processor.OnEndEncode = [&](TUUProcessor&) { ++ends; };
    processor.InputStream = "Aladdin:open sesame";
    processor.Encode();
    EXPECT_EQ(processor.OutputStream, "QWxhZGRpbjpvcGVuIHNlc2FtZQ==\r\n");
    EXPECT_EQ(begins, 1);
    EXPECT_EQ(ends, 1);

    TUUProcessor longer;
    longer.InputStream = std::string(46, 'a');
    longer.Encode();
    std::string firstLine;
    for (int i = 0; i < 15; ++i) firstLine += "YWFh";
    EXPECT_EQ(longer.OutputStream, firstLine + "\r\nYQ==\r\n");
}

TEST(UUProcessor, UuencodeStartsEachLineWithItsLengthAndEndsWithAnEmptyLine) {
    TUUProcessor processor;
    processor.Method = UUMethods::uuCode;
    processor.InputStream = "Cat";
    processor.Encode();
    EXPECT_EQ(processor.OutputStream, "#0V%T\r\n`\r\n");
}
