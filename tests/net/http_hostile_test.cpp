// The HTTP client against servers that reset, trickle, flood and redirect oddly.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "data/collection_fetch.h"
#include "net/http_client.h"
#include "net/url_reference.h"
#include "tests/net/test_servers.h"
#include "tests/support.h"

using testing_support::messageOf;

using namespace net_testing;

namespace {

struct HostileServer : ::testing::Test {
    net_testing::RecordingHost platform;
    THttpClient client{platform.session()};
    void SetUp() override { client.TimeOut = 3000; }

    std::string base(const ScriptedServer& server) const {
        return "http://127.0.0.1:" + std::to_string(server.port());
    }
};

std::string priceRows(int count) {
    std::string rows;
    for (int i = 0; i < count; ++i) rows += "<tr><td>" + std::to_string(1000 + i) + "</td></tr>\n";
    return rows;
}

long threadCpuMs() {
    rusage usage{};
    ::getrusage(RUSAGE_THREAD, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000L +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000L;
}

}  // namespace

TEST_F(HostileServer, ResetRaisesTheResetErrorWhereverItCutsTheReply) {
    const std::string header = "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n";
    struct Case {
        const char* name;
        std::string sent;
        int pauseMs;  // the client has taken what was sent and waits for more
    };
    const Case cases[] = {
        {"in the header", "HTTP/1.0 200 OK\r\nContent-Ty", 100},
        {"mid-body", header + priceRows(24) + "<tr><td>10", 100},
        {"at a row boundary", header + priceRows(24), 100},
        {"at a row boundary, right behind the data", header + priceRows(24), 0},
    };
    for (const auto& c : cases) {
        ScriptedServer server([&](Connection& connection, int) {
            connection.readRequest();
            connection.send(c.sent);
            connection.pause(c.pauseMs);
            connection.resetOnClose();
        });
        EXPECT_EQ(messageOf<ESockError>([&] { client.Get(base(server) + "/"); }),
                  "10054:Connection reset by peer")
            << c.name;
        EXPECT_FALSE(client.Connected()) << c.name;
    }
}

TEST_F(HostileServer, TricklingServerEndsAtTheRequestDeadlineWithoutSpinning) {
    struct Case {
        const char* name;
        std::function<void(Connection&)> serve;
        bool slow;  // the client mostly waits, so it must mostly sleep
    };
    const Case cases[] = {
        {"one header byte per second",
         [](Connection& c) { c.trickle("HTTP/1.0 200 OK\r\nX-Slow: yes\r\n\r\nbody", 1000); },
         true},
        {"a tiny header line every 20 ms",
         [](Connection& c) {
             c.send("HTTP/1.0 200 OK\r\n");
             while (!c.stopping() && c.send("a\r\n")) c.pause(20);
         },
         true},
        {"endless tiny header lines",
         [](Connection& c) {
             std::string lines;
             for (int i = 0; i < 1000; ++i) lines += "a\r\n";
             c.send("HTTP/1.0 200 OK\r\n");
             while (!c.stopping() && c.send(lines)) {
             }
         },
         false},
    };
    client.TimeOut = 30000;  // each wait on its own would go on for half a minute
    client.RequestTimeOut = 800;
    for (const auto& c : cases) {
        ScriptedServer server([&](Connection& connection, int) {
            connection.readRequest();
            c.serve(connection);
        });
        const auto start = Clock::now();
        const long cpuBefore = threadCpuMs();
        EXPECT_EQ(messageOf<EAbortError>([&] { client.Get(base(server) + "/"); }),
                  "Request Timed out")
            << c.name;
        const long elapsed = elapsedMs(start);
        EXPECT_GE(elapsed, 790) << c.name;
        EXPECT_LT(elapsed, 2500) << c.name;
        if (c.slow) {
            EXPECT_LT(threadCpuMs() - cpuBefore, elapsed / 3) << c.name;
        }
        EXPECT_FALSE(client.Connected()) << c.name;
    }
}

TEST_F(HostileServer, FileCaptureStopsAtTheCapAsTheTextCaptureDoes) {
    testing_support::ScratchDir dir;
    const std::string megabyte(1024 * 1024, 'z');
    ScriptedServer server([&](Connection& c, int) {
        c.readRequest();
        c.send("HTTP/1.0 200 OK\r\n\r\n");
        for (int i = 0; i < 63 && c.send(megabyte); ++i) {
        }
    });
    client.MaxReceive = megabyte.size();
    client.InputFileMode = true;
    client.Body = (dir.path() / "Default.htm").string();
    EXPECT_EQ(messageOf<ESockError>([&] { client.Get(base(server) + "/"); }),
              "Socket capture too large");
    EXPECT_LE(std::filesystem::file_size(client.Body), megabyte.size() + TSockSession::kBufferSize);
}

TEST(HttpMemory, PeakForA63MiBReplyStaysUnder100MB) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's own memory hides the client's";
#else
    const auto statusKb = [](const char* field) {
        std::ifstream status("/proc/self/status");
        for (std::string line; std::getline(status, line);)
            if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::string(field).size()));
        return -1L;
    };
    const std::string megabyte(1024 * 1024, '\xFF');  // 3 bytes each once decoded
    ScriptedServer server(
        [&](Connection& c, int) {
            c.readRequest();
            c.send("HTTP/1.0 200 OK\r\n\r\n");
            for (int i = 0; i < 63 && c.send(megabyte); ++i) {
            }
        },
        2);
    const std::string host = "127.0.0.1:" + std::to_string(server.port());
    testing_support::FormFixture fixture;
    THttpClient plain(SessionHost{});
    // A quote page through the form's client, then any reply through a default client.
    for (const bool page : {true, false}) {
        if (!(std::ofstream("/proc/self/clear_refs") << "5")) GTEST_SKIP() << "no peak reset";
        const long before = statusKb("VmRSS:");
        if (page) {
            EXPECT_THROW(
                data::fetchPageText(fixture.form->HttpClient1, host, "/t", data::kPriceFetchFailed),
                Exception);
        } else {
            plain.Get("http://" + host + "/");
            EXPECT_EQ(plain.Body.size(), 63u * 1024 * 1024);
        }
        const long growthKb = statusKb("VmHWM:") - before;
        std::printf("[ peak RSS ] %s: +%ld kB\n", page ? "page" : "any reply", growthKb);
        EXPECT_LT(growthKb, 100 * 1000) << page;
    }
