#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTextBrowser>

#include "app/form.h"
#include "app/window/main_window.h"
#include "app/window/qt_platform.h"
#include "data/collection_fetch.h"
#include "tables/comma_text.h"
#include "tests/app/small_root.h"
#include "tests/app/window/qt_application.h"
#include "tests/support.h"

using namespace testing_support;

namespace {

// The window over a small data root; messages and errors are recorded instead of shown.
struct WindowFixture {
    explicit WindowFixture(const SmallRoot& choice = {}, bool start = true) {
        application();
        writeSmallRoot(data::DataRoot{dir.path()}, choice);
        dir.writeRaw("guide.htm", "<html><body><h1>使い方</h1></body></html>");
        platform.messageSink = [this](const std::string& text, bool error) {
            (error ? errors : messages).push_back(text);
        };
        form = std::make_unique<TForm1>(
            platform, TForm1::Options{data::DataRoot{dir.path()}, dir.path() / "guide.htm"});
        window = std::make_unique<MainWindow>(*form, platform);
        if (start) window->act(&TForm1::FormCreate);
        window->show();
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
        errors.clear();  // the calendar update has no network here
        // Every chart run empties the date field; count those.
        form->Edit4.setText("-");
        form->Edit4.onChange = [this] {
            if (!form->Edit4.text().empty()) return;
            ++chartRuns;
            form->Edit4.setText("-");
        };
    }
    ~WindowFixture() {
        window.reset();
        form.reset();
    }
    template <class T>
    T* find(const char* name) const {
        return findNamed<T>(*window, name);
    }

    ScratchDir dir;
    QtPlatform platform;
    std::unique_ptr<TForm1> form;
    std::unique_ptr<MainWindow> window;
    std::vector<std::string> messages;
    std::vector<std::string> errors;
    int chartRuns = 0;
};

}  // namespace

TEST(MainWindow, LaysOutTheGridsAndTheBottomPanel) {
    WindowFixture f;
    EXPECT_EQ(f.window->windowTitle(), "Dravik");
    auto* chart = f.window->chartView();
    EXPECT_GE(chart->verticalHeader()->width(), 15);  // the box numbers
    EXPECT_EQ(chart->columnWidth(0), 40);             // the level column
    EXPECT_EQ(chart->columnWidth(1), 15);
    EXPECT_EQ(chart->rowHeight(0), 12);
    EXPECT_EQ(chart->model()->headerData(0, Qt::Horizontal).toString(), "株価");
    EXPECT_EQ(chart->editTriggers(), QAbstractItemView::NoEditTriggers);

    auto* panel = f.find<QWidget>("Panel2");
    EXPECT_EQ(panel->height(), 70);
    EXPECT_EQ(panel->geometry().bottom(), f.window->height() - 1);
    EXPECT_EQ(panel->palette().color(QPalette::Window), QColor(156, 173, 218));
    EXPECT_EQ(chart->geometry().bottom() + 1, panel->y());
    EXPECT_EQ(f.find<QLineEdit>("Edit1")->geometry(), QRect(387, 38, 137, 23));
    EXPECT_EQ(f.find<QPushButton>("Button3")->geometry(), QRect(390, 10, 45, 25));
    EXPECT_EQ(f.find<QPushButton>("Button36")->text(), "利用説明");
    EXPECT_EQ(f.find<QLabel>("Label6")->text(), "ｋｏｕｈｏ読込");

    EXPECT_FALSE(f.window->resultsView()->isVisible());
    EXPECT_FALSE(f.find<QWidget>("Panel5")->isVisible());
    EXPECT_FALSE(f.find<QWidget>("Panel6")->isVisible());
    EXPECT_FALSE(f.find<QWidget>("StringGrid5")->isVisible());
}

TEST(MainWindow, StartUpDrawsTheSavedStock) {
    WindowFixture f;
    EXPECT_EQ(f.find<QLineEdit>("Edit1")->text(), "7203");
    auto* model = f.window->chartView()->model();
    EXPECT_GT(model->columnCount(), 2);
    EXPECT_GT(model->rowCount(), 2);
}

TEST(MainWindow, MissingSettingsFileStopsStartUpButShowsTheWindow) {
    WindowFixture f({.settings = false}, false);
    f.window->act(&TForm1::FormCreate);
    ASSERT_EQ(f.errors.size(), 1u);
    EXPECT_NE(f.errors[0].find("memo.csv は開けません"), std::string::npos);
    EXPECT_TRUE(f.window->isVisible());
    EXPECT_EQ(f.find<QLineEdit>("Edit2")->text(), "500");
    EXPECT_EQ(f.find<QLineEdit>("Edit3")->text(), "0.015");
}

TEST(MainWindow, EnterInEachParameterFieldCharts) {
    WindowFixture f;
    for (const char* name : {"Edit1", "Edit2", "Edit3", "Edit6", "Edit7"}) {
        const int before = f.chartRuns;
        QTest::keyClick(f.find<QLineEdit>(name), Qt::Key_Return);
        EXPECT_EQ(f.chartRuns, before + 1) << name;
    }
    EXPECT_TRUE(f.errors.empty());
}

