// dravik-jquants-emulator: the exchange's daily-data API on a loopback port, for
// trying `dravik-cli update` by hand. Run without arguments for its usage.
#include <unistd.h>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>

#include "tools/jquants_server.h"

namespace {

using namespace std::chrono;

int usage() {
    std::cerr << "usage: dravik-jquants-emulator [--port N] [--issues N] [--years N]\n"
                 "                              [--today YYYY-MM-DD] [--free] [--page-rows N]\n"
                 "                              [--per-minute N] [--key KEY]\n"
                 "                              [--split CODE:YYYY-MM-DD:FACTOR] [--no-trade "
                 "CODE:YYYY-MM-DD]\n"
                 "                              [--cert PEM --private-key PEM]\n"
                 "  Prints the base URL and the certificate to trust (SSL_CERT_FILE), then\n"
                 "  one line per request it answers.\n";
    return 2;
}

std::optional<jquants_emulator::Day> dayOf(const std::string& text) {
    int y = 0;
    unsigned m = 0, d = 0;
    if (std::sscanf(text.c_str(), "%d-%u-%u", &y, &m, &d) != 3) return std::nullopt;
    const year_month_day date{year{y}, month{m}, day{d}};
    if (!date.ok()) return std::nullopt;
    return sys_days{date};
}

std::sig_atomic_t stopRequested = 0;

}  // namespace

int main(int argc, char** argv) {
    jquants_emulator::ServerOptions options;
    options.today = floor<days>(system_clock::now());
    options.logToStdout = true;
    int issues = 4000, years = 5;
    std::vector<jquants_emulator::Split> splits;
    std::vector<std::pair<std::string, jquants_emulator::Day>> noTrade;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (!hasValue && arg != "--free") return usage();
        if (arg == "--port") {
            options.port = static_cast<std::uint16_t>(std::atoi(argv[++i]));
        } else if (arg == "--issues") {
            issues = std::atoi(argv[++i]);
        } else if (arg == "--years") {
            years = std::atoi(argv[++i]);
        } else if (arg == "--today") {
            const auto day = dayOf(argv[++i]);
            if (!day) return usage();
            options.today = *day;
        } else if (arg == "--free") {
            options.freePlan = true;
        } else if (arg == "--page-rows") {
            options.pageRows = std::atoi(argv[++i]);
        } else if (arg == "--per-minute") {
            options.perMinute = std::atoi(argv[++i]);
        } else if (arg == "--key") {
            options.apiKey = argv[++i];
        } else if (arg == "--cert") {
            options.certificate = argv[++i];
        } else if (arg == "--private-key") {
            options.privateKey = argv[++i];
        } else if (arg == "--split" || arg == "--no-trade") {
            const std::string value = argv[++i];
            const auto first = value.find(':');
            const auto second = value.find(':', first + 1);
            if (first == std::string::npos) return usage();
            const auto day = dayOf(value.substr(first + 1, second - first - 1));
            if (!day) return usage();
            std::string code = value.substr(0, first);
            if (code.size() == 4) code += "0";
            if (arg == "--split") {
                if (second == std::string::npos) return usage();
                splits.push_back({code, *day, std::atof(value.substr(second + 1).c_str())});
            } else {
                noTrade.emplace_back(code, *day);
            }
        } else {
            return usage();
        }
    }
    if (issues < 1 || years < 1) return usage();
    try {
        if (options.certificate.empty()) {
            const auto dir = std::filesystem::temp_directory_path() /
                             ("dravik-jquants-emulator-" + std::to_string(::getpid()));
            const auto made = jquants_emulator::makeCertificate(dir);
            options.certificate = made.certificate;
            options.privateKey = made.privateKey;
        }
        auto data = jquants_emulator::generatedMarket(issues, options.today - days{366 * years},
                                                      options.today + days{180});
        data.splits = splits;
        for (const auto& entry : noTrade) data.noTrade.insert(entry);
        jquants_emulator::Server server(std::move(data), options);
        std::cout << "base " << server.base() << "\ncertificate " << options.certificate.string()
                  << "\nkey " << options.apiKey << std::endl;
        std::signal(SIGINT, [](int) { stopRequested = 1; });
        std::signal(SIGTERM, [](int) { stopRequested = 1; });
        while (!stopRequested) ::pause();
        server.stop();
    } catch (const std::exception& e) {
        std::cerr << "dravik-jquants-emulator: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
