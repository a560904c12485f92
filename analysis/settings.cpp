#include "analysis/settings.h"

#include <cstdio>
#include <filesystem>
#include <optional>

#include "chart/series.h"
#include "data/text_file.h"
#include "tables/convert.h"
#include "tables/errors.h"
#include "tables/settings_layout.h"

namespace analysis {

namespace {

std::string numberText(long double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6Lg", value);
    return text;
}

constexpr std::string_view kStrengthBox = "相対力の枠,";

// The relative-strength box of the market view's preferences, when it is set and sound.
std::optional<long double> savedStrengthBox(const data::DataRoot& root) {
    std::error_code error;
    if (!std::filesystem::exists(root.marketPreferencesFile(), error)) return std::nullopt;
    try {
        for (const std::string& line : data::readLines(root.marketPreferencesFile()))
            if (line.starts_with(kStrengthBox)) {
                const auto ratio = tryToFloat(line.substr(kStrengthBox.size()));
                if (ratio && *ratio >= 0.005L && *ratio <= 0.5L) return *ratio;
            }
    } catch (const Exception&) {
    }
    return std::nullopt;
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
    Settings settings;
    try {
        WorkingTable saved(settings::kColumns, settings::kSavedRows);
        settings::fromFileLines(saved, data::readLines(root.settingsFile()));
        const std::string& ratio = saved.cell(settings::kSavedRatio);
        if (!ratio.empty()) settings = settingsOfRatio(ratio);
    } catch (const Exception&) {
        // Without a settings file (or with a ratio that is no number) the default holds.
    }
    settings.rsRatio = savedStrengthBox(root).value_or(settings.rsRatio);
    return settings;
}

}  // namespace analysis
