#include "tools/quote_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <stdexcept>

#include "data/cp932.h"
#include "data/text_file.h"
#include "tables/convert.h"
#include "tables/working_table.h"
#include "tools/loopback_listener.h"

namespace quote_emulator {

namespace {

constexpr int kRowsPerPage = 50;

std::map<std::string, std::string> queryFields(const std::string& path) {
    std::map<std::string, std::string> fields;
    const auto question = path.find('?');
    if (question == std::string::npos) return fields;
    std::size_t pos = question + 1;
    while (pos <= path.size()) {
        auto end = path.find('&', pos);
        if (end == std::string::npos) end = path.size();
        const std::string pair = path.substr(pos, end - pos);
        const auto equals = pair.find('=');
        std::string value = equals == std::string::npos ? "" : pair.substr(equals + 1);
        std::string decoded;
        for (std::size_t i = 0; i < value.size(); ++i) {
            if (value[i] == '%' && i + 2 < value.size() &&
                std::isxdigit(static_cast<unsigned char>(value[i + 1])) &&
                std::isxdigit(static_cast<unsigned char>(value[i + 2]))) {
                decoded += static_cast<char>(std::stoi(value.substr(i + 1, 2), nullptr, 16));
                i += 2;
            } else {
                decoded += value[i];
            }
        }
        fields[pair.substr(0, equals)] = decoded;
        pos = end + 1;
    }
    return fields;
}

int fieldInt(const std::map<std::string, std::string>& fields, const std::string& key) {
    const auto it = fields.find(key);
    if (it == fields.end()) return 0;
    return tryToInt(it->second).value_or(0);
}

// yyyy/mm/dd of the query's end date, empty when the query has none.
std::string endDate(const std::map<std::string, std::string>& fields, const char* year,
                    const char* month, const char* day) {
    const int y = fieldInt(fields, year), m = fieldInt(fields, month), d = fieldInt(fields, day);
    if (y == 0 || m == 0 || d == 0) return {};
    char text[16];
    std::snprintf(text, sizeof text, "%04d/%02d/%02d", y, m, d);
    return text;
}

std::string grouped(const std::string& digits) {
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos)
        return digits;
    std::string out;
    const std::size_t lead = digits.size() % 3;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (i - lead) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out;
}

std::string normalizedDate(const std::string& text) {
    if (auto day = parseDate(text)) return formatDate(*day);
    return text;
}

// Days of a series on or before the end date, from the offset on, one page.
template <typename T, typename DateOf>
std::vector<T> pageRows(const std::vector<T>& all, const std::string& end, int offset,
                        DateOf dateOf) {
    std::vector<T> rows;
    int skipped = 0;
    for (const auto& item : all) {
        if (!end.empty() && dateOf(item) > end) continue;
        if (skipped++ < offset) continue;
        rows.push_back(item);
        if (static_cast<int>(rows.size()) == kRowsPerPage) break;
    }
    return rows;
}

}  // namespace

std::vector<std::string> weekdaysBack(const std::string& newest, int count) {
    std::vector<std::string> dates;
    auto day = parseDate(newest).value_or(std::chrono::sys_days{});
    while (static_cast<int>(dates.size()) < count) {
        const std::chrono::weekday weekday{day};
        if (weekday != std::chrono::Saturday && weekday != std::chrono::Sunday)
            dates.push_back(formatDate(day));
        day -= std::chrono::days{1};
    }
    return dates;
}

void extendToDate(std::vector<std::string>& calendar, const std::string& last) {
    const auto newest = calendar.empty() ? std::nullopt : parseDate(calendar.front());
    const auto end = parseDate(last);
    if (!newest || !end) return;
    std::vector<std::string> added;
    for (const auto& date : weekdaysBack(last, static_cast<int>((*end - *newest).count()))) {
        if (*parseDate(date) <= *newest) break;
        added.push_back(date);
    }
    calendar.insert(calendar.begin(), added.begin(), added.end());
}

