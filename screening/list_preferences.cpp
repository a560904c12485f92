#include "screening/list_preferences.h"

#include <string>
#include <string_view>
#include <vector>

#include "data/text_file.h"
#include "tables/errors.h"

namespace screening {

namespace {

constexpr std::string_view kExtendedPatterns = "拡張パターン,";

std::vector<std::string> linesOf(const data::DataRoot& root) {
    std::error_code error;
    if (!std::filesystem::exists(root.patternListFile(), error)) return {};
    return data::readLines(root.patternListFile());
}

}  // namespace

bool savedExtendedPatterns(const data::DataRoot& root) {
    try {
        for (const std::string& line : linesOf(root))
            if (line.starts_with(kExtendedPatterns))
                return line.substr(kExtendedPatterns.size()) == "1";
    } catch (const Exception&) {
    }
    return false;
}

void saveExtendedPatterns(const data::DataRoot& root, bool shown) {
    std::vector<std::string> lines;
    // Lines this program does not know stay; an unreadable file is written anew.
    try {
        for (std::string& line : linesOf(root))
            if (!line.starts_with(kExtendedPatterns) && !line.empty()) lines.push_back(line);
    } catch (const Exception&) {
    }
    lines.push_back(std::string(kExtendedPatterns) + (shown ? "1" : "0"));
    std::error_code error;
    std::filesystem::create_directories(root.patternListFile().parent_path(), error);
    data::writeLines(root.patternListFile(), lines);
}

}  // namespace screening
