#include "tests/net/test_servers.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

namespace net_testing {

namespace {

constexpr int kReadLimitMs = 3000;

sockaddr_in loopback(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

bool waitReadable(int fd, int milliseconds) {
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, milliseconds) > 0;
}

bool accepts(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    const auto address = loopback(port);
    const bool ok = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return ok;
}

}  // namespace

int freePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    auto address = loopback(0);
    ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

// ---------------------------------------------------------------------------------------

std::string Connection::readRequest() {
    std::string request;
    const auto start = Clock::now();
    while (request.find("\r\n\r\n") == std::string::npos && elapsedMs(start) < kReadLimitMs) {
        if (!waitReadable(fd_, 20)) {
            if (stopping_) break;
            continue;
        }
        char chunk[4096];
        const long n = ::recv(fd_, chunk, sizeof chunk, 0);
        if (n <= 0) break;
        request.append(chunk, static_cast<std::size_t>(n));
    }
    return request;
}

std::string Connection::readBytes(std::size_t n) {
    std::string bytes;
    const auto start = Clock::now();
    while (bytes.size() < n && elapsedMs(start) < kReadLimitMs && !stopping_) {
        if (!waitReadable(fd_, 20)) continue;
        char chunk[4096];
        const long got = ::recv(fd_, chunk, std::min(sizeof chunk, n - bytes.size()), 0);
        if (got <= 0) break;
        bytes.append(chunk, static_cast<std::size_t>(got));
    }
    return bytes;
}

bool Connection::send(const std::string& bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const long n = ::send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return false;  // the client has gone
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

void Connection::trickle(const std::string& bytes, int milliseconds) const {
    for (const char byte : bytes) {
        if (stopping_ || ::send(fd_, &byte, 1, MSG_NOSIGNAL) != 1) return;
        for (int waited = 0; waited < milliseconds && !stopping_; waited += 10) pause(10);
    }
}

void Connection::resetOnClose() const {
    linger option{1, 0};
    ::setsockopt(fd_, SOL_SOCKET, SO_LINGER, &option, sizeof option);
}

void Connection::pause(int milliseconds) const {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void Connection::stayQuiet() const {
    while (!stopping_) std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

// ---------------------------------------------------------------------------------------

ScriptedServer::ScriptedServer(Script script, int connections)
    : script_(std::move(script)), connections_(connections) {
    listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int yes = 1;
    ::setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    auto address = loopback(0);
    ::bind(listenFd_, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    ::listen(listenFd_, 16);
    socklen_t length = sizeof address;
    ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { run(); });
}

ScriptedServer::~ScriptedServer() {
    stop();
}

void ScriptedServer::stop() {
    stopping_ = true;
    if (thread_.joinable()) thread_.join();
    if (listenFd_ >= 0) ::close(listenFd_);
    listenFd_ = -1;
}

void ScriptedServer::run() {
    for (int index = 0; index < connections_ && !stopping_;) {
        if (!waitReadable(listenFd_, 20)) continue;
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        ++accepted_;
        Connection connection(fd, stopping_);
        script_(connection, index++);
        ::close(fd);
    }
}

std::vector<std::string> ScriptedServer::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

void ScriptedServer::record(const std::string& request) {
    std::lock_guard lock(mutex_);
    requests_.push_back(request);
}

std::string reply(const std::string& statusLine, const std::vector<std::string>& headerLines,
                  const std::string& body) {
    std::string text = statusLine + "\r\n";
    for (const auto& line : headerLines) text += line + "\r\n";
    return text + "\r\n" + body;
}

// ---------------------------------------------------------------------------------------

bool NginxServer::available() {
    return ::access(kBinary, X_OK) == 0;
}

NginxServer::NginxServer(const std::string& servers, const std::vector<int>& ports) {
    static int counter = 0;
    root_ = std::filesystem::temp_directory_path() /
            ("dravik-nginx-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(root_);
    std::filesystem::create_directories(root_ / "www");
    std::filesystem::create_directories(root_ / "temp");

    std::string body = servers;
    for (std::size_t at; (at = body.find("@ROOT@")) != std::string::npos;)
        body.replace(at, 6, root_.string());
    const std::string r = root_.string();
    std::ofstream(root_ / "nginx.conf")
        << "daemon off;\nmaster_process off;\nworker_processes 1;\n"
        << "pid " << r << "/nginx.pid;\nerror_log " << r << "/error.log;\n"
        << "events { worker_connections 64; }\n"
        << "http {\n"
        << "  log_format requests '$server_port|$request|$http_cookie';\n"
        << "  access_log " << r << "/access.log requests;\n"
        << "  client_body_temp_path " << r << "/temp/body;\n"
        << "  proxy_temp_path " << r << "/temp/proxy;\n"
        << "  fastcgi_temp_path " << r << "/temp/fastcgi;\n"
        << "  uwsgi_temp_path " << r << "/temp/uwsgi;\n"
        << "  scgi_temp_path " << r << "/temp/scgi;\n"
        << "  default_type text/html;\n"
        << body << "}\n";

    pid_ = ::fork();
    if (pid_ == 0) {
        const std::string conf = (root_ / "nginx.conf").string();
        const std::string errorLog = (root_ / "error.log").string();
        ::execl(kBinary, kBinary, "-p", r.c_str(), "-c", conf.c_str(), "-e", errorLog.c_str(),
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    // nginx writes its pid file once its ports are bound; a port that accepts before that
    // may belong to someone else.
    const auto start = Clock::now();
    const auto pidFile = root_ / "nginx.pid";
    for (int port : ports) {
        while (!std::filesystem::exists(pidFile) || !accepts(port)) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_ || elapsedMs(start) > 5000) {
                std::ifstream log(root_ / "error.log");
                std::stringstream text;
                text << log.rdbuf();
                failure_ = "nginx did not start: " + text.str();
                if (::waitpid(pid_, &status, WNOHANG) == 0) {
                    ::kill(pid_, SIGKILL);
                    ::waitpid(pid_, &status, 0);
                }
                pid_ = -1;
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
}

NginxServer::~NginxServer() {
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        int status = 0;
        const auto start = Clock::now();
        while (::waitpid(pid_, &status, WNOHANG) == 0) {
            if (elapsedMs(start) > 3000) {
                ::kill(pid_, SIGKILL);
                ::waitpid(pid_, &status, 0);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
}

void NginxServer::writeFile(const std::string& relative, const std::string& bytes) const {
    const auto path = root_ / relative;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string NginxServer::accessLog() const {
    std::ifstream log(root_ / "access.log", std::ios::binary);
    std::stringstream text;
    text << log.rdbuf();
    return text.str();
}

}  // namespace net_testing
