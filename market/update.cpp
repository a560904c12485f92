#include "market/update.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <deque>
#include <exception>
#include <map>
#include <mutex>
#include <set>
#include <thread>

#include "market/jquants_client.h"
#include "market/program_files.h"
#include "tables/convert.h"

namespace market {

namespace {

using Stage = UpdateProgress::Stage;

// State keys of the store.
constexpr const char* kHiddenDays = "hidden_days";
constexpr const char* kLastUpdate = "last_update";
constexpr const char* kNewestAtUpdate = "newest_at_update";
// "1" while the plan refuses TOPIX (the analyses take the ETF 1306 instead).
constexpr const char* kTopixRefused = "topix_refused";
// The free plan shows nothing of the latest 12 weeks.
constexpr std::chrono::days kFreePlanDelay{84};

bool isSplit(const Bar& bar) {
    return hasNumber(bar.adjFactor) && bar.adjFactor != 1.0;
}

// Two adjusted closes as the service rounds them (one decimal) differ.
bool differs(double stored, double fetched) {
    if (!hasNumber(stored) || !hasNumber(fetched)) return false;
    return std::fabs(stored - fetched) > 0.05 + 1e-9 * std::fabs(fetched);
}

// Fetches days on a connection of its own a little ahead of the storing, so that the
// service's work and the transfer overlap with the store's. Only this thread makes
// requests while it runs; the rate limit passes to it and back.
class DayFetcher {
  public:
    static constexpr std::size_t kAhead = 2;

    DayFetcher(const Connection& connection, const RateLimit& rate, std::vector<Day> days)
        : client_(connection, ClientHooks{[this] { return stop_.load(); },
                                          [this](int seconds) { waitSeconds_ = seconds; },
                                          [this] { ++requests_; }}),
          days_(std::move(days)) {
        client_.rateLimit() = rate;
        thread_ = std::thread([this] { run(); });
    }
    ~DayFetcher() {
        stop_ = true;
        ready_.notify_all();
        thread_.join();
    }
    DayFetcher(const DayFetcher&) = delete;
    DayFetcher& operator=(const DayFetcher&) = delete;

    // The next day's bars in order; `idle` runs about ten times a second meanwhile.
    std::vector<Bar> next(const std::function<void()>& idle) {
        std::unique_lock lock(mutex_);
        while (fetched_.empty() && !failure_)
            if (!ready_.wait_for(lock, std::chrono::milliseconds(100),
                                 [this] { return !fetched_.empty() || failure_; })) {
                lock.unlock();
                idle();
                lock.lock();
            }
        if (fetched_.empty()) std::rethrow_exception(failure_);
        auto bars = std::move(fetched_.front());
        fetched_.pop_front();
        ready_.notify_all();
        return bars;
    }
    int requests() const { return requests_; }
    int waitSeconds() const { return waitSeconds_; }
    // The rate limit as the fetcher left it (read after it stopped or ran out of days).
    RateLimit rateLimit() {
        std::lock_guard lock(mutex_);
        return client_.rateLimit();
    }

  private:
    void run() {
        for (Day day : days_) {
            {
                std::unique_lock lock(mutex_);
                ready_.wait(lock, [this] { return stop_ || fetched_.size() < kAhead; });
                if (stop_) return;
            }
            try {
                auto bars = client_.barsOn(day);
                std::lock_guard lock(mutex_);
                fetched_.push_back(std::move(bars));
            } catch (...) {
                std::lock_guard lock(mutex_);
                failure_ = std::current_exception();
                ready_.notify_all();
                return;
            }
            ready_.notify_all();
        }
    }

    JQuantsClient client_;
    std::vector<Day> days_;
    std::atomic<bool> stop_{false};
    std::atomic<int> requests_{0};
    std::atomic<int> waitSeconds_{0};
    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<std::vector<Bar>> fetched_;
    std::exception_ptr failure_;
    std::thread thread_;
};

class Updater {
  public:
    Updater(Store& store, const Connection& connection, const UpdateHooks& hooks,
            const DaysStored& daysStored)
        : store_(store),
          hooks_(hooks),
          daysStored_(daysStored),
          client_(connection, ClientHooks{hooks.cancelled,
                                          [this](int seconds) {
                                              progress_.waitSeconds = seconds;
                                              report();
                                          },
                                          [this] {
                                              progress_.requests = client_.requests();
                                              report();
                                          }}) {
        if (const auto recent = store_.state(kRecentRequestsState))
            client_.rateLimit().restore(*recent);
    }
    ~Updater() {
        // The next update keeps to the rate too.
        try {
            store_.setState(kRecentRequestsState, client_.rateLimit().save());
        } catch (const MarketError&) {
        }
    }

