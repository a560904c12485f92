// The top of every user action: errors end the action, never the program.
#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <system_error>

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

TEST_F(UserAction, OtherErrorsAreShownInJapaneseWithTheirDetail) {
    namespace fs = std::filesystem;
    const std::pair<std::function<void()>, std::string> cases[] = {
        {[] { throw std::runtime_error("disk on fire"); },
         "予期しないエラーが発生しました（disk on fire）."},
        {[] {
             throw fs::filesystem_error("x", "/r/memo.csv",
                                        std::make_error_code(std::errc::permission_denied));
         },
         "ファイルの操作に失敗しました（/r/memo.csv: Permission denied）."},
        {[] {
             throw fs::filesystem_error("x", "/r/a", "/r/b",
                                        std::make_error_code(std::errc::no_space_on_device));
         },
         "ファイルの操作に失敗しました（/r/a → /r/b: No space left on device）."},
        {[] { throw std::system_error(std::make_error_code(std::errc::too_many_files_open)); },
         "システムの呼び出しに失敗しました（Too many open files）."},
        {[] { throw std::bad_alloc(); }, "メモリが不足しています."},
        {[] { throw 42; }, "予期しないエラーが発生しました."},
    };
    for (const auto& [action, shown] : cases) {
        platform.errors.clear();
        form->run(action);
        EXPECT_EQ(platform.errors, std::vector<std::string>{shown});
        EXPECT_EQ(platform.waitDepth, 0);
    }
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
