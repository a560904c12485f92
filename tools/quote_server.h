#pragma once
// A loopback stand-in for the two quote services, for tests and for trying the
// collection by hand. It serves the price-table service's pages (one data row per
// line) and the quote-history service's pages (11 source lines per row), 50 rows a
// page, newest first, and records every request line it answered.
#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace quote_emulator {

struct Day {
    std::string date;   // yyyy/mm/dd
    std::string close;  // the closing price as served (digits, or any text)
};

struct QuoteData {
    // Four-character code -> days, newest first.
    std::map<std::string, std::vector<Day>> stocks;
    // Trading dates of the quote-history service, yyyy/mm/dd, newest first.
    std::vector<std::string> calendar;
};

struct ServerOptions {
    std::uint16_t port = 0;      // 0: any free port
    bool groupedPrices = false;  // 12345 served as 12,345
    char dateSeparator = '/';    // of the quote-history dates: 2001/09/14 or 2001-09-14
    int delayMs = 0;             // wait this long before each reply
    int failFrom = 0;            // from this request on (1-based) connections are refused
    // Requests (1-based) answered with an error page of this status instead of their
    // page; status 0 closes the connection without a reply.
    std::map<int, int> errorReplies;
    bool logToStdout = false;
};

// Weekdays counted back from `newest` (included when a weekday), newest first.
std::vector<std::string> weekdaysBack(const std::string& newest, int count);

// Adds the weekdays after the newest date of the calendar up to `last`.
void extendToDate(std::vector<std::string>& calendar, const std::string& last);

// A stock of `days` trading days ending on the newest calendar date (or, past the
// calendar, on weekdays before it), prices counting down from `newestPrice`.
void addGeneratedStock(QuoteData& data, const std::string& code, int days, int newestPrice = 1000);

// The price file (one column per stock, row 0 headers) and the date file (column 0).
QuoteData loadQuoteData(const std::string& priceFile, const std::string& calendarFile);

class QuoteServer {
  public:
    QuoteServer(QuoteData data, ServerOptions options);
    ~QuoteServer();
    QuoteServer(const QuoteServer&) = delete;
    QuoteServer& operator=(const QuoteServer&) = delete;

    std::uint16_t port() const { return port_; }
    // "127.0.0.1:PORT", as a services file names it.
    std::string host() const;
    // Request lines answered so far ("GET /path HTTP/1.0").
    std::vector<std::string> requestLines() const;
    std::size_t requestCount() const;
    // Paths of the request lines.
    std::vector<std::string> requestPaths() const;
    void clearRequests();
    // Serves until stop() or destruction; run() blocks (for the standalone program).
    void stop();
    void wait();

    // The reply body for a request path (CP932 bytes), and whether the path is known.
    std::string page(const std::string& path, bool& known) const;

  private:
    void serve();
    void answer(int connection);

    QuoteData data_;
    ServerOptions options_;
    int listener_ = -1;
    std::uint16_t port_ = 0;
    std::atomic<bool> stopping_{false};
    mutable std::mutex mutex_;
    std::vector<std::string> requests_;
    int accepted_ = 0;
    std::thread thread_;
};

}  // namespace quote_emulator
