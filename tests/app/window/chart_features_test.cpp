// The decorated chart in the window over the sample data: what the grid, the right
// scale, the panel and the tooltips show, the month toggle, and the File menu's
// picture and CSV exports.
#include "app/window/chart_features.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QHelpEvent>
#include <QLabel>
#include <QMenu>
#include <QScrollBar>
#include <QTableView>
#include <QTest>
#include <QToolTip>

#include "app/form.h"
#include "app/window/main_window.h"
#include "app/window/qt_platform.h"
#include "app/window/window_style.h"
#include "tests/app/window/qt_application.h"
#include "tests/support.h"

using namespace testing_support;

namespace {

// The window over the sample data with stock 6154 charted (no start-up: the sample
// root is only read).
struct SampleWindow {
    SampleWindow() {
        application();
        platform.messageSink = [this](const std::string& text, bool) { messages.push_back(text); };
        form =
            std::make_unique<TForm1>(platform, TForm1::Options{data::DataRoot{sampleRoot()}, {}});
        window = std::make_unique<MainWindow>(*form, platform);
        window->act(&TForm1::Button25Click);
        window->act(&TForm1::Button2Click);
        form->Edit1.setText("6154");
        window->act(&TForm1::Button3Click);
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        features = window->findChild<ChartFeatures*>();
    }
    ~SampleWindow() {
        window.reset();
        form.reset();
    }
    // The window's picture of a chart-grid cell, scrolled into view.
    QImage cellPicture(int col, int row) {
        QTableView* chart = window->chartView();
        chart->scrollTo(chart->model()->index(row - 1, col - 1));
        QRect rect = features->cellRect(col, row).toRect();
        rect.moveTopLeft(chart->viewport()->mapTo(window.get(), rect.topLeft()));
        return window->grab().toImage().copy(rect);
    }

    QtPlatform platform;
    std::unique_ptr<TForm1> form;
    std::unique_ptr<MainWindow> window;
    ChartFeatures* features = nullptr;
    std::vector<std::string> messages;
};

// Whether some pixel has about the colour (text is smoothed into its background).
bool holds(const QImage& image, QColor colour, int tolerance = 0) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor seen = image.pixelColor(x, y);
            if (std::abs(seen.red() - colour.red()) <= tolerance &&
                std::abs(seen.green() - colour.green()) <= tolerance &&
                std::abs(seen.blue() - colour.blue()) <= tolerance)
                return true;
        }
    return false;
}

TEST(ChartFeatures, GridScaleAndPanelShowTheDecorations) {
    SampleWindow w;
    ASSERT_NE(w.features, nullptr);
    const auto& decorations = w.features->scene().view().decorations;
    ASSERT_TRUE(decorations.newestBox);
    ASSERT_FALSE(decorations.history.empty());
    ASSERT_FALSE(decorations.months.empty());

    const auto [col, row] = *decorations.newestBox;
    EXPECT_TRUE(holds(w.cellPicture(col, row), render::kNewestColour));
    const auto& newest = *w.features->scene().view().chart.column(col);
    EXPECT_TRUE(holds(w.cellPicture(col, row),
                      newest.rising ? render::kRisingColour : render::kFallingColour, 50));

    // The right scale, beside the last column, marks the row of the newest close's box.
    QWidget* scale = w.features->rightScale();
    EXPECT_EQ(scale->geometry().left(), w.window->chartView()->geometry().right() + 1);
    const QRectF mark = w.features->cellRect(col, decorations.currentRow)
                            .translated(0, w.window->chartView()->viewport()->y());
    EXPECT_EQ(scale->grab().toImage().pixelColor(kChartScaleWidth - 6, mark.center().y()),
              render::kNewestColour);

    // The panel under the menus; where the window is too narrow, its tooltip has it whole.
    QStringList panel;
    for (const auto& text : app::panelTexts(decorations)) panel << QString::fromStdString(text);
    const QString whole = panel.join(QString::fromUtf8("　"));
    QLabel* shown = w.features->panel();
    EXPECT_EQ(shown->toolTip().isEmpty() ? shown->text() : shown->toolTip(), whole);
    EXPECT_TRUE(shown->text().startsWith(QString::fromUtf8("最新シグナル ")));
    EXPECT_TRUE(w.features->stylePanel()->text().startsWith(QString::fromUtf8("作図 従来")));

    // The month toggle of the View menu: the first marker's cell shows its mark again.
    const auto marker = decorations.months.back();
    const QImage withMonth = w.cellPicture(marker.col, marker.row);
    QAction* months = w.features->monthsAction();
    EXPECT_TRUE(months->isChecked());
    EXPECT_TRUE(w.window->menu("表示")->actions().contains(months));
    months->trigger();
    EXPECT_NE(w.cellPicture(marker.col, marker.row), withMonth);
    months->trigger();
    const QImage again = w.cellPicture(marker.col, marker.row);
    EXPECT_EQ(again, withMonth);
}

