// The HTTP client's reply reading (status line, header lines, redirects, body) on any
// reply. A server on 127.0.0.1 answers the client's first request with the input and
// any request after it (a redirect followed) with an empty page. The client reaches it
// as its proxy, so no Location ever leads anywhere else.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "net/http_client.h"

namespace {

class LoopbackServer {
  public:
    LoopbackServer() {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&address), length) ||
            ::listen(listener_, 16) ||
            ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length))
            __builtin_trap();
        port_ = ntohs(address.sin_port);
        std::thread([this] { run(); }).detach();
    }
    int port() const { return port_; }
    void answerNextWith(std::string reply) {
        const std::lock_guard lock(mutex_);
        reply_ = std::move(reply);
        first_ = true;
    }

  private:
    // Waits up to two seconds for the socket to be readable.
    static bool readable(int fd) {
        pollfd p{fd, POLLIN, 0};
        return ::poll(&p, 1, 2000) > 0;
    }
    void run() {
        for (;;) {
            const int fd = ::accept(listener_, nullptr, nullptr);
            if (fd < 0) continue;
            std::string request;
            char buffer[4096];
            while (request.find("\r\n\r\n") == std::string::npos && readable(fd)) {
                const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
                if (n <= 0) break;
                request.append(buffer, static_cast<std::size_t>(n));
            }
            std::string reply = "HTTP/1.0 200 OK\r\n\r\n";
            {
                const std::lock_guard lock(mutex_);
                if (first_) reply = reply_;
                first_ = false;
            }
            for (std::size_t sent = 0; sent < reply.size();) {
                const ssize_t n =
                    ::send(fd, reply.data() + sent, reply.size() - sent, MSG_NOSIGNAL);
                if (n <= 0) break;
                sent += static_cast<std::size_t>(n);
            }
            // Close only after the client has: closing with its bytes unread would reset.
            ::shutdown(fd, SHUT_WR);
            while (readable(fd) && ::recv(fd, buffer, sizeof buffer, 0) > 0) {
            }
            ::close(fd);
        }
    }

    int listener_ = -1;
    int port_ = 0;
    std::mutex mutex_;
    std::string reply_;
    bool first_ = false;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static LoopbackServer server;
    server.answerNextWith(std::string(reinterpret_cast<const char*>(data), size));
    static THttpClient client(SessionHost{});
    client.Proxy = "127.0.0.1";
    client.ProxyPort = server.port();
    client.TimeOut = 2000;
    client.HeaderInfo = THeaderInfo{};  // no cookie from the input before
    try {
        client.Get("http://quotes.example:8080/t?c=1930&a=9&b=16&f=");
    } catch (const Exception&) {
        // A refused reply is a sound outcome.
    }
    return 0;
}
