#include "net/http_client.h"

#include <algorithm>
#include <fstream>

#include "net/url_encoder.h"
#include "net/url_reference.h"
#include "net/uu_processor.h"
#include "tables/convert.h"

namespace {

constexpr std::size_t kMaxPath = 256;
constexpr std::size_t kMaxHeaderValue = 256;

std::string lowerCase(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::string upperCase(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

bool isControl(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
}

// The value of a reply header line: from a fixed position (after the name, its colon and
// one space) to the end of the text, without the line end and never past a control
// character, so a value cannot carry a second header line into a later request.
std::string headerValue(const std::string& line, std::size_t from) {
    if (line.size() <= from) return {};
    std::string value = line.substr(from);
    const auto end = std::find_if(value.begin(), value.end(), isControl);
    value.erase(end, value.end());
    return value.substr(0, kMaxHeaderValue);
}

// The position of the n-th occurrence (from 1) of c, or npos.
std::size_t nthPosition(const std::string& text, char c, int n) {
    std::size_t at = std::string::npos;
    for (int i = 0; i < n; ++i) {
        at = text.find(c, at == std::string::npos ? 0 : at + 1);
        if (at == std::string::npos) break;
    }
    return at;
}

const char* requestWord(CmdType kind) {
    switch (kind) {
        case CmdType::Get:
            return "GET ";
        case CmdType::Options:
            return "OPTIONS ";
        case CmdType::Head:
            return "HEAD ";
        case CmdType::Post:
            return "POST ";
        case CmdType::Put:
            return "PUT ";
        case CmdType::Patch:
            return "PATCH ";
        case CmdType::Copy:
            return "COPY ";
        case CmdType::Move:
            return "MOVE ";
        case CmdType::Delete:
            return "DELETE ";
        case CmdType::Link:
            return "LINK ";
        case CmdType::Unlink:
            return "UNLINK ";
        case CmdType::Trace:
            return "TRACE ";
    }
    return "GET ";
}

bool sendsData(CmdType kind) {
    return kind == CmdType::Post || kind == CmdType::Put || kind == CmdType::Patch ||
           kind == CmdType::Trace;
}

bool hasContentLength(CmdType kind) {
    return sendsData(kind) || kind == CmdType::Link || kind == CmdType::Unlink;
}

}  // namespace

std::string NthField(const std::string& text, char separator, int n) {
    std::size_t begin = 0;
    for (int field = 1; field < n; ++field) {
        const std::size_t at = text.find(separator, begin);
        if (at == std::string::npos) return {};
        begin = at + 1;
    }
    const std::size_t end = text.find(separator, begin);
    return text.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
}

void THeaderList::SetHeaderValue(const std::string& name, const std::string& value) {
    const std::string wanted = lowerCase(name);
    auto line = std::find_if(lines_.begin(), lines_.end(), [&](const std::string& l) {
        const auto colon = l.find(':');
        return colon != std::string::npos && lowerCase(l.substr(0, colon)) == wanted;
    });
    if (value.empty()) {
        if (line != lines_.end()) lines_.erase(line);
        return;
    }
    if (line == lines_.end()) line = lines_.insert(lines_.end(), std::string());
    *line = name + ": " + value;
}

THttpClient::THttpClient(SessionHost host) : TSockSession(std::move(host)) {}

void THttpClient::Abort() {
    waitFlag_ = true;
    Cancel();
}

bool THttpClient::CancelRequest() {
    if (!running_) return false;
    cancelledByUser_ = true;
    Abort();
    return true;
}

void THttpClient::start(CmdType kind, const std::string& url, const std::string* sendData,
                        const std::string* destination) {
    // The window stays live during a request, so a second one can be started from it; it
    // must not take over (and close) the connection the first one is still reading.
    if (running_) throw ESockError("Already connected");
    running_ = true;
    cancelledByUser_ = false;
    deadline_.reset();
    if (RequestTimeOut > 0)
        deadline_ = std::chrono::steady_clock::now() + std::chrono::milliseconds(RequestTimeOut);
    struct Done {
        THttpClient& client;
        ~Done() {
            client.running_ = false;
            client.deadline_.reset();
        }
    } done{*this};
    kind_ = kind;
    url_ = url;
    if (sendData != nullptr) sendData_ = *sendData;
    if (destination != nullptr) destination_ = *destination;
    try {
        RunRequest();
    } catch (const ESockError&) {
        // Whichever wait was running, the user sees why the request as a whole ended.
        if (cancelledByUser_) throw EAbortError("Request Canceled");
        if (deadline_ && std::chrono::steady_clock::now() >= *deadline_)
            throw EAbortError("Request Timed out");
        throw;
    }
}

void THttpClient::Get(const std::string& url) {
    start(CmdType::Get, url);
}
void THttpClient::Options(const std::string& url) {
    start(CmdType::Options, url);
}
void THttpClient::Head(const std::string& url) {
    start(CmdType::Head, url);
}
void THttpClient::Delete(const std::string& url) {
    start(CmdType::Delete, url);
}

void THttpClient::Post(const std::string& url, const std::string& data) {
    std::string sendData = data;
    if (EncodePost && !OutputFileMode) {
        TUrlEncoder encoder;
        encoder.InputString = data;
        sendData = encoder.Encode();
    }
    start(CmdType::Post, url, &sendData);
}

void THttpClient::Put(const std::string& url, const std::string& data) {
    start(CmdType::Put, url, &data);
}

void THttpClient::Patch(const std::string& url, const std::string& data) {
    start(CmdType::Patch, url, &data);
}

void THttpClient::Trace(const std::string& url, const std::string& data) {
    start(CmdType::Trace, url, &data);
}

void THttpClient::Copy(const std::string& url, const std::string& destination) {
    start(CmdType::Copy, url, nullptr, &destination);
}

void THttpClient::Move(const std::string& url, const std::string& destination) {
    start(CmdType::Move, url, nullptr, &destination);
}

void THttpClient::Link(const std::string& url, const std::string& linkValue) {
    const std::string sendData = "Send.dat";
    start(CmdType::Link, url, &sendData, &linkValue);
}

void THttpClient::Unlink(const std::string& url, const std::string& linkValue) {
    const std::string sendData = "Send.dat";
    start(CmdType::Unlink, url, &sendData, &linkValue);
}

void THttpClient::RunRequest() {
    for (int redirects = 0;; ++redirects) {
        ParseURL();
        BuildRequestHeader();
        if (OnAboutToSend) OnAboutToSend(*this);
        try {
            Connect();
            SendRequest();
            ReplyNumber = 0;
            ReadReplyHeader();
            if (InputFileMode) {
                CaptureFile(Body);
            } else {
                CaptureString(Body, -1);
            }
            if (ReplyNumber < 299) {
                if (OnSuccess) OnSuccess(kind_);
                ReportStatus(2, "Transaction Completed");
            } else if (ReplyNumber > 399) {
                if (OnFailure) OnFailure(kind_);
            } else if (ReplyNumber >= 300 && ReplyNumber <= 302) {
                url_ = redirectLocation_;
            }
        } catch (...) {
            try {
                Disconnect();
            } catch (...) {
                // The first error is the one the caller needs to see.
            }
            throw;
        }
        Disconnect();

        const int reply = ReplyNumber;
        if (reply >= 300 && reply <= 398) {
            bool handled = false;
            if (!receivedCookie_.empty()) HeaderInfo.Cookie = receivedCookie_;
            if (OnRedirect) OnRedirect(handled);
            if (handled) return;
            if (reply <= 302) {
                // The Location is read from the URL just asked, its host and port
                // included, and what a request line cannot carry is encoded.
                // append, not ":" + ...: GCC 12 at -O3 warns falsely (-Wrestrict)
                const std::string port =
                    Port == 80 ? "" : std::string(":").append(std::to_string(Port));
                url_ = percentEncodeUnsafe(
                    resolveReference("http://" + Host + port + requestPath_, url_));
            }
        }
        if (reply == 401 && OnAuthenticationNeeded) OnAuthenticationNeeded(*this);
        // Only 300 to 302 name a new place; repeating any other reply would ask the same
        // question again.
        if (reply < 300 || reply > 302 || redirects >= kMaxRedirects) return;
    }
}

void THttpClient::ParseURL() {
    if (url_.empty()) throw Exception("Empty URL");
    // A CR, LF or other control character would end the request line early and let the
    // URL write header lines of its own.
    if (std::any_of(url_.begin(), url_.end(), isControl))
        throw Exception("Invalid character in URL");
    if (Port == 0) Port = 80;

    const bool hasSlashes = url_.find("//") != std::string::npos;
    std::size_t pathStart = std::string::npos;
    if (hasSlashes) {
        pathStart = nthPosition(url_, '/', 3);
    } else {
        pathStart = url_.find('/');
    }
    requestPath_ = pathStart == std::string::npos ? "" : url_.substr(pathStart, kMaxPath);

    // A ":" in the path or the query ("/t?...&t=12:30") names no scheme.
    const std::string scheme = uriScheme(url_);
    if (!scheme.empty()) {
        if (scheme == "gopher") {
            Port = 70;
        } else if (scheme == "ftp") {
            Port = 21;
        } else if (scheme == "https") {
            throw Exception("HTTP Secure Socket is not supported");
        } else {
            Port = 80;
        }
    }

    std::string hostPart;
    if (hasSlashes) {
        hostPart = NthField(url_, '/', 3);
    } else if (url_.front() != '/') {
        hostPart = NthField(url_, '/', 1);
    }
    const auto portColon = hostPart.find(':');
    if (portColon != std::string::npos) {
        const int port = toInt(NthField(hostPart, ':', 2));
        // Only 16 bits reach the socket: 65616 must not become port 80.
        if (port < 1 || port > 65535) throw Exception("Port out of range");
        Port = port;
        hostPart.erase(portColon);
    }
    if (!hostPart.empty()) Host = hostPart;

    if (requestPath_.empty()) {
        requestPath_.assign(1, '/');  // not = "/": GCC 12 at -O3 warns falsely (-Wrestrict)
        url_ += "/";
    }
}

void THttpClient::BuildRequestHeader() {
    headerList_.clear();
    headerList_.add(requestWord(kind_) + (Proxy.empty() ? requestPath_ : url_) + " HTTP/1.0");
    if (!Proxy.empty()) {
        headerList_.add("Proxy-Connection: Keep-Alive");
        headerList_.add("Host: " + Host);
    }
    headerList_.SetHeaderValue("Host", Host);
    headerList_.add("Accept: www/source, text/html, video/mpeg, image/jpeg, image/x-tiff");
    headerList_.add("Accept: image/x-rgb, image/x-xbm, image/gif, */*, application/postscript");
    if (!HeaderInfo.LocalProgram.empty())
        headerList_.SetHeaderValue("User-Agent", HeaderInfo.LocalProgram);
    if (!HeaderInfo.LocalMailAddress.empty())
        headerList_.SetHeaderValue("From", HeaderInfo.LocalMailAddress);
    if (!HeaderInfo.Cookie.empty()) headerList_.SetHeaderValue("Cookie", HeaderInfo.Cookie);
    if (!HeaderInfo.Referer.empty()) headerList_.SetHeaderValue("Referer", HeaderInfo.Referer);
    if (!HeaderInfo.UserId.empty() && !HeaderInfo.Password.empty()) {
        TUUProcessor base64;
        base64.Method = UUMethods::uuMime;
        base64.InputStream = HeaderInfo.UserId + ":" + HeaderInfo.Password;
        base64.Encode();
        std::string credentials = base64.OutputStream;
        if (credentials.size() >= 2) credentials.resize(credentials.size() - 2);
        headerList_.SetHeaderValue("Authorization", "Basic " + credentials);
    }
    headerList_.add("Content-type: application/x-www-form-urlencoded");
    if (kind_ == CmdType::Copy || kind_ == CmdType::Move)
        headerList_.add("URI-header: " + destination_);
    if (kind_ == CmdType::Link || kind_ == CmdType::Unlink)
        headerList_.add("Link: " + destination_);
    if (hasContentLength(kind_)) {
        std::uintmax_t length = sendData_.size();
        if (OutputFileMode) {
            std::ifstream file(sendData_, std::ios::binary | std::ios::ate);
            if (!file) throwCannotOpen(sendData_);
            length = static_cast<std::uintmax_t>(file.tellg());
        }
        headerList_.add("Content-Length: " + std::to_string(length));
    }
}

void THttpClient::SendRequest() {
    std::string lines;
    for (const auto& line : headerList_.lines()) lines += line + "\r\n";
    Write(lines);
    Writeln("");
    if (sendsData(kind_)) {
        if (OutputFileMode) {
            SendFile(sendData_);
        } else {
            Write(sendData_);
        }
    }
}

void THttpClient::ReadReplyHeader() {
    receivedCookie_.clear();
    std::ofstream file;
    if (OutputFileMode) {
        file.open(Header, std::ios::binary | std::ios::trunc);
        if (!file) throwCannotCreate(Header);
    } else {
        Header.clear();
    }
    std::size_t headerSize = 0;
    auto append = [&](const std::string& line) {
        headerSize += line.size();
        if (headerSize > MaxReceive) throw ESockError("Socket readln too large");
        if (OutputFileMode) {
            file << line;
            if (!file) throwCannotCreate(Header);
        } else {
            Header += line;
        }
    };

    std::string line = ReadLn();
    if (!line.empty()) {
        // The line end is no part of the number: "HTTP/1.0 404" without a reason text is
        // still a 404, never a success.
        std::string field = NthField(line, ' ', 2);
        while (!field.empty() && (field.back() == '\r' || field.back() == '\n')) field.pop_back();
        const auto status = tryToInt(field);
        append(line);
        // A number outside three digits is no status; kept in 16 bits it could pass for
        // another one (65838 for a 302).
        if (status && (*status < 100 || *status > 999)) throw ESockError("Malformed reply");
        ReplyNumber = static_cast<std::int16_t>(status.value_or(0));
    }
    do {
        line = ReadLn();
        const std::string name = NthField(upperCase(line), ' ', 1);
        if (name == "SET-COOKIE:") {
            receivedCookie_ = headerValue(line, 12);
        } else if (name == "LOCATION:") {
            redirectLocation_ = headerValue(line, 10);
        }
        append(line);
    } while (!(line.empty() || line == "\n" || line == "\r\n"));
}
