// The update from the exchange's API, emulated over HTTPS on loopback with no rate
// limit: a first update of 400 days for 4000 issues, and an update that adds one day
// to it (store, overlap check and all four program files).
#include <benchmark/benchmark.h>

#include <filesystem>

#include "bench/emulated_exchange.h"
#include "data/text_file.h"
#include "market/market.h"

namespace {

namespace fs = std::filesystem;
using market::Day;

constexpr int kDays = 400;
const Day kToday = market::dayOf(20240614);

bench_support::EmulatedExchange& exchange() {
    static bench_support::EmulatedExchange instance(
        "dravik-market-bench", kToday, market::dayOf(20190101), market::dayOf(20241231));
    return instance;
}

void BM_FirstUpdate(benchmark::State& state) {
    auto& ex = exchange();
    ex.server->setToday(kToday);
    for (auto _ : state) {
        state.PauseTiming();
        const auto root = ex.freshRoot("first");
        state.ResumeTiming();
        const auto summary = market::updateMarketData(root, ex.connection, kDays, kToday);
        if (summary.daysAdded != kDays) state.SkipWithError("not every day was added");
    }
}
BENCHMARK(BM_FirstUpdate)->Unit(benchmark::kSecond)->Iterations(1)->Repetitions(3)->UseRealTime();

void BM_UpdateAddingOneDay(benchmark::State& state) {
    auto& ex = exchange();
    ex.server->setToday(kToday);
    const auto base = ex.freshRoot("base");
    market::updateMarketData(base, ex.connection, kDays, kToday);
    const Day next = kToday + std::chrono::days(3);  // the Monday after
    ex.server->setToday(next);
    for (auto _ : state) {
        state.PauseTiming();
        const data::DataRoot root{ex.dir / "next"};
        fs::remove_all(root.root);
        fs::copy(base.root, root.root, fs::copy_options::recursive);
        state.ResumeTiming();
        const auto summary = market::updateMarketData(root, ex.connection, kDays, next);
        if (summary.daysAdded != 1) state.SkipWithError("not one day was added");
    }
}
BENCHMARK(BM_UpdateAddingOneDay)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5)
    ->UseRealTime();

// The emulator's own share: one day's bars of every issue, without the network.
void BM_EmulatorDayOfBars(benchmark::State& state) {
    auto& ex = exchange();
    ex.server->setToday(kToday);
    for (auto _ : state) {
        auto answer = ex.server->answer("/v2/equities/bars/daily?date=20240613", "emulator-key");
        benchmark::DoNotOptimize(answer);
    }
}
BENCHMARK(BM_EmulatorDayOfBars)->Unit(benchmark::kMillisecond);

}  // namespace
