#pragma once
// A headless form whose quote services are a loopback emulator.
#include <memory>
#include <string>
#include <vector>

#include "tests/support.h"
#include "tools/quote_server.h"

namespace testing_support {

struct CollectionFixture : FormFixture {
    CollectionFixture() {
        form->HttpClient1.TimeOut = 5000;
        dir.writeRaw("quendal/.keep", "");
    }

    // Starts the emulator and names it as both services in the services file.
    quote_emulator::QuoteServer& serve(quote_emulator::QuoteData data,
                                       quote_emulator::ServerOptions options = {}) {
        server = std::make_unique<quote_emulator::QuoteServer>(std::move(data), options);
        writeServices(server->host(), server->host());
        return *server;
    }

    void writeServices(const std::string& priceTable, const std::string& quoteHistory) {
        dir.writeRaw("dravik/services.csv", "price-table," + priceTable + "\r\nquote-history," +
                                                quoteHistory + "\r\nusage-guide,\r\n");
    }

    std::size_t requests() const { return server ? server->requestCount() : 0; }

    const std::string& series(int row) const { return form->StringGrid2.cell(199, row); }

    std::unique_ptr<quote_emulator::QuoteServer> server;
};

}  // namespace testing_support
