// The client against a real web server: nginx on loopback ports, configured by the test.
#include <gtest/gtest.h>

#include "net/http_client.h"
#include "tests/net/test_servers.h"

using namespace net_testing;

namespace {

// Two servers: the main one with a page folder and a redirect carrying a cookie to the
// other one, which serves its own folder.
constexpr const char* kServers = R"(
  server {
    listen 127.0.0.1:@MAIN@;
    root @ROOT@/www;
    location = /moved {
      add_header Set-Cookie "sid=abc123";
      return 302 http://127.0.0.1:@OTHER@/target.html;
    }
  }
  server {
    listen 127.0.0.1:@OTHER@;
    root @ROOT@/other;
  }
)";

std::string replaced(std::string text, const std::string& mark, const std::string& value) {
    for (std::size_t at; (at = text.find(mark)) != std::string::npos;)
        text.replace(at, mark.size(), value);
    return text;
}

struct NginxFixture : ::testing::Test {
    int mainPort = 0;
    int otherPort = 0;
    std::unique_ptr<NginxServer> nginx;
    net_testing::RecordingHost platform;
    THttpClient client{platform.session()};

    void SetUp() override {
        ASSERT_TRUE(NginxServer::available())
            << NginxServer::kBinary << " is missing: install the package nginx-light";
        // A free port can be taken by someone else before nginx binds it: try afresh.
        for (int attempt = 0; attempt < 3 && !(nginx && nginx->running()); ++attempt) {
            mainPort = freePort();
            do otherPort = freePort();
            while (otherPort == mainPort);
            const std::string servers =
                replaced(replaced(kServers, "@MAIN@", std::to_string(mainPort)), "@OTHER@",
                         std::to_string(otherPort));
            nginx = std::make_unique<NginxServer>(servers, std::vector<int>{mainPort, otherPort});
        }
        ASSERT_TRUE(nginx->running()) << nginx->failure();
        client.TimeOut = 3000;
    }

    std::string url(int port, const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port) + path;
    }
};

}  // namespace

TEST_F(NginxFixture, GetsAPageAsItsBytes) {
    const std::string page = "<html><body>\x93\xfa\x95\x74 1234</body></html>\n";
    nginx->writeFile("www/t/page.html", page);
    client.Get(url(mainPort, "/t/page.html"));
    EXPECT_EQ(client.ReplyNumber, 200);
    EXPECT_EQ(client.Header.rfind("HTTP/1.1 200 OK\r\n", 0), 0u) << client.Header;
    EXPECT_NE(client.Header.find("Server: nginx"), std::string::npos);
    EXPECT_EQ(client.Header.substr(client.Header.size() - 4), "\r\n\r\n");
    EXPECT_EQ(client.Body, page);
    EXPECT_NE(nginx->accessLog().find("GET /t/page.html HTTP/1.0|-"), std::string::npos);
}

TEST_F(NginxFixture, MissingPageReturnsTheErrorPageWith404) {
    std::vector<CmdType> failures;
    client.OnFailure = [&](CmdType cmd) { failures.push_back(cmd); };
    client.Get(url(mainPort, "/no/such/page.html"));
    EXPECT_EQ(client.ReplyNumber, 404);
    EXPECT_NE(client.Body.find("404 Not Found"), std::string::npos);
    EXPECT_EQ(failures.size(), 1u);
}

TEST_F(NginxFixture, RedirectToAnotherPortCarriesItsCookieIntoEveryLaterRequest) {
    nginx->writeFile("other/target.html", "target page");
    nginx->writeFile("www/later.html", "later page");
    client.Get(url(mainPort, "/moved"));
    EXPECT_EQ(client.ReplyNumber, 200);
    EXPECT_EQ(client.Body, "target page");
    EXPECT_EQ(client.HeaderInfo.Cookie, "sid=abc123");
    EXPECT_EQ(client.Port, otherPort);

    client.Get(url(mainPort, "/later.html"));
    EXPECT_EQ(client.Body, "later page");

    const std::string log = nginx->accessLog();
    const std::string main = std::to_string(mainPort), other = std::to_string(otherPort);
    EXPECT_NE(log.find(main + "|GET /moved HTTP/1.0|-\n"), std::string::npos) << log;
    EXPECT_NE(log.find(other + "|GET /target.html HTTP/1.0|sid=abc123\n"), std::string::npos)
        << log;
    EXPECT_NE(log.find(main + "|GET /later.html HTTP/1.0|sid=abc123\n"), std::string::npos) << log;
}
