#pragma once
// The HTTP/1.0 client. (Placeholder until the socket session lands.)
#include <cstdint>
#include <string>

#include "tables/errors.h"

class Platform;

class ESockError : public Exception {
    using Exception::Exception;
};
class EAbortError : public ESockError {
    using ESockError::ESockError;
};

class THttpClient {
public:
    explicit THttpClient(Platform& platform) : platform_(platform) {}
    void Get(const std::string& url);

    std::string Body = "Default.htm";
    std::string Header = "Head.txt";
    std::int16_t ReplyNumber = 0;
    int TimeOut = 0;

private:
    Platform& platform_;
};
