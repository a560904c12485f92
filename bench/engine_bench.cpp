// The chart engine on values, without any table: one chart of 500 closes (what the
// whole-market features compute thousands of times), and the screening of the whole
// market through chart values (the ten patterns, or all 26 of the catalogue), loads of
// the candidate file included.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "chart/chart.h"
#include "chart/decorations.h"
#include "chart/pattern_catalogue.h"
#include "chart/patterns.h"
#include "chart/series.h"
#include "data/paths.h"
#include "data/program_tables.h"
#include "data/text_file.h"
#include "tables/convert.h"

namespace {

const std::filesystem::path kBinary(DRAVIK_BINARY_DIR);

// The closes of the sample's first stock, newest first.
std::vector<chart::Close> sampleCloses(benchmark::State& state) {
    WorkingTable prices(5, 5);
    data::fillPriceTable(prices,
                         data::readLines(data::DataRoot{kBinary / "sample-data"}.priceFile()));
    const auto closes = chart::closesOfColumn(prices, 1, 500);
    if (!closes) state.SkipWithError("the sample's first stock has a price that is no number");
    return closes.value_or(std::vector<chart::Close>{});
}

// The chart of the sample's 500 closes on 1.5% boxes.
chart::ChartRequest sampleRequest(const std::vector<chart::Close>& closes,
                                  chart::Construction construction = chart::Construction::Program,
                                  chart::DayCount count = chart::DayCount::SeriesDays) {
    chart::ChartRequest request;
    request.closes = closes;
    request.days = 500;
    request.scale.ratio = 0.015L;
    request.construction = construction;
    request.count = count;
    return request;
}

void chartValue(benchmark::State& state, chart::Construction construction) {
    const auto closes = sampleCloses(state);
    const auto request = sampleRequest(closes, construction);
    for (auto _ : state) benchmark::DoNotOptimize(chart::runChart(request));
    state.counters["columns"] = chart::runChart(request).lastColumn() - 1;
}

void ChartValue500Closes(benchmark::State& state) {
    chartValue(state, chart::Construction::Program);
}
BENCHMARK(ChartValue500Closes)->Unit(benchmark::kMicrosecond);

void ChartValue500ClosesTextbook(benchmark::State& state) {
    chartValue(state, chart::Construction::Textbook);
}
BENCHMARK(ChartValue500ClosesTextbook)->Unit(benchmark::kMicrosecond);

void ChartValueAndPatterns500Closes(benchmark::State& state) {
    const auto closes = sampleCloses(state);
    const auto request =
        sampleRequest(closes, chart::Construction::Program, chart::DayCount::PricedDays);
    for (auto _ : state) benchmark::DoNotOptimize(chart::patternsOf(chart::runChart(request)));
}
BENCHMARK(ChartValueAndPatterns500Closes)->Unit(benchmark::kMicrosecond);

void ChartValueAndAllPatterns500Closes(benchmark::State& state) {
    const auto closes = sampleCloses(state);
    const auto request =
        sampleRequest(closes, chart::Construction::Program, chart::DayCount::PricedDays);
    for (auto _ : state)
        benchmark::DoNotOptimize(chart::cataloguePatternsOf(chart::runChart(request)));
}
BENCHMARK(ChartValueAndAllPatterns500Closes)->Unit(benchmark::kMicrosecond);

// Every stock of the whole market's candidate file (about 4000 codes over 400 days):
// read, charted as the screening builds them, and tested with `screen`.
template <class Screen>
void screenWholeMarket(benchmark::State& state, Screen screen) {
    const data::DataRoot root{kBinary / "market-data"};
    long listed = 0;
    for (auto _ : state) {
        const auto lines = data::readLines(root.candidateFile());
        WorkingTable row(data::kCandidateColumns, 1);
        listed = 0;
        chart::ChartRequest request;
        request.days = 400;
        request.count = chart::DayCount::PricedDays;
        for (std::size_t i = 1; i < lines.size(); ++i) {
            row.rowFromCommaText(0, lines[i]);
            data::blankDaysWithoutPrice(row, 0);
            const auto closes = chart::closesOfRow(row, 0, 400);
            if (!closes || closes->size() < 5) continue;
            request.closes = *closes;
            listed += screen(chart::runChart(request));
        }
    }
    state.counters["listed"] = static_cast<double>(listed);
}

// The ten patterns.
void TypedScreeningWholeMarket(benchmark::State& state) {
    screenWholeMarket(state, [](const chart::Chart& chart) {
        return static_cast<long>(chart::patternsOf(chart).size());
    });
}
BENCHMARK(TypedScreeningWholeMarket)->Unit(benchmark::kMillisecond)->Iterations(5);

// All 26 patterns of the catalogue, and the trigger prices of each stock listed, as the
// screening notes them for the CSV.
void TypedScreeningWholeMarketAllPatterns(benchmark::State& state) {
    screenWholeMarket(state, [](const chart::Chart& chart) {
        const auto found = chart::cataloguePatternsOf(chart);
        if (!found.empty())
            benchmark::DoNotOptimize(
                chart::triggerPrices(chart, {chart.scale.cohen, chart.scale.ratio}));
        return static_cast<long>(found.size());
    });
}
BENCHMARK(TypedScreeningWholeMarketAllPatterns)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
