#include "net/sock_session.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "tests/net/test_servers.h"
#include "tests/support.h"

using testing_support::messageOf;

using namespace net_testing;

namespace {

// A session with a bounded time-out, so that a fault ends the test instead of hanging it.
struct SessionFixture : ::testing::Test {
    net_testing::RecordingHost platform;
    TSockSession session{platform.session()};
    void SetUp() override {
        session.Host = "127.0.0.1";
        session.TimeOut = 3000;
    }
};

TSockSession* abortTarget = nullptr;
int abortAfterEvents = 0;
void abortAfterSomeEvents() {
    if (--abortAfterEvents == 0) abortTarget->Abort();
}

}  // namespace

TEST(SocketErrorTexts, ReadAsTheTableGivesThem) {
    EXPECT_EQ(socketErrorText(10061), "10061:Connection refused");
    EXPECT_EQ(socketErrorText(10065), "10065:No route to Host");
    EXPECT_EQ(socketErrorText(11001), "11001:Host not found");
    EXPECT_EQ(socketErrorText(12345), "Unknown Error No. 12345");
    EXPECT_EQ(socketErrorText(0), "");
    EXPECT_EQ(socketErrorNumber(ECONNREFUSED), 10061);
    EXPECT_EQ(socketErrorNumber(ETIMEDOUT), 10060);
    EXPECT_EQ(socketErrorNumber(ECONNRESET), 10054);
    EXPECT_EQ(socketErrorNumber(EHOSTUNREACH), 10065);
    EXPECT_EQ(socketErrorNumber(ENETUNREACH), 10051);
    EXPECT_EQ(socketErrorNumber(ENOTCONN), 10057);
    EXPECT_EQ(socketErrorNumber(EWOULDBLOCK), 10035);
}

TEST_F(SessionFixture, StartsWithTheStartUpLinesOfTheFirstSession) {
    // Only the first live session of the process carries the lines; this one is it.
    ASSERT_EQ(session.WinsockInfo.size(), 6u);
    EXPECT_EQ(session.WinsockInfo[0], "Version= 1.1");
    EXPECT_EQ(session.WinsockInfo[5].rfind("Max Udp pack size= ", 0), 0u);
    TSockSession second(platform.session());
    EXPECT_TRUE(second.WinsockInfo.empty());
}

TEST_F(SessionFixture, DottedAddressConnectsWithoutLookupAndRefusesASecondConnect) {
    ScriptedServer server([](Connection& c, int) { c.stayQuiet(); });
    int connects = 0, resolved = 0, disconnects = 0;
    session.OnConnect = [&](TSockSession&) { ++connects; };
    session.OnHostResolved = [&](TSockSession&) { ++resolved; };
    session.OnDisconnect = [&](TSockSession&) { ++disconnects; };
    session.Port = server.port();

    session.Connect();
    EXPECT_TRUE(session.Connected());
    EXPECT_EQ(connects, 1);
    EXPECT_EQ(resolved, 0);
    EXPECT_EQ(messageOf<ESockError>([&] { session.Connect(); }), "Already connected");

    session.Disconnect();
    EXPECT_FALSE(session.Connected());
    EXPECT_EQ(disconnects, 1);
}

TEST_F(SessionFixture, HostNameIsLookedUpWithoutBlockingAndReported) {
    ScriptedServer server([](Connection& c, int) { c.stayQuiet(); });
    int resolved = 0;
    session.OnHostResolved = [&](TSockSession&) { ++resolved; };
    session.Host = "localhost";
    session.Port = server.port();
    session.Connect();
    EXPECT_EQ(resolved, 1);
    EXPECT_GT(platform.eventsProcessed, 0);  // the window stayed live during the waits
    session.Disconnect();
}

TEST_F(SessionFixture, UnknownHostEndsInNullRemoteAddressAfterAtMostOneMoreTry) {
    session.Host = "no-such-host.invalid";
    session.Port = 80;
    EXPECT_EQ(messageOf<ESockError>([&] { session.Connect(); }), "Null Remote Address");

    int asked = 0;
    session.OnInvalidHost = [&](bool& handled) {
        ++asked;
        handled = true;
    };
    EXPECT_EQ(messageOf<ESockError>([&] { session.Connect(); }), "Null Remote Address");
    EXPECT_EQ(asked, 1);

    // A handler that names a reachable host gets its one more try.
    ScriptedServer server([](Connection& c, int) { c.stayQuiet(); });
    session.Port = server.port();
    session.OnInvalidHost = [&](bool& handled) {
        session.Host = "127.0.0.1";
        handled = true;
    };
    session.Connect();
    EXPECT_TRUE(session.Connected());
    session.Disconnect();
}

