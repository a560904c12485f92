#include "tools/jquants_server.h"

#include <netinet/in.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <map>
#include <stdexcept>

#include "tools/loopback_listener.h"

namespace jquants_emulator {

using namespace std::chrono;

namespace {

// The free plan: nothing from the latest 12 weeks, two years before them.
constexpr days kHiddenSpan{84};
constexpr days kFreeHistory{730};

int dayNumber(Day day) {
    const year_month_day date{day};
    return static_cast<int>(date.year()) * 10000 + static_cast<int>(unsigned(date.month())) * 100 +
           static_cast<int>(unsigned(date.day()));
}

std::string isoText(Day day) {
    const int n = dayNumber(day);
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", n / 10000, n / 100 % 100, n % 100);
    return text;
}

// "20240304" or "2024-03-04".
std::optional<Day> parseDay(std::string_view text) {
    std::string digits;
    if (text.size() == 10 && text[4] == '-' && text[7] == '-')
        digits = std::string(text.substr(0, 4)) + std::string(text.substr(5, 2)) +
                 std::string(text.substr(8, 2));
    else if (text.size() == 8)
        digits = std::string(text);
    else
        return std::nullopt;
    int n = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), n);
    if (error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
    const year_month_day date{year{n / 10000}, month(unsigned(n / 100 % 100)),
                              day(unsigned(n % 100))};
    if (!date.ok()) return std::nullopt;
    return Day{date};
}

std::string urlDecoded(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            out += static_cast<char>(std::stoi(std::string(text.substr(i + 1, 2)), nullptr, 16));
            i += 2;
        } else {
            out += text[i] == '+' ? ' ' : text[i];
        }
    }
    return out;
}

