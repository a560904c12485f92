// The View menu's "拡張パターン" reaches the form's list and the list's preferences file.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>

#include "app/form.h"
#include "app/window/main_window.h"
#include "app/window/qt_platform.h"
#include "data/text_file.h"
#include "screening/list_preferences.h"
#include "tests/app/window/qt_application.h"
#include "tests/support.h"

using namespace testing_support;

TEST(PatternListMenu, StartsFromTheSavedChoiceAndTogglesTheList) {
    application();
    ScratchDir dir;
    std::filesystem::create_directories(dir.path() / "dravik");
    data::writeLines(dir.path() / "dravik" / "patterns.csv", {"拡張パターン,1"});
    QtPlatform platform;
    platform.messageSink = [](const std::string&, bool) {};
    TForm1 form(platform, TForm1::Options{data::DataRoot{dir.path()}, {}});
    MainWindow window(form, platform);

    auto* action = window.findChild<QAction*>("ExtendedPatterns");
    ASSERT_NE(action, nullptr);
    EXPECT_TRUE(window.menu(QString::fromUtf8("表示"))->actions().contains(action));
    EXPECT_TRUE(action->isChecked());
    EXPECT_EQ(form.StringGrid11.colCount(), 27);

    action->trigger();
    EXPECT_FALSE(form.extendedPatterns);
    EXPECT_EQ(form.StringGrid11.colCount(), 11);
    EXPECT_FALSE(screening::savedExtendedPatterns(form.options.root));
}
