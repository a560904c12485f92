#include "net/sock_session.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <mutex>
#include <thread>
#include <utility>

// ---------------------------------------------------------------------------------------
// Time-out timer

void TSessionTimer::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    update();
}

void TSessionTimer::SetInterval(unsigned interval) {
    if (interval == interval_) return;
    interval_ = interval;
    update();
}

void TSessionTimer::SetOnTimer(std::function<void()> onTimer) {
    onTimer_ = std::move(onTimer);
    update();
}

void TSessionTimer::update() {
    armed_ = interval_ != 0 && enabled_ && onTimer_ != nullptr;
    if (armed_) nextTick_ = std::chrono::steady_clock::now() + std::chrono::milliseconds(interval_);
}

void TSessionTimer::processTick() {
    if (!armed_) return;
    const auto now = std::chrono::steady_clock::now();
    if (now < nextTick_) return;
    nextTick_ = now + std::chrono::milliseconds(interval_);
    onTimer_();
}

// ---------------------------------------------------------------------------------------
// Error numbers and texts

namespace {

// The platform's error numbers and the numbers of the error table. EWOULDBLOCK is EAGAIN
// here; EPIPE is what a send meets once the peer has reset the connection.
constexpr std::pair<int, int> kErrorNumbers[] = {
    {EINTR, 10004},           {EBADF, 10009},           {EACCES, 10013},
    {EFAULT, 10014},          {EINVAL, 10022},          {EMFILE, 10024},
    {ENFILE, 10024},          {EAGAIN, 10035},          {EINPROGRESS, 10036},
    {EALREADY, 10037},        {ENOTSOCK, 10038},        {EDESTADDRREQ, 10039},
    {EMSGSIZE, 10040},        {EPROTOTYPE, 10041},      {ENOPROTOOPT, 10042},
    {EPROTONOSUPPORT, 10043}, {ESOCKTNOSUPPORT, 10044}, {EOPNOTSUPP, 10045},
    {EPFNOSUPPORT, 10046},    {EAFNOSUPPORT, 10047},    {EADDRINUSE, 10048},
    {EADDRNOTAVAIL, 10049},   {ENETDOWN, 10050},        {ENETUNREACH, 10051},
    {ENETRESET, 10052},       {ECONNABORTED, 10053},    {ECONNRESET, 10054},
    {EPIPE, 10054},           {ENOBUFS, 10055},         {ENOMEM, 10055},
    {EISCONN, 10056},         {ENOTCONN, 10057},        {ESHUTDOWN, 10058},
    {ETOOMANYREFS, 10059},    {ETIMEDOUT, 10060},       {ECONNREFUSED, 10061},
    {ELOOP, 10062},           {ENAMETOOLONG, 10063},    {EHOSTDOWN, 10064},
    {EHOSTUNREACH, 10065},    {ENOTEMPTY, 10066},       {EUSERS, 10068},
    {EDQUOT, 10069},          {ESTALE, 10070},          {EREMOTE, 10071},
};

}  // namespace

int socketErrorNumber(int posixErrno) {
    if (posixErrno == 0) return 0;
    for (const auto& [posix, number] : kErrorNumbers)
        if (posix == posixErrno) return number;
    return 20000 + posixErrno;  // outside the table: "Unknown Error No. ..."
}

int lookupErrorNumber(int getaddrinfoResult, int posixErrno) {
    switch (getaddrinfoResult) {
        case 0:
            return 0;
        case EAI_NONAME:
            return 11001;
        case EAI_AGAIN:
            return 11002;
        case EAI_NODATA:
        case EAI_ADDRFAMILY:
            return 11004;
        case EAI_SYSTEM:
            return socketErrorNumber(posixErrno);
        default:
            return 11003;
    }
}