    UpdateSummary run(int days, Day today);

  private:
    void report() {
        if (hooks_.progress) hooks_.progress(progress_);
    }
    void stage(Stage stage) {
        progress_.stage = stage;
        report();
    }
    void checkCancelled() const {
        if (hooks_.cancelled && hooks_.cancelled()) throw Cancelled();
    }

    // The bars of a day, or nothing when the plan hides it or it has none yet.
    std::optional<std::vector<Bar>> probe(Day day);
    std::optional<Day> newestDayWithPrices(const std::vector<Day>& passed, Day today);
    void storeDay(Day day, const std::vector<Bar>& bars);
    void checkOverlap(Day day);
    void fetchTopix(Day newest);

    Store& store_;
    const UpdateHooks& hooks_;
    const DaysStored& daysStored_;
    JQuantsClient client_;
    UpdateProgress progress_;
    int fetch_ = 0;
    std::map<Day, std::vector<Bar>> probed_;
    std::optional<std::string> refusal_;  // the service's words when it hid a day
};

std::optional<std::vector<Bar>> Updater::probe(Day day) {
    if (const auto found = probed_.find(day); found != probed_.end()) return found->second;
    try {
        auto bars = client_.barsOn(day);
        if (bars.empty()) return std::nullopt;
        probed_[day] = bars;
        return bars;
    } catch (const ServiceError& e) {
        // Outside the plan's window: the service refuses the day.
        if (e.status() != 400 && e.status() != 403) throw;
        refusal_ = e.message();
        return std::nullopt;
    }
}

// The newest of the passed trading days with prices, without asking for each hidden
// day: the first probe is the newest day, then the guess the last update left (else
// the free plan's delay), then steps that double, then halving.
std::optional<Day> Updater::newestDayWithPrices(const std::vector<Day>& passed, Day today) {
    std::optional<Day> known;
    for (const auto& fetched : store_.fetchedDays())
        if (fetched.rows > 0) known = fetched.day;
    std::vector<Day> candidates;  // newest first
    for (auto it = passed.rbegin(); it != passed.rend() && (!known || *it > *known); ++it)
        candidates.push_back(*it);
    const int count = static_cast<int>(candidates.size());
    if (count == 0) return known;

    auto priced = [&](int index) {
        return probe(candidates[static_cast<std::size_t>(index)]).has_value();
    };
    int hidden = 0;     // candidates[0 .. hidden - 1] are known to have no prices
    int found = count;  // the first index known to have prices; count: none
    if (priced(0)) {
        found = 0;
    } else {
        hidden = 1;
        std::optional<int> lastGuess;
        if (const auto last = store_.state(kHiddenDays)) lastGuess = tryToInt(*last);
        int guess = 0;
        if (lastGuess) {
            guess = *lastGuess;
        } else {
            for (Day day : candidates)
                if (day > today - kFreePlanDelay) ++guess;
        }
        guess = std::clamp(guess, 1, std::max(1, count - 1));
        bool guessed = false;
        if (guess < count) {
            if (priced(guess)) {
                found = guess;
                guessed = true;
            } else {
                hidden = guess + 1;
                for (int step = 1; hidden < count; step *= 2) {
                    const int next = std::min(count - 1, hidden - 1 + step);
                    if (priced(next)) {
                        found = next;
                        break;
                    }
                    hidden = next + 1;
                }
            }
        }
        // Between the last day known hidden and the first known priced: the day before a
        // right guess first (the usual case), else halving.
        while (found < count && hidden < found) {
            const int middle = guessed ? found - 1 : (hidden + found - 1) / 2;
            guessed = false;
            if (priced(middle))
                found = middle;
            else
                hidden = middle + 1;
        }
    }
    if (found == count) return known;
    store_.setState(kHiddenDays, intToStr(found));
    return candidates[static_cast<std::size_t>(found)];
}

void Updater::storeDay(Day day, const std::vector<Bar>& bars) {
    Store::Transaction transaction(store_);
    // A split makes the adjusted closes stored by earlier updates stale: the issue's
    // history is fetched again.
    for (const auto& bar : bars) {
        if (!isSplit(bar)) continue;
        const auto older = store_.oldestBarBefore(bar.code, fetch_);
        if (older && *older < bar.day) store_.addPendingRefetch(bar.code);
    }
    store_.putBars(bars, Source::exchange, fetch_);
    store_.markDayFetched(day, static_cast<int>(bars.size()), fetch_);
    transaction.commit();
}

// A split inside the days the plan hides still rewrites the adjusted history: the
// newest day an earlier update stored is fetched again and compared.
void Updater::checkOverlap(Day day) {
    const auto fetched = client_.barsOn(day);
    std::map<std::string, double> stored;
    for (const auto& bar : store_.barsOn(day)) stored[bar.code] = bar.adjClose;
    Store::Transaction transaction(store_);
    for (const auto& bar : fetched) {
        const auto found = stored.find(bar.code);
        if (found != stored.end() && differs(found->second, bar.adjClose))
            store_.addPendingRefetch(bar.code);
    }
    store_.putBars(fetched, Source::exchange, fetch_);
    store_.markDayFetched(day, static_cast<int>(fetched.size()), fetch_);
    transaction.commit();
}

// TOPIX over the days the store holds from the exchange, the parts it lacks. A plan without
// it (403, or 400 for dates outside the plan) leaves it out: the analyses then take the
// TOPIX ETF 1306 from the daily bars.
void Updater::fetchTopix(Day newest) {
    std::optional<Day> oldest;
    for (const auto& fetched : store_.fetchedDays())
        if (fetched.rows > 0) {
            oldest = fetched.day;
            break;
        }
    if (!oldest) return;
    std::vector<std::pair<Day, Day>> missing;
    if (const auto span = store_.indexSpan(kTopixCode)) {
        if (*oldest < span->first)
            missing.emplace_back(*oldest, span->first - std::chrono::days(1));
        if (span->second < newest)
            missing.emplace_back(span->second + std::chrono::days(1), newest);
    } else {
        missing.emplace_back(*oldest, newest);
    }
    for (const auto& [from, to] : missing) {
        checkCancelled();
        std::vector<IndexBar> bars;
        try {
            bars = client_.topix(from, to);
        } catch (const ServiceError& e) {
            if (e.status() != 403 && e.status() != 400) throw;
            store_.setState(kTopixRefused, "1");
            return;
        }
        Store::Transaction transaction(store_);
        store_.putIndexBars(kTopixCode, bars);
        store_.setState(kTopixRefused, "0");
        transaction.commit();
    }
}

UpdateSummary Updater::run(int days, Day today) {
    const auto started = std::chrono::steady_clock::now();
    UpdateSummary summary;
    days = std::clamp(days, 1, kMaxUpdateDays);
    fetch_ = store_.beginFetch();

    stage(Stage::calendar);
    const auto calendar = client_.calendar();
    if (calendar.empty()) throw MarketError("J-Quants APIの取引カレンダーが空です。");
    {
        Store::Transaction transaction(store_);
        store_.setCalendar(calendar);
        transaction.commit();
    }
    std::vector<Day> passed;
    for (const auto& day : calendar)
        if (isTradingKind(day.kind) && day.day <= today) passed.push_back(day.day);
    std::sort(passed.begin(), passed.end());

    stage(Stage::searching);
    const auto newest = newestDayWithPrices(passed, today);
    if (!newest)
        throw MarketError("J-Quants APIに株価のある日が見つかりません。" +
                          (refusal_ ? "\n" + *refusal_ : std::string()));
    summary.newestDay = newest;

    stage(Stage::issues);
    {
        const auto issues = client_.master(*newest);
        Store::Transaction transaction(store_);
        store_.setListedIssues(issues);
        transaction.commit();
    }

    // The newest `days` trading days up to the newest with prices, those the store lacks.
    std::vector<Day> wanted;
    for (auto it = passed.rbegin(); it != passed.rend() && static_cast<int>(wanted.size()) < days;
         ++it)
        if (*it <= *newest) wanted.push_back(*it);
    std::set<Day> have;
    std::optional<Day> earlierNewest;  // the newest day an earlier update stored
    for (const auto& fetched : store_.fetchedDays()) {
        if (fetched.rows <= 0) continue;
        have.insert(fetched.day);
        if (fetched.fetch < fetch_) earlierNewest = fetched.day;
    }
    std::vector<Day> missing;
    for (Day day : wanted)
        if (!have.count(day)) missing.push_back(day);

    stage(Stage::days);
    progress_.daysTotal = static_cast<int>(missing.size());
    std::vector<Day> toFetch;
    for (Day day : missing)
        if (!probed_.count(day)) toFetch.push_back(day);
    {
        std::optional<DayFetcher> fetcher;
        if (!toFetch.empty()) fetcher.emplace(client_.connection(), client_.rateLimit(), toFetch);
        const int requestsBefore = client_.requests();
        const auto idle = [&] {
            checkCancelled();
            progress_.requests = requestsBefore + fetcher->requests();
            progress_.waitSeconds = fetcher->waitSeconds();
            report();
        };
        for (Day day : missing) {
            checkCancelled();
            const auto found = probed_.find(day);
            const auto bars = found != probed_.end() ? found->second : fetcher->next(idle);
            storeDay(day, bars);
            probed_.erase(day);
            if (!bars.empty()) ++summary.daysAdded;
            ++progress_.daysDone;
            if (daysStored_) daysStored_(progress_.daysDone, progress_.daysTotal);
            if (fetcher) progress_.requests = requestsBefore + fetcher->requests();
            report();
        }
        if (fetcher) {
            client_.rateLimit() = fetcher->rateLimit();
            client_.addRequests(fetcher->requests());
        }
    }
    if (summary.daysAdded > 0 && earlierNewest) checkOverlap(*earlierNewest);

    stage(Stage::benchmark);
    fetchTopix(*newest);

    stage(Stage::splits);
    for (const auto& code : store_.pendingRefetches()) {
        checkCancelled();
        const Day from = store_.oldestBar(code).value_or(wanted.back());
        const auto bars = client_.barsOf(code, from, *newest);
        Store::Transaction transaction(store_);
        store_.replaceIssueBars(code, from, *newest, bars, fetch_);
        store_.removePendingRefetch(code);
        transaction.commit();
        ++summary.splitsRefetched;
    }

    store_.setState(kLastUpdate, intToStr(dayNumber(today)));
    store_.setState(kNewestAtUpdate, intToStr(dayNumber(*newest)));
    summary.issues = static_cast<int>(store_.listedIssues().size());
    summary.requests = client_.requests();
    summary.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return summary;
}

}  // namespace

UpdateSummary updateStore(Store& store, const Connection& connection, int days, Day today,
                          const UpdateHooks& hooks, const DaysStored& daysStored) {
    Updater updater(store, connection, hooks, daysStored);
    return updater.run(days, today);
}

UpdateSummary updateMarketData(const data::DataRoot& root, const Connection& connection, int days,
                               Day today, const UpdateHooks& hooks) {
    const auto started = std::chrono::steady_clock::now();
    const RootLock lock(root);
    const bool sample = holdsGeneratedSample(root);
    Store store(Store::fileIn(root));
    const std::string repaired = repairProgramFiles(store, root);
    // History the store lacks goes into it first, so no generation written from the store
    // cuts it; the sample's prices are made up and make way.
    const KeptHistory kept = sample ? KeptHistory{} : keepPriceFileHistory(store, root);
    const int candidateDays = std::clamp(days, 1, kCandidateDays);

    // A long first update writes a generation of the files every so many days, the
    // newest first, so the user can chart long before it ends.
    int usable = 0;
    UpdateHooks hooksWithUsable = hooks;
    if (hooks.progress)
        hooksWithUsable.progress = [&](const UpdateProgress& progress) {
            UpdateProgress shown = progress;
            shown.daysUsable = usable;
            hooks.progress(shown);
        };
    const auto daysStored = [&](int stored, int total) {
        if (stored % kDaysPerGeneration != 0 || stored >= total) return;
        rebuildProgramFiles(store, root, candidateDays);
        usable = static_cast<int>(storedDays(store).size());
    };
    auto summary = updateStore(store, connection, days, today, hooksWithUsable, daysStored);
    summary.repaired = repaired;
    summary.keptRows = kept.rows;
    summary.keptCodes = kept.codes;
    summary.replacedSample = sample;
    if (hooks.progress) {
        UpdateProgress progress;
        progress.stage = Stage::files;
        progress.requests = summary.requests;
        progress.daysUsable = usable;
        hooks.progress(progress);
    }
    summary.unknownCodes = rebuildProgramFiles(store, root, candidateDays);
    summary.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return summary;
}

std::string summaryText(const UpdateSummary& summary) {
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.1f", summary.seconds);
    std::string text = "銘柄 " + intToStr(summary.issues) + "、追加した日 " +
                       intToStr(summary.daysAdded) + "、分割で取り直した銘柄 " +
                       intToStr(summary.splitsRefetched) + "、リクエスト " +
                       intToStr(summary.requests) + "、時間 " + seconds + "秒";
    if (summary.newestDay) text += "\n最新の日付: " + formatDate(*summary.newestDay);
    if (summary.keptRows > 0) {
        text += "\n価格ファイルにあって市場データになかった株価 " + intToStr(summary.keptRows) +
                "件 (" + intToStr(static_cast<long long>(summary.keptCodes.size())) + "銘柄:";
        for (std::size_t i = 0; i < summary.keptCodes.size() && i < 10; ++i)
            text += " " + summary.keptCodes[i];
        if (summary.keptCodes.size() > 10) text += " ほか";
        text += ") は、取り込んだデータとして残しました。";
    }
    if (summary.replacedSample) text += "\n見本データを J-Quants APIの株価で置き換えました。";
    if (!summary.repaired.empty()) text += "\n" + summary.repaired;
    if (!summary.unknownCodes.empty()) {
        text += "\nJ-Quants にない銘柄 (株価は空欄):";
        for (const auto& code : summary.unknownCodes) text += " " + code;
    }
    return text;
}

std::string progressText(const UpdateProgress& progress) {
    std::string text;
    switch (progress.stage) {
        case Stage::calendar:
            text = "取引カレンダーを取得中";
            break;
        case Stage::searching:
            text = "株価のある最新の日を確認中";
            break;
        case Stage::issues:
            text = "銘柄一覧を取得中";
            break;
        case Stage::days:
            text =
                "日足 " + intToStr(progress.daysDone) + "/" + intToStr(progress.daysTotal) + " 日";
            if (progress.daysUsable > 0)
                text += " (グラフに使える日 " + intToStr(progress.daysUsable) + ")";
            break;
        case Stage::benchmark:
            text = "TOPIXを取得中";
            break;
        case Stage::splits:
            text = "分割のあった銘柄を取り直し中";
            break;
        case Stage::files:
            text = "ファイルを作成中";
            break;
        case Stage::done:
            text = "完了";
            break;
    }
    text += "  リクエスト " + intToStr(progress.requests);
    if (progress.waitSeconds > 0) text += "  待ち " + intToStr(progress.waitSeconds) + " 秒";
    return text;
}

bool storeLacksPassedDays(const data::DataRoot& root, Day today) {
    std::error_code error;
    const auto file = Store::fileIn(root);
    if (!std::filesystem::exists(file, error)) return true;
    try {
        const Store store(file);
        std::optional<Day> newest;
        for (const auto& fetched : store.fetchedDays())
            if (fetched.rows > 0) newest = fetched.day;
        if (!newest) return true;
        int delay = 0;
        const auto last = store.state(kLastUpdate), newestThen = store.state(kNewestAtUpdate);
        if (last && newestThen) {
            const auto lastDay = tryToInt(*last), newestDay = tryToInt(*newestThen);
            if (lastDay && newestDay)
                delay = static_cast<int>((dayOf(*lastDay) - dayOf(*newestDay)).count());
        }
        const Day due = today - std::chrono::days(std::max(delay, 1));
        for (Day day : store.tradingDays())
            if (day > *newest && day <= due) return true;
        return false;
    } catch (const MarketError&) {
        return false;
    }
}

}  // namespace market
