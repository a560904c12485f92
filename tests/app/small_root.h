#pragma once
// A small data root for the start-up and window tests: settings, code list and a
// price file of three stocks over sixty days.
#include <cmath>
#include <string>
#include <vector>

#include "data/paths.h"
#include "data/text_file.h"
#include "tables/convert.h"

namespace testing_support {

struct SmallRoot {
    std::string code = "7203";
    std::string days = "40";
    std::string ratio = "0.015";
    bool settings = true;
    bool codeList = true;
    bool priceFile = true;
};

inline std::vector<std::string> smallSettingsLines(const SmallRoot& choice) {
    std::vector<std::string> lines(16, "");
    lines[5] = "," + choice.ratio;
    lines[8] = "," + choice.days;
    lines[9] = "," + choice.code;
    lines[13] = ",6000";
    lines[14] = ",6999";
    lines[15] = ",quendal";
    return lines;
}

inline void writeSmallRoot(const data::DataRoot& root, const SmallRoot& choice = {}) {
    std::filesystem::create_directories(root.root / "quendal");
    std::filesystem::create_directories(root.root / "dravik");
    if (choice.settings) data::writeLines(root.settingsFile(), smallSettingsLines(choice));
    if (choice.codeList)
        data::writeLines(root.codeListFile(),
                         {"0000\t見出し", "1301\t極洋", "6758\tソニー", "7203\tトヨタ"});
    if (choice.priceFile) {
        std::vector<std::string> lines{",1301,6758,7203"};
        const auto first = *parseDate("2024/03/29");
        for (int row = 1; row <= 60; ++row) {
            const auto wave = [&](double scale, double period) {
                return intToStr(1000 + static_cast<long long>(scale * std::sin(row / period)));
            };
            lines.push_back(formatDate(first - std::chrono::days(row - 1)) + "," + wave(50, 3) +
                            "," + wave(200, 5) + "," + wave(300, 4));
        }
        data::writeLines(root.priceFile(), lines);
    }
}

}  // namespace testing_support
