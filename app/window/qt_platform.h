#pragma once
// The desktop side of the platform: message boxes, the wait cursor, the event loop
// and the splash window's status line.
#include <QPointer>
#include <functional>
#include <string>

#include "app/platform.h"

class QWidget;
class QLabel;

class QtPlatform : public Platform {
  public:
    void showMessage(const std::string& text) override;
    void showError(const std::string& text) override;
    void beginWait() override;
    void endWait() override;
    void processEvents() override;
    std::string today() override;
    void splashStatus(const std::string& text) override;

    // The window the boxes belong to.
    QPointer<QWidget> owner;
    // The splash window's status line; null once the splash has closed.
    QPointer<QLabel> splashLine;
    // Runs before pending events are handled, so the views show the latest tables.
    std::function<void()> beforeEvents;
    // When set, messages and errors go here instead of boxes (widget tests).
    std::function<void(const std::string& text, bool error)> messageSink;

  private:
    int waitDepth_ = 0;
};