TEST_F(SessionFixture, RefusedConnectionFailsAndTheSessionWorksAgainAfterDisconnect) {
    int failures = 0;
    session.OnConnectionFailed = [&](TSockSession&) { ++failures; };
    session.Port = freePort();
    EXPECT_EQ(messageOf<ESockError>([&] { session.Connect(); }), "Connection Failed");
    EXPECT_EQ(failures, 1);
    session.Disconnect();

    ScriptedServer server([](Connection& c, int) { c.send("ready\r\n"); });
    session.Port = server.port();
    session.Connect();
    EXPECT_EQ(session.ReadLn(), "ready\r\n");
    session.Disconnect();
}

TEST_F(SessionFixture, SendingOnASocketThatIsNotConnectedRaisesTheTableText) {
    EXPECT_EQ(messageOf<ESockError>([&] { session.Write("x"); }), "10057:Socket is not connected");
    EXPECT_EQ(session.LastErrorNo, 10057);
}

TEST_F(SessionFixture, LineArrivingInPiecesIsReturnedWholeAndTheRestStays) {
    ScriptedServer server([](Connection& c, int) {
        c.send("HEL");
        c.pause(30);
        c.send("LO\r");
        c.pause(30);
        c.send("\nNEXT\r\nlast without end");
    });
    session.Port = server.port();
    session.Connect();
    EXPECT_EQ(session.ReadLn(), "HELLO\r\n");
    EXPECT_EQ(session.ReadLn(), "NEXT\r\n");
    // A last line the peer did not end is kept, not dropped.
    EXPECT_EQ(session.ReadLn(), "last without end");
    EXPECT_EQ(session.ReadLn(), "");
    session.Disconnect();
}

TEST_F(SessionFixture, LineLongerThanTheWorkingBufferIsReadWhole) {
    const std::string longLine = std::string(200000, 'a') + "\r\n";
    ScriptedServer server([&](Connection& c, int) { c.send(longLine + "tail\n"); });
    session.Port = server.port();
    session.Connect();
    EXPECT_EQ(session.ReadLn(), longLine);
    EXPECT_EQ(session.ReadLn(), "tail\n");
    session.Disconnect();
}

TEST_F(SessionFixture, OverlongLineEndsTheReadInsteadOfGrowingWithoutEnd) {
    ScriptedServer server([](Connection& c, int) { c.send(std::string(5000, 'a')); });
    session.MaxReceive = 1000;
    session.Port = server.port();
    session.Connect();
    EXPECT_EQ(messageOf<ESockError>([&] { session.ReadLn(); }), "Socket readln too large");
    session.Disconnect();
}

TEST_F(SessionFixture, WriteSendsUpToTheFirstNulAndTransactionReadsTheReplyNumber) {
    ScriptedServer server([&](Connection& c, int) {
        c.send(c.readBytes(8) == "abHELO\r\n" ? "250 fine\r\n" : "500 wrong\r\n");
    });
    session.Port = server.port();
    session.Connect();
    session.Write(std::string("ab\0cd", 5));
    EXPECT_EQ(session.Transaction("HELO"), "250 fine\r\n");
    EXPECT_EQ(session.ReplyNumber, 250);
    session.Disconnect();
}

TEST_F(SessionFixture, CaptureLimitIsTestedBetweenChunks) {
    ScriptedServer server([](Connection& c, int) {
        c.send(std::string(1000, 'x'));
        c.stayQuiet();
    });
    session.Port = server.port();
    session.Connect();
    std::string text;
    // Let the whole block arrive, so that one read takes it.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    session.CaptureString(text, 100);
    EXPECT_GE(text.size(), 100u);
    EXPECT_EQ(session.ReceivedCount, static_cast<int>(text.size()));
    session.Disconnect();
}

