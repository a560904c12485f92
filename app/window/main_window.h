#pragma once
// The main window: widgets bound to the form. Every user event runs the form's
// action and then shows the form's state (fields, captions, panels, tables).
#include <QPointer>
#include <QSize>
#include <QWidget>
#include <functional>
#include <map>
#include <utility>
#include <vector>

#include "app/form.h"

class QLabel;
class QMenu;
class QMenuBar;
class QLineEdit;
class QPushButton;
class QTableView;
class QTextBrowser;
class QFrame;
class QtPlatform;
class WorkingTableModel;

class MainWindow : public QWidget {
    Q_OBJECT
  public:
    MainWindow(TForm1& form, QtPlatform& platform);
    ~MainWindow() override;

    // Runs a user action through the form, then shows what it changed.
    void act(void (TForm1::*action)());
    void act(const std::function<void()>& action);
    // Shows the form's fields, captions, panels and tables.
    void syncFromForm();

    // Closed when this window becomes active.
    QPointer<QWidget> splash;

    QLineEdit* edit(int number) const { return edits_.at(number); }
    QTableView* chartView() const { return chart_; }
    // The price column, held in place over the chart grid while it scrolls sideways.
    QTableView* frozenLevels() const { return frozen_; }
    QTableView* resultsView() const { return results_; }
    // The menus of the menu bar: "ファイル", "データ", "表示" and "作図"; features add
    // their own entries to them.
    QMenu* menu(const QString& title) const;

    // The row under the menus where the chart's panel stands, and the chart's area between
    // it and the results list (or the bottom panel).
    QRect infoBar() const;
    QRect chartArea() const;

    // The chart grid's cells in pixels (Ctrl + wheel, Ctrl +/-, "全体表示"); the size is
    // remembered in the data root's preferences.
    QSize cellSize() const { return cellSize_; }
    void setCellSize(QSize size);
    void zoomBy(int steps);
    // The cell size at which the whole chart fits in its area.
    void fitChart();
    // Features placed over or beside the window's parts follow its state and layout.
    std::vector<std::function<void()>> afterSync;
    std::vector<std::function<void()>> afterLayout;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void buildBottomPanel();
    void buildGrids();
    void buildViewMenu();
    void bindEvents();
    void applySectionSizes();
    void placeAnchored();
    void placeFrozenLevels();
    void placeNotices();
    void cellReleased(QTableView* view, WorkingTableModel* model, QPoint position,
                      void (TForm1::*handler)(int, int));

    TForm1& form_;
    QtPlatform& platform_;
    std::map<int, QLineEdit*> edits_;
    std::map<int, TEdit*> formEdits_;
    std::map<QObject*, std::function<void()>> doubleClicks_;
    QMenuBar* menuBar_ = nullptr;
    QWidget* panel2_ = nullptr;
    QTableView* chart_ = nullptr;
    QTableView* frozen_ = nullptr;
    QWidget* chartBackground_ = nullptr;
    QSize cellSize_{15, 12};
    QTableView* boxDates_ = nullptr;
    QTableView* results_ = nullptr;
    WorkingTableModel* chartModel_ = nullptr;
    WorkingTableModel* boxDateModel_ = nullptr;
    WorkingTableModel* resultsModel_ = nullptr;
    QLabel* panel5_ = nullptr;
    // Notices of the form shown above the bottom panel while the form shows them.
    std::vector<std::pair<QLabel*, const TPanel*>> notices_;
    QFrame* panel6_ = nullptr;
    QTextBrowser* webBrowser1_ = nullptr;
    QPushButton* button36_ = nullptr;
    QPushButton* button37_ = nullptr;
    std::string shownPage_;
};
