#pragma once
// The socket session under the HTTP client: one TCP socket, a time-out timer and a
// 65,536-byte working buffer. Everything runs on the window's thread; every wait is a
// loop that keeps the window's events flowing and picks up the socket's notices (host
// looked up, connected, data waiting, peer closed) and the timer's ticks on the way.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tables/errors.h"

// What a session needs of the program around it: a wait lets pending events through
// (the window stays live), and an error that arises outside any call (the time-out
// timer's) is reported. Either may be empty.
struct SessionHost {
    std::function<void()> processEvents;
    std::function<void(const std::string& message)> reportError;
};

class ESockError : public Exception {
    using Exception::Exception;
};
class EAbortError : public ESockError {
    using ESockError::ESockError;
};

// The time-out timer. It ticks every Interval milliseconds while enabled; the ticks are
// delivered by processTick, which the session's message processing calls.
class TSessionTimer {
  public:
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    unsigned Interval() const { return interval_; }
    void SetInterval(unsigned interval);
    void SetOnTimer(std::function<void()> onTimer);

    // Fires OnTimer when a tick is due. Does nothing otherwise.
    void processTick();

  private:
    void update();

    bool enabled_ = true;
    unsigned interval_ = 1000;
    std::function<void()> onTimer_;
    bool armed_ = false;
    std::chrono::steady_clock::time_point nextTick_{};
};

// The socket error number as the session's error table knows it (10061 for a refused
// connection, 10035 for a call that would block, ...).
int socketErrorNumber(int posixErrno);
// The error number of a failed host look-up (11001 host not found, ...).
int lookupErrorNumber(int getaddrinfoResult, int posixErrno);
// "10061:Connection refused"; "Unknown Error No. n" for a number outside the table.
std::string socketErrorText(int errorNumber);

class TSockSession {
  public:
    using TNotifyEvent = std::function<void(TSockSession& sender)>;

    // Notice numbers and kinds, as the dispatch routine receives them.
    static constexpr unsigned kSocketNotice = 1125;
    static constexpr unsigned kLookupNotice = 1126;
    static constexpr std::uint16_t kRead = 1, kOutOfBand = 4, kAccept = 8, kConnectDone = 16,
                                   kClose = 32;
    static constexpr std::size_t kBufferSize = 65536;
    static constexpr std::size_t kDefaultMaxReceive = 64u * 1024 * 1024;

    explicit TSockSession(SessionHost host);
    virtual ~TSockSession();
    TSockSession(const TSockSession&) = delete;
    TSockSession& operator=(const TSockSession&) = delete;

    std::string Host;
    std::int32_t Port = 0;
    std::int32_t TimeOut = 0;  // ms per wait; 0: no time-out
    std::int32_t ReportLevel = 0;
    std::string Proxy;
    std::int32_t ProxyPort = 0;

    TNotifyEvent OnConnect;
    TNotifyEvent OnDisconnect;
    std::function<void(bool& handled)> OnInvalidHost;
    TNotifyEvent OnHostResolved;
    std::function<void(TSockSession& sender, const std::string& status)> OnStatus;
    TNotifyEvent OnConnectionFailed;
    TNotifyEvent OnPacketRecvd;
    TNotifyEvent OnPacketSent;
    // Optional hooks: data waiting, an incoming connection, and a socket error about to be
    // raised.
    TNotifyEvent OnRead;
    TNotifyEvent OnAccept;
    std::function<void(TSockSession& sender, std::uint16_t errorNumber, const std::string& text)>
        OnError;

    std::vector<std::string> WinsockInfo;
    std::int64_t SentCount = 0;
    std::int32_t LastErrorNo = 0;
    std::int64_t ReceivedCount = 0;
    std::string LastReply;
    std::int16_t ReplyNumber = 0;
    // A received text, file or line larger than this ends the read with an error, so a
    // peer cannot exhaust the memory or the disk.
    std::size_t MaxReceive = kDefaultMaxReceive;

