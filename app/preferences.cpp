#include "app/preferences.h"

#include <algorithm>
#include <optional>
#include <system_error>
#include <vector>

#include "data/text_file.h"
#include "tables/comma_text.h"
#include "tables/convert.h"
#include "tables/errors.h"

namespace app {

namespace {

constexpr const char* kConstruction = "作図方式";
constexpr const char* kReversal = "転換数";
constexpr const char* kPrice = "価格";
constexpr const char* kScale = "目盛り";
constexpr const char* kCellWidth = "枠の幅";
constexpr const char* kCellHeight = "枠の高さ";

constexpr const char* kProgram = "従来";
constexpr const char* kTextbook = "標準";
constexpr const char* kCloses = "終値";
constexpr const char* kHighLow = "高安";
constexpr const char* kPeriodHigh = "期間最高値";
constexpr const char* kFixed = "固定";

// A cell size the window can show.
std::optional<int> cellSize(const std::string& text) {
    const auto value = tryToInt(text);
    if (!value || *value < 2 || *value > 200) return std::nullopt;
    return value;
}

}  // namespace

std::filesystem::path preferencesFile(const data::DataRoot& root) {
    return root.root / "dravik" / "chart-style.csv";
}

Preferences loadPreferences(const data::DataRoot& root) {
    Preferences preferences;
    const auto file = preferencesFile(root);
    std::error_code error;
    if (!std::filesystem::exists(file, error)) return preferences;
    std::vector<std::string> lines;
    try {
        lines = data::readLines(file);
    } catch (const Exception&) {
        return preferences;  // an unreadable file leaves the defaults
    }
    chart::ChartStyle& style = preferences.style;
    for (const std::string& line : lines) {
        const auto cells = tables::splitCommaText(line);
        if (cells.size() < 2) continue;
        const std::string& name = cells[0];
        const std::string& value = cells[1];
        if (name == kConstruction && (value == kProgram || value == kTextbook))
            style.construction =
                value == kTextbook ? chart::Construction::Textbook : chart::Construction::Program;
        else if (name == kReversal)
            style.reversal = std::clamp(tryToInt(value).value_or(3), 1, 5);
        else if (name == kPrice && (value == kCloses || value == kHighLow))
            style.highLow = value == kHighLow;
        else if (name == kScale && (value == kPeriodHigh || value == kFixed))
            style.fixedScale = value == kFixed;
        else if (name == kCellWidth)
            preferences.cellWidth = cellSize(value).value_or(0);
        else if (name == kCellHeight)
            preferences.cellHeight = cellSize(value).value_or(0);
    }
    return preferences;
}

void savePreferences(const data::DataRoot& root, const Preferences& preferences) {
    const chart::ChartStyle& style = preferences.style;
    std::vector<std::string> lines = {
        std::string(kConstruction) + "," +
            (style.construction == chart::Construction::Textbook ? kTextbook : kProgram),
        std::string(kReversal) + "," + intToStr(style.reversal),
        std::string(kPrice) + "," + (style.highLow ? kHighLow : kCloses),
        std::string(kScale) + "," + (style.fixedScale ? kFixed : kPeriodHigh),
    };
    if (preferences.cellWidth > 0 && preferences.cellHeight > 0) {
        lines.push_back(std::string(kCellWidth) + "," + intToStr(preferences.cellWidth));
        lines.push_back(std::string(kCellHeight) + "," + intToStr(preferences.cellHeight));
    }
    const auto file = preferencesFile(root);
    std::error_code error;
    std::filesystem::create_directories(file.parent_path(), error);
    data::writeLines(file, lines);
}

std::string styleText(const chart::ChartStyle& style) {
    const bool textbook = style.construction == chart::Construction::Textbook;
    std::string text = std::string("作図 ") + (textbook ? kTextbook : kProgram) + "・転換" +
                       intToStr(style.reversal);
    text += std::string("・") + (textbook && style.highLow ? kHighLow : kCloses);
    text += style.fixedScale ? "・固定目盛り" : "・最高値目盛り";
    return text;
}

}  // namespace app
