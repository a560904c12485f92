#include "market/jquants_client.h"

#include <curl/curl.h>

#include <cmath>
#include <mutex>
#include <set>
#include <thread>

#include "market/jquants_pages.h"
#include "tables/convert.h"

namespace market {

namespace {

constexpr long kConnectTimeoutSeconds = 30;
// A transfer that brings less than a byte a second for this long has failed.
constexpr long kStalledSeconds = 60;
// The largest reply taken: a page of the whole market's bars is a few megabytes.
constexpr std::size_t kMaxReplyBytes = 256u << 20;
// A query that pages on beyond this is going round in circles.
constexpr int kMaxPages = 100000;

std::string escaped(CURL* curl, std::string_view value) {
    char* escaped = curl_easy_escape(curl, value.data(), static_cast<int>(value.size()));
    std::string result = escaped ? escaped : "";
    curl_free(escaped);
    return result;
}

std::string compactDate(Day day) {
    return intToStr(dayNumber(day));
}

}  // namespace

struct JQuantsClient::Transfer {
    CURL* curl = nullptr;
    curl_slist* headers = nullptr;
    std::string body;
    bool tooLarge = false;
    char error[CURL_ERROR_SIZE] = {};
    const ClientHooks* hooks = nullptr;

    ~Transfer() {
        curl_slist_free_all(headers);
        curl_easy_cleanup(curl);
    }

    static size_t write(char* data, size_t size, size_t count, void* self) {
        auto& transfer = *static_cast<Transfer*>(self);
        // A reply past any page the service sends ends the transfer instead of the memory.
        if (transfer.body.size() + size * count > kMaxReplyBytes) {
            transfer.tooLarge = true;
            return 0;
        }
        transfer.body.append(data, size * count);
        return size * count;
    }
    static int progress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
        const auto* hooks = static_cast<Transfer*>(self)->hooks;
        return hooks->cancelled && hooks->cancelled() ? 1 : 0;
    }
};

JQuantsClient::JQuantsClient(Connection connection, ClientHooks hooks)
    : connection_(std::move(connection)),
      hooks_(std::move(hooks)),
      rateLimit_(connection_.requestsPerMinute),
      transfer_(std::make_unique<Transfer>()) {
    static std::once_flag initialised;
    std::call_once(initialised, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    Transfer& t = *transfer_;
    t.hooks = &hooks_;
    t.curl = curl_easy_init();
    if (!t.curl) throw MarketError("J-Quants APIに接続できません (libcurl)。");
    t.headers = curl_slist_append(t.headers, ("x-api-key: " + connection_.key).c_str());
    t.headers = curl_slist_append(t.headers, "Accept: application/json");
    CURL* curl = t.curl;
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, t.headers);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &Transfer::write);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &t);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, t.error);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &Transfer::progress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &t);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    // Certificates are always checked; the key is only ever sent over HTTPS and never
    // to a host a redirect names.
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L);
    if (!connection_.caFile.empty())
        curl_easy_setopt(curl, CURLOPT_CAINFO, connection_.caFile.c_str());
    curl_easy_setopt(curl, CURLOPT_ACCEPT_ENCODING, "");
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, kStalledSeconds);
    curl_easy_setopt(curl, CURLOPT_USERAGENT, "dravik");
}

JQuantsClient::~JQuantsClient() = default;

void JQuantsClient::checkCancelled() const {
    if (hooks_.cancelled && hooks_.cancelled()) throw Cancelled();
}

void JQuantsClient::wait(std::chrono::system_clock::duration duration) {
    using namespace std::chrono;
    const auto until = system_clock::now() + duration;
    for (auto now = system_clock::now(); now < until; now = system_clock::now()) {
        checkCancelled();
        if (hooks_.waiting) hooks_.waiting(static_cast<int>(ceil<seconds>(until - now).count()));
        std::this_thread::sleep_for(
            std::min<system_clock::duration>(until - now, milliseconds(100)));
    }
    if (hooks_.waiting) hooks_.waiting(0);
}