namespace {

struct ErrorText {
    int number;
    const char* text;
};

constexpr ErrorText kErrorTexts[] = {
    {10004, "Interrupted system call"},
    {10009, "Bad file number"},
    {10013, "Permission denied"},
    {10014, "Bad address"},
    {10022, "Invalid argument"},
    {10024, "Too many open files"},
    {10035, "Operation would block"},
    {10036, "Operation now in progress"},
    {10037, "Operation already in progress"},
    {10038, "Socket operation on non-socket"},
    {10039, "Destination address required"},
    {10040, "Message too long"},
    {10041, "Wrong protocol type for socket"},
    {10042, "Bad protocol option"},
    {10043, "Protocol not supported"},
    {10044, "Socket type not supported"},
    {10045, "Operation not supported on socket"},
    {10046, "Protocol family not supported"},
    {10047, "Address family not supported by protocol family"},
    {10048, "Address already in use"},
    {10049, "Can't assign requested address"},
    {10050, "Network is down"},
    {10051, "Network is unreachable"},
    {10052, "Network dropped connection or reset"},
    {10053, "Software caused connection abort"},
    {10054, "Connection reset by peer"},
    {10055, "No buffer space available"},
    {10056, "Socket is already connected"},
    {10057, "Socket is not connected"},
    {10058, "Can't send after socket shutdown"},
    {10059, "Too many references, can't splice"},
    {10060, "Connection timed out"},
    {10061, "Connection refused"},
    {10062, "Too many levels of symbolic links"},
    {10063, "File name too long"},
    {10064, "Host is down"},
    {10065, "No route to Host"},
    {10066, "Directory not empty"},
    {10067, "Too many processes"},
    {10068, "Too many users"},
    {10069, "Disc quota exceeded"},
    {10070, "Stale NFS file handle"},
    {10071, "Too many levels of remote in path"},
    {10091, "Network subsystem is unavailable"},
    {10092, "Incompatible version of WINSOCK.DLL"},
    {10093, "Successful WSAStartup not yet performed"},
    {11001, "Host not found"},
    {11002, "Non-Authoritative Host not found"},
    {11003, "Non-Recoverable error: FORMERR, REFUSED, NOTIMP"},
    {11004, "Valid name, no data record of requested type"},
};

}  // namespace

std::string socketErrorText(int errorNumber) {
    if (errorNumber == 0) return {};
    for (const auto& entry : kErrorTexts)
        if (entry.number == errorNumber) return std::to_string(errorNumber) + ":" + entry.text;
    return "Unknown Error No. " + std::to_string(errorNumber);
}

// ---------------------------------------------------------------------------------------
// The session

namespace {

// Sessions alive in the process; the socket layer's start-up record is filled by the first.
int liveSessions = 0;

struct StartupRecord {
    std::uint16_t version = 0x0101;
    std::uint16_t highVersion = 0x0202;
    std::string description = "POSIX sockets";
    std::string systemStatus = "Running";
    long maxSockets = 0;
    long maxUdpDatagram = 65507;
};

StartupRecord& startupRecord() {
    static StartupRecord record;
    return record;
}

std::string versionText(std::uint16_t word) {
    return std::to_string(word >> 8) + "." + std::to_string(word & 0xFF);
}

// Runs `off` when the scope ends, however it ends.
template <class F>
class ScopeExit {
  public:
    explicit ScopeExit(F off) : off_(std::move(off)) {}
    ~ScopeExit() { off_(); }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;

  private:
    F off_;
};

}  // namespace

// A host look-up running off the window's thread. The session only reads it once `done`
// is set; a session that has gone or moved on simply drops its share.
struct TSockSession::Lookup {
    std::atomic<bool> done{false};
    int errorNumber = 0;
    std::uint32_t address = 0;
};

TSockSession::TSockSession(SessionHost host) : host_(std::move(host)), buffer_(kBufferSize) {
    timer_.SetEnabled(false);
    timer_.SetOnTimer([this] { TimerFired(); });
    ReportStatus(8, "Create");
    InitWinsock();
}

TSockSession::~TSockSession() {
    // No event reaches the owner once destruction has begun: its handlers may already
    // refer to things that are gone.
    destroying_ = true;
    try {
        TSockSession::Abort();
        Cancel();
        timer_.SetEnabled(false);
        lookup_.reset();
        RequestCloseSocket();
    } catch (...) {
        // Nothing may escape a destructor; the socket is gone either way.
    }
    if (socket_ >= 0) ::close(socket_);
    if (counted_) --liveSessions;
}

void TSockSession::ReportStatus(int level, const std::string& text) {
    if (ReportLevel < level) return;
    lastStatus_ = text;
    if (destroying_ || !OnStatus) return;
    try {
        OnStatus(*this, text);
    } catch (...) {
        // A status display must not break the operation it reports on.
    }
}

