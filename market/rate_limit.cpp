#include "market/rate_limit.h"

#include <algorithm>
#include <sstream>

namespace market {

namespace {
// A little more than a minute, so the service's own count has surely moved on.
constexpr auto kWindow = std::chrono::milliseconds(60500);
}  // namespace

RateLimit::Clock::duration RateLimit::waitBefore(Clock::time_point now) const {
    if (static_cast<int>(recent_.size()) < perMinute_) return {};
    // The request perMinute_ places back must have left the window.
    const auto oldest = recent_[recent_.size() - static_cast<std::size_t>(perMinute_)];
    const auto free = oldest + kWindow;
    return free > now ? free - now : Clock::duration{};
}

void RateLimit::record(Clock::time_point now) {
    recent_.push_back(now);
    while (!recent_.empty() && recent_.front() + kWindow <= now) recent_.pop_front();
    while (static_cast<int>(recent_.size()) > perMinute_) recent_.pop_front();
}

std::string RateLimit::save() const {
    std::ostringstream text;
    for (const auto& time : recent_)
        text << std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch())
                    .count()
             << ' ';
    return text.str();
}

void RateLimit::restore(const std::string& text) {
    recent_.clear();
    std::istringstream in(text);
    long long milliseconds = 0;
    while (in >> milliseconds)
        recent_.push_back(Clock::time_point(std::chrono::milliseconds(milliseconds)));
    std::sort(recent_.begin(), recent_.end());
    while (static_cast<int>(recent_.size()) > perMinute_) recent_.pop_front();
}

}  // namespace market