std::string JQuantsClient::get(const std::string& pathAndQuery) {
    Transfer& t = *transfer_;
    const std::string url = connection_.base + pathAndQuery;
    for (int attempt = 1;; ++attempt) {
        checkCancelled();
        wait(rateLimit_.waitBefore(std::chrono::system_clock::now()));
        t.body.clear();
        t.tooLarge = false;
        t.error[0] = '\0';
        curl_easy_setopt(t.curl, CURLOPT_URL, url.c_str());
        const CURLcode result = curl_easy_perform(t.curl);
        rateLimit_.record(std::chrono::system_clock::now());
        ++requests_;
        if (hooks_.requested) hooks_.requested();
        if (result == CURLE_ABORTED_BY_CALLBACK) throw Cancelled();
        if (t.tooLarge) malformedReply("応答が大きすぎます");
        if (result != CURLE_OK) {
            const std::string reason = t.error[0] ? t.error : curl_easy_strerror(result);
            throw MarketError("J-Quants APIに接続できません: " + reason);
        }
        long status = 0;
        curl_easy_getinfo(t.curl, CURLINFO_RESPONSE_CODE, &status);
        if (status == 200) return std::move(t.body);
        if (status == 210) return {};  // no content
        const std::string message = serviceMessageOf(t.body);
        const std::string detail = message.empty() ? "" : "\n" + message;
        // Too many requests, or the service busy or down for a moment: a few more tries,
        // each after a longer wait.
        const bool passing =
            status == 429 || status == 500 || status == 502 || status == 503 || status == 504;
        if (passing && attempt < kMaxTries) {
            wait(std::chrono::seconds(connection_.retryWaitSeconds) * attempt);
            continue;
        }
        if (status == 429)
            throw ServiceError(
                "J-Quants APIのリクエスト数が上限を超えました (" + intToStr(kMaxTries) +
                    "回試しました)。しばらく待ってから更新し直してください。" + detail,
                429, message);
        if (passing)
            throw ServiceError("J-Quants APIがエラーを返しました (HTTP " + intToStr(status) + "、" +
                                   intToStr(kMaxTries) +
                                   "回試しました)。しばらく待ってから更新し直してください。" +
                                   detail,
                               static_cast<int>(status), message);
        if (status == 403)
            throw ServiceError(
                "J-Quants APIキーが無効か、契約プランの対象外のデータです。" + detail, 403,
                message);
        throw ServiceError(
            "J-Quants APIがエラーを返しました (HTTP " + intToStr(status) + ")。" + detail,
            static_cast<int>(status), message);
    }
}

void JQuantsClient::eachPage(const std::string& path, const std::string& query,
                             const std::function<std::string(std::string& body)>& onPage) {
    std::string key;
    std::set<std::string> seen;
    for (int page = 0;; ++page) {
        if (page == kMaxPages) malformedReply("ページが終わりません");
        std::string target = path + "?" + query;
        if (!key.empty()) target += "&pagination_key=" + escaped(transfer_->curl, key);
        std::string body = get(target);
        if (body.empty()) return;
        std::string next = onPage(body);
        if (next.empty()) return;
        // A key seen before in this query would page round in circles.
        if (!seen.insert(next).second)
            throw MarketError(
                "J-Quants APIが同じページを繰り返し返したため、更新を止めました (ページキー " +
                intToStr(page + 1) + "ページ目)。しばらくしてから更新し直してください。");
        key = std::move(next);
    }
}

std::vector<CalendarDay> JQuantsClient::calendar() {
    std::vector<CalendarDay> days;
    eachPage("/markets/calendar", "",
             [&](std::string& body) { return readCalendarPage(body, days); });
    return days;
}

std::vector<Issue> JQuantsClient::master(std::optional<Day> day) {
    std::vector<Issue> issues;
    const std::string query = day ? "date=" + compactDate(*day) : "";
    eachPage("/equities/master", query,
             [&](std::string& body) { return readIssuesPage(body, issues); });
    return issues;
}

std::vector<Bar> JQuantsClient::barsOn(Day day) {
    std::vector<Bar> bars;
    eachPage("/equities/bars/daily", "date=" + compactDate(day),
             [&](std::string& body) { return readBarsPage(body, bars); });
    // A row of another day would be stored under the wrong date.
    for (const auto& bar : bars)
        if (bar.day != day) malformedReply("求めた日と違う日付の行 " + isoText(bar.day));
    return bars;
}

std::vector<Bar> JQuantsClient::barsOf(std::string_view code, Day from, Day to) {
    std::vector<Bar> bars;
    const std::string query = "code=" + escaped(transfer_->curl, code) +
                              "&from=" + compactDate(from) + "&to=" + compactDate(to);
    eachPage("/equities/bars/daily", query,
             [&](std::string& body) { return readBarsPage(body, bars); });
    for (const auto& bar : bars)
        if (bar.day < from || bar.day > to)
            malformedReply("求めた期間の外の日付の行 " + isoText(bar.day));
    return bars;
}

std::vector<Bar> JQuantsClient::barsOf(std::string_view code) {
    std::vector<Bar> bars;
    eachPage("/equities/bars/daily", "code=" + escaped(transfer_->curl, code),
             [&](std::string& body) { return readBarsPage(body, bars); });
    return bars;
}

std::vector<IndexBar> JQuantsClient::topix(Day from, Day to) {
    std::vector<IndexBar> bars;
    eachPage("/indices/bars/daily/topix", "from=" + compactDate(from) + "&to=" + compactDate(to),
             [&](std::string& body) { return readIndexBarsPage(body, bars); });
    for (const auto& bar : bars)
        if (bar.day < from || bar.day > to)
            malformedReply("求めた期間の外の日付の行 " + isoText(bar.day));
    return bars;
}

}  // namespace market
