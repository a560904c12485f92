#pragma once
// The listening socket both emulators serve from: 127.0.0.1 only, so a test never opens
// a port to the network.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <stdexcept>
#include <string>

namespace tools {

struct LoopbackListener {
    int fd = -1;
    int port = 0;  // the port bound (the system's choice when 0 was asked)
};

inline LoopbackListener listenOnLoopback(int port) {
    LoopbackListener listener;
    listener.fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listener.fd < 0) throw std::runtime_error("socket failed");
    const int yes = 1;
    ::setsockopt(listener.fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    socklen_t length = sizeof address;
    if (::bind(listener.fd, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(listener.fd, 16) != 0 ||
        ::getsockname(listener.fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(listener.fd);
        throw std::runtime_error("cannot listen on port " + std::to_string(port));
    }
    listener.port = ntohs(address.sin_port);
    return listener;
}

}  // namespace tools
