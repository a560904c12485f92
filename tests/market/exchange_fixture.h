#pragma once
// The exchange's API emulated over real HTTPS on loopback, with a certificate made for
// the test, and a scratch data root whose store and files an update fills.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <optional>

#include "market/setup.h"
#include "market/store.h"
#include "tests/support.h"
#include "tools/jquants_server.h"

namespace market_testing {

// Sets environment variables for one test and puts them back afterwards.
class Environment {
  public:
    void set(const char* name, const std::string& value) {
        remember(name);
        ::setenv(name, value.c_str(), 1);
    }
    void unset(const char* name) {
        remember(name);
        ::unsetenv(name);
    }
    ~Environment() {
        for (const auto& [name, value] : saved_) {
            if (value)
                ::setenv(name.c_str(), value->c_str(), 1);
            else
                ::unsetenv(name.c_str());
        }
    }

  private:
    void remember(const char* name) {
        if (saved_.count(name)) return;
        const char* value = std::getenv(name);
        saved_[name] = value ? std::optional<std::string>(value) : std::nullopt;
    }
    std::map<std::string, std::optional<std::string>> saved_;
};

inline market::Day day(int number) {
    return market::dayOf(number);
}

struct ExchangeFixture : ::testing::Test {
    // A Friday; the calendar runs from 2019 to the end of 2024.
    static constexpr int kToday = 20240614;

    explicit ExchangeFixture(int issues = 12, int pageRows = 5, bool freePlan = false) {
        data = jquants_emulator::generatedMarket(issues, day(20190101), day(20241231));
        // A code with a letter and a preferred share beside its common stock.
        data.issues.push_back(
            {"130A0", "ベリサーブ", "VERISERVE", "0112", "スタンダード", {}, 777});
        data.issues.push_back({"13025", "優先株", "PREFERRED", "0111", "プライム", {}, 900});
        std::sort(data.issues.begin(), data.issues.end(),
                  [](const auto& a, const auto& b) { return a.code < b.code; });
        data.noTrade.insert({"13030", day(20240612)});
        options.today = day(kToday);
        options.freePlan = freePlan;
        options.pageRows = pageRows;
        const auto made = jquants_emulator::makeCertificate(dir.path() / "tls");
        options.certificate = made.certificate;
        options.privateKey = made.privateKey;
    }

    jquants_emulator::Server& server() {
        if (!server_) server_ = std::make_unique<jquants_emulator::Server>(data, options);
        return *server_;
    }

    market::Connection connection() {
        market::Connection result;
        result.base = server().base();
        result.key = options.apiKey;
        result.caFile = options.certificate.string();
        result.requestsPerMinute = 100000;
        result.retryWaitSeconds = 0;
        return result;
    }

    data::DataRoot root() const { return data::DataRoot{dir.path() / "root"}; }

    // Requests for the daily bars of one date.
    int dayRequests() const {
        int count = 0;
        for (const auto& request : server_->requests())
            if (request.find("bars/daily?date=") != std::string::npos) ++count;
        return count;
    }

    testing_support::ScratchDir dir;
    jquants_emulator::MarketData data;
    jquants_emulator::ServerOptions options;
    std::unique_ptr<jquants_emulator::Server> server_;
};

}  // namespace market_testing