TEST(MainWindow, TypedCodeIsChartedAndLeavingTheCodeFieldForRunChartsTwice) {
    WindowFixture f;
    auto* code = f.find<QLineEdit>("Edit1");
    code->setFocus();
    code->selectAll();
    QTest::keyClicks(code, "6758");
    EXPECT_EQ(f.form->Edit1.text(), "6758");
    EXPECT_EQ(f.chartRuns, 0);

    QTest::mouseClick(f.find<QPushButton>("Button3"), Qt::LeftButton);
    EXPECT_EQ(f.chartRuns, 2);
    EXPECT_EQ(f.form->StringGrid2.cell(199, 0), "6758");
}

TEST(MainWindow, BoxRatioDoubleClicksAndTheFloorOnLeaving) {
    WindowFixture f;
    auto* ratio = f.find<QLineEdit>("Edit3");
    f.form->StringGrid3.setCell(1, 5, "0.015");
    f.form->Edit3.setText("0.02");
    f.window->syncFromForm();
    QStringList seen;
    for (int i = 0; i < 3; ++i) {
        QTest::mouseDClick(ratio, Qt::LeftButton);
        seen << ratio->text();
    }
    EXPECT_EQ(seen, (QStringList{"コーエン", "0.015", "コーエン"}));
    EXPECT_EQ(f.chartRuns, 0);

    ratio->setFocus();
    ratio->selectAll();
    QTest::keyClicks(ratio, "0.001");
    QTest::keyClick(ratio, Qt::Key_Tab);
    EXPECT_EQ(ratio->text(), "0.002");
    EXPECT_EQ(f.form->Edit3.text(), "0.002");
}

TEST(MainWindow, LabelDoubleClickSavesTheSettingsAndSaysSo) {
    WindowFixture f;
    auto* days = f.find<QLineEdit>("Edit2");
    days->setFocus();
    days->selectAll();
    QTest::keyClicks(days, "300");
    QTest::mouseDClick(f.find<QLabel>("Label1"), Qt::LeftButton);

    EXPECT_EQ(f.messages, std::vector<std::string>{"保存しました"});
    const auto lines = tables::splitLines(f.dir.readRaw("dravik/memo.csv"));
    ASSERT_EQ(lines.size(), 16u);
    EXPECT_EQ(tables::splitCommaText(lines[8])[1], "300");
}

TEST(MainWindow, RangeFieldsDoubleClickAndTypingResetTheCandidateFlag) {
    WindowFixture f;
    f.form->StringGrid3.setCell(1, 16, "1");
    QTest::mouseDClick(f.find<QLineEdit>("Edit6"), Qt::LeftButton);
    EXPECT_EQ(f.find<QLineEdit>("Edit6")->text(), "1301");
    EXPECT_EQ(f.form->StringGrid3.cell(1, 16), "0");

    f.form->StringGrid3.setCell(1, 16, "1");
    QTest::keyClicks(f.find<QLineEdit>("Edit7"), "9");
    EXPECT_EQ(f.form->Edit7.text(), "69999");
    EXPECT_EQ(f.form->StringGrid3.cell(1, 16), "0");
}

TEST(MainWindow, ClickOnABoxShowsItsDateAndPrice) {
    WindowFixture f;
    f.form->Edit4.onChange = nullptr;
    auto* chart = f.window->chartView();
    const auto& grid = f.form->StringGrid1;
    for (int col = 2; col < grid.colCount(); ++col) {
        for (int row = 1; row < grid.rowCount(); ++row) {
            if (grid.cell(col, row) != "×" && grid.cell(col, row) != "〇") continue;
            const QModelIndex index = chart->model()->index(row - 1, col - 1);
            chart->scrollTo(index);
            QTest::mouseClick(chart->viewport(), Qt::LeftButton, {},
                              chart->visualRect(index).center());
            EXPECT_EQ(f.form->Edit5.text(), grid.cell(1, row));
            EXPECT_EQ(f.find<QLineEdit>("Edit4")->text().toStdString(),
                      f.form->StringGrid5.cell(col, row));
            EXPECT_FALSE(f.find<QLineEdit>("Edit4")->text().isEmpty());
            return;
        }
    }
    FAIL() << "no box drawn";
}

TEST(MainWindow, SixDigitLevelsShowWholeAndANewChartDropsTheSelection) {
    WindowFixture f;
    auto* chart = f.window->chartView();
    chart->setCurrentIndex(chart->model()->index(3, 4));
    ASSERT_TRUE(chart->selectionModel()->hasSelection());
    for (int row = 1; row <= 60; ++row)
        f.form->StringGrid2.setCell(1, row, intToStr(158150 + 700 * (row % 9)));
    f.form->Edit1.setText("1301");
    f.window->act(&TForm1::Button3Click);
    ASSERT_EQ(f.form->StringGrid1.cell(1, 2), "163750");
    EXPECT_FALSE(chart->selectionModel()->hasSelection());
    EXPECT_GE(chart->columnWidth(0), QFontMetrics(chart->font()).horizontalAdvance("163750") + 2);
    // The mode field switches on a click and takes no typing.
    auto* mode = f.find<QLineEdit>("Edit8");
    EXPECT_TRUE(mode->isReadOnly());
    QTest::mouseClick(mode, Qt::LeftButton);
    EXPECT_EQ(f.form->Edit8.text(), "kouho");
}

