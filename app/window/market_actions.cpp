#include "app/window/market_actions.h"

#include <QEvent>
#include <QEventLoop>
#include <QFrame>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <atomic>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "analysis/morning.h"
#include "analysis/report.h"
#include "app/form.h"
#include "app/window/main_window.h"
#include "market/market.h"
#include "tables/code_lookup.h"
#include "tables/convert.h"
#include "tables/layout.h"
#include "tables/settings_layout.h"
#include "tables/source_mode.h"

namespace {

QString qt(const std::string& text) {
    return QString::fromStdString(text);
}

// What the update thread and the window share.
struct UpdateRun {
    std::mutex mutex;
    market::UpdateProgress progress;
    std::optional<market::UpdateSummary> summary;
    std::string notice;  // the morning's figures the update ends with
    std::string error;
    bool damaged = false;  // the store file is damaged
    bool cancelled = false;
    std::atomic<bool> cancel{false};
    std::atomic<bool> done{false};
};

// After an update the stock on the chart may have no price at all (a made-up sample code
// the exchange does not list): the chart goes to the first watched stock that has one.
void keepAChartableStock(TForm1& form) {
    const WorkingTable& prices = form.StringGrid2;
    const int col =
        tables::lastColumnWithCode(prices, 0, 1, layout::kLastStockColumn + 1, form.Edit1.text());
    auto priced = [&](int c) { return hasValue(prices.cell(c, 1)) || hasValue(prices.cell(c, 2)); };
    if (form.mode() != SourceMode::Quendal || col == 0 || priced(col)) return;
    for (int c = 1; c <= layout::kLastStockColumn; ++c)
        if (priced(c)) return form.Edit1.setText(prices.cell(c, 0));
}

}  // namespace

MarketActions::MarketActions(MainWindow& window, TForm1& form)
    : QObject(&window), window_(window), form_(form) {
    setObjectName("MarketActions");
    confirm = [this](const QString& question) {
        return QMessageBox::question(&window_, "dravik", question,
                                     QMessageBox::Yes | QMessageBox::No,
                                     QMessageBox::No) == QMessageBox::Yes;
    };
    // Files left out of step by a run that was stopped between its replacements are
    // rebuilt before the form reads them.
    std::string repaired, failed;
    try {
        repaired = market::repairProgramFiles(form_.options.root);
    } catch (const Exception& e) {
        failed = e.message();
    }
    if (!repaired.empty() || !failed.empty())
        QTimer::singleShot(0, this, [this, repaired, failed] {
            if (!repaired.empty()) form_.platform.showMessage(repaired);
            if (!failed.empty()) form_.platform.showError(errorBoxText(failed));
        });
    if (QMenu* data = window_.menu("データ")) {
        QAction* update = data->addAction("データ更新");
        update->setObjectName("MarketUpdate");
        connect(update, &QAction::triggered, this, [this] { runUpdate(); });
        QAction* key = data->addAction("J-Quants APIキー…");
        key->setObjectName("MarketKey");
        connect(key, &QAction::triggered, this, [this] { editKey(); });
    }
    window_.installEventFilter(this);
    window_.chartView()->installEventFilter(this);  // the results list moves its bottom
    refreshTitle();
    // After the start-up, never holding it up.
    QTimer::singleShot(0, this, [this] {
        if (const auto today = parseDate(form_.platform.today())) offerUpdateIfDue(*today);
    });
}

void MarketActions::refreshTitle() {
    window_.setWindowTitle(market::holdsGeneratedSample(form_.options.root) ? "Dravik — 見本データ"
                                                                            : "Dravik");
}

void MarketActions::offerUpdateIfDue(market::Day today) {
    if (!market::exchangeConfigured(form_.services)) return;
    if (!market::storeLacksPassedDays(form_.options.root, today)) return;
    if (!notice_) {
        notice_ = new QFrame(&window_);
        notice_->setObjectName("MarketNotice");
        notice_->setFrameStyle(QFrame::Panel | QFrame::Raised);
        notice_->setAutoFillBackground(true);
        auto* layout = new QHBoxLayout(notice_);
        layout->setContentsMargins(8, 4, 4, 4);
        layout->addWidget(new QLabel("J-Quants APIに、まだ取り込んでいない取引日があります。"));
        auto* update = new QPushButton("データ更新");
        update->setObjectName("MarketNoticeUpdate");
        layout->addWidget(update);
        auto* close = new QPushButton("×");
        close->setObjectName("MarketNoticeClose");
        close->setFlat(true);
        close->setFixedWidth(24);
        layout->addWidget(close);
        connect(update, &QPushButton::clicked, this, [this] { runUpdate(); });
        connect(close, &QPushButton::clicked, notice_.data(), &QWidget::hide);
    }
    notice_->adjustSize();
    placeNotice();
    notice_->show();
    notice_->raise();
}

void MarketActions::placeNotice() {
    if (!notice_) return;
    // At the chart area's lower right: the panel line above the chart and the switch at its
    // top right stay readable.
    const QRect chart = window_.chartView()->geometry();
    notice_->move(std::max(0, window_.width() - notice_->width() - 8),
                  std::max(0, chart.bottom() - notice_->height() - 8));
}

bool MarketActions::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == &window_ || watched == window_.chartView()) &&
        (event->type() == QEvent::Resize || event->type() == QEvent::Move))
        placeNotice();
    return QObject::eventFilter(watched, event);
}

