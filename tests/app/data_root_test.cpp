#include "app/data_root.h"

#include <gtest/gtest.h>

#include "tables/errors.h"
#include "tests/support.h"

using namespace testing_support;
namespace fs = std::filesystem;

TEST(DataRoot, PerUserFolderFollowsXdgDataHomeThenHome) {
    EXPECT_EQ(app::userDataRoot("/x/data", "/home/u"), fs::path("/x/data/dravik"));
    EXPECT_EQ(app::userDataRoot("", "/home/u"), fs::path("/home/u/.local/share/dravik"));
    EXPECT_EQ(app::userDataRoot("relative", "/home/u"), fs::path("/home/u/.local/share/dravik"));
}

TEST(DataRoot, CommandLineNamesAnotherRoot) {
    char program[] = "dravik", flag[] = "--root", dir[] = "/data/r", joined[] = "--root=/d2",
         other[] = "-x";
    char* spaced[] = {program, flag, dir, other};
    const auto a = app::parseCommandLine(4, spaced);
    EXPECT_EQ(a.root, fs::path("/data/r"));
    EXPECT_EQ(a.rest, std::vector<std::string>{"-x"});
    char* equals[] = {program, joined};
    EXPECT_EQ(app::parseCommandLine(2, equals).root, fs::path("/d2"));
    char* none[] = {program, flag};  // no folder after the option
    EXPECT_FALSE(app::parseCommandLine(2, none).root);
}

TEST(DataRoot, FirstStartCopiesTheSampleSetIntoAnEmptyRoot) {
    ScratchDir sample, user;
    sample.writeRaw("quendal/zenncode.txt", "1301\r\n");
    sample.writeRaw("dravik/memo.csv", "a\r\n");
    sample.writeRaw(".complete", "");
    const fs::path root = user.path() / "data" / "dravik";

    EXPECT_TRUE(app::provideSampleData(root, sample.path()));
    EXPECT_EQ(user.readRaw("data/dravik/quendal/zenncode.txt"), "1301\r\n");
    EXPECT_EQ(user.readRaw("data/dravik/dravik/memo.csv"), "a\r\n");
    EXPECT_FALSE(fs::exists(root / ".complete"));
    EXPECT_TRUE(app::holdsData(root));
}

TEST(DataRoot, ARootWithDataIsLeftAlone) {
    ScratchDir sample, user;
    sample.writeRaw("quendal/zenncode.txt", "1301\r\n");
    sample.writeRaw("dravik/memo.csv", "sample\r\n");
    user.writeRaw("dravik/memo.csv", "mine\r\n");

    EXPECT_FALSE(app::provideSampleData(user.path(), sample.path()));
    EXPECT_EQ(user.readRaw("dravik/memo.csv"), "mine\r\n");
    EXPECT_FALSE(fs::exists(user.path() / "quendal"));
    EXPECT_FALSE(app::provideSampleData(user.path() / "other", sample.path() / "missing"));
}

TEST(DataRoot, ACopyCutShortIsFinishedAtTheNextStart) {
    ScratchDir sample, user;
    sample.writeRaw("quendal/zenncode.txt", "1301\r\n");
    sample.writeRaw("dravik/memo.csv", "sample\r\n");
    sample.writeRaw("kouho/kabuka/kabuka.csv", "k\r\n");
    // One folder cannot be made: the copy stops with its mark in place, whichever files
    // (the settings file that makes a root hold data, say) got through before.
    user.writeRaw("kouho", "in the way");
    EXPECT_THROW(app::provideSampleData(user.path(), sample.path()), Exception);
    EXPECT_TRUE(fs::exists(user.path() / app::kSampleCopyPending));

    fs::remove(user.path() / "kouho");
    EXPECT_TRUE(app::provideSampleData(user.path(), sample.path()));
    EXPECT_EQ(user.readRaw("quendal/zenncode.txt"), "1301\r\n");
    EXPECT_EQ(user.readRaw("dravik/memo.csv"), "sample\r\n");
    EXPECT_EQ(user.readRaw("kouho/kabuka/kabuka.csv"), "k\r\n");
    EXPECT_FALSE(fs::exists(user.path() / app::kSampleCopyPending));
    EXPECT_FALSE(app::provideSampleData(user.path(), sample.path()));
}

TEST(DataRoot, ShippedFilesAreFoundBesideTheProgramOrUnderShare) {
    ScratchDir prefix;
    prefix.writeRaw("share/dravik/dravik.htm", "x");
    prefix.writeRaw("build/dravik.htm", "y");
    EXPECT_EQ(app::findShipped(prefix.path() / "bin", "dravik.htm"),
              prefix.path() / "share/dravik/dravik.htm");
    EXPECT_EQ(app::findShipped(prefix.path() / "build", "dravik.htm"),
              prefix.path() / "build/dravik.htm");
    EXPECT_FALSE(app::findShipped(prefix.path() / "bin", "sample-data"));
}
