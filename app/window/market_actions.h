#pragma once
// Real prices in the window: the "データ" menu's "データ更新" (a progress dialog with a
// cancel button) and "J-Quants APIキー", the notice that offers an update at start-up,
// and the title that says "見本データ" while the data root holds the generated sample.
//
// The update runs on a thread of its own and the window polls its progress: the
// transfers, the JSON and the store's transactions then never hold up the window,
// and the client stays one plain blocking libcurl loop shared with the command line.
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

#include "market/market.h"

class MainWindow;
class QFrame;
class TForm1;

class MarketActions : public QObject {
    Q_OBJECT
  public:
    MarketActions(MainWindow& window, TForm1& form);

    // "Dravik", or "Dravik — 見本データ" while the root holds the generated sample.
    void refreshTitle();
    // Shows the notice offering an update when the exchange's API is set up and trading
    // days have passed that the store lacks.
    void offerUpdateIfDue(market::Day today);
    // "データ更新": runs the update with its progress dialog, the window live meanwhile.
    // Returns whether it completed.
    bool runUpdate();
    // "J-Quants APIキー": asks for the key and writes the key file (owner only).
    void editKey();

    QFrame* notice() const { return notice_; }

    // Asks the user a yes-or-no question (a message box; tests answer themselves).
    std::function<bool(const QString&)> confirm;

  signals:
    // An update completed: the files and the store's figures are new.
    void updated();

  private:
    void placeNotice();
    bool eventFilter(QObject* watched, QEvent* event) override;

    MainWindow& window_;
    TForm1& form_;
    QPointer<QFrame> notice_;
    bool updating_ = false;
};
