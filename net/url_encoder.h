#pragma once
// Form encoding of request data: letters and digits pass, a space becomes "+", every
// other byte becomes "%" and two upper-case hexadecimal digits.
#include <functional>
#include <string>

class TUrlEncoder {
  public:
    std::string InputString;
    std::function<void(TUrlEncoder& sender, const std::string& operation,
                       const std::string& errorMessage)>
        OnError;

    // The encoded form of InputString; on a failure OnError is told and the input is
    // returned unchanged.
    std::string Encode();
};
