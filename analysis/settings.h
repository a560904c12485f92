#pragma once
// How the whole-market analyses draw: the textbook construction with three-box reversals
// on closes, on the fixed scale with the settings' box ratio (株価幅; the Cohen ladder for
// コーエン) for prices, whatever the chart window shows; relative strength on 6.5% boxes.
// A past day's state thus never changes after the fact.
#include <string>
#include <string_view>

#include "chart/chart.h"
#include "data/paths.h"

namespace analysis {

struct Settings {
    chart::Scale priceScale{false, 0.015L, true};
    long double rsRatio = 0.065L;
    int reversal = 3;
    bool operator==(const Settings&) const = default;

    // What names the settings in the cache: "0.015/0.065/3", "コーエン/0.065/3".
    std::string key() const;
    // The box ratio as the settings write it: "0.015" or "コーエン".
    std::string ratioText() const;
};

// The settings with the box-ratio field's text ("0.015", "コーエン"); a ratio below the
// smallest a chart takes becomes that one. Throws EConvertError for text that is neither.
Settings settingsOfRatio(std::string_view ratioField);

// The saved box ratio of the data root's settings file, and the relative-strength box of
// R/dravik/market.csv ("相対力の枠,0.065": 0.005 to 0.5); the defaults without them.
Settings savedSettings(const data::DataRoot& root);

}  // namespace analysis
