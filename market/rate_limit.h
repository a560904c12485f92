#pragma once
// Never more requests in any minute than the plan allows. The times of the recent
// requests can be kept in the store, so a second update started at once still waits.
#include <chrono>
#include <deque>
#include <string>

namespace market {

class RateLimit {
  public:
    using Clock = std::chrono::system_clock;

    explicit RateLimit(int perMinute) : perMinute_(perMinute < 1 ? 1 : perMinute) {}

    // How long to wait at `now` before the next request may start.
    Clock::duration waitBefore(Clock::time_point now) const;
    void record(Clock::time_point now);

    // The recent request times as text, and back (unreadable text gives none).
    std::string save() const;
    void restore(const std::string& text);

  private:
    int perMinute_;
    std::deque<Clock::time_point> recent_;
};

}  // namespace market
