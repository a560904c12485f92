#pragma once
// A loopback stand-in for the exchange's daily-data API (J-Quants V2), for tests, the
// benchmarks and trying the update by hand: HTTPS with a certificate of its own, the
// calendar, the listed issues and daily bars with pages, refusals for too many
// requests, a wrong key, days without trades, splits that rewrite the adjusted history,
// and the free plan's hidden latest weeks. Prices are made up from a formula.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace jquants_emulator {

using Day = std::chrono::sys_days;

struct Listing {
    std::string code;  // 5 characters
    std::string name;
    std::string nameEn;
    std::string market = "0111";
    std::string marketName = "プライム";
    std::optional<Day> listedFrom;  // no bars and no master entry before
    double basePrice = 1000;
    // The exchange's sectors; empty: "9999" その他.
    std::string sector33 = {};
    std::string sector33Name = {};
    std::string sector17 = {};
    std::string sector17Name = {};
    std::string scaleCategory = "-";
};

// The 33 sectors (and その他) with their 17-sector groups: S33, S33Nm, S17, S17Nm.
struct Sector {
    const char* code;
    const char* name;
    const char* code17;
    const char* name17;
};
extern const std::vector<Sector> kSectors;  // the 33 sectors, then 9999 その他

// TOPIX's close on a day of the made-up market (the ETF 1306 follows it at a tenth).
double topixClose(Day day);

struct Split {
    std::string code;
    Day exDate;
    double factor;  // 0.5 for 2 for 1
};

struct MarketData {
    std::vector<Listing> issues;                // ascending by code
    std::vector<std::pair<Day, int>> calendar;  // day, HolDiv; ascending
    std::vector<Split> splits;
    std::set<std::pair<std::string, Day>> noTrade;
};

// `count` issues with codes from 13010 up, a calendar of weekdays (HolDiv 1) and weekends
// (0) from `first` to `last`, 1 January closed. The issues take the 33 sectors in turn;
// 13060 is the TOPIX ETF (sector 9999), priced after TOPIX.
MarketData generatedMarket(int count, Day first, Day last);

struct ServerOptions {
    std::string apiKey = "emulator-key";
    Day today{};
    bool freePlan = false;  // the latest 12 weeks hidden; two years before them; no TOPIX (403)
    int pageRows = 5000;    // rows of daily bars per page
    int perMinute = 0;      // more requests in a minute are refused (429); 0: no limit
    std::uint16_t port = 0;
    std::filesystem::path certificate;  // PEM
    std::filesystem::path privateKey;   // PEM
    bool logToStdout = false;
};

// A self-signed certificate for 127.0.0.1 and localhost, made with the openssl command
// in `dir` (cert.pem, key.pem). Throws std::runtime_error when openssl fails.
struct Certificate {
    std::filesystem::path certificate;
    std::filesystem::path privateKey;
};
Certificate makeCertificate(const std::filesystem::path& dir);

class Server {
  public:
    Server(MarketData data, ServerOptions options);
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    std::uint16_t port() const { return port_; }
    // "https://127.0.0.1:PORT/v2"
    std::string base() const;

    // Requests answered so far, as "PATH?QUERY".
    std::vector<std::string> requests() const;
    std::size_t requestCount() const;
    void clearRequests();
    // Keys sent with the requests (to check what went over the wire).
    std::set<std::string> keysSeen() const;

    // The next `count` requests get this status and body instead of their answer.
    void answerNext(int status, const std::string& body, int count = 1);
    // Changes between updates.
    void setToday(Day today);
    void addSplit(const Split& split);
    void setFreePlan(bool free);

    void stop();
    void wait();

    // The answer to a request, without the network (status, body).
    std::pair<int, std::string> answer(const std::string& target, const std::string& key);

  private:
    struct Tls;
    void serve();
    void handle(int fd);

    MarketData data_;
    ServerOptions options_;
    std::unique_ptr<Tls> tls_;
    int listener_ = -1;
    std::uint16_t port_ = 0;
    std::atomic<bool> stopping_{false};
    mutable std::mutex mutex_;
    std::vector<std::string> requests_;
    std::set<std::string> keys_;
    std::deque<std::pair<int, std::string>> scripted_;
    std::deque<std::chrono::steady_clock::time_point> recent_;
    std::vector<int> connections_;
    std::vector<std::thread> workers_;
    std::thread acceptor_;
};

}  // namespace jquants_emulator
