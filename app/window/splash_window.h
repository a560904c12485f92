#pragma once
// The small window shown while the program starts; it closes itself as soon as it
// loses activation.
#include <QWidget>

class QLabel;

class TSplashWindow : public QWidget {
    Q_OBJECT
  public:
    TSplashWindow();
    QLabel* statusLine() const { return status_; }

  protected:
    bool event(QEvent* event) override;

  private:
    QLabel* status_;
};