void TSockSession::InitWinsock() {
    ReportStatus(8, "Initializing Winsock");
    ++liveSessions;
    counted_ = true;
    if (liveSessions == 1) {
        auto& record = startupRecord();
        rlimit files{};
        record.maxSockets = ::getrlimit(RLIMIT_NOFILE, &files) == 0
                                ? static_cast<long>(std::min<rlim_t>(files.rlim_cur, 1L << 20))
                                : 1024;
        WinsockInfo.push_back("Version= " + versionText(record.version));
        WinsockInfo.push_back("High Version= " + versionText(record.highVersion));
        WinsockInfo.push_back("Description= " + record.description);
        WinsockInfo.push_back("System= " + record.systemStatus);
        WinsockInfo.push_back("Max Sockets= " + std::to_string(record.maxSockets));
        WinsockInfo.push_back("Max Udp pack size= " + std::to_string(record.maxUdpDatagram));
    }
    if (!openSocket(/*withLinger=*/true)) {
        --liveSessions;
        counted_ = false;
        throw ESockError("Initialization of sockets failed");
    }
}

bool TSockSession::openSocket(bool withLinger) {
    const int fd =
        ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, withLinger ? IPPROTO_TCP : 0);
    if (fd < 0) {
        setLastError(errno);
        return false;
    }
    if (withLinger) {
        // Closing the first socket resets the connection instead of lingering.
        linger option{1, 0};
        if (::setsockopt(fd, SOL_SOCKET, SO_LINGER, &option, sizeof option) != 0) {
            setLastError(errno);
            ::close(fd);
            return false;
        }
    }
    socket_ = fd;
    state_ = SocketState::Fresh;
    pendingConnectError_ = 0;
    readNoticeArmed_ = true;
    closeNoticed_ = false;
    return true;
}

void TSockSession::setLastError(int posixErrno) {
    lastError_ = socketErrorNumber(posixErrno);
}

void TSockSession::raiseCloseError() {
    if (closeError_ == 0) return;
    lastError_ = closeError_;
    closeError_ = 0;
    CheckSocketError(10035);
}

std::string TSockSession::ErrorMessage(int errorNumber) {
    ReportStatus(8, "Looking Up Error Message");
    return socketErrorText(errorNumber);
}

std::string TSockSession::CheckSocketError(int expected) {
    const int e = lastError_;
    LastErrorNo = e;
    if (e != expected && e > 10000) {
        const std::string text = ErrorMessage(e);
        if (OnError) OnError(*this, static_cast<std::uint16_t>(e), text);
        throw ESockError(text);
    }
    return {};
}

// ---------------------------------------------------------------------------------------
// Notices

void TSockSession::DispatchSocketMessage(unsigned message, std::uint32_t lParam) {
    if (message < kSocketNotice) return;
    try {
        success_ = (lParam >> 16) == 0;
        if (message == kSocketNotice) {
            switch (lParam & 0xFFFF) {
                case kRead:
                    try {
                        if (OnRead) OnRead(*this);
                    } catch (...) {
                        // The read hook's failures stay with it.
                    }
                    break;
                case kAccept:
                    connected_ = true;
                    if (OnAccept) OnAccept(*this);
                    break;
                case kConnectDone:
                    if (success_) {
                        connected_ = true;
                        if (OnConnect) OnConnect(*this);
                    }
                    break;
                case kClose:
                    // A close with an error (a reset) cuts the reply short: the reader
                    // raises it when it meets the end, whether or not data still waits.
                    if (!success_) closeError_ = static_cast<int>(lParam >> 16);
                    // With data still waiting the reader meets the end itself.
                    if (!DataAvailable()) RequestCloseSocket();
                    break;
                default:
                    break;
            }
        } else if (message == kLookupNotice) {
            waitFlag_ = true;
        }
    } catch (...) {
        // A notice has nobody to report to.
    }
}

void TSockSession::pickUpLookup() {
    if (!lookup_ || !lookup_->done.load(std::memory_order_acquire)) return;
    const auto finished = std::move(lookup_);
    lookupAddress_ = finished->address;
    DispatchSocketMessage(kLookupNotice, static_cast<std::uint32_t>(finished->errorNumber) << 16);
}

