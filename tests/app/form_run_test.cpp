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