    virtual void Connect();
    virtual void Disconnect();
    virtual std::string Transaction(const std::string& command);
    virtual void Abort();
    void Cancel();

    void Write(std::string_view text);
    void Writeln(std::string_view text);
    // Sends the whole block; a length of 0 sends up to the first NUL.
    void SendBuffer(const char* buffer, std::size_t length);
    // One line with its line end; empty when the peer has closed.
    std::string ReadLn();
    void SendFile(const std::string& fileName);
    void CaptureFile(const std::string& fileName);
    // Everything up to the end of the connection, or until text holds at least limit
    // bytes (-1: no limit).
    void CaptureString(std::string& text, std::int32_t limit);
    bool DataAvailable();
    void RequestCloseSocket();

    // Dispatches the pending socket notices and timer ticks once, without waiting. The
    // waits call it; the window calls it when idle, so that e.g. a peer closing an idle
    // connection replaces the socket.
    void processMessages();

    bool Connected() const { return connected_; }
    const std::string& LastStatus() const { return lastStatus_; }
    std::string ErrorMessage(int errorNumber);
    // The routine every notice goes through: lParam carries the error number in its high
    // 16 bits and the notice kind in its low 16 bits.
    void DispatchSocketMessage(unsigned message, std::uint32_t lParam);

  protected:
    void ReportStatus(int level, const std::string& text);
    void ResolveHost();
    void TimerOn();
    void TimerOff();
    void TimerFired();
    // Raises the text of the last socket error unless it is `expected` or 10000 or below.
    std::string CheckSocketError(int expected);
    // Ends the running wait as its time-out would once the deadline has passed; true then.
    // Every wait asks, also one that never has to wait for data.
    bool deadlinePassed();

    // The moment by which the whole operation must be over; none: no such moment.
    std::optional<std::chrono::steady_clock::time_point> deadline_;

    SessionHost host_;
    bool cancel_ = false;
    bool waitFlag_ = false;
    bool timedOut_ = false;
    bool success_ = false;

  private:
    enum class SocketState { Fresh, Connecting, Open, Failed };
    struct Lookup;

    void InitWinsock();
    bool openSocket(bool withLinger);
    void pollSocket();
    void pickUpLookup();
    // One pass of a wait: the window's events, then the session's own notices.
    void processPendingMessages(bool waitForData);
    long recvSocket(char* buffer, std::size_t length, int flags);
    long sendSocket(const char* buffer, std::size_t length);
    void setLastError(int posixErrno);
    // The error a close notice carried (a reset), raised once the reader meets the end of
    // the data, so a cut-off reply never reads as a whole one.
    void raiseCloseError();
    // Where a capture puts the bytes of each received chunk.
    using CaptureSink = std::function<void(const char* data, std::size_t size)>;
    // The receive loop of the captures, with the timer on throughout; `open` runs once
    // the timer is on and gives the sink. It ends when the peer closes, when the socket
    // was closed under us, or, tested between chunks, once `limit` bytes have come (-1:
    // no limit). More than MaxReceive bytes end it with an error; a cancel ends it with
    // EAbortError.
    void captureChunks(std::int32_t limit, const std::function<CaptureSink()>& open);

    std::vector<char> buffer_;
    bool destroying_ = false;
    std::string lastStatus_;
    TSessionTimer timer_;
    std::uint32_t remoteAddress_ = 0;  // network byte order; 0: none known yet
    std::uint32_t lookupAddress_ = 0;
    std::shared_ptr<Lookup> lookup_;
    int socket_ = -1;
    SocketState state_ = SocketState::Fresh;
    int pendingConnectError_ = 0;
    bool readNoticeArmed_ = true;
    bool closeNoticed_ = false;
    int closeError_ = 0;
    bool connected_ = false;
    int lastError_ = 0;
    bool counted_ = false;
};
