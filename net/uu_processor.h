#pragma once
// Base64 (MIME) and uuencode encoding of a byte stream, 45 input bytes to a line, each
// line ending in CR LF. Used for the credentials of the Authorization header line.
#include <functional>
#include <string>

enum class UUMethods { uuMime = 0, uuCode = 1 };

class TUUProcessor {
  public:
    using TNotifyEvent = std::function<void(TUUProcessor& sender)>;

    UUMethods Method = UUMethods::uuMime;
    TNotifyEvent OnBeginEncode;
    TNotifyEvent OnEndEncode;
    TNotifyEvent OnBeginDecode;
    TNotifyEvent OnEndDecode;

    // The streams: the bytes to encode, and the encoded lines appended to the output.
    std::string InputStream;
    std::string OutputStream;

    void Encode();

  private:
    void encodeLine(const unsigned char* block, std::size_t length);
};
