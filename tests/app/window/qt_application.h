#pragma once
// The one QApplication of the window tests, made on first use, and the named widgets and
// actions they look up.
#include <gtest/gtest.h>
#include <QApplication>
#include <QObject>

namespace testing_support {

inline QApplication& application() {
    static int argc = 1;
    static char name[] = "dravik_window_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = QApplication::instance() ? qApp : new QApplication(argc, argv);
    return *app;
}

// The child of `parent` with the object name; a test failure without one.
template <class T>
T* findNamed(const QObject& parent, const char* name) {
    auto* found = parent.findChild<T*>(name);
    EXPECT_NE(found, nullptr) << name;
    return found;
}

}  // namespace testing_support