void addGeneratedStock(QuoteData& data, const std::string& code, int days, int newestPrice) {
    std::vector<std::string> dates(
        data.calendar.begin(),
        data.calendar.begin() + std::min<std::ptrdiff_t>(days, std::ssize(data.calendar)));
    if (static_cast<int>(dates.size()) < days) {
        std::string before;
        if (dates.empty()) {
            before =
                formatDate(std::chrono::floor<std::chrono::days>(std::chrono::system_clock::now()));
        } else {
            before = formatDate(*parseDate(dates.back()) - std::chrono::days{1});
        }
        for (auto& date : weekdaysBack(before, days - static_cast<int>(dates.size())))
            dates.push_back(std::move(date));
    }
    auto& series = data.stocks[code];
    series.clear();
    // A deterministic walk back in time, so a chart of it looks like one.
    const int step = std::max(1, newestPrice / 100);
    int price = newestPrice;
    for (int i = 0; i < days; ++i) {
        series.push_back({dates[static_cast<std::size_t>(i)], intToStr(price)});
        price = std::max(1, price + ((i * 37 + i / 7) % 11 - 5) * step);
    }
}

QuoteData loadQuoteData(const std::string& priceFile, const std::string& calendarFile) {
    QuoteData data;
    if (!priceFile.empty()) {
        const auto lines = data::readLines(priceFile);
        WorkingTable table(200, static_cast<int>(lines.size()));
        for (std::size_t i = 0; i < lines.size(); ++i)
            table.rowFromCommaText(static_cast<int>(i), lines[i]);
        for (int col = 1; col <= 197; ++col) {
            const std::string code(codeKey(table.cell(col, 0)));
            if (code.empty() || code == " ") continue;
            std::vector<Day> series;
            for (int row = 1; row < static_cast<int>(lines.size()); ++row)
                if (hasValue(table.cell(col, row)))
                    series.push_back({normalizedDate(table.cell(0, row)), table.cell(col, row)});
            data.stocks[code] = std::move(series);
        }
    }
    if (!calendarFile.empty()) {
        const auto lines = data::readLines(calendarFile);
        for (std::size_t i = 1; i < lines.size(); ++i) {
            const std::string date = lines[i].substr(0, lines[i].find(','));
            if (parseDate(date)) data.calendar.push_back(normalizedDate(date));
        }
    }
    return data;
}

std::string QuoteServer::page(const std::string& path, bool& known) const {
    known = true;
    const auto fields = queryFields(path);
    const std::string route = path.substr(0, path.find('?'));
    std::string html;
    if (route == "/t") {
        const std::string code(codeKey(fields.count("s") ? fields.at("s") : ""));
        const auto stock = data_.stocks.find(code);
        if (stock == data_.stocks.end()) {
            html = "<html><head><title>時系列</title></head>\n<body>\n<p>" + code +
                   " に該当する銘柄はありません。</p>\n</body></html>\n";
        } else {
            html = "<html><head><title>時系列 " + code +
                   "</title></head>\n<body>\n"
                   "<table border=0 cellpadding=2 cellspacing=1 width=\"100%\">\n"
                   "<tr bgcolor=\"#dcdcdc\"><th>日付</th><th>始値</th><th>高値</th><th>安値</th>"
                   "<th>終値</th></tr>\n";
            const auto rows =
                pageRows(stock->second, endDate(fields, "f", "d", "e"), fieldInt(fields, "y"),
                         [](const Day& day) { return day.date; });
            for (const auto& day : rows) {
                const std::string close = options_.groupedPrices ? grouped(day.close) : day.close;
                html +=
                    "<tr align=right bgcolor=\"#ffffff\"><td><small>" + day.date + "</small></td>";
                for (int cell = 0; cell < 4; ++cell)
                    html += "<td><small>" + close + "</small></td>";
                html += "</tr>\n";
            }
            html += "</table>\n</body></html>\n";
        }
    } else if (route == "/MnStock/slast.html" || route == "/MnStock/6752.t/slast.html") {
        html =
            "<html><head><title>6752.t 時系列</title></head>\n<body>\n<table>\n"
            "<tr><th>日付</th><th>始値</th><th>高値</th><th>安値</th><th>終値</th><th>出来高</th></"
            "tr>\n"
            "<tr>\n";
        const auto rows =
            pageRows(data_.calendar, endDate(fields, "ey", "em", "ed"), fieldInt(fields, "st"),
                     [](const std::string& date) { return date; });
        for (std::string date : rows) {
            for (char& c : date)
                if (c == '/') c = options_.dateSeparator;
            html += "<td align=\"center\">" + date + "</td>\n";
            for (int cell = 0; cell < 4; ++cell) html += "<td align=\"right\">1,000</td>\n";
            html +=
                "<td align=\"right\">120,000</td>\n<td "
                "align=\"right\">1,000</td>\n<td></td>\n<td></td>\n</tr>\n<tr>\n";
        }
        html += "</tr>\n</table>\n</body></html>\n";
    } else {
        known = false;
        html = "<html><body>Not Found</body></html>\n";
    }
    return data::utf8ToCp932(html);
}

