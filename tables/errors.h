#pragma once
// The error classes of the system. Every error carries the text the user sees;
// the top of each user action catches Exception and shows it in the error box.
#include <exception>
#include <string>
#include <string_view>

class Exception : public std::exception {
  public:
    explicit Exception(std::string message) : message_(std::move(message)) {}
    const std::string& message() const { return message_; }
    const char* what() const noexcept override { return message_.c_str(); }

  private:
    std::string message_;
};

// A number or date that does not convert.
class EConvertError : public Exception {
    using Exception::Exception;
};
// A file that cannot be opened or created.
class EFileError : public Exception {
    using Exception::Exception;
};
// A list index outside the list.
class EListError : public Exception {
    using Exception::Exception;
};
// A date text that cannot be taken as a date value.
class EVariantError : public Exception {
    using Exception::Exception;
};
// Ends the running action without an error box (the user has already been told).
class EAbort : public Exception {
    using Exception::Exception;
};

// "%s" / "%d" in a message template replaced by the argument.
std::string formatMessage(std::string_view pattern, std::string_view argument);

[[noreturn]] void throwNotInteger(std::string_view text);
[[noreturn]] void throwNotFloat(std::string_view text);
[[noreturn]] void throwNotDate(std::string_view text);
[[noreturn]] void throwCannotOpen(std::string_view path);
[[noreturn]] void throwCannotCreate(std::string_view path);
[[noreturn]] void throwListIndex(long long index);
[[noreturn]] void throwVariantConversion();

// The message of an error that is not one of the system's own (a file system call, the
// memory): Japanese words that say what failed, the detail in brackets after them.
std::string foreignErrorMessage(const std::exception& error);
inline constexpr std::string_view kUnknownErrorMessage = "予期しないエラーが発生しました";

// The text of the error box: "." is appended when the last character sorts after ".".
std::string errorBoxText(std::string_view message);

// The title of the error box.
inline constexpr std::string_view kProgramTitle = "dravik";
