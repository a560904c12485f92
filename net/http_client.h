#pragma once
// The HTTP/1.0 client. For a URL it opens a fresh connection, sends one request, reads
// the reply's status line and header lines, takes the body up to the end of the
// connection and closes it; redirects 300 to 302 are followed with their cookie.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "net/sock_session.h"
#include "tables/errors.h"

// The request kinds, each with the word of its request line.
enum class CmdType : std::uint8_t {
    Get = 0,
    Options = 1,
    Head = 2,
    Post = 3,
    Put = 4,
    Patch = 5,
    Copy = 6,
    Move = 7,
    Delete = 8,
    Link = 9,
    Unlink = 10,
    Trace = 11,
};

// Optional values of the request header.
struct THeaderInfo {
    std::string LocalMailAddress;
    std::string LocalProgram;
    std::string Cookie;  // also set from a redirect reply's Set-Cookie
    std::string Referer;
    std::string UserId;
    std::string Password;
};

// Request header lines of the form name, ":", value.
class THeaderList {
  public:
    // The line whose name (before its first ":") equals `name`, ignoring case, becomes
    // name + ": " + value (appended when there is none); an empty value deletes it.
    void SetHeaderValue(const std::string& name, const std::string& value);
    void add(std::string line) { lines_.push_back(std::move(line)); }
    void clear() { lines_.clear(); }
    const std::vector<std::string>& lines() const { return lines_; }

  private:
    std::vector<std::string> lines_;
};

// The n-th field (from 1) of text split at every separator; missing fields are empty.
std::string NthField(const std::string& text, char separator, int n);

class THttpClient : public TSockSession {
  public:
    // Redirects followed by one request at most; the reply after the last one stands.
    static constexpr int kMaxRedirects = 10;

    explicit THttpClient(SessionHost host);

    // Text mode: the body and header of the last reply. File mode: the names of the files
    // that receive them.
    std::string Body = "Default.htm";
    std::string Header = "Head.txt";
    THeaderInfo HeaderInfo;
    bool InputFileMode = false;   // the reply body goes to the file named by Body
    bool OutputFileMode = false;  // request data comes from a file; the header goes to a file
    bool EncodePost = true;       // Post form-encodes its data
    // Milliseconds a whole request (its redirects included) may take, however steadily
    // the server trickles; 0: no limit. TimeOut still bounds each wait on its own.
    std::int32_t RequestTimeOut = 0;

    std::function<void(THttpClient& sender)> OnAboutToSend;
    std::function<void(CmdType cmd)> OnSuccess;
    std::function<void(CmdType cmd)> OnFailure;
    std::function<void(bool& handled)> OnRedirect;
    std::function<void(THttpClient& sender)> OnAuthenticationNeeded;

    void Abort() override;
    // The user's cancel: the running request ends with EAbortError "Request Canceled".
    // False when no request is running.
    bool CancelRequest();
    bool RequestRunning() const { return running_; }

    void Get(const std::string& url);
    void Options(const std::string& url);
    void Head(const std::string& url);
    void Delete(const std::string& url);
    void Post(const std::string& url, const std::string& data);
    void Put(const std::string& url, const std::string& data);
    void Patch(const std::string& url, const std::string& data);
    void Trace(const std::string& url, const std::string& data);
    void Copy(const std::string& url, const std::string& destination);
    void Move(const std::string& url, const std::string& destination);
    void Link(const std::string& url, const std::string& linkValue);
    void Unlink(const std::string& url, const std::string& linkValue);

    virtual void RunRequest();
    virtual void ParseURL();
    virtual void BuildRequestHeader();
    virtual void ReadReplyHeader();
    virtual void SendRequest();

    const std::string& URL() const { return url_; }
    void SetURL(std::string url) { url_ = std::move(url); }
    const std::string& RequestPath() const { return requestPath_; }
    const std::vector<std::string>& RequestHeader() const { return headerList_.lines(); }
    const std::string& RedirectLocation() const { return redirectLocation_; }
    const std::string& ReceivedCookie() const { return receivedCookie_; }

  private:
    void start(CmdType kind, const std::string& url, const std::string* sendData = nullptr,
               const std::string* destination = nullptr);

    std::string requestPath_;
    THeaderList headerList_;
    std::string redirectLocation_;
    std::string receivedCookie_;
    std::string sendData_;
    std::string destination_;
    std::string url_;
    CmdType kind_ = CmdType::Get;
    bool running_ = false;
    bool cancelledByUser_ = false;
};
