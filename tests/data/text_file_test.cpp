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

TEST(TextFiles, AFailedWriteLeavesTheOldFileWholeAndNoTemporaryBehind) {
    ScratchDir dir;
    dir.writeRaw("keep.csv", "old\r\n");
    std::filesystem::create_directory(dir.path() / ("keep.csv.tmp" + std::to_string(::getpid())));
    EXPECT_THROW(data::writeLines(dir.path() / "keep.csv", {"new"}), EFileError);
    EXPECT_EQ(dir.readRaw("keep.csv"), "old\r\n");
}

}  // namespace
