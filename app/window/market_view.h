#pragma once
// The 市場 view (View menu, and the 市場 button over the chart's top right): the market's bullish
// percent chart with its status, the 33 sectors (sortable), a sector's chart and members
// by score, and the changes of the newest day; double-clicking a stock charts it. On the
// stock chart a switch shows the price chart or the relative strength against TOPIX or
// against the stock's sector. The figures come from the store's analysis, carried on
// from what the last run kept (the update computes it as it ends).
#include <QObject>
#include <QPointer>
#include <QString>
#include <optional>
#include <string>

#include "analysis/breadth.h"

class MainWindow;
class QAbstractButton;
class QLabel;
class QTableWidget;
class QWidget;
class TForm1;
class ChartPicture;

class MarketView : public QObject {
    Q_OBJECT
  public:
    MarketView(MainWindow& window, TForm1& form);

    // Opens the view (or brings it forward) with the store's figures; false when there
    // are none (the message is shown).
    bool open();
    // The figures anew, as after an update.
    void refresh();

    QWidget* view() const { return view_; }
    QLabel* status() const { return status_; }
    QTableWidget* sectors() const { return sectors_; }
    QTableWidget* members() const { return members_; }
    QTableWidget* changes() const { return changes_; }
    // The group whose chart and members are shown: "市場" or a sector's code.
    const std::string& shownGroup() const { return shownGroup_; }
    // The stock chart's switch: 価格, 対TOPIX, 対業種 (0, 1, 2), and what it shows. The
    // 市場 button beside it is "MarketViewButton".
    QAbstractButton* switchButton(int which) const { return switch_[which]; }
    QWidget* strengthChart() const;

  private:
    bool analyse();
    void build();
    void fill();
    void showGroup(const std::string& code);
    void chartStock(const QString& code);
    void showStrength(int which);
    void placeSwitch();

    MainWindow& window_;
    TForm1& form_;
    std::optional<analysis::MarketAnalysis> analysis_;
    QPointer<QWidget> view_;
    QLabel* status_ = nullptr;
    ChartPicture* groupChart_ = nullptr;
    QTableWidget* sectors_ = nullptr;
    QTableWidget* members_ = nullptr;
    QTableWidget* changes_ = nullptr;
    std::string shownGroup_;
    QWidget* switchBar_ = nullptr;
    QAbstractButton* switch_[3] = {};
    int strength_ = 0;  // what the stock chart shows
    QWidget* strengthArea_ = nullptr;
    ChartPicture* strengthChart_ = nullptr;
    std::string strengthShown_;  // the code and the kind the strength chart shows
};
