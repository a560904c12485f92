#pragma once
// The exchange's emulator on loopback serving a made-up market of 4000 issues, with no
// rate limit, for the benchmarks that update data roots from it.
#include <filesystem>
#include <memory>
#include <string>

#include "data/text_file.h"
#include "market/market.h"
#include "tools/jquants_server.h"

namespace bench_support {

struct EmulatedExchange {
    // The market's days run from `first` to `last`; the emulator's today is `today`.
    EmulatedExchange(const std::string& name, market::Day today, market::Day first,
                     market::Day last)
        : dir(std::filesystem::temp_directory_path() / name) {
        std::filesystem::remove_all(dir);
        const auto made = jquants_emulator::makeCertificate(dir / "tls");
        jquants_emulator::ServerOptions options;
        options.today = today;
        options.certificate = made.certificate;
        options.privateKey = made.privateKey;
        server = std::make_unique<jquants_emulator::Server>(
            jquants_emulator::generatedMarket(kIssues, first, last), options);
        connection.base = server->base();
        connection.key = options.apiKey;
        connection.caFile = made.certificate.string();
        connection.requestsPerMinute = 1000000;
        connection.retryWaitSeconds = 0;
    }
    ~EmulatedExchange() {
        server.reset();
        std::filesystem::remove_all(dir);
    }
    EmulatedExchange(const EmulatedExchange&) = delete;
    EmulatedExchange& operator=(const EmulatedExchange&) = delete;

    // A data root with a watch list of the sample price file's size.
    data::DataRoot freshRoot(const std::string& name) const {
        const data::DataRoot root{dir / name};
        std::filesystem::remove_all(root.root);
        std::filesystem::create_directories(root.priceFile().parent_path());
        std::string header;
        for (int i = 0; i < 197; ++i) header += "," + std::to_string(1301 + i * 20);
        data::writeLines(root.priceFile(), {header});
        return root;
    }

    static constexpr int kIssues = 4000;
    std::filesystem::path dir;
    std::unique_ptr<jquants_emulator::Server> server;
    market::Connection connection;
};

}  // namespace bench_support
