// The window's chart controls over a small data root: the 作図 menu, the zoom and its
// remembered size, the price column held while the chart scrolls sideways, the results
// list beside (not over) the chart, and Qt's own Japanese texts.
#include <gtest/gtest.h>

#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QScrollBar>
#include <QTableView>
#include <QTest>
#include <QWheelEvent>

#include "app/form.h"
#include "app/preferences.h"
#include "app/window/chart_features.h"
#include "app/window/main_window.h"
#include "app/window/program.h"
#include "app/window/qt_platform.h"
#include "tests/app/small_root.h"
#include "tests/app/window/qt_application.h"
#include "tests/support.h"

using namespace testing_support;

namespace {

struct ChartWindow {
    ChartWindow() {
        application();
        writeSmallRoot(root(), {.days = "60", .ratio = "0.005"});
        open();
    }
    ~ChartWindow() { close(); }
    void open() {
        platform.messageSink = [this](const std::string& text, bool) { messages.push_back(text); };
        form = std::make_unique<TForm1>(platform, TForm1::Options{root(), {}});
        window = std::make_unique<MainWindow>(*form, platform);
        window->act(&TForm1::FormCreate);
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        messages.clear();  // the calendar update has no network here
    }
    void close() {
        window.reset();
        form.reset();
    }
    data::DataRoot root() const { return data::DataRoot{dir.path()}; }
    QAction* action(const char* name) const { return findNamed<QAction>(*window, name); }

    ScratchDir dir;
    QtPlatform platform;
    std::unique_ptr<TForm1> form;
    std::unique_ptr<MainWindow> window;
    std::vector<std::string> messages;
};

TEST(ChartWindow, TheStyleMenuDrawsAgainKeepsTheChoiceAndShowsIt) {
    ChartWindow w;
    ASSERT_TRUE(w.form->shownChart);
    EXPECT_EQ(w.form->shownChart->construction, chart::Construction::Program);
    EXPECT_FALSE(w.action("StyleHighLow")->isEnabled());
    w.action("StyleTextbook")->trigger();
    w.action("StyleReversal2")->trigger();
    w.action("StyleFixedScale")->trigger();
    EXPECT_TRUE(w.action("StyleHighLow")->isEnabled());
    const chart::ChartStyle chosen{chart::Construction::Textbook, 2, false, true};
    EXPECT_EQ(w.form->chartStyle, chosen);
    ASSERT_TRUE(w.form->shownChart);
    EXPECT_EQ(w.form->shownChart->construction, chart::Construction::Textbook);
    EXPECT_EQ(w.form->shownChart->reversal, 2);
    EXPECT_EQ(app::loadPreferences(w.root()).style, chosen);
    auto* features = w.window->findChild<ChartFeatures*>();
    EXPECT_EQ(features->stylePanel()->text().toStdString(), app::styleText(chosen));
    EXPECT_TRUE(w.messages.empty());

    // The next start draws by the choices kept.
    w.close();
    w.open();
    EXPECT_EQ(w.form->chartStyle, chosen);
    EXPECT_TRUE(w.action("StyleTextbook")->isChecked());
    EXPECT_EQ(w.form->shownChart->construction, chart::Construction::Textbook);
}

TEST(ChartWindow, ZoomByWheelKeysAndFitIsRemembered) {
    ChartWindow w;
    QTableView* chart = w.window->chartView();
    EXPECT_EQ(w.window->cellSize(), QSize(15, 12));
    const QPoint at = chart->viewport()->rect().center();
    QWheelEvent wheel(at, chart->viewport()->mapToGlobal(at), {}, {0, 120}, Qt::NoButton,
                      Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(chart->viewport(), &wheel);
    EXPECT_EQ(w.window->cellSize(), QSize(18, 14));
    EXPECT_EQ(chart->rowHeight(0), 14);
    EXPECT_EQ(chart->columnWidth(1), 18);
    w.action("ZoomOut")->trigger();
    w.action("ZoomOut")->trigger();
    EXPECT_EQ(w.window->cellSize(), QSize(13, 10));

    // The whole chart in its area.
    w.action("FitChart")->trigger();
    QTest::qWait(20);
    const QSize fitted = w.window->cellSize();
    EXPECT_LE(chart->horizontalHeader()->length() + chart->verticalHeader()->width(),
              chart->viewport()->width() + chart->verticalHeader()->width());
    EXPECT_LE(chart->verticalHeader()->length(), chart->viewport()->height());
    w.close();
    w.open();
    EXPECT_EQ(w.window->cellSize(), fitted);
}

TEST(ChartWindow, ThePriceColumnStaysWhileTheChartScrollsSideways) {
    ChartWindow w;
    w.window->setCellSize(QSize(200, 40));  // wider than the window
    QTableView* chart = w.window->chartView();
    QTableView* frozen = w.window->frozenLevels();
    ASSERT_GT(chart->horizontalScrollBar()->maximum(), 0);
    chart->horizontalScrollBar()->setValue(chart->horizontalScrollBar()->maximum());
    EXPECT_TRUE(frozen->isVisible());
    EXPECT_EQ(frozen->geometry().left(), chart->viewport()->geometry().left());
    EXPECT_EQ(frozen->width(), chart->columnWidth(0));
    EXPECT_EQ(frozen->model()->headerData(0, Qt::Horizontal).toString(), "株価");
    // A click on a price in it reaches the chart grid's handler.
    const QModelIndex level = frozen->model()->index(1, 0);
    QTest::mouseClick(frozen->viewport(), Qt::LeftButton, {}, frozen->visualRect(level).center());
    EXPECT_EQ(w.form->Edit5.text(), w.form->StringGrid1.cell(1, 2));
}

TEST(ChartWindow, TheResultsListCoversNoPartOfTheChartAndNothingIsCut) {
    ChartWindow w;
    w.window->resize(1024, 700);
    w.window->act(&TForm1::Button37Click);
    QTableView* results = w.window->resultsView();
    ASSERT_TRUE(results->isVisible());
    auto* features = w.window->findChild<ChartFeatures*>();
    const QRect chart = w.window->chartView()->geometry();
    for (const QWidget* widget : {static_cast<const QWidget*>(results),
                                  static_cast<const QWidget*>(features->resultsCaption())})
        if (widget->isVisible()) {
            EXPECT_FALSE(widget->geometry().intersects(chart));
            EXPECT_FALSE(widget->geometry().intersects(features->rightScale()->geometry()));
        }
    EXPECT_FALSE(features->panel()->geometry().intersects(chart));
    EXPECT_FALSE(features->stylePanel()->geometry().intersects(features->panel()->geometry()));
    const QWidget* panel = w.window->findChild<QWidget*>("Panel2");
    EXPECT_TRUE(w.window->rect().contains(panel->geometry()));
    EXPECT_EQ(features->rightScale()->geometry().left(), chart.right() + 1);
    EXPECT_GE(w.window->minimumWidth(), 853);
}

TEST(ChartWindow, QtsOwnTextsAreJapanese) {
    ASSERT_TRUE(installQtJapanese(application()));
    EXPECT_NE(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Cancel");
}

}  // namespace
