#include "data/text_file.h"
#include <unistd.h>

#include <gtest/gtest.h>

#include "data/cp932.h"
#include "tables/errors.h"
#include "tests/support.h"

namespace {

using testing_support::ScratchDir;

TEST(Cp932, JapaneseTextTurnsIntoUtf8AndBack) {
    const std::string sjis = "\x93\xfa\x95\x74";  // 日付
    EXPECT_EQ(data::cp932ToUtf8(sjis), "日付");
    EXPECT_EQ(data::utf8ToCp932("日付"), sjis);
    EXPECT_EQ(data::cp932ToUtf8("\xb1"), "ｱ");  // half-width katakana
    EXPECT_EQ(data::utf8ToCp932("　"), "\x81\x40");
}

TEST(Cp932, BytesThatAreNotCp932SurviveARoundTrip) {
    const std::string odd = std::string("a\x80z\xff\xfd\x81") + "\x93\xfa" + "\xa0" + "\x85\x40";
    EXPECT_EQ(data::utf8ToCp932(data::cp932ToUtf8(odd)), odd);
}

TEST(Cp932, CharactersOutsideCp932AreWrittenAsQuestionMarks) {
    EXPECT_EQ(data::utf8ToCp932("a😀b"), "a?b");
}

TEST(TextFiles, AcceptEveryLineEndAndWriteCrLf) {
    ScratchDir dir;
    dir.writeRaw("in.txt", "one\r\ntwo\rthree\nfour");
    const auto lines = data::readLines(dir.path() / "in.txt");
    EXPECT_EQ(lines, (std::vector<std::string>{"one", "two", "three", "four"}));
    data::writeLines(dir.path() / "out.txt", lines);
    EXPECT_EQ(dir.readRaw("out.txt"), "one\r\ntwo\r\nthree\r\nfour\r\n");
}

TEST(TextFiles, ReadingThenWritingKeepsInvalidBytes) {
    ScratchDir dir;
    const std::string content = "\x93\xfa\x95\x74,\x80\xff,1200\r\n\x85\x40\xeb\xfc\r\n";
    dir.writeRaw("f.csv", content);
    data::writeLines(dir.path() / "g.csv", data::readLines(dir.path() / "f.csv"));
    EXPECT_EQ(dir.readRaw("g.csv"), content);
}

TEST(TextFiles, MissingFileAndUncreatableFileGiveTheSystemMessages) {
    ScratchDir dir;
    const auto missing = dir.path() / "none.csv";
    try {
        data::readLines(missing);
        FAIL();
    } catch (const EFileError& e) {
        EXPECT_EQ(e.message(), "ファイル " + missing.string() + " は開けません");
    }
    const auto nowhere = dir.path() / "no-such-dir" / "x.csv";
    try {
        data::writeLines(nowhere, {"a"});
        FAIL();
    } catch (const EFileError& e) {
        EXPECT_EQ(e.message(), "ファイル " + nowhere.string() + " を作成できません");
    }
}

TEST(TextFiles, AReadPastItsLimitIsRefusedAlsoWhenTheFileHasNoEnd) {
    ScratchDir dir;
    dir.writeRaw("big.csv", std::string(1000, 'x'));
    const auto big = dir.path() / "big.csv";
    EXPECT_EQ(data::readBytes(big, 1000).size(), 1000u);
    const struct {
        data::Path path;
        std::size_t limit;
    } cases[] = {{big, 999}, {"/dev/zero", std::size_t{1} << 20}};
    for (const auto& c : cases) {
        EXPECT_EQ(testing_support::messageOf([&] { data::readBytes(c.path, c.limit); }),
                  "ファイル " + c.path.string() + " は大きすぎます");
    }
}

TEST(TextFiles, AFailedWriteLeavesTheOldFileWholeAndNoTemporaryBehind) {
    ScratchDir dir;
    dir.writeRaw("keep.csv", "old\r\n");
    std::filesystem::create_directory(dir.path() / ("keep.csv.tmp" + std::to_string(::getpid())));
    EXPECT_THROW(data::writeLines(dir.path() / "keep.csv", {"new"}), EFileError);
    EXPECT_EQ(dir.readRaw("keep.csv"), "old\r\n");
}

TEST(TextFiles, AWriteKeepsThePermissionBitsAndGoesThroughSymbolicLinks) {
    namespace fs = std::filesystem;
    ScratchDir dir;
    const fs::path real = dir.path() / "real" / "data.csv";
    dir.writeRaw("real/data.csv", "old\r\n");
    fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_symlink("real/data.csv", dir.path() / "link.csv");
    fs::create_symlink(dir.path() / "real" / "new.csv", dir.path() / "dangling.csv");

    data::writeLines(dir.path() / "link.csv", {"new"});
    data::writeLines(dir.path() / "dangling.csv", {"made"});
    EXPECT_TRUE(fs::is_symlink(dir.path() / "link.csv"));
    EXPECT_TRUE(fs::is_symlink(dir.path() / "dangling.csv"));
    EXPECT_EQ(dir.readRaw("real/data.csv"), "new\r\n");
    EXPECT_EQ(dir.readRaw("real/new.csv"), "made\r\n");
    EXPECT_EQ(fs::status(real).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path() / "real"), {}), 2);  // no temporaries

    fs::create_symlink("loop.csv", dir.path() / "loop.csv");
    EXPECT_THROW(data::writeLines(dir.path() / "loop.csv", {"x"}), EFileError);
    if (::geteuid() != 0) {  // root may write anything
        fs::permissions(real, fs::perms::owner_read);
        EXPECT_THROW(data::writeLines(real, {"x"}), EFileError);
        EXPECT_EQ(dir.readRaw("real/data.csv"), "new\r\n");
    }
}

}  // namespace
