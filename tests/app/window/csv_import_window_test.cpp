// CSV files into the window: the File menu entry, files dropped on the window, and the
// question before the generated sample makes way.
#include <gtest/gtest.h>

#include <QAction>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QTest>
#include <QUrl>
#include <filesystem>

#include "app/form.h"
#include "app/window/csv_import_window.h"
#include "app/window/main_window.h"
#include "app/window/qt_platform.h"
#include "market/market.h"
#include "tables/convert.h"
#include "tests/app/window/qt_application.h"
#include "tests/support.h"

using namespace testing_support;

namespace {

// Weekdays from 2024/01/01 on, rising.
std::string rising(int days) {
    std::string text = "Date,Close\n";
    std::chrono::sys_days day = std::chrono::year{2024} / 1 / 1;
    for (int n = 1; n <= days; ++n, day += std::chrono::days(1)) {
        while (std::chrono::weekday(day).iso_encoding() > 5) day += std::chrono::days(1);
        text += formatDate(day) + "," + std::to_string(1000 + 40 * n) + "\n";
    }
    return text;
}

struct ImportWindow {
    // A root made by an import, or a copy of the generated sample.
    explicit ImportWindow(bool sample) {
        application();
        if (sample) {
            std::filesystem::copy(sampleRoot(), dir.path(),
                                  std::filesystem::copy_options::recursive);
        } else {
            dir.writeRaw("in/7203.csv", rising(20));
            market::importCsvFiles(data::DataRoot{dir.path()}, {dir.path() / "in" / "7203.csv"});
        }
        dir.writeRaw("in/9984.csv", rising(25));
        platform.messageSink = [this](const std::string& text, bool error) {
            (error ? errors : messages).push_back(text);
        };
        form = std::make_unique<TForm1>(platform, TForm1::Options{data::DataRoot{dir.path()}, {}});
        window = std::make_unique<MainWindow>(*form, platform);
        window->act(&TForm1::FormCreate);
        errors.clear();  // the calendar update has no network here
        messages.clear();
        importer = window->findChild<CsvImportWindow*>();
        importer->confirm = [this](const QString& question) {
            questions.push_back(question.toStdString());
            return answer;
        };
    }
    ~ImportWindow() {
        window.reset();
        form.reset();
    }
    QString file(const char* name) const {
        return QString::fromStdString((dir.path() / "in" / name).string());
    }

    ScratchDir dir;
    QtPlatform platform;
    std::unique_ptr<TForm1> form;
    std::unique_ptr<MainWindow> window;
    CsvImportWindow* importer = nullptr;
    std::vector<std::string> messages, errors, questions;
    bool answer = true;
};

}  // namespace

TEST(CsvImportWindow, AFileDroppedOnTheWindowIsImportedAndCharted) {
    ImportWindow f(false);
    EXPECT_EQ(f.form->Edit1.text(), "7203");
    const auto entries = f.window->menu("ファイル")->actions();
    EXPECT_TRUE(std::any_of(entries.begin(), entries.end(),
                            [](QAction* entry) { return entry->text() == "CSV取り込み…"; }));

    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(f.file("9984.csv"))});
    QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(f.window.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(f.window.get(), &drop);
    for (int wait = 0; wait < 100 && f.messages.empty(); ++wait) QTest::qWait(20);

    ASSERT_EQ(f.messages.size(), 1u) << (f.errors.empty() ? "" : f.errors.front());
    EXPECT_EQ(f.messages[0],
              "9984.csv: 9984 2024/01/01〜2024/02/02 の 25日分を取り込みました。\n"
              "1ファイルを取り込みました。");
    EXPECT_TRUE(f.questions.empty());
    EXPECT_EQ(f.form->Edit1.text(), "9984");
    EXPECT_EQ(f.form->StringGrid2.cell(2, 0), "9984");
    EXPECT_EQ(f.form->StringGrid1.cell(1, 2), "2000");  // the newest price tops the chart
}

TEST(CsvImportWindow, TheSampleMakesWayOnlyWhenTheUserAgrees) {
    ImportWindow f(true);
    f.answer = false;
    f.importer->importFiles({f.file("9984.csv")});
    EXPECT_EQ(f.questions, std::vector<std::string>{
                               "見本データを取り込んだデータで置き換えます。よろしいですか？"});
    EXPECT_TRUE(f.messages.empty());
    EXPECT_TRUE(market::holdsGeneratedSample(f.form->options.root));

    f.answer = true;
    f.importer->importFiles({f.file("9984.csv"), f.file("missing.csv")});
    EXPECT_FALSE(market::holdsGeneratedSample(f.form->options.root));
    ASSERT_EQ(f.errors.size(), 1u);
    EXPECT_NE(f.errors[0].find("見本データを取り込んだデータで置き換えました。"),
              std::string::npos);
    EXPECT_NE(f.errors[0].find("missing.csv"), std::string::npos);
    EXPECT_EQ(f.form->StringGrid2.cell(1, 0), "9984");
    EXPECT_EQ(f.form->StringGrid2.cell(2, 0), "");
    EXPECT_EQ(f.form->Edit1.text(), "9984");
}
