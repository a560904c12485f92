// The data root's own preferences file: what is saved reads back, the settings file is
// never touched, and a missing file or a value the program does not know gives the
// defaults.
#include "app/preferences.h"

#include <gtest/gtest.h>

#include "tests/support.h"

namespace {

using testing_support::ScratchDir;

TEST(Preferences, SavedChoicesReadBackAndStrangeLinesGiveTheDefaults) {
    ScratchDir dir;
    const data::DataRoot root{dir.path()};
    EXPECT_EQ(app::loadPreferences(root), app::Preferences{});
    EXPECT_FALSE(std::filesystem::exists(app::preferencesFile(root)));

    app::Preferences chosen;
    chosen.style = {chart::Construction::Textbook, 2, true, true};
    chosen.cellWidth = 25;
    chosen.cellHeight = 20;
    app::savePreferences(root, chosen);
    EXPECT_EQ(app::loadPreferences(root), chosen);
    EXPECT_EQ(dir.readRaw("dravik/chart-style.csv").substr(0, 15),
              "\x8d\xec\x90\x7d\x95\xfb\x8e\xae,\x95\x57\x8f\x80\r\n");  // 作図方式,標準
    EXPECT_FALSE(std::filesystem::exists(root.settingsFile()));

    // Shift-JIS lines as a user may edit them: unknown names and values are passed over.
    for (const auto& [lines, expected] : std::vector<std::pair<std::string, app::Preferences>>{
             {"", {}},
             {"\x8d\xec\x90\x7d\x95\xfb\x8e\xae,\x95\x57\x8f\x80\r\n",  // 作図方式,標準
              {{chart::Construction::Textbook, 3, false, false}, 0, 0}},
             {"\x93\x5d\x8a\xb7\x90\x94,9\r\nfoo,bar\r\n",  // 転換数,9: at most 5
              {{chart::Construction::Program, 5, false, false}, 0, 0}},
             {"\x93\x5d\x8a\xb7\x90\x94,x\r\n", {}},  // 転換数,x
         }) {
        dir.writeRaw("dravik/chart-style.csv", lines);
        EXPECT_EQ(app::loadPreferences(root), expected) << lines;
    }
    EXPECT_EQ(app::styleText({}), "作図 従来・転換3・終値・最高値目盛り");
    EXPECT_EQ(app::styleText(chosen.style), "作図 標準・転換2・高安・固定目盛り");
}

}  // namespace
