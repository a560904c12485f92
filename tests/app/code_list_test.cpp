#include <gtest/gtest.h>

#include "data/text_file.h"
#include "tables/errors.h"
#include "tests/support.h"

using namespace testing_support;

TEST(CodeList, TabsBecomeCommasAndTheWholeLineStaysInColumnZero) {
    FormFixture f;
    f.dir.writeRaw("quendal/zenncode.txt",
                   "0000\r\n1301\tKyokuyo Co\r\n\n1332,Nissui\r7203\tToyota\tTSE\r\n");
    f.form->run(&TForm1::Button25Click);

    const auto& codes = f.form->StringGrid8;
    EXPECT_EQ(codes.rowCount(), 5);
    EXPECT_EQ(codes.colCount(), 5);
    EXPECT_EQ(codes.cell(0, 1), "1301,Kyokuyo Co");
    EXPECT_EQ(codes.cell(1, 1), "");
    EXPECT_EQ(codes.cell(0, 2), "");  // an empty line leaves its row empty
    EXPECT_EQ(codes.cell(0, 3), "1332,Nissui");
    EXPECT_EQ(codes.cell(0, 4), "7203,Toyota,TSE");
    EXPECT_EQ(f.platform.waitDepth, 0);
}

TEST(CodeList, JapaneseNamesAreReadFromShiftJis) {
    FormFixture f;
    std::filesystem::create_directories(f.dir.path() / "quendal");
    data::writeLines(f.root().codeListFile(), {"", "1301\t極洋"});
    f.form->run(&TForm1::Button25Click);
    EXPECT_EQ(f.form->StringGrid8.cell(0, 1), "1301,極洋");
}

TEST(CodeList, MissingFileIsTheFileOpenErrorAndLeavesTheTableEmpty) {
    FormFixture f;
    f.form->run(&TForm1::Button25Click);
    EXPECT_EQ(f.platform.errors,
              std::vector<std::string>{
                  errorBoxText("ファイル " + f.root().codeListFile().string() + " は開けません")});
    EXPECT_EQ(f.form->StringGrid8.cell(0, 1), "");
    EXPECT_EQ(f.platform.waitDepth, 0);
}

TEST(CodeList, LookupsSkipLineZeroAndTakeTheLastOfTwoEqualCodes) {
    FormFixture f;
    f.dir.writeRaw("quendal/zenncode.txt",
                   "7203\tline zero\r\n1301\ta\r\n\r\n6758\tb\r\n6758\tc\r\n");
    f.form->run(&TForm1::Button25Click);

    f.form->Edit1.setText("7203");
    f.form->run(&TForm1::Button34Click);
    EXPECT_EQ(f.form->StringGrid3.cell(3, 15), "0");

    f.form->Edit1.setText("6758 anything");
    f.form->run(&TForm1::Button34Click);
    EXPECT_EQ(f.form->StringGrid3.cell(3, 15), "4");
    EXPECT_TRUE(f.platform.errors.empty());
}
