#pragma once
// The generated sample data root: made-up stocks with made-up prices, laid out as
// the program's own files. Everything is derived from fixed seeds, so two runs
// write the same bytes.
#include <filesystem>
#include <string>
#include <vector>

namespace sample {

struct Options {
    std::filesystem::path out;
    int days = 1200;   // trading days of the price file
    int stocks = 197;  // stock columns of the price file
    // The size of the whole market: about 4000 listed codes, some of them with a letter
    // ("130A"), for the benchmarks.
    bool market = false;
};

// The shapes planted at the end of some series, one per screening pattern family.
struct PlantedStock {
    int code = 0;
    std::string design;  // e.g. "reversal-up"
    int offset = 0;      // depth variant of the design
};

// Every file of the data root under options.out. Throws the file errors of
// data::writeLines.
void writeSampleRoot(const Options& options);

// The stocks whose newest columns were shaped on purpose (for reports and tests).
std::vector<PlantedStock> plantedStocks();

}  // namespace sample