bool MarketActions::runUpdate() {
    if (updating_) return false;
    market::Connection connection;
    std::optional<market::Day> today;
    try {
        form_.services = data::loadServiceHosts(form_.options.root);
        connection = market::connectionFor(form_.services);
        today = parseDate(form_.platform.today());
        if (!today) throw market::MarketError("今日の日付を読めません。");
    } catch (const Exception& e) {
        form_.platform.showError(errorBoxText(e.message()));
        return false;
    }
    updating_ = true;
    if (notice_) notice_->hide();

    auto run = std::make_shared<UpdateRun>();
    std::thread worker([run, root = form_.options.root, connection, day = *today] {
        market::UpdateHooks hooks;
        hooks.progress = [run](const market::UpdateProgress& progress) {
            const std::lock_guard lock(run->mutex);
            run->progress = progress;
        };
        hooks.cancelled = [run] { return run->cancel.load(); };
        try {
            auto summary =
                market::updateMarketData(root, connection, market::kMaxUpdateDays, day, hooks);
            // The update ends with the whole market's figures, kept for the 市場 view.
            std::string notice;
            try {
                notice = analysis::updateNotice(analysis::analyseRoot(root).analysis);
            } catch (const Exception& e) {
                notice = "強気％を計算できませんでした: " + e.message();
            }
            const std::lock_guard lock(run->mutex);
            run->summary = std::move(summary);
            run->notice = std::move(notice);
        } catch (const market::Cancelled&) {
            const std::lock_guard lock(run->mutex);
            run->cancelled = true;
        } catch (const market::StoreDamaged& e) {
            const std::lock_guard lock(run->mutex);
            run->error = e.message();
            run->damaged = true;
        } catch (const Exception& e) {
            const std::lock_guard lock(run->mutex);
            run->error = e.message();
        } catch (const std::exception& e) {
            const std::lock_guard lock(run->mutex);
            run->error = e.what();
        }
        run->done = true;
    });

    QProgressDialog dialog("J-Quants APIから更新しています…", "中止", 0, 0, &window_);
    dialog.setObjectName("MarketUpdateProgress");
    dialog.setWindowTitle("データ更新");
    dialog.setWindowModality(Qt::WindowModal);
    dialog.setMinimumDuration(0);
    dialog.setAutoClose(false);
    dialog.setAutoReset(false);
    dialog.setMinimumWidth(420);
    connect(&dialog, &QProgressDialog::canceled, &dialog, [run] { run->cancel = true; });
    QEventLoop loop;
    QTimer poll;
    connect(&poll, &QTimer::timeout, &dialog, [&] {
        if (dialog.wasCanceled()) run->cancel = true;
        market::UpdateProgress progress;
        {
            const std::lock_guard lock(run->mutex);
            progress = run->progress;
        }
        if (run->cancel) {
            dialog.setLabelText("中止しています…");
        } else {
            dialog.setLabelText(qt(market::progressText(progress)));
            const bool counting =
                progress.stage == market::UpdateProgress::Stage::days && progress.daysTotal > 0;
            dialog.setMaximum(counting ? progress.daysTotal : 0);
            if (counting) dialog.setValue(progress.daysDone);
        }
        if (run->done) loop.quit();
    });
    poll.start(100);
    dialog.show();
    loop.exec();
    worker.join();
    dialog.close();
    updating_ = false;

    if (run->summary) {
        // The files are new: the program reads them again and charts afresh.
        window_.act([this] {
            form_.Button25Click();
            form_.Button20Click();
            form_.Button2Click();
            form_.StringGrid3.setCell(settings::kCandidatesLoaded, "0");
            keepAChartableStock(form_);
            form_.Button3Click();
        });
        refreshTitle();
        form_.platform.showMessage("J-Quants APIから更新しました。\n" +
                                   market::summaryText(*run->summary) +
                                   (run->notice.empty() ? "" : "\n" + run->notice));
        emit updated();
        return true;
    }
    if (run->cancelled) {
        form_.platform.showMessage(
            "更新を中止しました。取得した日は保存してあります "
            "(ファイルは最後にそろえた組のままです)。");
    } else if (run->damaged) {
        // The way out, once the user agrees: the damaged store is kept aside and the
        // update builds a new one.
        const QString question =
            qt(run->error) + "\n\n壊れたファイルを別の名前で残し、市場データを作り直しますか？";
        if (!confirm(question)) return false;
        try {
            const auto kept = market::setDamagedStoreAside(form_.options.root);
            form_.platform.showMessage("壊れたファイルを " + kept.string() + " として残しました。");
        } catch (const Exception& e) {
            form_.platform.showError(errorBoxText(e.message()));
            return false;
        }
        return runUpdate();
    } else {
        form_.platform.showError(errorBoxText(run->error));
    }
    return false;
}

void MarketActions::editKey() {
    QInputDialog dialog(&window_);
    dialog.setObjectName("MarketKeyDialog");
    dialog.setWindowTitle("J-Quants APIキー");
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setTextEchoMode(QLineEdit::Password);
    std::string label =
        "J-Quants (jpx-jquants.com) に無料で登録し、ダッシュボードの「設定 » APIキー」で\n"
        "発行したキーを貼り付けてください。\n保存先: " +
        market::keyFilePath().string() + " (自分だけが読めるファイル)";
    if (const char* environment = std::getenv("JQUANTS_API_KEY"); environment && *environment)
        label += "\n環境変数 JQUANTS_API_KEY が設定されているため、そちらが使われます。";
    dialog.setLabelText(qt(label));
    if (dialog.exec() != QDialog::Accepted) return;
    try {
        market::saveKey(dialog.textValue().toStdString());
    } catch (const Exception& e) {
        form_.platform.showError(errorBoxText(e.message()));
        return;
    }
    form_.platform.showMessage("APIキーを保存しました: " + market::keyFilePath().string());
    form_.services = data::loadServiceHosts(form_.options.root);
    if (const auto today = parseDate(form_.platform.today())) offerUpdateIfDue(*today);
}