#endif
}

TEST(LocationReference, ResolvesAsRfc3986Does) {
    // The reference resolution examples of RFC 3986 (5.4.1, 5.4.2); fragments never go
    // to the server, and "http:g" is read as relative, as the RFC allows.
    const std::string base = "http://a/b/c/d;p?q";
    const std::pair<const char*, const char*> cases[] = {
        {"g", "http://a/b/c/g"},
        {"./g", "http://a/b/c/g"},
        {"/g", "http://a/g"},
        {"//g", "http://g"},
        {"?y", "http://a/b/c/d;p?y"},
        {"g?y", "http://a/b/c/g?y"},
        {"#s", "http://a/b/c/d;p?q"},
        {"g#s", "http://a/b/c/g"},
        {"", "http://a/b/c/d;p?q"},
        {".", "http://a/b/c/"},
        {"..", "http://a/b/"},
        {"../..", "http://a/"},
        {"../../../g", "http://a/g"},
        {"/./g", "http://a/g"},
        {"./g/.", "http://a/b/c/g/"},
        {"g;x=1/../y", "http://a/b/c/y"},
        {"g?y/./x", "http://a/b/c/g?y/./x"},
        {"g#s/../x", "http://a/b/c/g"},
        {"http:g", "http://a/b/c/g"},
        // A ":" after the first "/", "?" or "#", or after a non-scheme, names no scheme.
        {"/t?c=1&t=12:30", "http://a/t?c=1&t=12:30"},
        {"12:30", "http://a/b/c/12:30"},
        {"HTTP://Other:81/p", "http://Other:81/p"},
        {"http://user@other:/p", "http://other/p"},
    };
    for (const auto& [reference, expected] : cases)
        EXPECT_EQ(resolveReference(base, reference), expected) << reference;

    for (const char* refused :
         {"file:///etc/passwd", "javascript:alert(1)", "ftp://a/x", "mailto:a@b", "g:h"})
        EXPECT_EQ(messageOf<Exception>([&] { resolveReference(base, refused); }),
                  "Unsupported scheme")
            << refused;
    EXPECT_EQ(messageOf<Exception>([&] { resolveReference(base, "https://a/"); }),
              "HTTP Secure Socket is not supported");

    EXPECT_EQ(percentEncodeUnsafe("/a b\"<>#\x01\x7f\xe6\x97\xa5%41?x=1&y={}"),
              "/a%20b%22%3C%3E%23%01%7F%E6%97%A5%41?x=1&y={}");
}

