// The top of every user action: errors end the action, never the program.
#include <gtest/gtest.h>

#include <stdexcept>

#include "data/collection_fetch.h"
#include "tests/support.h"

namespace {

struct UserAction : ::testing::Test, testing_support::FormFixture {};

TEST_F(UserAction, AnErrorIsShownWithItsPointAndTheCursorComesBack) {
    form->run([] { throwCannotOpen("/x/memo.csv"); });
    EXPECT_EQ(platform.errors, std::vector<std::string>{"ファイル /x/memo.csv は開けません."});
    EXPECT_EQ(platform.waitDepth, 0);
}

TEST_F(UserAction, AnAbortEndsTheActionSilently) {
    bool after = false;
    form->run([&] {
        throw EAbort("told already");
        after = true;
    });
    EXPECT_FALSE(after);
    EXPECT_TRUE(platform.errors.empty());
}

TEST_F(UserAction, AnyOtherErrorIsShownToo) {
    form->run([] { throw std::runtime_error("disk on fire"); });
    EXPECT_EQ(platform.errors, std::vector<std::string>{"disk on fire."});
    EXPECT_EQ(platform.waitDepth, 0);
}

// Actions wait for a download and say so; typing is no action and is kept, but the
// running action goes on with the text it started with.
TEST_F(UserAction, ActionsWaitForADownloadAndTypingMeanwhileIsKept) {
    bool ran = false;
    form->Edit2.setText("500");
    form->StringGrid3.setCell(1, 16, "1");
    form->run([&] {
        const data::PageFetchGuard downloading(form.get());
        form->edit(form->Edit2, "30");
        form->edit(form->Edit6, "6100");
        form->run([&] { ran = true; });
        EXPECT_FALSE(ran);
        EXPECT_TRUE(form->fetchBusyNotice.visible);
        EXPECT_EQ(form->fetchBusyNotice.caption, "取得中です");
        EXPECT_EQ(form->Edit2.text(), "500");
        EXPECT_EQ(form->Edit2.shownText(), "30");
        EXPECT_EQ(form->StringGrid3.cell(1, 16), "1");
    });
    EXPECT_FALSE(form->fetchBusyNotice.visible);
    EXPECT_EQ(form->Edit2.text(), "30");
    EXPECT_EQ(form->Edit6.text(), "6100");
    EXPECT_EQ(form->StringGrid3.cell(1, 16), "0");  // the field's change handler ran
    form->run([&] { ran = true; });
    EXPECT_TRUE(ran);
}

}  // namespace
