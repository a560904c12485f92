#pragma once
// The one QApplication of the window tests, made on first use.
#include <QApplication>

namespace testing_support {

inline QApplication& application() {
    static int argc = 1;
    static char name[] = "dravik_window_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = QApplication::instance() ? qApp : new QApplication(argc, argv);
    return *app;
}

}  // namespace testing_support
