// The quick collection from the exchange's API: without a price-table service, a stock
// the loaded data lacks is fetched by code and laid into the working series by the
// trading-date calendar, as the page collection would.
#include <atomic>
#include <chrono>
#include <exception>
#include <map>
#include <thread>

#include "app/form.h"
#include "market/market.h"
#include "market/program_files.h"
#include "market/setup.h"
#include "tables/convert.h"
#include "tables/layout.h"

namespace {

using layout::kSeriesColumn;
constexpr int kSeriesRowsCleared = 4860;
constexpr int kSeriesRows = 1000;

}  // namespace

bool TForm1::collectsFromExchange() const {
    return services.priceTable.empty() && market::exchangeConfigured(services);
}

bool TForm1::collectFromExchange() {
    if (!market::exchangeConfigured(services)) return false;
    const auto connection = market::connectionFor(services);
    // The working series names its stock in cell (199,0) only once its prices are in, so a
    // failed request leaves nothing that a later chart run would take for the stock.
    for (int row = 0; row <= kSeriesRowsCleared; ++row) StringGrid2.setCell(kSeriesColumn, row, "");
    const std::string codeField = Edit1.text();
    const std::string code(codeKey(codeField));

    // The request runs on a thread of its own while the window stays live.
    Edit1.setText(code + " 収集中");
    std::vector<market::Bar> bars;
    std::exception_ptr failure;
    std::atomic<bool> done{false};
    std::thread worker([&] {
        try {
            bars = market::fetchIssueHistory(options.root, connection, code);
        } catch (...) {
            failure = std::current_exception();
        }
        done = true;
    });
    while (!done) {
        platform.processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    worker.join();
    Edit1.setText(code);
    if (failure) std::rethrow_exception(failure);

    // Row r of the working series is the calendar's row r.
    std::map<market::Day, double> closes;
    for (const auto& bar : bars) closes[bar.day] = market::shownClose(bar);
    for (int row = 1; row <= kSeriesRows && row < StringGrid4.rowCount(); ++row) {
        const auto day = parseDate(StringGrid4.cell(0, row));
        if (!day) continue;
        const auto found = closes.find(*day);
        if (found != closes.end())
            StringGrid2.setCell(kSeriesColumn, row, market::wholeYen(found->second));
    }
    StringGrid2.setCell(kSeriesColumn, 0, codeField);
    return true;
}
