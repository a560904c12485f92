// The whole-market analyses on the emulator's market of 4000 issues over 500 trading days
// (two updates: 400 days, then 100 more): made anew from the store (every stock's status
// history, the market and sector bullish percents with their charts, both relative-strength
// charts of every stock, the scores and the report), carried on after a one-day update,
// read back when nothing changed, and the computation alone on values.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "analysis/morning.h"
#include "analysis/report.h"
#include "bench/emulated_exchange.h"
#include "data/text_file.h"
#include "market/market.h"
#include "market/store.h"

namespace {

namespace fs = std::filesystem;
using market::Day;

// The first update's day, and the day 100 trading days later (with a week's gap per month
// nowhere: the emulator's calendar has every weekday but New Year's Day).
const Day kFirstDay = market::dayOf(20240122);
const Day kToday = market::dayOf(20240610);

struct Market {
    Market()
        : exchange("dravik-analysis-bench", kFirstDay, market::dayOf(20210101),
                   market::dayOf(20241231)),
          root(exchange.freshRoot("root")),
          dir(exchange.dir),
          server(exchange.server),
          connection(exchange.connection) {
        market::updateMarketData(root, connection, 400, kFirstDay);
        server->setToday(kToday - std::chrono::days(1));
        market::updateMarketData(root, connection, 400, kToday - std::chrono::days(1));
        server->setToday(kToday);
    }
    void forget(const data::DataRoot& at) const {
        market::Store store(market::Store::fileIn(at));
        store.setCached("morning", "");
    }
    bench_support::EmulatedExchange exchange;
    data::DataRoot root;
    const fs::path& dir;
    std::unique_ptr<jquants_emulator::Server>& server;
    market::Connection& connection;
};

Market& whole() {
    static Market instance;
    return instance;
}

void MarketAnalysisAnewFromTheStore(benchmark::State& state) {
    auto& m = whole();
    std::size_t days = 0;
    for (auto _ : state) {
        state.PauseTiming();
        m.forget(m.root);
        state.ResumeTiming();
        const auto run = analysis::analyseRoot(m.root);
        const auto report = analysis::reportOf(run.analysis, run.analysis.days().size() - 2,
                                               run.analysis.days().size() - 1);
        benchmark::DoNotOptimize(report);
        days = run.analysis.days().size();
        if (run.kind != analysis::RunKind::anew) state.SkipWithError("not made anew");
    }
    state.counters["days"] = static_cast<double>(days);
}
BENCHMARK(MarketAnalysisAnewFromTheStore)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5)
    ->UseRealTime();

void MarketAnalysisAfterAOneDayUpdate(benchmark::State& state) {
    auto& m = whole();
    m.server->setToday(kToday - std::chrono::days(1));
    analysis::analyseRoot(m.root);  // kept up to the day before
    const data::DataRoot root{m.dir / "next"};
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove_all(root.root);
        fs::copy(m.root.root, root.root, fs::copy_options::recursive);
        m.server->setToday(kToday);
        market::updateMarketData(root, m.connection, 400, kToday);
        state.ResumeTiming();
        const auto run = analysis::analyseRoot(root);
        const auto notice = analysis::updateNotice(run.analysis);
        benchmark::DoNotOptimize(notice);
        if (run.kind != analysis::RunKind::carried) state.SkipWithError("not carried on");
    }
}
BENCHMARK(MarketAnalysisAfterAOneDayUpdate)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5)
    ->UseRealTime();

void MarketAnalysisUnchanged(benchmark::State& state) {
    auto& m = whole();
    analysis::analyseRoot(m.root);
    for (auto _ : state) {
        const auto run = analysis::analyseRoot(m.root);
        benchmark::DoNotOptimize(run);
    }
}
BENCHMARK(MarketAnalysisUnchanged)->Unit(benchmark::kMillisecond)->Repetitions(5)->UseRealTime();

// The computation alone: the closes already read.
void MarketAnalysisComputation(benchmark::State& state) {
    auto& m = whole();
    market::MarketData data(m.root);
    analysis::MarketInput input;
    input.days = data.days();
    input.stocks = data.stocks();
    std::vector<std::string> codes;
    for (const auto& stock : input.stocks) codes.push_back(stock.code);
    input.closes = data.closes(codes, input.days);
    std::tie(input.benchmark, input.benchmarkCloses) = data.benchmark(input.days);
    for (auto _ : state) {
        analysis::MarketAnalysis analysis{analysis::Settings{}};
        analysis.advance(input);
        benchmark::DoNotOptimize(analysis);
    }
    state.counters["stocks"] = static_cast<double>(input.stocks.size());
    state.counters["days"] = static_cast<double>(input.days.size());
}
BENCHMARK(MarketAnalysisComputation)->Unit(benchmark::kMillisecond)->Repetitions(5)->UseRealTime();

}  // namespace
