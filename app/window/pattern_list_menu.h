#pragma once
// The View menu's "拡張パターン": the results list with a column per further formation
// of the pattern catalogue after the ten, or with the ten alone. The choice is remembered
// in the data root's own file for the list (never the settings file).
#include <QObject>

class MainWindow;
class QAction;
class TForm1;

class PatternListMenu : public QObject {
    Q_OBJECT
  public:
    PatternListMenu(MainWindow& window, TForm1& form);

    QAction* action() const { return action_; }

  private:
    QAction* action_ = nullptr;
};