void TSockSession::pollSocket() {
    if (socket_ < 0) return;
    const int fd = socket_;
    if (state_ == SocketState::Connecting) {
        int error = pendingConnectError_;
        if (error == 0) {
            pollfd p{fd, POLLOUT, 0};
            if (::poll(&p, 1, 0) <= 0 || p.revents == 0) return;
            int soError = 0;
            socklen_t length = sizeof soError;
            if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &soError, &length) != 0) soError = errno;
            error = socketErrorNumber(soError);
        }
        pendingConnectError_ = 0;
        state_ = error == 0 ? SocketState::Open : SocketState::Failed;
        DispatchSocketMessage(kSocketNotice,
                              (static_cast<std::uint32_t>(error) << 16) | kConnectDone);
        return;
    }
    if (state_ != SocketState::Open) return;
    pollfd p{fd, POLLIN | POLLRDHUP, 0};
    if (::poll(&p, 1, 0) <= 0 || p.revents == 0) return;
    char probe = 0;
    const long waiting = ::recv(fd, &probe, 1, MSG_PEEK | MSG_DONTWAIT);
    const int peekErrno = waiting < 0 ? errno : 0;
    if (waiting > 0 && readNoticeArmed_) {
        readNoticeArmed_ = false;
        DispatchSocketMessage(kSocketNotice, kRead);
        if (socket_ != fd || state_ != SocketState::Open) return;
    }
    const bool peerGone = (p.revents & (POLLRDHUP | POLLHUP | POLLERR)) != 0 || waiting == 0 ||
                          (waiting < 0 && peekErrno != EAGAIN);
    if (peerGone && !closeNoticed_) {
        closeNoticed_ = true;
        // The peek above has already taken a pending error (a reset) off the socket;
        // otherwise it is still there to be read.
        int error = 0;
        if (waiting < 0 && peekErrno != EAGAIN) {
            error = socketErrorNumber(peekErrno);
        } else if (p.revents & POLLERR) {
            int soError = 0;
            socklen_t length = sizeof soError;
            if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &soError, &length) == 0)
                error = socketErrorNumber(soError);
        }
        DispatchSocketMessage(kSocketNotice, (static_cast<std::uint32_t>(error) << 16) | kClose);
    }
}

void TSockSession::processMessages() {
    // A handler run from here may start a wait of its own, which processes messages in
    // turn; every step below re-reads the state it acts on, so that nesting is safe.
    deadlinePassed();
    pickUpLookup();
    pollSocket();
    timer_.processTick();
}

void TSockSession::processPendingMessages(bool waitForData) {
    if (waitForData && socket_ >= 0) {
        // Nothing to read yet: give the peer a moment instead of spinning.
        pollfd p{socket_, POLLIN, 0};
        ::poll(&p, 1, 1);
    }
    if (host_.processEvents) host_.processEvents();
    processMessages();
}

// ---------------------------------------------------------------------------------------
// Timer

void TSockSession::TimerOn() {
    ReportStatus(8, "Timer On");
    timedOut_ = false;
    timer_.SetInterval(static_cast<unsigned>(std::max(TimeOut, 0)));
    timer_.SetEnabled(true);
}

void TSockSession::TimerOff() {
    ReportStatus(8, "Timer Off");
    timer_.SetEnabled(false);
}

void TSockSession::TimerFired() {
    try {
        ReportStatus(8, "Timer Triggered");
        TimerOff();
        timedOut_ = true;
        waitFlag_ = true;
        Abort();
    } catch (const Exception& e) {
        if (host_.reportError) host_.reportError(e.message());
    }
}

bool TSockSession::deadlinePassed() {
    if (!deadline_ || std::chrono::steady_clock::now() < *deadline_) return false;
    // Raised again at every later check, so each wait still to come ends at once.
    timedOut_ = true;
    waitFlag_ = true;
    Abort();
    return true;
}

void TSockSession::Abort() {
    ReportStatus(8, "Abort");
    Cancel();
}

void TSockSession::Cancel() {
    ReportStatus(8, "Canceling");
    cancel_ = true;
}

// ---------------------------------------------------------------------------------------
// Resolving and connecting

