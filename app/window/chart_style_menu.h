#pragma once
// The "作図" menu: the construction (従来 or 標準), the reversal (1 to 5 boxes), the price
// (終値, or 高安 with 標準) and the scale (期間最高値 or 固定). The choices are the form's
// chart style, kept in the data root's preferences file, and a change draws the chart
// again.
#include <QObject>

class MainWindow;
class QAction;
class QActionGroup;
class QMenu;
class TForm1;

class ChartStyleMenu : public QObject {
    Q_OBJECT
  public:
    ChartStyleMenu(MainWindow& window, TForm1& form);

    QAction* textbookAction() const { return textbook_; }
    QAction* reversalAction(int boxes) const;
    QAction* highLowAction() const { return highLow_; }
    QAction* fixedScaleAction() const { return fixed_; }

  private:
    QAction* choice(QMenu* menu, QActionGroup* group, const char* caption, const char* name);
    // The form's style into the menu's checks.
    void show();
    // The menu's checks into the form's style, saved, and the chart drawn again.
    void chosen();

    MainWindow& window_;
    TForm1& form_;
    QAction* program_ = nullptr;
    QAction* textbook_ = nullptr;
    QAction* reversals_[5] = {};
    QAction* closes_ = nullptr;
    QAction* highLow_ = nullptr;
    QAction* periodHigh_ = nullptr;
    QAction* fixed_ = nullptr;
    bool showing_ = false;
};
