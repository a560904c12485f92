// "順次", "戻る" and the data-source mode toggle.
#include <gtest/gtest.h>

#include "tests/screening/screening_fixture.h"

namespace {

using namespace screening_testing;

struct Stepping : ::testing::Test, ScreeningForm {
    // A chart run clears the chart grid below row 0, so a mark left there tells
    // whether a step charted.
    void leaveSentinel() { form->StringGrid1.setCell(40, 3, "sentinel"); }
    bool charted() const { return form->StringGrid1.cell(40, 3).empty(); }
    std::string position() const { return form->StringGrid3.cell(1, 1); }
    void at(int p) {
        form->StringGrid3.setCell(1, 1, std::to_string(p));
        leaveSentinel();
    }
};

struct QuendalStepping : Stepping {
    QuendalStepping() {
        stock(1, "1301 見本水産", kDoubleTop);
        stock(2, "1332 見本食品", kNoPattern);
        stock(3, "6752 見本電機", kDoubleBottom);
    }
};

TEST_F(QuendalStepping, NextStepChartsTheNextColumnAndWrapsAfterTheLast) {
    at(1);
    form->run(&TForm1::Button26Click);
    EXPECT_EQ(firstError(), "");
    EXPECT_EQ(form->Edit1.text(), "1332 見本食品");
    EXPECT_EQ(position(), "2");
    EXPECT_TRUE(charted());

    at(3);
    form->run(&TForm1::Button26Click);
    EXPECT_EQ(form->Edit1.text(), "1301 見本水産");
    EXPECT_EQ(position(), "1");
}

TEST_F(QuendalStepping, NextStepFromBeyondTheStockColumnsStartsAgainAtTheFirst) {
    at(250);
    form->run(&TForm1::Button41Click);
    EXPECT_EQ(form->Edit1.text(), "1301 見本水産");
    EXPECT_EQ(position(), "1");
}

TEST_F(QuendalStepping, BackStepChartsThePreviousColumnAndStaysOnTheFirst) {
    at(3);
    form->run(&TForm1::Button27Click);
    EXPECT_EQ(form->Edit1.text(), "1332 見本食品");
    EXPECT_EQ(position(), "2");

    at(1);
    form->run(&TForm1::Button27Click);
    EXPECT_EQ(form->Edit1.text(), "1301 見本水産");
    EXPECT_TRUE(charted());
}

TEST_F(QuendalStepping, BackStepBeyondTheStockColumnsReadsTheHeaderBeforeThePosition) {
    form->Edit1.setText("6752");
    form->run(&TForm1::Button3Click);
    // Position 200: header (199, 0) holds the code of the working series.
    at(200);
    form->run(&TForm1::Button27Click);
    EXPECT_EQ(firstError(), "");
    EXPECT_EQ(form->Edit1.text(), "6752 見本電機");
    EXPECT_EQ(position(), "3");
    EXPECT_TRUE(charted());
}

TEST_F(QuendalStepping, BackStepAfterAChartThatFoundNoStockChartsTheFirst) {
    at(0);
    form->run(&TForm1::Button27Click);
    EXPECT_EQ(firstError(), "");
    EXPECT_EQ(form->Edit1.text(), "1301 見本水産");
    EXPECT_EQ(position(), "1");
}

TEST_F(QuendalStepping, APositionThatIsNoNumberStopsTheStepBeforeCharting) {
    form->StringGrid3.setCell(1, 1, "");
    leaveSentinel();
    form->run(&TForm1::Button26Click);
    EXPECT_EQ(firstError(), "'' は整数ではありません.");
    EXPECT_FALSE(charted());
}

struct KouhoStepping : Stepping {
    KouhoStepping() {
        form->Edit8.setText("kouho");
        codes(
            {"1301 見本水産", "1332 見本食品", "1333 見本魚業", "1334 見本漁業", "1335 見本製氷"});
        candidateRow(2, "1332 見本食品", kDoubleTop);
        candidateRow(3, "1333 見本魚業", kNoPattern);
        candidateRow(4, "1334 見本漁業", kDoubleBottom);
        form->StringGrid3.setCell(3, 13, "2");
        form->StringGrid3.setCell(3, 14, "4");
    }
};

TEST_F(KouhoStepping, NextStepChartsTheNextRowAndStopsAtTheRangeEnd) {
    at(2);
    form->run(&TForm1::Button26Click);
    EXPECT_EQ(firstError(), "");
    EXPECT_EQ(form->Edit1.text(), "1333 見本魚業");
    EXPECT_EQ(position(), "3");
    EXPECT_TRUE(charted());

    at(4);
    form->run(&TForm1::Button26Click);
    EXPECT_EQ(form->Edit1.text(), "1334 見本漁業");
    EXPECT_FALSE(charted());
    EXPECT_EQ(position(), "4");
}

TEST_F(KouhoStepping, BackStepStopsAtTheRangeStartRow) {
    at(3);
    form->run(&TForm1::Button27Click);
    EXPECT_EQ(form->Edit1.text(), "1332 見本食品");
    EXPECT_EQ(position(), "2");

    at(2);
    form->run(&TForm1::Button27Click);
    EXPECT_EQ(form->Edit1.text(), "1332 見本食品");
    EXPECT_TRUE(charted());
}

TEST_F(KouhoStepping, BackStepFromNoStockChartsTheFirstOfTheRange) {
    at(0);
    form->run(&TForm1::Button27Click);
    EXPECT_EQ(firstError(), "");
    EXPECT_EQ(form->Edit1.text(), "1332 見本食品");
    EXPECT_EQ(position(), "2");
}

TEST_F(KouhoStepping, BackStepDoesNothingWithoutCandidateDataAtTheRangeStart) {
    form->StringGrid3.setCell(3, 13, "1");
    form->Edit1.setText("1333");
    at(3);
    form->run(&TForm1::Button27Click);
    EXPECT_EQ(form->Edit1.text(), "1333");
    EXPECT_FALSE(charted());
    EXPECT_EQ(position(), "3");
}

TEST_F(QuendalStepping, ModeToggleSwitchesSourcesAndEachClickMakesAChartRun) {
    form->StringGrid3.setCell(3, 13, "0");
    form->StringGrid3.setCell(3, 14, "0");
    form->Edit2.setText("5");
    form->run(&TForm1::Edit8Click);
    EXPECT_EQ(form->Edit8.text(), "kouho");
    EXPECT_EQ(form->StringGrid3.cell(1, 15), "kouho");
    // The chart run in "kouho" finds no candidate data and asks for it.
    EXPECT_TRUE(form->Panel5.visible);

    form->StringGrid3.setCell(1, 9, "1332");
    form->Edit1.setText("1332");
    leaveSentinel();
    form->run(&TForm1::Edit8Click);
    EXPECT_EQ(firstError(), "");
    EXPECT_EQ(form->Edit8.text(), "quendal");
    EXPECT_EQ(form->StringGrid3.cell(1, 15), "quendal");
    EXPECT_FALSE(form->Panel5.visible);
    EXPECT_TRUE(charted());
    EXPECT_EQ(form->Edit1.text(), "1301 見本水産");  // the saved code shown: the first stock

    // Back to "quendal" the position is 3 until the chart run sets its own; a chart
    // run that fails early leaves it there.
    form->Edit8.setText("kouho");
    form->Edit2.setText("x");
    form->run(&TForm1::Edit8Click);
    EXPECT_EQ(position(), "3");
}

}  // namespace