std::string jsonText(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

void appendNumber(std::string& out, double value) {
    if (std::isnan(value)) {
        out += "null";
        return;
    }
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

double oneDecimal(double value) {
    return std::round(value * 10) / 10;
}

std::string message(const std::string& text) {
    return "{\"message\":" + jsonText(text) + "}";
}

const char* reason(int status) {
    switch (status) {
        case 200:
            return "OK";
        case 210:
            return "No Content";
        case 400:
            return "Bad Request";
        case 403:
            return "Forbidden";
        case 429:
            return "Too Many Requests";
        case 500:
            return "Internal Server Error";
        default:
            return "Status";
    }
}

}  // namespace

const std::vector<Sector> kSectors = {
    {"0050", "水産・農林業", "1", "食品"},
    {"1050", "鉱業", "2", "エネルギー資源"},
    {"2050", "建設業", "3", "建設・資材"},
    {"3050", "食料品", "1", "食品"},
    {"3100", "繊維製品", "4", "素材・化学"},
    {"3150", "パルプ・紙", "4", "素材・化学"},
    {"3200", "化学", "4", "素材・化学"},
    {"3250", "医薬品", "5", "医薬品"},
    {"3300", "石油・石炭製品", "2", "エネルギー資源"},
    {"3350", "ゴム製品", "6", "自動車・輸送機"},
    {"3400", "ガラス・土石製品", "3", "建設・資材"},
    {"3450", "鉄鋼", "7", "鉄鋼・非鉄"},
    {"3500", "非鉄金属", "7", "鉄鋼・非鉄"},
    {"3550", "金属製品", "3", "建設・資材"},
    {"3600", "機械", "8", "機械"},
    {"3650", "電気機器", "9", "電機・精密"},
    {"3700", "輸送用機器", "6", "自動車・輸送機"},
    {"3750", "精密機器", "9", "電機・精密"},
    {"3800", "その他製品", "10", "情報通信・サービスその他"},
    {"4050", "電気・ガス業", "11", "電気・ガス"},
    {"5050", "陸運業", "12", "運輸・物流"},
    {"5100", "海運業", "12", "運輸・物流"},
    {"5150", "空運業", "12", "運輸・物流"},
    {"5200", "倉庫・運輸関連業", "12", "運輸・物流"},
    {"5250", "情報・通信業", "10", "情報通信・サービスその他"},
    {"6050", "卸売業", "13", "商社・卸売"},
    {"6100", "小売業", "14", "小売"},
    {"7050", "銀行業", "15", "銀行"},
    {"7100", "証券、商品先物取引業", "16", "金融（除く銀行）"},
    {"7150", "保険業", "16", "金融（除く銀行）"},
    {"7200", "その他金融業", "16", "金融（除く銀行）"},
    {"8050", "不動産業", "17", "不動産"},
    {"9050", "サービス業", "10", "情報通信・サービスその他"},
    {"9999", "その他", "99", "その他"},
};

double topixClose(Day day) {
    const double n = static_cast<double>(day.time_since_epoch().count());
    return std::round(2500 * (1 + 0.12 * std::sin(n / 61) + 0.03 * std::sin(n / 9.3)) * 100) / 100;
}

MarketData generatedMarket(int count, Day first, Day last) {
    MarketData data;
    static const char* const kNames[] = {"水産", "建設", "食品", "繊維", "化学", "医薬",
                                         "鉄鋼", "機械", "電機", "精密", "商事", "銀行"};
    for (int i = 0; i < count; ++i) {
        Listing listing;
        listing.code = std::to_string(1301 + i) + "0";
        listing.name = std::string("試験") + kNames[i % 12] + std::to_string(i);
        listing.nameEn = "TEST " + std::to_string(i);
        listing.basePrice = 200 + (i * 7919) % 9000;
        const Sector& sector = kSectors[static_cast<std::size_t>(i) % 33];
        listing.sector33 = sector.code;
        listing.sector33Name = sector.name;
        listing.sector17 = sector.code17;
        listing.sector17Name = sector.name17;
        if (listing.code == "13060") {
            listing.name = "ＴＯＰＩＸ連動型上場投資信託";
            listing.nameEn = "NEXT FUNDS TOPIX ETF";
            listing.sector33 = "9999";
            listing.sector33Name = "その他";
            listing.sector17 = "99";
            listing.sector17Name = "その他";
        }
        data.issues.push_back(std::move(listing));
    }
    for (Day day = first; day <= last; day += days{1}) {
        const weekday wd{day};
        const year_month_day date{day};
        const bool newYear = date.month() == January && date.day() == std::chrono::day{1};
        const bool open = wd != Saturday && wd != Sunday && !newYear;
        data.calendar.push_back({day, open ? 1 : 0});
    }
    return data;
}

Certificate makeCertificate(const std::filesystem::path& dir) {
    std::filesystem::create_directories(dir);
    Certificate made{dir / "cert.pem", dir / "key.pem"};
    const std::string command =
        "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2"
        " -subj /CN=127.0.0.1 -addext subjectAltName=IP:127.0.0.1,DNS:localhost -keyout '" +
        made.privateKey.string() + "' -out '" + made.certificate.string() + "' >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0)
        throw std::runtime_error("openssl could not make a certificate in " + dir.string());
    return made;
}

// ---------------------------------------------------------------------------------

struct Server::Tls {
    SSL_CTX* context = nullptr;
    ~Tls() { SSL_CTX_free(context); }
};

Server::Server(MarketData data, ServerOptions options)
    : data_(std::move(data)), options_(std::move(options)), tls_(std::make_unique<Tls>()) {
    // A client that hangs up mid-reply must not end the process.
    std::signal(SIGPIPE, SIG_IGN);
    tls_->context = SSL_CTX_new(TLS_server_method());
    if (!tls_->context ||
        SSL_CTX_use_certificate_chain_file(tls_->context, options_.certificate.c_str()) != 1 ||
        SSL_CTX_use_PrivateKey_file(tls_->context, options_.privateKey.c_str(), SSL_FILETYPE_PEM) !=
            1)
        throw std::runtime_error("the emulator cannot use its certificate " +
                                 options_.certificate.string());

    const auto listener = tools::listenOnLoopback(options_.port);
    listener_ = listener.fd;
    port_ = static_cast<std::uint16_t>(listener.port);
    acceptor_ = std::thread([this] { serve(); });
}

Server::~Server() {
    stop();
}

std::string Server::base() const {
    return "https://127.0.0.1:" + std::to_string(port_) + "/v2";
}

std::vector<std::string> Server::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

std::size_t Server::requestCount() const {
    std::lock_guard lock(mutex_);
    return requests_.size();
}

void Server::clearRequests() {
    std::lock_guard lock(mutex_);
    requests_.clear();
}

std::set<std::string> Server::keysSeen() const {
    std::lock_guard lock(mutex_);
    return keys_;
}

void Server::answerNext(int status, const std::string& body, int count) {
    std::lock_guard lock(mutex_);
    for (int i = 0; i < count; ++i) scripted_.emplace_back(status, body);
}

void Server::setToday(Day today) {
    std::lock_guard lock(mutex_);
    options_.today = today;
}

void Server::addSplit(const Split& split) {
    std::lock_guard lock(mutex_);
    data_.splits.push_back(split);
}

void Server::setFreePlan(bool free) {
    std::lock_guard lock(mutex_);
    options_.freePlan = free;
}

void Server::stop() {
    if (stopping_.exchange(true)) return;
    if (acceptor_.joinable()) acceptor_.join();
    {
        std::lock_guard lock(mutex_);
        for (int fd : connections_) ::shutdown(fd, SHUT_RDWR);
    }
    for (auto& worker : workers_)
        if (worker.joinable()) worker.join();
    ::close(listener_);
}

void Server::wait() {
    if (acceptor_.joinable()) acceptor_.join();
}

void Server::serve() {
    while (!stopping_) {
        pollfd waiting{listener_, POLLIN, 0};
        if (::poll(&waiting, 1, 100) <= 0) continue;
        const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        std::lock_guard lock(mutex_);
        connections_.push_back(fd);
        workers_.emplace_back([this, fd] { handle(fd); });
    }
}

void Server::handle(int fd) {
    SSL* ssl = SSL_new(tls_->context);
    SSL_set_fd(ssl, fd);
    if (SSL_accept(ssl) == 1) {
        std::string buffer;
        char chunk[16384];
        for (;;) {
            std::size_t end;
            while ((end = buffer.find("\r\n\r\n")) == std::string::npos) {
                const int n = SSL_read(ssl, chunk, sizeof chunk);
                if (n <= 0) goto done;
                buffer.append(chunk, static_cast<std::size_t>(n));
            }
            const std::string head = buffer.substr(0, end);
            buffer.erase(0, end + 4);
            std::string key, method, target;
            bool close = false;
            std::size_t lineStart = 0;
            for (int line = 0; lineStart <= head.size(); ++line) {
                std::size_t lineEnd = head.find("\r\n", lineStart);
                if (lineEnd == std::string::npos) lineEnd = head.size();
                const std::string text = head.substr(lineStart, lineEnd - lineStart);
                lineStart = lineEnd + 2;
                if (line == 0) {
                    const auto space = text.find(' ');
                    method = text.substr(0, space);
                    target = text.substr(space + 1, text.rfind(' ') - space - 1);
                    continue;
                }
                const auto colon = text.find(':');
                if (colon == std::string::npos) continue;
                std::string name = text.substr(0, colon);
                std::transform(name.begin(), name.end(), name.begin(),
                               [](unsigned char c) { return std::tolower(c); });
                std::string value = text.substr(colon + 1);
                value.erase(0, value.find_first_not_of(' '));
                if (name == "x-api-key") key = value;
                if (name == "connection" && value == "close") close = true;
            }
            auto [status, body] = method == "GET"
                                      ? answer(target, key)
                                      : std::pair<int, std::string>{403, message("Forbidden")};
            if (options_.logToStdout) std::cout << status << ' ' << target << std::endl;
            std::string reply = "HTTP/1.1 " + std::to_string(status) + " " + reason(status) +
                                "\r\nContent-Type: application/json; charset=utf-8\r\n"
                                "Content-Length: " +
                                std::to_string(body.size()) + "\r\n\r\n";
            reply += body;
            for (std::size_t sent = 0; sent < reply.size();) {
                const int n = SSL_write(
                    ssl, reply.data() + sent,
                    static_cast<int>(std::min<std::size_t>(reply.size() - sent, 1 << 20)));
                if (n <= 0) goto done;
                sent += static_cast<std::size_t>(n);
            }
            if (close) break;
        }
    }
done:
    SSL_shutdown(ssl);
    SSL_free(ssl);
    std::lock_guard lock(mutex_);
    connections_.erase(std::remove(connections_.begin(), connections_.end(), fd),
                       connections_.end());
    ::close(fd);
}

// ---------------------------------------------------------------------------------

namespace {

struct Query {
    std::string path;
    std::map<std::string, std::string> values;
    std::string withoutPage;  // the query text without pagination_key
};

// A pagination key names the row the next page starts at and the query it belongs to:
// "ROW.TAG.".
std::string pageTag(const Query& query) {
    return std::to_string(std::hash<std::string>{}(query.withoutPage) % 100000);
}

std::string pageKey(const Query& query, std::size_t row) {
    return std::to_string(row) + "." + pageTag(query) + ".";
}

// The row the page starts at: 0 without a key, nothing for a key this query did not give.
std::optional<std::size_t> pageOffset(const Query& query) {
    const auto page = query.values.find("pagination_key");
    if (page == query.values.end()) return 0;
    const auto dot = page->second.find('.');
    if (dot == std::string::npos || page->second.substr(dot + 1) != pageTag(query) + ".")
        return std::nullopt;
    return std::stoul(page->second.substr(0, dot));
}

Query parseTarget(const std::string& target) {
    Query query;
    const auto mark = target.find('?');
    query.path = target.substr(0, mark);
    if (mark == std::string::npos) return query;
    const std::string text = target.substr(mark + 1);
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('&', start);
        if (end == std::string::npos) end = text.size();
        const std::string pair = text.substr(start, end - start);
        start = end + 1;
        if (pair.empty()) continue;
        const auto equals = pair.find('=');
        const std::string name = pair.substr(0, equals);
        const std::string value =
            equals == std::string::npos ? "" : urlDecoded(pair.substr(equals + 1));
        query.values[name] = value;
        if (name != "pagination_key") query.withoutPage += pair + "&";
    }
    return query;
}

}  // namespace

