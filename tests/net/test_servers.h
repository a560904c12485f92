#pragma once
// Servers for the network tests, all on 127.0.0.1: small scripted servers on a thread,
// and a real nginx started from a configuration written by the test.
#include <sys/types.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "net/sock_session.h"

namespace net_testing {

// What a session's host sees: the events its waits let through, the errors it reports.
struct RecordingHost {
    long eventsProcessed = 0;
    void (*onProcessEvents)() = nullptr;
    std::vector<std::string> errors;
    SessionHost session() {
        return {[this] {
                    ++eventsProcessed;
                    if (onProcessEvents) onProcessEvents();
                },
                [this](const std::string& message) { errors.push_back(message); }};
    }
};

// A port nobody listens on right now.
int freePort();

// One accepted connection, as a script sees it. Reads are bounded in time.
class Connection {
  public:
    Connection(int fd, const std::atomic<bool>& stopping) : fd_(fd), stopping_(stopping) {}
    // Everything up to and including the blank line that ends a request header.
    std::string readRequest();
    // Exactly n bytes, or fewer when the peer closes or time runs out.
    std::string readBytes(std::size_t n);
    // False once the client has gone.
    bool send(const std::string& bytes);
    // One byte at a time, `milliseconds` apart, until done, the client has gone or the
    // server is stopped.
    void trickle(const std::string& bytes, int milliseconds) const;
    // The close that ends the script resets the connection instead of closing it.
    void resetOnClose() const;
    bool stopping() const { return stopping_; }
    void pause(int milliseconds) const;
    // Holds the connection open without a word until the server is stopped.
    void stayQuiet() const;
    int fd() const { return fd_; }

  private:
    int fd_;
    const std::atomic<bool>& stopping_;
};

// Accepts up to `connections` connections one after the other and runs the script on
// each; what the clients sent through readRequest is recorded.
class ScriptedServer {
  public:
    using Script = std::function<void(Connection&, int index)>;
    explicit ScriptedServer(Script script, int connections = 1);
    ~ScriptedServer();
    ScriptedServer(const ScriptedServer&) = delete;
    ScriptedServer& operator=(const ScriptedServer&) = delete;

    int port() const { return port_; }
    int accepted() const { return accepted_.load(); }
    // The requests read by the scripts, in order.
    std::vector<std::string> requests() const;
    void record(const std::string& request);
    // Stops accepting and waits for the script to end.
    void stop();

  private:
    void run();

    Script script_;
    int connections_;
    int listenFd_ = -1;
    int port_ = 0;
    std::atomic<int> accepted_{0};
    std::atomic<bool> stopping_{false};
    mutable std::mutex mutex_;
    std::vector<std::string> requests_;
    std::thread thread_;
};

// A reply of a status line, header lines and a body, as an HTTP/1.0 server closes it.
std::string reply(const std::string& statusLine, const std::vector<std::string>& headerLines,
                  const std::string& body);

// nginx on loopback ports with a configuration written into its own temporary folder.
class NginxServer {
  public:
    static constexpr const char* kBinary = "/usr/sbin/nginx";
    static bool available();

    // `servers` holds the server blocks of the http block; "@ROOT@" in it stands for the
    // server's folder. Waits until every port in `ports` accepts connections.
    NginxServer(const std::string& servers, const std::vector<int>& ports);
    ~NginxServer();
    NginxServer(const NginxServer&) = delete;
    NginxServer& operator=(const NginxServer&) = delete;

    const std::filesystem::path& root() const { return root_; }
    void writeFile(const std::string& relative, const std::string& bytes) const;
    std::string accessLog() const;
    bool running() const { return pid_ > 0; }
    const std::string& failure() const { return failure_; }

  private:
    std::filesystem::path root_;
    pid_t pid_ = -1;
    std::string failure_;
};

using Clock = std::chrono::steady_clock;
inline long elapsedMs(Clock::time_point since) {
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - since).count());
}

}  // namespace net_testing
