#pragma once
// The exchange's daily-data API (J-Quants V2) over HTTPS: the trading calendar, the
// listed issues and daily bars, every page of them. Requests keep to the plan's rate,
// a refusal for too many requests waits and tries again, and every failure is an
// error in the user's words. The HTTP and JSON details stay in the .cpp.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "market/rate_limit.h"
#include "market/setup.h"
#include "market/store.h"

namespace market {

// A reply that is not data: the HTTP status and the service's own message.
class ServiceError : public MarketError {
  public:
    ServiceError(std::string text, int status, std::string serviceMessage)
        : MarketError(std::move(text)),
          status_(status),
          serviceMessage_(std::move(serviceMessage)) {}
    int status() const { return status_; }
    const std::string& serviceMessage() const { return serviceMessage_; }

  private:
    int status_;
    std::string serviceMessage_;
};

struct ClientHooks {
    // Polled during transfers and waits; true stops the work with Cancelled.
    std::function<bool()> cancelled;
    // Seconds left of a wait for the rate limit or after a refusal; 0 when it is over.
    std::function<void(int secondsLeft)> waiting;
    // After every request.
    std::function<void()> requested;
};

// The store's state key for the times of the recent requests.
inline constexpr const char* kRecentRequestsState = "recent_requests";

// At most this many tries of one request refused for too many requests.
inline constexpr int kMaxTries = 5;

class JQuantsClient {
  public:
    explicit JQuantsClient(Connection connection, ClientHooks hooks = {});
    ~JQuantsClient();
    JQuantsClient(const JQuantsClient&) = delete;
    JQuantsClient& operator=(const JQuantsClient&) = delete;

    std::vector<CalendarDay> calendar();
    // The listed issues on a day (the service's today when none).
    std::vector<Issue> master(std::optional<Day> day);
    // Every issue's bar of one day.
    std::vector<Bar> barsOn(Day day);
    // One issue's bars from `from` to `to`.
    std::vector<Bar> barsOf(std::string_view code, Day from, Day to);
    // One issue's whole history, as far as the plan shows it.
    std::vector<Bar> barsOf(std::string_view code);
    // TOPIX from `from` to `to` (a paid plan's data: the free plan is refused with 403).
    std::vector<IndexBar> topix(Day from, Day to);

    int requests() const { return requests_; }
    // Requests another client made on this one's behalf (counted in the summary).
    void addRequests(int count) { requests_ += count; }
    RateLimit& rateLimit() { return rateLimit_; }
    const Connection& connection() const { return connection_; }

  private:
    struct Transfer;
    std::string get(const std::string& pathAndQuery);
    // Every page of a query; `onPage` reads one page's body and returns its pagination key.
    void eachPage(const std::string& path, const std::string& query,
                  const std::function<std::string(std::string& body)>& onPage);
    void wait(std::chrono::system_clock::duration duration);
    void checkCancelled() const;

    Connection connection_;
    ClientHooks hooks_;
    RateLimit rateLimit_;
    std::unique_ptr<Transfer> transfer_;
    int requests_ = 0;
};

}  // namespace market
