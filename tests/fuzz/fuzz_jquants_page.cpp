// The API's JSON page readers on any bytes: each either reads the page or raises the
// program's own error, never anything else.
#include <cstddef>
#include <cstdint>
#include <string>

#include "market/jquants_pages.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    auto attempt = [&](auto read) {
        std::string body = input;
        try {
            read(body);
        } catch (const market::MarketError&) {
        }
    };
    attempt([](std::string& body) {
        std::vector<market::Bar> bars;
        market::readBarsPage(body, bars);
    });
    attempt([](std::string& body) {
        std::vector<market::Issue> issues;
        market::readIssuesPage(body, issues);
    });
    attempt([](std::string& body) {
        std::vector<market::CalendarDay> days;
        market::readCalendarPage(body, days);
    });
    attempt([](std::string& body) {
        std::vector<market::IndexBar> bars;
        market::readIndexBarsPage(body, bars);
    });
    attempt([](std::string& body) { (void)market::serviceMessageOf(body); });
    return 0;
}