void TSockSession::ResolveHost() {
    ReportStatus(8, "Resolve Host");
    std::string name = Proxy.empty() ? Host : Proxy;
    name = name.substr(0, std::min(name.find('\0'), kBufferSize - 1));
    const in_addr_t dotted = ::inet_addr(name.c_str());
    if (dotted != INADDR_NONE) {
        remoteAddress_ = dotted;
        return;
    }
    remoteAddress_ = 0;
    TimerOn();
    waitFlag_ = false;
    auto lookup = std::make_shared<Lookup>();
    lookup_ = lookup;
    std::thread([lookup, name] {
        addrinfo hints{};
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* result = nullptr;
        const int rc = ::getaddrinfo(name.c_str(), nullptr, &hints, &result);
        lookup->errorNumber = lookupErrorNumber(rc, errno);
        if (rc == 0 && result == nullptr) lookup->errorNumber = 11004;
        if (rc == 0 && result != nullptr) {
            lookup->address =
                reinterpret_cast<const sockaddr_in*>(result->ai_addr)->sin_addr.s_addr;
        }
        if (result != nullptr) ::freeaddrinfo(result);
        lookup->done.store(true, std::memory_order_release);
    }).detach();
    while (!waitFlag_ && !timedOut_ && !cancel_) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        processPendingMessages(false);
    }
    TimerOff();
    if (timedOut_) throw ESockError("Host Lookup Timed Out");
    if (cancel_) throw ESockError("Host Lookup Canceled");
    if (!success_) throw ESockError("Host Lookup Failed");
    remoteAddress_ = lookupAddress_;
    if (OnHostResolved) OnHostResolved(*this);
}

void TSockSession::Connect() {
    ReportStatus(8, "Connecting");
    cancel_ = false;
    closeError_ = 0;
    if (connected_) throw ESockError("Already connected");
    // Only 16 bits reach the socket address: a larger number must not wrap to another port.
    const std::int32_t port = Proxy.empty() ? Port : ProxyPort;
    if (port < 1 || port > 65535) throw ESockError("Port out of range");
    for (int tries = 0;; ++tries) {
        try {
            ResolveHost();
        } catch (const ESockError& e) {
            if (e.message() == "Host Lookup Timed Out" || e.message() == "Host Lookup Canceled")
                throw;
            remoteAddress_ = 0;
        }
        if (remoteAddress_ != 0) break;
        if (tries > 0 || !OnInvalidHost) throw ESockError("Null Remote Address");
        bool handled = false;
        OnInvalidHost(handled);
        if (!handled) throw ESockError("Null Remote Address");
    }
    sockaddr_in remote{};
    remote.sin_family = AF_INET;
    remote.sin_port = htons(static_cast<std::uint16_t>(port));
    remote.sin_addr.s_addr = remoteAddress_;

    waitFlag_ = false;
    success_ = true;
    if (::connect(socket_, reinterpret_cast<const sockaddr*>(&remote), sizeof remote) != 0) {
        const int e = errno;
        if (e == EINPROGRESS) {
            lastError_ = 10035;  // the normal answer of a non-blocking socket
        } else if (e == ECONNREFUSED || e == ETIMEDOUT || e == EHOSTUNREACH || e == ENETUNREACH) {
            // Failures of the connection itself arrive with the connect notice.
            pendingConnectError_ = socketErrorNumber(e);
            lastError_ = 10035;
        } else {
            setLastError(e);
        }
        CheckSocketError(10035);
    }
    state_ = SocketState::Connecting;

    TimerOn();
    while (!connected_ && !timedOut_ && !cancel_ && success_) {
        // A pause of at most 2 ms: over as soon as the connection is made or refused.
        pollfd p{socket_, POLLOUT, 0};
        ::poll(&p, 1, 2);
        processPendingMessages(false);
    }
    TimerOff();
    if (!timedOut_ && !cancel_ && success_) return;
    if (OnConnectionFailed) OnConnectionFailed(*this);
    if (timedOut_) throw ESockError("Connection Timed out");
    if (cancel_) throw ESockError("Connection Canceled");
    throw ESockError("Connection Failed");
}

void TSockSession::Disconnect() {
    ReportStatus(8, "Disconnecting");
    RequestCloseSocket();
}

