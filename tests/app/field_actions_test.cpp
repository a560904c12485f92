#include <gtest/gtest.h>

#include "tables/errors.h"
#include "tests/app/small_root.h"
#include "tests/support.h"

using namespace testing_support;

TEST(BoxRatioField, DoubleClicksCycleThroughCohenAndTheSavedRatio) {
    FormFixture f;
    auto& form = *f.form;
    form.StringGrid3.setCell(1, 5, "0.015");
    form.Edit3.setText("0.02");
    std::vector<std::string> seen;
    for (int i = 0; i < 3; ++i) {
        form.run(&TForm1::Edit3DblClick);
        seen.push_back(form.Edit3.text());
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"コーエン", "0.015", "コーエン"}));

    form.StringGrid3.setCell(1, 5, "コーエン");
    form.run(&TForm1::Edit3DblClick);
    EXPECT_EQ(form.Edit3.text(), "0.015");
    EXPECT_TRUE(f.platform.errors.empty());
}

TEST(BoxRatioField, LeavingItRaisesSmallRatiosToTheFloor) {
    FormFixture f;
    auto& form = *f.form;
    const auto leave = [&](const std::string& text) {
        form.Edit3.setText(text);
        form.run(&TForm1::Edit3Exit);
        return form.Edit3.text();
    };
    EXPECT_EQ(leave("0.001"), "0.002");
    EXPECT_EQ(leave("0.0020000"), "0.002");
    EXPECT_EQ(leave("0.0021"), "0.0021");
    EXPECT_EQ(leave("-1"), "0.002");
    EXPECT_EQ(leave("コーエン"), "コーエン");
    EXPECT_TRUE(f.platform.errors.empty());

    EXPECT_EQ(leave("abc"), "abc");
    EXPECT_EQ(f.platform.errors,
              std::vector<std::string>{errorBoxText("'abc' は浮動小数点数ではありません")});
}

TEST(RangeFields, DoubleClicksSetTheWholeRangeAndChangesResetTheCandidateFlag) {
    FormFixture f;
    auto& form = *f.form;
    form.StringGrid3.setCell(1, 16, "1");
    form.run(&TForm1::Edit6DblClick);
    EXPECT_EQ(form.Edit6.text(), "1301");
    EXPECT_EQ(form.StringGrid3.cell(1, 16), "0");

    form.StringGrid3.setCell(1, 16, "1");
    form.run(&TForm1::Edit7DblClick);
    EXPECT_EQ(form.Edit7.text(), "9997");
    EXPECT_EQ(form.StringGrid3.cell(1, 16), "0");

    form.StringGrid3.setCell(1, 16, "1");
    form.Edit7.setText("9997");  // no change, no reset
    EXPECT_EQ(form.StringGrid3.cell(1, 16), "1");
}

TEST(DaysField, DoubleClickRestoresTheSavedDays) {
    FormFixture f;
    f.form->StringGrid3.setCell(1, 8, "250");
    f.form->run(&TForm1::Edit2DblClick);
    EXPECT_EQ(f.form->Edit2.text(), "250");
}

TEST(CodeField, DoubleClickAlternatesBetweenTheSavedAndTheFallbackCode) {
    FormFixture f;
    writeSmallRoot(f.root(), {.code = "6758"});
    auto& form = *f.form;
    form.run(&TForm1::Button18Click);
    form.run(&TForm1::Button25Click);
    form.run(&TForm1::Button2Click);
    form.Edit1.setText("7203");

    form.run(&TForm1::Edit1DblClick);
    EXPECT_EQ(form.Edit1.text(), "6758");
    form.run(&TForm1::Edit1DblClick);
    EXPECT_EQ(form.Edit1.text(), "1301");  // header of the first stock column
    EXPECT_EQ(form.StringGrid2.cell(199, 1), form.StringGrid2.cell(1, 1));  // and charted

    form.Edit8.setText("kouho");
    form.StringGrid3.setCell(1, 10, "1301");
    form.Edit1.setText("1301");
    form.Edit6.setText("6000");
    form.run(&TForm1::Edit1DblClick);
    EXPECT_EQ(form.Edit1.text(), "6000");
}

TEST(EnterKey, OnlyEnterStartsTheChartRun) {
    FormFixture f;
    writeSmallRoot(f.root());
    auto& form = *f.form;
    form.run(&TForm1::Button18Click);
    form.run(&TForm1::Button2Click);
    form.Edit1.setText("6758");
    form.Edit2.setText("40");
    form.run([&] { form.Edit1KeyPress('a'); });
    EXPECT_EQ(form.StringGrid3.cell(1, 1), "");
    for (auto handler : {&TForm1::Edit1KeyPress, &TForm1::Edit2KeyPress, &TForm1::Edit3KeyPress,
                         &TForm1::Edit6KeyPress, &TForm1::Edit7KeyPress}) {
        form.StringGrid3.setCell(1, 1, "");
        form.run([&] { (form.*handler)(13); });
        EXPECT_EQ(form.StringGrid3.cell(1, 1), "2");  // the stock's column in the price table
    }
    EXPECT_TRUE(f.platform.errors.empty());
}

TEST(UsageGuide, ShowsTheShippedPageWhenNoHostServesItAndTogglesThePanel) {
    FormFixture base;
    base.dir.writeRaw("guide.htm", "<html><body>使い方</body></html>");
    HeadlessPlatform platform;
    TForm1 form(platform, {base.root(), base.dir.path() / "guide.htm"});
    form.services.usageGuide = "127.0.0.1:1";  // nobody listens there

    form.run(&TForm1::Button36Click);
    EXPECT_TRUE(form.Panel6.visible);
    EXPECT_EQ(form.Button36.caption, "説明閉る");
    EXPECT_EQ(form.WebBrowser1.html, "<html><body>使い方</body></html>");
    EXPECT_TRUE(platform.errors.empty());

    form.run(&TForm1::Button36Click);
    EXPECT_FALSE(form.Panel6.visible);
    EXPECT_EQ(form.Button36.caption, "利用説明");
}
