#include <gtest/gtest.h>

#include "tables/comma_text.h"
#include "tables/errors.h"
#include "tests/app/small_root.h"
#include "tests/support.h"

using namespace testing_support;

namespace {

std::vector<std::string> savedLines(const FormFixture& f) {
    return tables::splitLines(f.dir.readRaw("dravik/memo.csv"));
}

}  // namespace

TEST(SettingsFile, LabelDoubleClickSavesSixteenLinesOfTwoHundredFields) {
    FormFixture f;
    writeSmallRoot(f.root());
    f.form->run(&TForm1::Button18Click);
    f.form->Edit2.setText("300");
    f.form->run(&TForm1::Label1DblClick);

    const std::string raw = f.dir.readRaw("dravik/memo.csv");
    const auto lines = savedLines(f);
    ASSERT_EQ(lines.size(), 16u);
    EXPECT_EQ(raw.substr(raw.size() - 2), "\r\n");
    EXPECT_EQ(std::count(lines[0].begin(), lines[0].end(), ','), 199);
    EXPECT_EQ(tables::splitCommaText(lines[8])[1], "300");
    EXPECT_EQ(tables::splitCommaText(lines[9])[1], "7203");
    EXPECT_EQ(f.platform.messages, std::vector<std::string>{"保存しました"});
    EXPECT_TRUE(f.platform.errors.empty());
}

TEST(SettingsFile, CodeAndRatioLabelsSaveTheirFields) {
    FormFixture f;
    writeSmallRoot(f.root());
    f.form->run(&TForm1::Button18Click);
    f.form->Edit1.setText("6758 ソニー");
    f.form->Edit3.setText("コーエン");
    f.form->run(&TForm1::Label2DblClick);
    f.form->run(&TForm1::Label3DblClick);
    f.form->Edit8.setText("kouho");
    f.form->Edit1.setText("1301");
    f.form->run(&TForm1::Label2DblClick);

    // Reading the file back into a fresh form gives the same cells.
    FormFixture g;
    std::filesystem::copy(f.dir.path(), g.dir.path(),
                          std::filesystem::copy_options::recursive |
                              std::filesystem::copy_options::overwrite_existing);
    g.form->run(&TForm1::Button18Click);
    EXPECT_EQ(g.form->StringGrid3.cell(1, 9), "6758 ソニー");
    EXPECT_EQ(g.form->StringGrid3.cell(1, 10), "1301");
    EXPECT_EQ(g.form->StringGrid3.cell(1, 5), "コーエン");
    // The code with a space is written in quotes.
    EXPECT_NE(f.dir.readRaw("dravik/memo.csv").find("\""), std::string::npos);
    EXPECT_EQ(f.platform.messages.size(), 3u);
}

TEST(SettingsFile, TwelveLinesLoadAsTwelveRowsAndStillSaveSixteen) {
    FormFixture f;
    writeSmallRoot(f.root());
    auto lines = smallSettingsLines({});
    lines.resize(12);
    data::writeLines(f.root().settingsFile(), lines);

    f.form->run(&TForm1::Button18Click);
    EXPECT_EQ(f.form->StringGrid3.rowCount(), 12);
    EXPECT_EQ(f.form->StringGrid3.colCount(), 200);
    f.form->run(&TForm1::FormCreate);  // sets the range rows (3,13) and (3,14) to "0"
    f.form->run(&TForm1::Label1DblClick);

    const auto saved = savedLines(f);
    ASSERT_EQ(saved.size(), 16u);
    EXPECT_EQ(tables::splitCommaText(saved[13])[3], "0");
    EXPECT_EQ(tables::splitCommaText(saved[14])[3], "0");
    EXPECT_EQ(saved[15], std::string(199, ','));
}

TEST(SettingsFile, LineOfTwoHundredFiftyFieldsKeepsTheFirstTwoHundred) {
    FormFixture f;
    std::string wide;
    for (int i = 0; i < 250; ++i) wide += (i ? "," : "") + std::to_string(i);
    std::filesystem::create_directories(f.root().settingsFile().parent_path());
    data::writeLines(f.root().settingsFile(), {"a", wide});

    f.form->run(&TForm1::Button18Click);
    EXPECT_EQ(f.form->StringGrid3.cell(199, 1), "199");
    EXPECT_EQ(f.form->StringGrid3.cell(200, 1), "");
}

TEST(SettingsFile, SaveThatCannotCreateTheFileSaysSoInsteadOfSaved) {
    FormFixture f;  // no dravik folder: the file cannot be created
    f.form->Edit2.setText("300");
    f.form->run(&TForm1::Label1DblClick);
    EXPECT_TRUE(f.platform.messages.empty());
    ASSERT_EQ(f.platform.errors.size(), 1u);
    EXPECT_EQ(f.platform.errors[0],
              errorBoxText("ファイル " + f.root().settingsFile().string() + " を作成できません"));
    EXPECT_EQ(f.form->StringGrid3.cell(1, 8), "300");
}
