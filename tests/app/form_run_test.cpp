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

TEST_F(UserAction, NoActionStartsWhileQuotePagesDownload) {
    bool ran = false;
    {
        const data::PageFetchGuard downloading(form.get());
        form->run([&] { ran = true; });
    }
    EXPECT_FALSE(ran);
    form->run([&] { ran = true; });
    EXPECT_TRUE(ran);
}

}  // namespace
