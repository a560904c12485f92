#pragma once
// The way out of a download: while pages load (a collection, the calendar update, the
// usage guide), a "中止" button over the chart and the Esc key end the running request.
// The action then fails as it does when a request fails, and says so.
#include <QObject>

class QPushButton;
class MainWindow;
class TForm1;

class DownloadCancel : public QObject {
    Q_OBJECT
  public:
    DownloadCancel(MainWindow& window, TForm1& form);

    // Ends the running request; between two pages of a collection, the next one.
    void cancel();
    QPushButton* button() const { return button_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool downloading() const;
    // Shows the button while pages load and hands a cancel made between two pages on to
    // the next request.
    void update();
    void place();

    MainWindow& window_;
    TForm1& form_;
    QPushButton* button_ = nullptr;
    bool pending_ = false;
};