QuoteServer::QuoteServer(QuoteData data, ServerOptions options)
    : data_(std::move(data)), options_(options) {
    const auto listener = tools::listenOnLoopback(options_.port);
    listener_ = listener.fd;
    port_ = static_cast<std::uint16_t>(listener.port);
    if (options_.failFrom == 1) {
        ::close(listener_);
        listener_ = -1;
    }
    thread_ = std::thread([this] { serve(); });
}

QuoteServer::~QuoteServer() {
    stop();
    wait();
}

std::string QuoteServer::host() const {
    return "127.0.0.1:" + std::to_string(port_);
}

std::vector<std::string> QuoteServer::requestLines() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

std::size_t QuoteServer::requestCount() const {
    std::lock_guard lock(mutex_);
    return requests_.size();
}

std::vector<std::string> QuoteServer::requestPaths() const {
    std::vector<std::string> paths;
    for (const auto& line : requestLines()) {
        const auto first = line.find(' ');
        const auto second = line.find(' ', first + 1);
        paths.push_back(first == std::string::npos ? ""
                                                   : line.substr(first + 1, second - first - 1));
    }
    return paths;
}

void QuoteServer::clearRequests() {
    std::lock_guard lock(mutex_);
    requests_.clear();
}

void QuoteServer::stop() {
    stopping_ = true;
}

void QuoteServer::wait() {
    if (thread_.joinable()) thread_.join();
    if (listener_ >= 0) ::close(listener_);
    listener_ = -1;
}

void QuoteServer::serve() {
    while (!stopping_ && listener_ >= 0) {
        pollfd ready{listener_, POLLIN, 0};
        if (::poll(&ready, 1, 50) <= 0) continue;
        const int connection = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0) continue;
        answer(connection);
        ::close(connection);
        ++accepted_;
        // From the failing request on, nobody listens: connections are refused.
        if (options_.failFrom > 0 && accepted_ + 1 >= options_.failFrom) {
            ::close(listener_);
            listener_ = -1;
        }
    }
}

void QuoteServer::answer(int connection) {
    std::string request;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (request.find("\r\n\r\n") == std::string::npos &&
           request.find("\n\n") == std::string::npos && request.size() < 65536) {
        if (std::chrono::steady_clock::now() > deadline || stopping_) return;
        pollfd ready{connection, POLLIN, 0};
        if (::poll(&ready, 1, 50) <= 0) continue;
        char buffer[4096];
        const ssize_t n = ::recv(connection, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        request.append(buffer, static_cast<std::size_t>(n));
    }
    const std::string line = request.substr(0, request.find_first_of("\r\n"));
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(line);
    }
    if (options_.logToStdout) {
        std::printf("%s\n", line.c_str());
        std::fflush(stdout);
    }
    for (int waited = 0; waited < options_.delayMs && !stopping_; waited += 10)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));

    const auto first = line.find(' ');
    const auto second = line.find(' ', first + 1);
    const std::string path =
        first == std::string::npos ? "" : line.substr(first + 1, second - first - 1);
    bool known = false;
    std::string body = page(path, known);
    std::string status = known ? "200 OK" : "404 Not Found";
    if (const auto error = options_.errorReplies.find(accepted_ + 1);
        error != options_.errorReplies.end()) {
        if (error->second == 0) return;
        status = std::to_string(error->second) + " Error";
        body = "<html><body>" + status + "</body></html>\n";
    }
    const std::string reply = "HTTP/1.0 " + status +
                              "\r\n"
                              "Content-Type: text/html; charset=Shift_JIS\r\n"
                              "Content-Length: " +
                              std::to_string(body.size()) + "\r\n\r\n" + body;
    for (std::size_t sent = 0; sent < reply.size();) {
        const ssize_t n =
            ::send(connection, reply.data() + sent, reply.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return;
        sent += static_cast<std::size_t>(n);
    }
    ::shutdown(connection, SHUT_WR);
}

}  // namespace quote_emulator
