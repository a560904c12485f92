#include "app/window/splash_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QTest>

#include "app/window/qt_platform.h"
#include "tests/app/window/qt_application.h"

using testing_support::application;

TEST(SplashWindow, ShowsItsTextsAndLeavesWhenAnotherWindowIsActivated) {
    application();
    QPointer<TSplashWindow> splash = new TSplashWindow;
    QtPlatform platform;
    platform.splashLine = splash->statusLine();
    EXPECT_EQ(splash->size(), QSize(342, 113));
    EXPECT_TRUE(splash->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(splash->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(splash->statusLine()->text(), "データ読み込み中...");
    QStringList texts;
    for (auto* label : splash->findChildren<QLabel*>()) texts << label->text();
    EXPECT_TRUE(texts.contains("dravik.exeを開いています。"));
    EXPECT_TRUE(texts.contains("しばらくおまちください。"));

    splash->show();
    splash->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(splash.data()));
    platform.splashStatus("株価読み込み中");
    EXPECT_EQ(splash->statusLine()->text(), "株価読み込み中");

    QWidget other;
    other.show();
    other.activateWindow();
    EXPECT_TRUE(QTest::qWaitFor([&] { return splash.isNull(); }, 2000));
    platform.splashStatus("データ読み込み中...");  // the splash is gone: nothing happens
    EXPECT_TRUE(platform.splashLine.isNull());
}
