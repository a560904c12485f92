#include <gtest/gtest.h>

#include "tables/errors.h"
#include "tests/app/small_root.h"
#include "tests/support.h"

using namespace testing_support;

namespace {

bool chartHasMarks(const WorkingTable& chart) {
    for (int col = 2; col < chart.colCount(); ++col)
        for (int row = 1; row < chart.rowCount(); ++row)
            if (chart.cell(col, row) == "×" || chart.cell(col, row) == "〇") return true;
    return false;
}

std::string cannotOpen(const std::filesystem::path& path) {
    return errorBoxText("ファイル " + path.string() + " は開けません");
}

}  // namespace

TEST(StartUp, MissingSettingsFileStopsAtTheFirstStepWithDefaultFields) {
    FormFixture f;
    writeSmallRoot(f.root(), {.settings = false});
    f.form->run(&TForm1::FormCreate);

    EXPECT_EQ(f.platform.errors, std::vector<std::string>{cannotOpen(f.root().settingsFile())});
    EXPECT_EQ(f.form->Edit2.text(), "500");
    EXPECT_EQ(f.form->Edit3.text(), "0.015");
    EXPECT_EQ(f.form->Edit6.text(), "6000");
    EXPECT_EQ(f.form->StringGrid8.cell(0, 1), "");  // the code list was not read
    EXPECT_EQ(f.form->StringGrid1.cell(1, 0), "");
    EXPECT_EQ(f.platform.waitDepth, 0);
}

TEST(StartUp, MissingCodeListStopsBeforeTheFieldsAreFilled) {
    FormFixture f;
    writeSmallRoot(f.root(), {.code = "6758", .codeList = false});
    f.form->run(&TForm1::FormCreate);
    EXPECT_EQ(f.platform.errors, std::vector<std::string>{cannotOpen(f.root().codeListFile())});
    EXPECT_EQ(f.form->StringGrid3.cell(1, 9), "6758");
    EXPECT_EQ(f.form->Edit1.text(), "");
}

TEST(StartUp, FieldsComeFromTheSettingsAndTheRangeRowsAreReset) {
    FormFixture f;
    writeSmallRoot(f.root(), {.code = "6758", .days = "30", .ratio = "0.02"});
    auto lines = smallSettingsLines({.code = "6758", .days = "30", .ratio = "0.02"});
    lines[13] = ",1301,,5";
    data::writeLines(f.root().settingsFile(), lines);
    f.form->StringGrid3.setCell(1, 16, "1");

    f.form->run(&TForm1::FormCreate);
    EXPECT_EQ(f.form->Edit2.text(), "30");
    EXPECT_EQ(f.form->Edit3.text(), "0.02");
    EXPECT_EQ(f.form->Edit6.text(), "1301");
    EXPECT_EQ(f.form->Edit7.text(), "6999");
    EXPECT_EQ(f.form->StringGrid3.cell(3, 13), "0");
    EXPECT_EQ(f.form->StringGrid3.cell(3, 14), "0");
    EXPECT_EQ(f.form->StringGrid3.cell(1, 16), "0");  // the range fields changed
    EXPECT_EQ(f.form->StringGrid8.cell(0, 2), "6758,ソニー");
}

// The calendar needs the network; without it the user still gets the saved stock's chart.
TEST(StartUp, FailedCalendarUpdateIsShownAndTheFirstChartIsStillDrawn) {
    FormFixture f;
    writeSmallRoot(f.root());  // no date file, no service hosts: the update fails
    f.form->run(&TForm1::FormCreate);

    ASSERT_EQ(f.platform.errors.size(), 1u);
    EXPECT_EQ(f.form->StringGrid2.cell(3, 0), "7203");
    EXPECT_EQ(f.form->StringGrid1.cell(1, 0), "株価");
    EXPECT_EQ(f.form->Edit1.text(), "7203");
    EXPECT_TRUE(chartHasMarks(f.form->StringGrid1));
    EXPECT_EQ(f.platform.waitDepth, 0);
}

TEST(StartUp, MissingPriceFileEndsStartUpWithItsMessage) {
    FormFixture f;
    writeSmallRoot(f.root(), {.priceFile = false});
    f.form->run(&TForm1::FormCreate);
    ASSERT_FALSE(f.platform.errors.empty());
    EXPECT_EQ(f.platform.errors.back(), cannotOpen(f.root().priceFile()));
    EXPECT_EQ(f.form->StringGrid1.cell(1, 0), "");
}

TEST(StartUp, SampleDataStartsWithTheSavedStocksChart) {
    FormFixture f;
    std::filesystem::copy(sampleRoot(), f.dir.path(), std::filesystem::copy_options::recursive);
    f.form->run(&TForm1::FormCreate);

    // Only a calendar update that cannot run here may complain.
    EXPECT_LE(f.platform.errors.size(), 1u);
    EXPECT_TRUE(sameCode(f.form->Edit1.text(), f.form->StringGrid3.cell(1, 9)));
    EXPECT_EQ(f.form->StringGrid2.cell(199, 0), f.form->Edit1.text());
    EXPECT_TRUE(chartHasMarks(f.form->StringGrid1));
    EXPECT_EQ(f.platform.waitDepth, 0);
}

TEST(StartUp, UnreachableQuoteServiceIsReportedAndTheChartStillDrawn) {
    FormFixture f;
    std::filesystem::copy(sampleRoot(), f.dir.path(), std::filesystem::copy_options::recursive);
    f.dir.writeRaw("dravik/services.csv", "quote-history,127.0.0.1:1\r\n");
    f.form->run(&TForm1::FormCreate);

    ASSERT_EQ(f.platform.errors.size(), 1u);  // the failed request, in the client's words
    EXPECT_EQ(f.form->StringGrid1.cell(1, 0), "株価");
    EXPECT_TRUE(chartHasMarks(f.form->StringGrid1));
    EXPECT_EQ(f.platform.waitDepth, 0);
}