TEST_F(HostileServer, RedirectsKeepHostAndPortAndNeverLeaveHttp) {
    struct Case {
        const char* location;
        const char* requested;  // the second request line; empty: refused
        const char* error;
    };
    const Case cases[] = {
        {"/t?c=1&t=12:30", "GET /t?c=1&t=12:30 HTTP/1.0\r\n", ""},
        {"next page.html", "GET /dir/next%20page.html HTTP/1.0\r\n", ""},
        {"../\"<x>\"", "GET /%22%3Cx%3E%22 HTTP/1.0\r\n", ""},
        {"file:///etc/passwd", "", "Unsupported scheme"},
        {"javascript:alert(1)", "", "Unsupported scheme"},
        {"http://127.0.0.1:65616/", "", "Port out of range"},
    };
    for (const auto& c : cases) {
        ScriptedServer server(
            [&](Connection& connection, int index) {
                server.record(connection.readRequest());
                connection.send(index == 0 ? reply("HTTP/1.0 302 Found",
                                                   {std::string("Location: ") + c.location}, "")
                                           : reply("HTTP/1.0 200 OK", {}, "moved here"));
            },
            2);
        if (*c.error != '\0') {
            EXPECT_EQ(messageOf<Exception>([&] { client.Get(base(server) + "/dir/start"); }),
                      c.error)
                << c.location;
            server.stop();
            EXPECT_EQ(server.accepted(), 1) << c.location;
            continue;
        }
        client.Get(base(server) + "/dir/start");
        EXPECT_EQ(client.Body, "moved here") << c.location;
        EXPECT_EQ(client.Port, server.port()) << c.location;
        const auto requests = server.requests();
        ASSERT_EQ(requests.size(), 2u) << c.location;
        EXPECT_EQ(requests[1].substr(0, requests[1].find('\n') + 1), c.requested);
    }
}

TEST_F(HostileServer, PortsAndStatusesOutOfRangeAreRefused) {
    for (const char* port : {"0", "-1", "65536", "65616", "4294967376"}) {
        const std::string url = std::string("http://127.0.0.1:") + port + "/";
        const std::string message = messageOf<Exception>([&] { client.Get(url); });
        EXPECT_TRUE(message == "Port out of range" || message.find("整数") != std::string::npos)
            << port << ": " << message;
    }
    client.Port = 65616;
    EXPECT_EQ(messageOf<ESockError>([&] { client.Connect(); }), "Port out of range");

    const std::pair<const char*, int> statuses[] = {
        {"HTTP/1.0 65838 Found", -1}, {"HTTP/1.0 99 Low", -1},        {"HTTP/1.0 1000 High", -1},
        {"HTTP/1.0 -302 Found", -1},  {"HTTP/1.0 100 Continue", 100}, {"HTTP/1.0 999 Odd", 999},
    };
    for (const auto& [line, number] : statuses) {
        const char* statusLine = line;  // a lambda may not capture a structured binding
        ScriptedServer server([&](Connection& c, int) {
            c.readRequest();
            c.send(reply(statusLine, {"Location: /elsewhere"}, "body"));
        });
        if (number < 0) {
            EXPECT_EQ(messageOf<ESockError>([&] { client.Get(base(server) + "/"); }),
                      "Malformed reply")
                << statusLine;
        } else {
            client.Get(base(server) + "/");
            EXPECT_EQ(client.ReplyNumber, number) << statusLine;
        }
        EXPECT_FALSE(client.Connected()) << statusLine;
    }
}
