#include "analysis/settings.h"

#include <cstdio>

#include "chart/series.h"
#include "data/text_file.h"
#include "tables/errors.h"
#include "tables/settings_layout.h"

namespace analysis {

namespace {

std::string numberText(long double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6Lg", value);
    return text;
}

}  // namespace

std::string Settings::ratioText() const {
    return priceScale.cohen ? std::string(chart::kCohenWord) : numberText(priceScale.ratio);
}

std::string Settings::key() const {
    return ratioText() + "/" + numberText(rsRatio) + "/" + std::to_string(reversal);
}

Settings settingsOfRatio(std::string_view ratioField) {
    Settings settings;
    const chart::Scale scale = chart::scaleOfField(ratioField);
    settings.priceScale.cohen = scale.cohen;
    if (!scale.cohen) {
        // The chart's own limits: no box smaller than the smallest, none of half the price.
        settings.priceScale.ratio = scale.ratio < chart::kSmallestRatio ? chart::kSmallestRatio
                                    : scale.ratio > 0.5L                ? 0.5L
                                                                        : scale.ratio;
    }
    return settings;
}

Settings savedSettings(const data::DataRoot& root) {
    try {
        WorkingTable saved(settings::kColumns, settings::kSavedRows);
        settings::fromFileLines(saved, data::readLines(root.settingsFile()));
        const std::string& ratio = saved.cell(settings::kSavedRatio);
        if (!ratio.empty()) return settingsOfRatio(ratio);
    } catch (const Exception&) {
        // Without a settings file (or with a ratio that is no number) the default holds.
    }
    return Settings{};
}

}  // namespace analysis
