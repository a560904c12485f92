// Chart run and price-file load timings (run by hand: build/dravik_bench).
#include <benchmark/benchmark.h>

#include <filesystem>

#include "app/form.h"
#include "app/platform.h"

namespace {

const std::filesystem::path kSampleRoot = std::filesystem::path(DRAVIK_BINARY_DIR) / "sample-data";
const std::filesystem::path kBenchRoot = std::filesystem::path(DRAVIK_BINARY_DIR) / "bench-data";

// The chart run of the first sample stock over 500 days, in the program's own construction
// (the default) or the textbook one.
void chartRun500Days(benchmark::State& state, chart::Construction construction) {
    HeadlessPlatform platform;
    TForm1 form(platform, TForm1::Options{data::DataRoot{kSampleRoot}, {}});
    form.chartStyle.construction = construction;
    form.Button2Click();
    form.Edit1.setText(form.StringGrid2.cell(1, 0));
    form.Edit2.setText("500");
    form.Edit3.setText("0.015");
    for (auto _ : state) {
        form.Edit2.setText("500");
        form.Button3Click();
        benchmark::DoNotOptimize(form.StringGrid1.colCount());
    }
    state.counters["columns"] = form.StringGrid1.colCount() - 2;
    state.counters["levels"] = form.StringGrid1.rowCount() - 3;
}

void ChartRun500Days(benchmark::State& state) {
    chartRun500Days(state, chart::Construction::Program);
}
BENCHMARK(ChartRun500Days)->Unit(benchmark::kMicrosecond);

void ChartRun500DaysTextbook(benchmark::State& state) {
    chartRun500Days(state, chart::Construction::Textbook);
}
BENCHMARK(ChartRun500DaysTextbook)->Unit(benchmark::kMicrosecond);

void PriceFileLoad197x4000(benchmark::State& state) {
    HeadlessPlatform platform;
    TForm1 form(platform, TForm1::Options{data::DataRoot{kBenchRoot}, {}});
    for (auto _ : state) {
        form.Button2Click();
        benchmark::DoNotOptimize(form.StringGrid2.rowCount());
    }
    state.counters["rows"] = form.StringGrid2.rowCount();
}
BENCHMARK(PriceFileLoad197x4000)->Unit(benchmark::kMillisecond);

}  // namespace
