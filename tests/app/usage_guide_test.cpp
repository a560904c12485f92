#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <thread>

#include "tests/support.h"

using namespace testing_support;

namespace {

// Answers one request on a loopback port with the given reply, and keeps the request.
class OneReplyServer {
  public:
    explicit OneReplyServer(std::string reply) : reply_(std::move(reply)) {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        socklen_t length = sizeof address;
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        ::listen(listener_, 1);
        thread_ = std::thread([this] {
            const int peer = ::accept(listener_, nullptr, nullptr);
            if (peer < 0) return;
            char buffer[4096];
            while (request_.find("\r\n\r\n") == std::string::npos) {
                const ssize_t n = ::recv(peer, buffer, sizeof buffer, 0);
                if (n <= 0) break;
                request_.append(buffer, static_cast<std::size_t>(n));
            }
            ::send(peer, reply_.data(), reply_.size(), MSG_NOSIGNAL);
            ::close(peer);
        });
    }
    ~OneReplyServer() {
        ::shutdown(listener_, SHUT_RDWR);
        ::close(listener_);
        thread_.join();
    }
    std::string host() const { return "127.0.0.1:" + std::to_string(port_); }
    const std::string& request() const { return request_; }

  private:
    std::string reply_;
    int listener_ = -1;
    int port_ = 0;
    std::string request_;
    std::thread thread_;
};

template <class Client>
constexpr bool clientTalksToTheNetwork = requires(Client& client) {
    client.processMessages();
};

struct GuideFixture {
    GuideFixture() : form(platform, {base.root(), base.dir.path() / "guide.htm"}) {
        base.dir.writeRaw("guide.htm", "<html><body>shipped</body></html>");
    }
    FormFixture base;
    HeadlessPlatform platform;
    TForm1 form;
};

}  // namespace

TEST(UsageGuide, PageFromTheGuideHostIsShownWhenItAnswers) {
    if constexpr (!clientTalksToTheNetwork<THttpClient>) GTEST_SKIP() << "no HTTP client yet";
    GuideFixture f;
    OneReplyServer server(
        "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n<html><body>from the "
        "host</body></html>");
    f.form.services.usageGuide = server.host();
    f.form.run(&TForm1::Button36Click);

    EXPECT_EQ(server.request().rfind("GET /quendal/dravik.htm ", 0), 0u) << server.request();
    EXPECT_EQ(f.form.WebBrowser1.html, "<html><body>from the host</body></html>");
    EXPECT_EQ(f.form.WebBrowser1.url, "http://" + server.host() + "/quendal/dravik.htm");
    EXPECT_TRUE(f.form.Panel6.visible);
    EXPECT_TRUE(f.platform.errors.empty());
}

TEST(UsageGuide, ShippedPageStandsInForAnErrorReply) {
    GuideFixture f;
    OneReplyServer server("HTTP/1.0 404 Not Found\r\n\r\n<html><body>missing</body></html>");
    f.form.services.usageGuide = server.host();
    f.form.run(&TForm1::Button36Click);
    EXPECT_EQ(f.form.WebBrowser1.html, "<html><body>shipped</body></html>");
    EXPECT_TRUE(f.form.Panel6.visible);
    EXPECT_EQ(f.form.Button36.caption, "説明閉る");
}

TEST(UsageGuide, WithoutAnyHostTheShippedPageIsShownAndAMissingOneIsReported) {
    GuideFixture f;
    f.form.run(&TForm1::Button36Click);
    EXPECT_EQ(f.form.WebBrowser1.html, "<html><body>shipped</body></html>");

    HeadlessPlatform platform;
    TForm1 bare(platform, {f.base.root(), f.base.dir.path() / "none.htm"});
    bare.run(&TForm1::Button36Click);
    ASSERT_EQ(platform.errors.size(), 1u);
    EXPECT_NE(platform.errors[0].find("none.htm は開けません"), std::string::npos);
    EXPECT_FALSE(bare.Panel6.visible);
}
