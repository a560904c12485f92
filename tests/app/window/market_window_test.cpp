// Real prices in the window: the title over the sample, the start-up notice, the
// update with its progress dialog (the window live meanwhile, a cancel keeping the
// days), and the key dialog.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QAbstractButton>
#include <QAction>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>
#include <QProgressDialog>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include "app/form.h"
#include "app/window/main_window.h"
#include "app/window/market_actions.h"
#include "app/window/market_view.h"
#include "app/window/qt_platform.h"
#include "data/text_file.h"
#include "tables/convert.h"
#include "tests/app/small_root.h"
#include "tests/app/window/qt_application.h"
#include "tests/market/exchange_fixture.h"

namespace {

using namespace testing_support;

struct MarketWindow : ::testing::Test {
    MarketWindow() {
        application();
        const auto today = *parseDate(localToday());
        auto data = jquants_emulator::generatedMarket(5, today - std::chrono::days(40),
                                                      today + std::chrono::days(30));
        options.today = today;
        const auto made = jquants_emulator::makeCertificate(dir.path() / "tls");
        options.certificate = made.certificate;
        options.privateKey = made.privateKey;
        server = std::make_unique<jquants_emulator::Server>(data, options);
        environment.set("JQUANTS_API_KEY", options.apiKey);
        environment.set("SSL_CERT_FILE", made.certificate.string());
        environment.set("XDG_CONFIG_HOME", (dir.path() / "config").string());
        SmallRoot small;
        small.code = "1301";  // a stock the emulated exchange lists
        writeSmallRoot(root(), small);
        services("");
        platform.messageSink = [this](const std::string& text, bool error) {
            (error ? errors : messages).push_back(text);
        };
    }
    ~MarketWindow() override {
        window.reset();
        form.reset();
    }
    data::DataRoot root() const { return data::DataRoot{dir.path() / "root"}; }
    void services(const std::string& extra) {
        data::writeLines(root().servicesFile(),
                         {"price-table,", "quote-history,", "jquants," + server->base(),
                          "jquants-rate,100000", extra});
    }
    void open() {
        form = std::make_unique<TForm1>(platform, TForm1::Options{root(), {}});
        form->services = data::loadServiceHosts(root());
        window = std::make_unique<MainWindow>(*form, platform);
        window->act(&TForm1::FormCreate);
        window->show();
        QTest::qWait(50);
        errors.clear();  // the small root has no date file until an update writes one
    }
    MarketActions* actions() const { return window->findChild<MarketActions*>("MarketActions"); }

    ScratchDir dir;
    market_testing::Environment environment;
    jquants_emulator::ServerOptions options;
    std::unique_ptr<jquants_emulator::Server> server;
    QtPlatform platform;
    std::unique_ptr<TForm1> form;
    std::unique_ptr<MainWindow> window;
    std::vector<std::string> messages;
    std::vector<std::string> errors;
};

TEST_F(MarketWindow, TheNoticeOffersTheUpdateWhichRunsWithTheWindowLive) {
    open();
    EXPECT_EQ(window->windowTitle(), "Dravik");
    auto* notice = actions()->notice();
    ASSERT_NE(notice, nullptr);
    EXPECT_TRUE(notice->isVisible());

    // The window's own timers keep running during the update, which shows its dialog.
    int ticks = 0;
    bool dialogSeen = false;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        ++ticks;
        if (window->findChild<QProgressDialog*>()) dialogSeen = true;
    });
    ticker.start(5);
    notice->findChild<QPushButton*>("MarketNoticeUpdate")->click();
    ASSERT_TRUE(errors.empty()) << errors.front();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].rfind("J-Quants APIから更新しました。", 0), 0u) << messages[0];
    EXPECT_TRUE(dialogSeen);
    EXPECT_GT(ticks, 0);
    EXPECT_FALSE(notice->isVisible());
    // The program reads the new files: the code list has the exchange's issues.
    EXPECT_EQ(form->StringGrid8.cell(0, 1).substr(0, 5), "1301,");
    EXPECT_TRUE(std::filesystem::exists(root().candidateFile()));

    // Up to date: no notice at the next start.
    window.reset();
    form.reset();
    open();
    EXPECT_FALSE(actions()->notice());
}

