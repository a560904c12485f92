#pragma once
// What the system shows and asks of the desktop goes through this interface, so
// every action also runs without a window (tests, the command line).
#include <string>
#include <vector>

#include "net/sock_session.h"

class Platform {
  public:
    virtual ~Platform() = default;
    // A plain message box with an OK button.
    virtual void showMessage(const std::string& text) = 0;
    // The error box: titled with the program's title; the text already has its "." rule applied.
    virtual void showError(const std::string& text) = 0;
    // The wait cursor; calls nest, the normal cursor returns with the last endWait.
    virtual void beginWait() = 0;
    virtual void endWait() = 0;
    // Lets the window handle what is pending (input, painting, timers) during a wait.
    virtual void processEvents() = 0;
    // Today's date, yyyy/mm/dd.
    virtual std::string today() = 0;
    // The status line of the splash window; nothing once the splash has closed.
    virtual void splashStatus(const std::string& text) = 0;
};

// Shows the wait cursor for a scope, and restores it on every exit.
class WaitCursor {
  public:
    explicit WaitCursor(Platform& platform) : platform_(platform) { platform_.beginWait(); }
    ~WaitCursor() { platform_.endWait(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

  private:
    Platform& platform_;
};

// A socket session's host on the platform: its waits process the platform's events,
// and its stray errors go to the error box.
SessionHost sessionHostOf(Platform& platform);

// Today's date from the local clock.
std::string localToday();

// Records what would have been shown, for tests and the command line.
class HeadlessPlatform : public Platform {
  public:
    void showMessage(const std::string& text) override { messages.push_back(text); }
    void showError(const std::string& text) override { errors.push_back(text); }
    void beginWait() override { ++waitDepth; }
    void endWait() override { --waitDepth; }
    void processEvents() override {
        ++eventsProcessed;
        if (onProcessEvents) onProcessEvents();
    }
    std::string today() override { return fixedToday.empty() ? localToday() : fixedToday; }
    void splashStatus(const std::string& text) override { splashLines.push_back(text); }

    std::vector<std::string> messages;
    std::vector<std::string> errors;
    std::vector<std::string> splashLines;
    int waitDepth = 0;
    long eventsProcessed = 0;
    std::string fixedToday;  // empty: the local clock
    void (*onProcessEvents)() = nullptr;
};