void TSockSession::RequestCloseSocket() {
    ReportStatus(4, "Request Close Socket");
    connected_ = false;
    if (socket_ < 0) return;
    const int fd = socket_;
    socket_ = -1;
    state_ = SocketState::Fresh;
    if (::close(fd) != 0) {
        setLastError(errno);
        CheckSocketError(10035);
    }
    if (destroying_) return;
    if (OnDisconnect) OnDisconnect(*this);
    if (!destroying_) openSocket(/*withLinger=*/false);
}

// ---------------------------------------------------------------------------------------
// Sending and receiving

long TSockSession::recvSocket(char* buffer, std::size_t length, int flags) {
    const long n = ::recv(socket_, buffer, length, flags | MSG_DONTWAIT);
    if (n < 0) setLastError(errno);
    if (!(flags & MSG_PEEK)) readNoticeArmed_ = true;
    return n;
}

long TSockSession::sendSocket(const char* buffer, std::size_t length) {
    const long n = ::send(socket_, buffer, length, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n < 0) {
        const int e = errno;
        // A socket that never got connected cannot send: say so rather than "reset".
        if (e == EPIPE && state_ != SocketState::Open) {
            lastError_ = 10057;
        } else {
            setLastError(e);
        }
    }
    return n;
}

bool TSockSession::DataAvailable() {
    ReportStatus(8, "Data Available");
    char probe = 0;
    return socket_ >= 0 && ::recv(socket_, &probe, 1, MSG_PEEK | MSG_DONTWAIT) >= 1;
}

void TSockSession::SendBuffer(const char* buffer, std::size_t length) {
    ReportStatus(4, "Sending Buffer");
    TimerOn();
    {
        ScopeExit off([this] { TimerOff(); });
        if (!cancel_) {
            if (length == 0) length = std::strlen(buffer);
            std::size_t remaining = length;
            while (remaining > 0 && !cancel_) {
                const long n = sendSocket(buffer + (length - remaining), remaining);
                if (n == 0) break;
                if (n > 0) {
                    remaining -= static_cast<std::size_t>(n);
                    continue;
                }
                CheckSocketError(10035);
                // The peer's window is full: wait for room, and let the time-out run.
                pollfd p{socket_, POLLOUT, 0};
                ::poll(&p, 1, 1);
                deadlinePassed();
                timer_.processTick();
            }
        }
    }
    if (cancel_) {
        cancel_ = false;
        throw EAbortError("Socket send aborted");
    }
}

void TSockSession::Write(std::string_view text) {
    ReportStatus(8, "Write");
    text = text.substr(0, text.find('\0'));
    if (text.empty()) {
        SendBuffer("", 0);
        return;
    }
    SendBuffer(text.data(), text.size());
}

void TSockSession::Writeln(std::string_view text) {
    ReportStatus(8, "Writeln");
    std::string line(text);
    line += "\r\n";
    Write(line);
}

std::string TSockSession::ReadLn() {
    ReportStatus(8, "ReadLn");
    std::string line;
    TimerOn();
    ScopeExit off([this] { TimerOff(); });
    // The bytes taken so far hold no LF, so only the newly waiting bytes are searched;
    // a line longer than the working buffer is therefore still read whole. The look
    // starts small and widens while the line goes on, so that a flood of short lines
    // does not copy the whole buffer for each of them.
    std::size_t window = 1024;
    for (;;) {
        if (deadlinePassed()) break;
        const long n = recvSocket(buffer_.data(), window, MSG_PEEK);
        window = std::min(window * 2, kBufferSize);
        if (n == 0) {  // the peer has closed
            raiseCloseError();
            return line;
        }
        if (n > 0) {
            const char* begin = buffer_.data();
            const char* lf = std::find(begin, begin + n, '\n');
            const std::size_t take = lf == begin + n ? static_cast<std::size_t>(n)
                                                     : static_cast<std::size_t>(lf - begin) + 1;
            std::size_t taken = 0;
            while (taken < take) {
                const long got = recvSocket(buffer_.data() + taken, take - taken, 0);
                if (got <= 0) break;
                taken += static_cast<std::size_t>(got);
            }
            line.append(buffer_.data(), taken);
            if (line.size() > MaxReceive) throw ESockError("Socket readln too large");
            if (lf != begin + n && taken == take) break;
        } else {
            LastErrorNo = lastError_;
            if (lastError_ == 10057) {  // the socket was closed under us
                raiseCloseError();
                break;
            }
            CheckSocketError(10035);
        }
        processPendingMessages(n < 0);
        if (cancel_) break;
    }
    if (cancel_) {
        cancel_ = false;
        throw EAbortError("Socket readln aborted");
    }
    return line;
}