TEST(ChartFeatures, SignalTagShowsItsPatternsInATooltip) {
    SampleWindow w;
    const auto& signal = w.features->scene().view().decorations.history.back();
    QTableView* chart = w.window->chartView();
    const chart::Column* column = w.features->scene().view().chart.column(signal.col);
    chart->scrollTo(chart->model()->index(column->topRow - 1, signal.col - 1));
    const auto cell = [&](int c, int r) { return w.features->cellRect(c, r); };
    const QPoint at =
        render::signalTagRect(w.features->scene(), cell, signal.col).center().toPoint();
    QHelpEvent help(QEvent::ToolTip, at, chart->viewport()->mapToGlobal(at));
    QApplication::sendEvent(chart->viewport(), &help);
    EXPECT_TRUE(QToolTip::text().contains(
        QString::fromStdString(std::string(chart::caption(signal.pattern)) + " " + signal.date)));
    // A box gives its date and price.
    const QModelIndex topBox = chart->model()->index(column->topRow - 1, signal.col - 1);
    const QPoint onBox = chart->visualRect(topBox).center();
    QHelpEvent overBox(QEvent::ToolTip, onBox, chart->viewport()->mapToGlobal(onBox));
    QApplication::sendEvent(chart->viewport(), &overBox);
    EXPECT_EQ(QToolTip::text(), w.features->scene().boxTip(signal.col, column->topRow));
    EXPECT_TRUE(QToolTip::text().endsWith(QString::fromStdString(
        chart::groupedNumber(*w.features->scene().view().chart.level(column->topRow)))));
    // The box click still shows the box's date and price.
    w.form->Edit4.setText("");
    const QModelIndex box = chart->model()->index(column->topRow - 1, signal.col - 1);
    QTest::mouseClick(chart->viewport(), Qt::LeftButton, {}, chart->visualRect(box).center());
    EXPECT_EQ(w.form->Edit5.text(), w.form->StringGrid1.cell(1, column->topRow));
    EXPECT_FALSE(w.form->Edit4.text().empty());
}

TEST(ChartFeatures, FileMenuSavesPicturesAndTheResults) {
    SampleWindow w;
    ScratchDir dir;
    const QStringList entries = [&] {
        QStringList texts;
        for (QAction* action : w.window->menu("ファイル")->actions()) texts << action->text();
        return texts;
    }();
    EXPECT_TRUE(entries.contains(QString::fromUtf8("画像を保存…")));
    EXPECT_TRUE(entries.contains(QString::fromUtf8("結果をCSV保存…")));

    w.features->savePicture(QString::fromStdString((dir.path() / "chart.png").string()));
    w.features->savePicture(QString::fromStdString((dir.path() / "chart.svg").string()));
    EXPECT_TRUE(w.messages.empty());
    const QImage png(QString::fromStdString((dir.path() / "chart.png").string()));
    EXPECT_GT(png.width(), 300);
    EXPECT_GT(png.height(), 300);
    const std::string svg = dir.readRaw("chart.svg");
    EXPECT_NE(svg.find(">6154 "), std::string::npos);  // real text, not paths
    EXPECT_NE(svg.find("シグナル ダブルトップ"), std::string::npos);

    // A screening run puts the bullish percent above the list; its results go to a CSV.
    w.form->Edit6.setText("6000");
    w.form->Edit7.setText("6999");
    w.window->act(&TForm1::Button37Click);
    QLabel* caption = w.features->resultsCaption();
    EXPECT_TRUE(caption->isVisible());
    EXPECT_EQ(caption->text().toStdString(), screening::bullishPercentText(w.form->screeningNotes));
    EXPECT_EQ(caption->geometry().bottom() + 1, w.window->resultsView()->geometry().top());
    w.features->saveResults(QString::fromStdString((dir.path() / "results.csv").string()));
    const std::string csv = dir.readRaw("results.csv");
    EXPECT_EQ(csv.substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_NE(csv.find("\r\nダブルトップ,"), std::string::npos);

    // An unwritable place is an error box, nothing else.
    w.features->saveResults(
        QString::fromStdString((dir.path() / "no" / "such" / "x.csv").string()));
    EXPECT_EQ(w.messages.size(), 1u);
}

}  // namespace