TEST(MainWindow, UsageGuideButtonOpensAndClosesThePanel) {
    WindowFixture f;
    auto* button = f.find<QPushButton>("Button36");
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_TRUE(f.find<QWidget>("Panel6")->isVisible());
    EXPECT_EQ(button->text(), "説明閉る");
    EXPECT_TRUE(f.find<QTextBrowser>("WebBrowser1")->toPlainText().contains("使い方"));
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_FALSE(f.find<QWidget>("Panel6")->isVisible());
    EXPECT_EQ(button->text(), "利用説明");
}

TEST(MainWindow, ErrorsOfAnActionAreShownAndTheCursorRestored) {
    WindowFixture f;
    auto* days = f.find<QLineEdit>("Edit2");
    days->setFocus();
    days->selectAll();
    QTest::keyClicks(days, "abc");
    QTest::keyClick(days, Qt::Key_Return);
    EXPECT_EQ(f.errors, std::vector<std::string>{"'abc' は整数ではありません."});
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(MainWindow, TypingDuringADownloadStaysAndEnterSaysTheDownloadIsUnderWay) {
    WindowFixture f;
    auto* days = f.find<QLineEdit>("Edit2");
    auto* busy = f.find<QLabel>("fetchBusyNotice");
    {
        const data::PageFetchGuard downloading(f.form.get());
        days->setFocus();
        days->selectAll();
        QTest::keyClicks(days, "30");
        QTest::keyClick(days, Qt::Key_Return);
        EXPECT_EQ(days->text(), "30");
        EXPECT_EQ(f.chartRuns, 0);
        EXPECT_TRUE(busy->isVisible());
        EXPECT_EQ(busy->text(), "取得中です");
    }
    QTest::keyClick(days, Qt::Key_Return);
    EXPECT_EQ(f.chartRuns, 1);
    EXPECT_EQ(f.form->Edit2.text(), "30");
    EXPECT_FALSE(busy->isVisible());
    EXPECT_TRUE(f.errors.empty());
}

TEST(MainWindow, ResultsListShowsItsColumnsAndAClickedCodeIsCharted) {
    WindowFixture f;
    auto& list = f.form->StringGrid11;
    list.setCell(1, 0, "ダブルトップ");
    list.setCell(0, 1, "1");
    list.setCell(1, 1, "6758");
    list.visible = true;
    f.window->syncFromForm();

    auto* view = f.window->resultsView();
    ASSERT_TRUE(view->isVisible());
    // The width of the window above the bottom panel, under the chart.
    EXPECT_EQ(view->width(), f.window->width());
    EXPECT_GE(view->height(), 150);
    EXPECT_EQ(view->geometry().bottom() + 1, f.find<QWidget>("Panel2")->y());
    EXPECT_LT(f.window->chartView()->geometry().bottom(), view->y());
    EXPECT_EQ(view->verticalHeader()->width(), 30);
    EXPECT_EQ(view->columnWidth(0), 97);
    EXPECT_EQ(view->columnWidth(6), 100);
    EXPECT_EQ(view->rowHeight(0), 20);
    EXPECT_EQ(view->model()->headerData(0, Qt::Horizontal).toString(), "ダブルトップ");
    EXPECT_EQ(view->model()->index(0, 0).data(Qt::BackgroundRole).value<QColor>(),
              QColor(247, 249, 247));

    const QModelIndex cell = view->model()->index(0, 0);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(cell).center());
    EXPECT_EQ(f.form->StringGrid2.cell(199, 0), "6758");
}

TEST(MainWindow, ClosingWithTheFocusInTheCodeFieldDrawsNothing) {
    WindowFixture f;
    f.find<QLineEdit>("Edit1")->setFocus();
    f.window->close();
    f.window.reset();
    EXPECT_EQ(f.chartRuns, 0);
}

TEST(MainWindow, PanelsAnchoredRightAndBottomFollowTheWindowsCorner) {
    WindowFixture f;
    f.form->Panel5.visible = true;
    f.form->Panel6.visible = true;
    f.window->syncFromForm();
    auto* guide = f.find<QWidget>("Panel6");
    auto* notice = f.find<QLabel>("Panel5");
    EXPECT_EQ(guide->geometry(), QRect(232, 216, 617, 353));
    EXPECT_EQ(notice->geometry(), QRect(544, 544, 241, 41));
    EXPECT_EQ(notice->text(), "ｋｏｕｈｏデータを読み込んでください。");

    f.window->resize(1053, 757);
    EXPECT_EQ(guide->pos(), QPoint(432, 316));
    EXPECT_EQ(f.window->resultsView()->geometry(), QRect(0, 687 - 193, 1053, 193));
    EXPECT_EQ(notice->pos(), QPoint(544, 644));  // above the bottom panel's buttons
    EXPECT_EQ(f.find<QWidget>("Panel2")->geometry(), QRect(0, 687, 1053, 70));
}
