// dravik-quote-emulator: the two quote services on a loopback port, for trying the
// price collection and the calendar update by hand.
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tables/convert.h"
#include "tables/errors.h"
#include "tools/quote_server.h"

namespace {

volatile std::sig_atomic_t stopRequested = 0;
void onSignal(int) {
    stopRequested = 1;
}

void usage() {
    std::fprintf(stderr,
                 "usage: dravik-quote-emulator [--port N] [--prices FILE] [--calendar FILE]\n"
                 "         [--generate CODE:DAYS[:PRICE]]... [--history DAYS] [--unlist CODE]...\n"
                 "         [--value CODE:ROW:TEXT]... [--extend] [--grouped] [--dash-dates]\n"
                 "         [--delay-ms N] [--fail-from N]\n"
                 "Serves the price-table pages (/t?...) and the quote-history pages\n"
                 "(/MnStock/...) on 127.0.0.1 until interrupted; prints each request line.\n"
                 "Without --calendar the trading dates are the weekdays up to today; --extend\n"
                 "adds the weekdays after the calendar's newest date up to today.\n");
}

std::vector<std::string> split(const std::string& text, char separator, int parts) {
    std::vector<std::string> out;
    std::size_t pos = 0;
    while (static_cast<int>(out.size()) + 1 < parts) {
        const auto at = text.find(separator, pos);
        if (at == std::string::npos) break;
        out.push_back(text.substr(pos, at - pos));
        pos = at + 1;
    }
    out.push_back(text.substr(pos));
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace quote_emulator;
    ServerOptions options;
    options.port = 8080;
    options.logToStdout = true;
    std::string prices, calendar;
    std::vector<std::string> generated, unlisted, values;
    int history = 0;
    bool extend = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto next = [&]() -> std::string {
            if (i + 1 >= argc) {
                usage();
                std::exit(2);
            }
            return argv[++i];
        };
        if (arg == "--port")
            options.port = static_cast<std::uint16_t>(std::atoi(next().c_str()));
        else if (arg == "--prices")
            prices = next();
        else if (arg == "--calendar")
            calendar = next();
        else if (arg == "--generate")
            generated.push_back(next());
        else if (arg == "--history")
            history = std::atoi(next().c_str());
        else if (arg == "--unlist")
            unlisted.push_back(next());
        else if (arg == "--value")
            values.push_back(next());
        else if (arg == "--extend")
            extend = true;
        else if (arg == "--grouped")
            options.groupedPrices = true;
        else if (arg == "--dash-dates")
            options.dateSeparator = '-';
        else if (arg == "--delay-ms")
            options.delayMs = std::atoi(next().c_str());
        else if (arg == "--fail-from")
            options.failFrom = std::atoi(next().c_str());
        else {
            usage();
            return arg == "--help" ? 0 : 2;
        }
    }
    try {
        QuoteData data = loadQuoteData(prices, calendar);
        const std::string today =
            formatDate(std::chrono::floor<std::chrono::days>(std::chrono::system_clock::now()));
        if (data.calendar.empty())
            data.calendar = weekdaysBack(today, 1200);
        else if (extend)
            extendToDate(data.calendar, today);
        for (const auto& entry : generated) {
            const auto parts = split(entry, ':', 3);
            addGeneratedStock(data, parts[0], parts.size() > 1 ? std::atoi(parts[1].c_str()) : 100,
                              parts.size() > 2 ? std::atoi(parts[2].c_str()) : 1000);
        }
        if (history > 0)
            for (auto& [code, days] : data.stocks)
                if (static_cast<int>(days.size()) > history)
                    days.resize(static_cast<std::size_t>(history));
        for (const auto& code : unlisted) data.stocks.erase(code);
        for (const auto& entry : values) {
            const auto parts = split(entry, ':', 3);
            if (parts.size() < 3) continue;
            auto stock = data.stocks.find(parts[0]);
            const int row = std::atoi(parts[1].c_str());
            if (stock != data.stocks.end() && row >= 1 &&
                row <= static_cast<int>(stock->second.size()))
                stock->second[static_cast<std::size_t>(row - 1)].close = parts[2];
        }
        QuoteServer server(std::move(data), options);
        std::printf("quote emulator listening on %s\n", server.host().c_str());
        std::fflush(stdout);
        std::signal(SIGINT, onSignal);
        std::signal(SIGTERM, onSignal);
        while (!stopRequested) ::pause();
        server.stop();
    } catch (const Exception& e) {
        std::fprintf(stderr, "%s\n", e.message().c_str());
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