std::string TSockSession::Transaction(const std::string& command) {
    ReportStatus(8, "Transaction");
    ReplyNumber = 0;
    Writeln(command);
    LastReply = ReadLn();
    if (!LastReply.empty()) {
        ReportStatus(1, LastReply);
        const std::string head = LastReply.substr(0, 10);
        std::size_t digits = 0;
        while (digits < head.size() && head[digits] >= '0' && head[digits] <= '9') ++digits;
        if (digits > 0) {
            const long value = std::stol(head.substr(0, digits));
            if (value > 32767) throwNotInteger(head.substr(0, digits));
            ReplyNumber = static_cast<std::int16_t>(value);
        }
    }
    return LastReply;
}

void TSockSession::captureChunks(std::int32_t limit, const std::function<CaptureSink()>& open) {
    ReceivedCount = 0;
    TimerOn();
    {
        ScopeExit off([this] { TimerOff(); });
        // The sink goes before the timer is switched off, so a file is closed by then.
        const CaptureSink take = open();
        std::size_t received = 0;
        while (!cancel_ && (limit == -1 || received < static_cast<std::size_t>(limit))) {
            const long n = recvSocket(buffer_.data(), kBufferSize, 0);
            if (n == 0) {
                raiseCloseError();
                break;
            }
            if (n > 0) {
                take(buffer_.data(), static_cast<std::size_t>(n));
                received += static_cast<std::size_t>(n);
                ReceivedCount += n;
                if (received > MaxReceive) throw ESockError("Socket capture too large");
                if (OnPacketRecvd) OnPacketRecvd(*this);
            } else {
                LastErrorNo = lastError_;
                if (lastError_ == 10057) {
                    raiseCloseError();
                    break;
                }
                CheckSocketError(10035);
            }
            processPendingMessages(n < 0);
        }
    }
    if (cancel_) {
        cancel_ = false;
        throw EAbortError("Socket capture aborted");
    }
}

void TSockSession::CaptureString(std::string& text, std::int32_t limit) {
    ReportStatus(8, "Capture String");
    text.clear();
    captureChunks(limit, [&text]() -> CaptureSink {
        return [&text](const char* data, std::size_t size) { text.append(data, size); };
    });
}

void TSockSession::CaptureFile(const std::string& fileName) {
    ReportStatus(8, "CaptureFile");
    captureChunks(-1, [&fileName]() -> CaptureSink {
        auto file = std::make_shared<std::ofstream>(fileName, std::ios::binary | std::ios::trunc);
        if (!*file) throwCannotCreate(fileName);
        return [file, &fileName](const char* data, std::size_t size) {
            file->write(data, static_cast<std::streamsize>(size));
            if (!*file) throwCannotCreate(fileName);
        };
    });
}

void TSockSession::SendFile(const std::string& fileName) {
    ReportStatus(8, "SendFile");
    std::ifstream file(fileName, std::ios::binary);
    if (!file) throwCannotOpen(fileName);
    while (!cancel_) {
        file.read(buffer_.data(), kBufferSize);
        const std::size_t chunk = static_cast<std::size_t>(file.gcount());
        if (chunk == 0) break;
        std::size_t sent = 0;
        while (sent < chunk && !cancel_) {
            const long n = sendSocket(buffer_.data() + sent, chunk - sent);
            if (n == 0) break;
            if (n < 0) {
                CheckSocketError(10035);
            } else {
                sent += static_cast<std::size_t>(n);
                SentCount += n;
                if (OnPacketSent) OnPacketSent(*this);
            }
            processPendingMessages(n < 0);
        }
        if (file.eof()) break;
    }
    if (cancel_) {
        cancel_ = false;
        throw EAbortError("Socket send aborted");
    }
}
