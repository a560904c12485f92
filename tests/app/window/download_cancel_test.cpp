#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <chrono>

#include "app/form.h"
#include "app/window/main_window.h"
#include "app/window/qt_platform.h"
#include "tests/app/small_root.h"
#include "tests/app/window/qt_application.h"
#include "tests/support.h"
#include "tools/quote_server.h"

using namespace testing_support;

TEST(DownloadCancel, EscOrTheButtonEndsAPageLoadAndTheActionSaysWhy) {
    application();
    quote_emulator::QuoteData data;
    data.calendar = quote_emulator::weekdaysBack("2024/03/29", 300);
    quote_emulator::addGeneratedStock(data, "9999", 120);
    quote_emulator::ServerOptions slow;
    slow.delayMs = 5000;
    for (const bool byButton : {false, true}) {
        quote_emulator::QuoteServer server(data, slow);
        ScratchDir dir;
        writeSmallRoot(data::DataRoot{dir.path()});
        dir.writeRaw("dravik/services.csv",
                     "price-table," + server.host() + "\r\nquote-history,\r\nusage-guide,\r\n");
        QtPlatform platform;
        std::vector<std::string> errors;
        platform.messageSink = [&](const std::string& text, bool error) {
            if (error) errors.push_back(text);
        };
        TForm1 form(platform, TForm1::Options{data::DataRoot{dir.path()}, dir.path() / "g.htm"});
        MainWindow window(form, platform);
        window.show();
        auto* button = window.findChild<QPushButton*>("CancelDownload");
        ASSERT_NE(button, nullptr);
        EXPECT_FALSE(button->isVisible());

        bool shownWhileLoading = false;
        QTimer::singleShot(400, &window, [&] {
            shownWhileLoading = button->isVisible();
            if (byButton) {
                button->click();
            } else {
                QTest::keyClick(&window, Qt::Key_Escape);
            }
        });
        form.Edit1.setText("9999");
        const auto start = std::chrono::steady_clock::now();
        window.act(&TForm1::Button24Click);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3)) << byButton;
        EXPECT_TRUE(shownWhileLoading) << byButton;
        ASSERT_EQ(errors.size(), 1u) << byButton;
        EXPECT_NE(errors[0].find("Request Canceled"), std::string::npos) << errors[0];
        QTest::qWait(150);
        EXPECT_FALSE(button->isVisible()) << byButton;
    }
}
