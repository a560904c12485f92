// CSV import: 100 daily histories of 5,000 rows each into a fresh data root, the
// program's files rebuilt at the end; and the reading of one such file alone.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "data/text_file.h"
#include "market/market.h"

namespace {

namespace fs = std::filesystem;

constexpr int kFiles = 100;
constexpr int kRows = 5000;

// A finance site's export: newest first, every price column, quoted grouped volume.
std::string historyFile(int seed) {
    std::string text = "Date,Open,High,Low,Close,Adj Close,Volume\n";
    std::vector<std::string> rows;
    market::Day day = market::dayOf(20050103);
    double price = 1000 + seed * 13;
    char line[160];
    while (static_cast<int>(rows.size()) < kRows) {
        if (std::chrono::weekday(day).iso_encoding() <= 5) {
            price *= 1 + 0.02 * std::sin(seed + static_cast<double>(rows.size()) * 0.37);
            std::snprintf(line, sizeof line, "%s,%.1f,%.1f,%.1f,%.1f,%.1f,\"1,%03d,000\"\n",
                          market::isoText(day).c_str(), price, price * 1.01, price * 0.99, price,
                          price, static_cast<int>(rows.size() % 1000));
            rows.emplace_back(line);
        }
        day += std::chrono::days(1);
    }
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) text += *row;
    return text;
}

const fs::path& inputDir() {
    static const fs::path dir = [] {
        const fs::path made = fs::temp_directory_path() / "dravik-bench-csv";
        fs::create_directories(made);
        for (int i = 0; i < kFiles; ++i) {
            const fs::path file = made / (std::to_string(1301 + i * 7) + ".csv");
            if (!fs::exists(file)) std::ofstream(file, std::ios::binary) << historyFile(i);
        }
        return made;
    }();
    return dir;
}

void BM_ImportHundredHistories(benchmark::State& state) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(inputDir())) files.push_back(entry.path());
    const fs::path root = fs::temp_directory_path() / "dravik-bench-csv-root";
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove_all(root);
        fs::create_directories(root);
        state.ResumeTiming();
        const auto result = market::importCsvFiles(data::DataRoot{root}, files);
        if (result.anyFailed() || !result.filesRebuilt) state.SkipWithError("import failed");
    }
    fs::remove_all(root);
    state.counters["rows"] = kFiles * kRows;
}
BENCHMARK(BM_ImportHundredHistories)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ReadOneHistory(benchmark::State& state) {
    const std::string bytes = historyFile(1);
    for (auto _ : state) benchmark::DoNotOptimize(market::parseCsvFile("7203.csv", bytes));
}
BENCHMARK(BM_ReadOneHistory)->Unit(benchmark::kMillisecond);

}  // namespace