std::pair<int, std::string> Server::answer(const std::string& target, const std::string& key) {
    std::unique_lock lock(mutex_);
    requests_.push_back(target);
    if (!key.empty()) keys_.insert(key);
    if (!scripted_.empty()) {
        auto scripted = scripted_.front();
        scripted_.pop_front();
        return scripted;
    }
    if (key != options_.apiKey)
        return {403, message("The incoming api key is invalid or expired.")};
    if (options_.perMinute > 0) {
        const auto now = steady_clock::now();
        while (!recent_.empty() && recent_.front() + minutes(1) <= now) recent_.pop_front();
        if (static_cast<int>(recent_.size()) >= options_.perMinute)
            return {429, message("Too Many Requests")};
        recent_.push_back(now);
    }
    const Query query = parseTarget(target);
    const Day today = options_.today;
    const Day newestShown = options_.freePlan ? today - kHiddenSpan : today;
    const Day oldestShown = options_.freePlan ? newestShown - kFreeHistory : Day{};
    const auto outsidePlan = [&] {
        return std::pair<int, std::string>{
            400, message("Your subscription covers the following dates: " + isoText(oldestShown) +
                         " ~ " + isoText(newestShown) +
                         ". If you want more data, please check other plans:  "
                         "https://jpx-jquants.com/")};
    };
    const auto badParameter = [](const std::string& text) {
        return std::pair<int, std::string>{400, message(text)};
    };
    auto dateParameter = [&](const char* name) -> std::optional<std::optional<Day>> {
        const auto found = query.values.find(name);
        if (found == query.values.end()) return std::optional<Day>{};
        const auto day = parseDay(found->second);
        if (!day) return std::nullopt;
        return std::optional<Day>{*day};
    };

    if (query.path == "/v2/markets/calendar") {
        std::string body = "{\"data\":[";
        bool first = true;
        for (const auto& [day, kind] : data_.calendar) {
            body += first ? "" : ",";
            first = false;
            body +=
                "{\"Date\":\"" + isoText(day) + "\",\"HolDiv\":\"" + std::to_string(kind) + "\"}";
        }
        return {200, body + "]}"};
    }

    if (query.path == "/v2/equities/master") {
        const auto date = dateParameter("date");
        if (!date) return badParameter("Invalid date.");
        const Day on = date->value_or(today);
        if (options_.freePlan && (on > newestShown || on < oldestShown)) return outsidePlan();
        std::string body = "{\"data\":[";
        bool first = true;
        for (const auto& listing : data_.issues) {
            if (listing.listedFrom && *listing.listedFrom > on) continue;
            body += first ? "" : ",";
            first = false;
            const bool other = listing.sector33.empty();
            body += "{\"Date\":\"" + isoText(on) + "\",\"Code\":" + jsonText(listing.code) +
                    ",\"CoName\":" + jsonText(listing.name) +
                    ",\"CoNameEn\":" + jsonText(listing.nameEn) +
                    ",\"S17\":" + jsonText(other ? "99" : listing.sector17) +
                    ",\"S17Nm\":" + jsonText(other ? "その他" : listing.sector17Name) +
                    ",\"S33\":" + jsonText(other ? "9999" : listing.sector33) +
                    ",\"S33Nm\":" + jsonText(other ? "その他" : listing.sector33Name) +
                    ",\"ScaleCat\":" + jsonText(listing.scaleCategory) +
                    ",\"Mkt\":" + jsonText(listing.market) +
                    ",\"MktNm\":" + jsonText(listing.marketName) +
                    ",\"Mrgn\":\"1\",\"MrgnNm\":\"信用\",\"ProdCat\":\"011\"}";
        }
        return {200, body + "]}"};
    }

    if (query.path == "/v2/indices/bars/daily/topix") {
        // A paid plan's data: the free plan is refused.
        if (options_.freePlan)
            return {403, message("This API is not available on your subscription plan.")};
        const auto fromValue = dateParameter("from");
        const auto toValue = dateParameter("to");
        if (!fromValue || !toValue) return badParameter("Invalid date.");
        const Day from = fromValue->value_or(Day{});
        const Day to = std::min(toValue->value_or(today), today);
        std::vector<Day> days;
        for (auto it = std::lower_bound(data_.calendar.begin(), data_.calendar.end(),
                                        std::pair<Day, int>{from, -1});
             it != data_.calendar.end() && it->first <= to; ++it)
            if (it->second == 1 || it->second == 2) days.push_back(it->first);
        const auto start = pageOffset(query);
        if (!start) return badParameter("Invalid pagination_key.");
        const std::size_t offset = *start;
        const std::size_t end = std::min(
            days.size(), offset + static_cast<std::size_t>(std::max(1, options_.pageRows)));
        std::string body = "{\"data\":[";
        for (std::size_t r = offset; r < end; ++r) {
            const double c = topixClose(days[r]);
            if (r > offset) body += ',';
            body += "{\"Date\":\"" + isoText(days[r]) + "\",\"O\":";
            appendNumber(body, std::round(c * 99.8) / 100);
            body += ",\"H\":";
            appendNumber(body, std::round(c * 100.6) / 100);
            body += ",\"L\":";
            appendNumber(body, std::round(c * 99.3) / 100);
            body += ",\"C\":";
            appendNumber(body, c);
            body += '}';
        }
        body += "]";
        if (end < days.size()) body += ",\"pagination_key\":\"" + pageKey(query, end) + "\"";
        return {200, body + "}"};
    }

    if (query.path != "/v2/equities/bars/daily")
        return {403, message("Missing Authentication Token")};

    const auto dateValue = dateParameter("date");
    const auto fromValue = dateParameter("from");
    const auto toValue = dateParameter("to");
    if (!dateValue || !fromValue || !toValue) return badParameter("Invalid date.");
    const auto codeFound = query.values.find("code");
    if (!*dateValue && codeFound == query.values.end())
        return badParameter("This API requires at least 1 parameter as follows; date, code");
    Day from = Day{}, to = today;
    if (*dateValue && !*fromValue && !*toValue) {
        from = to = **dateValue;
    } else {
        if (*fromValue) from = **fromValue;
        if (*toValue) to = **toValue;
    }
    if (options_.freePlan) {
        if (*dateValue && (from > newestShown || from < oldestShown)) return outsidePlan();
        if (to < oldestShown || from > newestShown) return outsidePlan();
        from = std::max(from, oldestShown);
        to = std::min(to, newestShown);
    }
    to = std::min(to, today);

    // The issues asked for.
    std::vector<std::size_t> issues;
    for (std::size_t i = 0; i < data_.issues.size(); ++i) {
        const std::string& code = data_.issues[i].code;
        if (codeFound != query.values.end()) {
            const std::string& wanted = codeFound->second;
            if (!(wanted == code || (wanted.size() == 4 && code == wanted + "0"))) continue;
        }
        issues.push_back(i);
    }
    // Rows in the service's order: by code, then by date.
    std::vector<std::pair<std::size_t, Day>> rows;
    for (std::size_t i : issues) {
        const auto& listing = data_.issues[i];
        for (auto it = std::lower_bound(data_.calendar.begin(), data_.calendar.end(),
                                        std::pair<Day, int>{from, -1});
             it != data_.calendar.end() && it->first <= to; ++it) {
            if (it->second != 1 && it->second != 2) continue;
            if (listing.listedFrom && it->first < *listing.listedFrom) continue;
            rows.emplace_back(i, it->first);
        }
    }

    const auto start = pageOffset(query);
    if (!start) return badParameter("Invalid pagination_key.");
    const std::size_t offset = *start;
    const std::size_t pageRows = static_cast<std::size_t>(std::max(1, options_.pageRows));
    const std::size_t end = std::min(rows.size(), offset + pageRows);
    const auto splits = data_.splits;
    const auto noTrade = data_.noTrade;
    lock.unlock();

    std::string body;
    body.reserve((end > offset ? end - offset : 0) * 340 + 64);
    body += "{\"data\":[";
    for (std::size_t r = offset; r < end; ++r) {
        const auto& listing = data_.issues[rows[r].first];
        const Day day = rows[r].second;
        const double n = static_cast<double>(day.time_since_epoch().count());
        const double i = static_cast<double>(rows[r].first);
        double raw = 1, adjust = 1, factor = 1;
        for (const auto& split : splits) {
            if (split.code != listing.code || split.exDate > today) continue;
            if (split.exDate <= day) raw *= split.factor;
            if (split.exDate > day) adjust *= split.factor;
            if (split.exDate == day) factor = split.factor;
        }
        const double pre = listing.code == "13060"
                               ? topixClose(day) / 10
                               : listing.basePrice * (1 + 0.3 * std::sin(n / 29 + i) +
                                                      0.08 * std::sin(n / 3.7 + 3 * i));
        double c = std::max(1.0, std::round(pre * raw));
        double o = std::max(1.0, std::round(c * (1 + 0.01 * std::sin(n + i))));
        double h = std::max(o, c) + std::round(0.01 * c),
               l = std::max(1.0, std::min(o, c) - std::round(0.01 * c));
        double vo = 1000 * (10 + static_cast<int>(std::fmod(n * 7 + i, 90))) / raw;
        double va = vo * c;
        if (r > offset) body += ',';
        body += "{\"Date\":\"" + isoText(day) + "\",\"Code\":\"" + listing.code + "\"";
        if (noTrade.count({listing.code, day})) {
            body +=
                ",\"O\":null,\"H\":null,\"L\":null,\"C\":null,\"UL\":\"0\",\"LL\":\"0\",\"Vo\":"
                "null,"
                "\"Va\":null,\"AdjFactor\":1.0,\"AdjO\":null,\"AdjH\":null,\"AdjL\":null,"
                "\"AdjC\":null,\"AdjVo\":null}";
            continue;
        }
        const std::pair<const char*, double> fields[] = {{"O", o},
                                                         {"H", h},
                                                         {"L", l},
                                                         {"C", c},
                                                         {"Vo", vo},
                                                         {"Va", va},
                                                         {"AdjFactor", factor},
                                                         {"AdjO", oneDecimal(o * adjust)},
                                                         {"AdjH", oneDecimal(h * adjust)},
                                                         {"AdjL", oneDecimal(l * adjust)},
                                                         {"AdjC", oneDecimal(c * adjust)},
                                                         {"AdjVo", oneDecimal(vo / adjust)}};
        for (const auto& [name, value] : fields) {
            body += ",\"";
            body += name;
            body += "\":";
            appendNumber(body, value);
            if (name[0] == 'C' && name[1] == '\0') body += ",\"UL\":\"0\",\"LL\":\"0\"";
        }
        body += '}';
    }
    body += "]";
    if (end < rows.size()) body += ",\"pagination_key\":\"" + pageKey(query, end) + "\"";
    body += "}";
    return {200, body};
}

}  // namespace jquants_emulator
