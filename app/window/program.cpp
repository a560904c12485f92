#include "app/window/program.h"

#include <QApplication>
#include <QIcon>
#include <QLabel>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <QTranslator>
#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "app/data_root.h"
#include "app/form.h"
#include "app/version.h"
#include "app/window/main_window.h"
#include "app/window/qt_platform.h"
#include "app/window/splash_window.h"
#include "app/window/window_style.h"
#include "data/services.h"

namespace fs = std::filesystem;

bool installQtJapanese(QCoreApplication& application) {
    auto* translator = new QTranslator(&application);
    if (!translator->load(QLocale(QLocale::Japanese, QLocale::Japan), "qtbase", "_",
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

int runProgram(int argc, char** argv) {
    QApplication application(argc, argv);
    // The standard dialogs (save, open) in Japanese, as the rest of the window.
    installQtJapanese(application);
    QApplication::setApplicationName("dravik");
    QApplication::setApplicationVersion(
        QString::fromUtf8(dravik::kVersion.data(), static_cast<int>(dravik::kVersion.size())));
    // The desktop entry and the icon the package installs, for the window list and docks.
    QGuiApplication::setDesktopFileName("dravik");
    QApplication::setWindowIcon(QIcon::fromTheme("dravik"));
    QApplication::setFont(windowFont(12));

    // The splash first, painted at once, while the rest is loaded.
    QPointer<TSplashWindow> splash = new TSplashWindow;
    splash->show();
    splash->raise();
    splash->repaint();
    QCoreApplication::processEvents();

    QtPlatform platform;
    platform.splashLine = splash->statusLine();

    const app::CommandLine line = app::parseCommandLine(argc, argv);
    const fs::path programDir = QCoreApplication::applicationDirPath().toStdString();
    for (const auto& argument : line.rest)
        std::fprintf(stderr, "dravik: unknown argument %s (usage: dravik [--root DIR])\n",
                     argument.c_str());
    const fs::path root = fs::absolute(line.root.value_or(app::userDataRoot()));
    if (!line.root) {
        // A new user gets the sample data, so the first start shows a chart.
        try {
            if (const auto sample = app::findShipped(programDir, "sample-data"))
                app::provideSampleData(root, *sample);
        } catch (const Exception& e) {
            platform.showError(errorBoxText(e.message()));
        } catch (const std::exception& e) {
            platform.showError(errorBoxText(foreignErrorMessage(e)));
        }
    }

    TForm1 form(platform,
                TForm1::Options{data::DataRoot{root},
                                app::findShipped(programDir, "dravik.htm").value_or(fs::path())});
    form.run([&form] { form.services = data::loadServiceHosts(form.options.root); });

    MainWindow window(form, platform);
    window.splash = splash.data();
    // The window takes most of the screen it opens on.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect room = screen->availableGeometry();
        window.resize(std::max(window.minimumWidth(), room.width() - 40),
                      std::max(window.minimumHeight(), room.height() - 70));
        window.move(room.left() + 20, room.top() + 10);
    }
    window.act(&TForm1::FormCreate);
    window.show();
    window.raise();
    window.activateWindow();
    // Where no window manager hands over the activation, the splash goes all the same.
    QTimer::singleShot(0, [splash] {
        if (splash) splash->close();
    });
    return QApplication::exec();
}