TEST_F(MarketWindow, TheMarketViewReachesItsSectorsMembersAndTheStrengthSwitch) {
    open();
    ASSERT_TRUE(actions()->runUpdate());
    // The update's notice ends with the whole market's figures.
    EXPECT_NE(messages.back().find("\n強気％ "), std::string::npos) << messages.back();
    EXPECT_NE(messages.back().find(", 業種の変化 "), std::string::npos) << messages.back();

    auto* view = window->findChild<MarketView*>("MarketView");
    ASSERT_NE(view, nullptr);
    window->findChild<QAbstractButton*>("MarketViewButton")->click();
    ASSERT_TRUE(view->view() && view->view()->isVisible());
    EXPECT_NE(view->status()->text().indexOf("市場 強気％"), -1);
    EXPECT_EQ(view->sectors()->rowCount(), 5);  // five issues in five sectors
    EXPECT_EQ(view->shownGroup(), "市場");
    view->sectors()->selectRow(0);
    EXPECT_EQ(view->shownGroup(), "0050");
    ASSERT_EQ(view->members()->rowCount(), 1);
    QTableWidget* members = view->members();
    QTest::mouseDClick(members->viewport(), Qt::LeftButton, {},
                       members->visualItemRect(members->item(0, 0)).center());
    EXPECT_EQ(form->Edit1.text().substr(0, 4), "1301");

    view->switchButton(1)->click();  // 対TOPIX
    EXPECT_TRUE(view->strengthChart()->isVisible());
    view->switchButton(0)->click();  // 価格
    EXPECT_FALSE(view->strengthChart()->isVisible());
}

TEST_F(MarketWindow, ACancelledUpdateKeepsTheFilesAsTheyWere) {
    services("jquants-retry-wait,30");
    server->answerNext(429, "{}", 1);
    open();
    const auto before = data::readBytes(root().priceFile());
    QTimer::singleShot(300, [&] {
        if (auto* dialog = window->findChild<QProgressDialog*>())
            dialog->cancel();  // as its button
    });
    EXPECT_FALSE(actions()->runUpdate());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].rfind("更新を中止しました。", 0), 0u) << messages[0];
    EXPECT_EQ(data::readBytes(root().priceFile()), before);
}

TEST_F(MarketWindow, TheKeyDialogWritesAFileOnlyItsOwnerReads) {
    environment.unset("JQUANTS_API_KEY");
    open();
    EXPECT_FALSE(actions()->notice());  // no key: nothing to offer
    QTimer::singleShot(0, [&] {
        auto* dialog = window->findChild<QInputDialog*>("MarketKeyDialog");
        ASSERT_NE(dialog, nullptr);
        dialog->setTextValue(QString::fromStdString(options.apiKey));
        dialog->accept();
    });
    actions()->editKey();
    struct stat status {};
    ASSERT_EQ(::stat(market::keyFilePath().c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
    // Now set up: the notice offers the update.
    ASSERT_NE(actions()->notice(), nullptr);
    EXPECT_TRUE(actions()->notice()->isVisible());
}

TEST_F(MarketWindow, TheTitleSaysSampleDataOverTheGeneratedSample) {
    std::filesystem::remove_all(root().root);
    std::filesystem::copy(sampleRoot(), root().root, std::filesystem::copy_options::recursive);
    open();
    EXPECT_EQ(window->windowTitle(), "Dravik — 見本データ");
    QStringList entries;
    for (QAction* action : window->menu("データ")->actions()) entries << action->text();
    EXPECT_TRUE(entries.contains("データ更新"));
    EXPECT_TRUE(entries.contains("J-Quants APIキー…"));
}

}  // namespace
