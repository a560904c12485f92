// Screening over the generated sample data: a "quendal" pass over every stock column
// of the price file, and a "kouho" screening of the whole code range 1301 to 9997
// with the candidate file loads, on the sample (about 3500 codes) and on the whole
// market (about 4000 codes, some with a letter).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "app/form.h"

namespace {

std::filesystem::path sampleRoot() {
    if (const char* root = std::getenv("DRAVIK_SAMPLE_DATA"); root && *root) return root;
    return std::filesystem::path(DRAVIK_BINARY_DIR) / "sample-data";
}

// The form as start-up leaves it for screening: code list and price table read, no
// range resolved, no candidate data loaded.
// Nothing, with the benchmark skipped, when the sample data cannot be read.
std::unique_ptr<TForm1> sampleForm(benchmark::State& state, HeadlessPlatform& platform,
                                   const std::filesystem::path& root = sampleRoot()) {
    auto form = std::make_unique<TForm1>(platform, TForm1::Options{{root}, {}});
    TForm1& f = *form;
    try {
        f.Button25Click();
        f.Button2Click();
    } catch (const Exception& e) {
        state.SkipWithError(e.message().c_str());
        return nullptr;
    }
    f.StringGrid3.setCell(3, 13, "0");
    f.StringGrid3.setCell(3, 14, "0");
    f.StringGrid3.setCell(1, 16, "0");
    return form;
}

void requireClean(benchmark::State& state, const HeadlessPlatform& platform) {
    if (!platform.errors.empty()) state.SkipWithError(platform.errors.front().c_str());
}

int listedCount(const TForm1& form) {
    int count = 0;
    for (int col = 1; col <= 10; ++col)
        for (int row = 1; !form.StringGrid11.cell(col, row).empty(); ++row) ++count;
    return count;
}

void BM_QuendalPass(benchmark::State& state) {
    HeadlessPlatform platform;
    const auto form = sampleForm(state, platform);
    if (!form) return;
    form->Edit6.setText("1301");
    form->Edit7.setText("9997");
    for (auto _ : state) {
        form->Edit2.setText("500");
        form->run(&TForm1::Button37Click);
    }
    requireClean(state, platform);
    state.counters["listed"] = listedCount(*form);
}
BENCHMARK(BM_QuendalPass)->Unit(benchmark::kMillisecond);

void kouhoScreeningWithLoads(benchmark::State& state, const std::filesystem::path& root) {
    int listed = 0;
    for (auto _ : state) {
        HeadlessPlatform platform;
        const auto form = sampleForm(state, platform, root);
        if (!form) return;
        form->Edit8.setText("kouho");
        form->Edit6.setText("1301");
        form->Edit7.setText("9997");
        form->StringGrid3.setCell(1, 13, "1301");  // the saved range
        form->StringGrid3.setCell(1, 14, "9997");
        form->run(&TForm1::Button31Click);  // "読込": the range rows of the candidate file
        form->run(&TForm1::Button37Click);
        requireClean(state, platform);
        listed = listedCount(*form);
    }
    state.counters["listed"] = listed;
}

void BM_KouhoScreeningWithLoads(benchmark::State& state) {
    kouhoScreeningWithLoads(state, sampleRoot());
}
BENCHMARK(BM_KouhoScreeningWithLoads)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_KouhoScreeningWholeMarket(benchmark::State& state) {
    kouhoScreeningWithLoads(state, std::filesystem::path(DRAVIK_BINARY_DIR) / "market-data");
}
BENCHMARK(BM_KouhoScreeningWholeMarket)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
