#pragma once
// The analyses of a data root: read from its store, carried on from what the last run
// kept there (same settings, the days it held unchanged: only the new days are walked) or
// made anew, and kept for the next run. A stock's relative-strength chart for showing.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/breadth.h"
#include "data/paths.h"

namespace analysis {

// How a run came by its analysis.
enum class RunKind { carried, anew };

struct RootAnalysis {
    MarketAnalysis analysis;
    RunKind kind = RunKind::anew;
};

// Throws market::MarketError when the root has no store or it cannot be read.
RootAnalysis analyseRoot(const data::DataRoot& root, const Settings& settings);
// With the settings saved in the root (株価幅).
RootAnalysis analyseRoot(const data::DataRoot& root);

// A stock's relative strength as the command line and the window show it.
struct RsChart {
    std::string code;
    std::string name;
    std::string
        benchmarkName;  // "TOPIX", "TOPIX（1306で代用）", "等加重指数", "輸送用機器（業種）"
    std::vector<std::optional<long long>> values;  // by day, oldest first, in hundredths
    std::vector<std::uint8_t> bits;                // by day: DayBits of its chart
    chart::Chart chart;                            // on the 6.5% boxes, dated
};

// Throws market::MarketError for a code the analysis does not hold, or a stock without a
// sector asked against its sector.
RsChart rsChartOf(const data::DataRoot& root, const MarketAnalysis& analysis, std::string_view code,
                  bool againstSector);

}  // namespace analysis