TEST_F(SessionFixture, SilentPeerEndsEveryWaitWithItsTimeOutMessage) {
    ScriptedServer server([](Connection& c, int) { c.stayQuiet(); });
    session.TimeOut = 200;
    session.Port = server.port();
    session.Connect();
    const auto start = Clock::now();
    EXPECT_EQ(messageOf<EAbortError>([&] { session.ReadLn(); }), "Socket readln aborted");
    EXPECT_GE(elapsedMs(start), 180);
    EXPECT_LT(elapsedMs(start), 2000);
    std::string text;
    EXPECT_EQ(messageOf<EAbortError>([&] { session.CaptureString(text, -1); }),
              "Socket capture aborted");
    session.Disconnect();
}

TEST_F(SessionFixture, WithoutTimeOutAWaitEndsByAbort) {
    ScriptedServer server([](Connection& c, int) { c.stayQuiet(); });
    session.TimeOut = 0;
    session.Port = server.port();
    session.Connect();
    abortTarget = &session;
    abortAfterEvents = 50;
    platform.onProcessEvents = abortAfterSomeEvents;
    EXPECT_EQ(messageOf<EAbortError>([&] { session.ReadLn(); }), "Socket readln aborted");
    platform.onProcessEvents = nullptr;
    session.Disconnect();
}

TEST_F(SessionFixture, PeerClosingAnIdleConnectionReplacesTheSocket) {
    ScriptedServer server(
        [](Connection& c, int index) {
            if (index == 1) c.send("again\r\n");
        },
        2);
    int disconnects = 0;
    session.OnDisconnect = [&](TSockSession&) { ++disconnects; };
    session.Port = server.port();
    session.Connect();
    // The window's idle processing picks up the close.
    const auto start = Clock::now();
    while (disconnects == 0 && elapsedMs(start) < 2000) {
        session.processMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    EXPECT_EQ(disconnects, 1);
    EXPECT_FALSE(session.Connected());

    session.Connect();
    EXPECT_EQ(session.ReadLn(), "again\r\n");
    session.Disconnect();
}

TEST_F(SessionFixture, StatusIsReportedUpToTheReportLevel) {
    std::vector<std::string> seen;
    session.OnStatus = [&](TSockSession&, const std::string& status) { seen.push_back(status); };
    session.ReportLevel = 4;
    session.Disconnect();
    EXPECT_EQ(seen, std::vector<std::string>{"Request Close Socket"});
    EXPECT_EQ(session.LastStatus(), "Request Close Socket");
    session.ReportLevel = 8;
    seen.clear();
    session.Disconnect();
    EXPECT_EQ(seen, (std::vector<std::string>{"Disconnecting", "Request Close Socket"}));
}

TEST_F(SessionFixture, ConnectToAServerWithAFullQueueEndsInTheConnectTimeOut) {
    // A listener that never accepts and whose queue is full leaves new connections
    // unanswered, as a far host that drops them would.
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listener, 0), 0);
    socklen_t length = sizeof address;
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    std::vector<int> fillers;
    for (int i = 0; i < 4; ++i) {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
        ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        fillers.push_back(fd);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));

    int failures = 0;
    session.OnConnectionFailed = [&](TSockSession&) { ++failures; };
    session.TimeOut = 200;
    session.Port = ntohs(address.sin_port);
    const auto start = Clock::now();
    EXPECT_EQ(messageOf<ESockError>([&] { session.Connect(); }), "Connection Timed out");
    EXPECT_LT(elapsedMs(start), 2000);
    EXPECT_EQ(failures, 1);
    session.Disconnect();
    for (int fd : fillers) ::close(fd);
    ::close(listener);
}

TEST_F(SessionFixture, SendToAPeerThatNeverReadsEndsAtTheTimeOut) {
    ScriptedServer server([](Connection& c, int) { c.stayQuiet(); });
    session.TimeOut = 200;
    session.Port = server.port();
    session.Connect();
    const std::string block(64 * 1024 * 1024, 's');
    const auto start = Clock::now();
    EXPECT_EQ(messageOf<EAbortError>([&] { session.SendBuffer(block.data(), block.size()); }),
              "Socket send aborted");
    EXPECT_LT(elapsedMs(start), 2000);
    session.Disconnect();
}
