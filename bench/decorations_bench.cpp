// The decorations' cost beside the chart run they decorate, and the screening notes
// (bullish percent, signal boxes) beside the screening chart run of one stock
// (run by hand: build/dravik_bench --benchmark_filter='Decorat|Screened').
#include <benchmark/benchmark.h>

#include <filesystem>

#include "app/chart_view.h"
#include "app/form.h"
#include "app/platform.h"
#include "screening/breadth.h"
#include "screening/pattern_detection_actions.h"

namespace {

const std::filesystem::path kSampleRoot = std::filesystem::path(DRAVIK_BINARY_DIR) / "sample-data";

// The form with the price file read and the first stock's code in the code field.
struct SampleChart {
    HeadlessPlatform platform;
    TForm1 form{platform, TForm1::Options{data::DataRoot{kSampleRoot}, {}}};
    SampleChart() {
        form.Button2Click();
        form.Edit1.setText(form.StringGrid2.cell(1, 0));
        form.Edit3.setText("0.015");
    }
    // Screening mode, with the pattern counters at zero as the screening run sets them.
    void screen() {
        form.Button37.caption = "選別中";
        for (int col = 1; col <= 5; ++col)
            for (int row : {18, 19}) form.StringGrid3.setCell(col, row, "0");
    }
    void chart() {
        form.Edit2.setText("500");
        form.Button3Click();
    }
};

void ChartRun500DaysDecorated(benchmark::State& state) {
    SampleChart sample;
    for (auto _ : state) {
        sample.chart();
        benchmark::DoNotOptimize(app::chartViewOf(sample.form));
    }
}
BENCHMARK(ChartRun500DaysDecorated)->Unit(benchmark::kMicrosecond);

void Decorations500Days(benchmark::State& state) {
    SampleChart sample;
    sample.chart();
    for (auto _ : state) benchmark::DoNotOptimize(app::chartViewOf(sample.form));
    state.counters["signals"] =
        static_cast<double>(app::chartViewOf(sample.form).decorations.history.size());
}
BENCHMARK(Decorations500Days)->Unit(benchmark::kMicrosecond);

// One stock of a screening pass: the chart run in screening mode, with the pattern
// check and the notes it takes.
void ScreenedStock500Days(benchmark::State& state) {
    SampleChart sample;
    sample.screen();
    for (auto _ : state) sample.chart();
    state.counters["screened"] = sample.form.screeningNotes.screened;
}
BENCHMARK(ScreenedStock500Days)->Unit(benchmark::kMicrosecond);

// The notes alone, on the chart such a chart run leaves.
void ScreenedStockNotes(benchmark::State& state) {
    SampleChart sample;
    sample.screen();
    sample.chart();
    const chart::Chart& shown = *sample.form.shownChart;
    const chart::ChartPatternCells cells(shown);
    for (auto _ : state) {
        screening::noteScreenedStock(sample.form, cells, shown.lastColumn());
        sample.form.screeningNotes.listed.clear();
    }
}
BENCHMARK(ScreenedStockNotes)->Unit(benchmark::kMicrosecond);

}  // namespace
