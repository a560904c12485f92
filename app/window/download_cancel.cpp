#include "app/window/download_cancel.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QTableView>
#include <QTimer>

#include "app/form.h"
#include "app/window/main_window.h"
#include "app/window/window_style.h"
#include "data/collection_fetch.h"

namespace {
// Often enough that the button comes with the first page and a cancel between two pages
// reaches the next request at once.
constexpr int kLookMs = 50;
constexpr int kMargin = 24;  // clear of the chart's scroll bars
}  // namespace

DownloadCancel::DownloadCancel(MainWindow& window, TForm1& form)
    : QObject(&window), window_(window), form_(form) {
    button_ = new QPushButton(QString::fromUtf8("中止"), &window);
    button_->setObjectName("CancelDownload");
    button_->setFont(windowFont(13));
    button_->setToolTip(QString::fromUtf8("データの取得を中止します（Esc）"));
    button_->resize(64, 25);
    button_->hide();
    connect(button_, &QPushButton::clicked, this, [this] { cancel(); });

    // The waits of a download keep handling the window's events, timers included.
    auto* look = new QTimer(this);
    connect(look, &QTimer::timeout, this, [this] { update(); });
    look->start(kLookMs);
    // Esc reaches the program in whichever of its windows has the focus.
    qApp->installEventFilter(this);
}

bool DownloadCancel::downloading() const {
    return form_.HttpClient1.RequestRunning() || data::pageFetchBusy(&form_);
}

void DownloadCancel::cancel() {
    if (form_.HttpClient1.CancelRequest()) return;
    if (downloading()) pending_ = true;
}

void DownloadCancel::update() {
    const bool busy = downloading();
    if (!busy) pending_ = false;
    if (pending_ && form_.HttpClient1.CancelRequest()) pending_ = false;
    if (busy == button_->isVisible()) return;
    if (busy) {
        place();
        button_->raise();
    }
    button_->setVisible(busy);
}

void DownloadCancel::place() {
    const QRect chart = window_.chartView()->geometry();
    button_->move(chart.right() - button_->width() - kMargin,
                  chart.bottom() - button_->height() - kMargin);
}

bool DownloadCancel::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && downloading() &&
        QApplication::activeModalWidget() == nullptr) {
        cancel();
        return true;
    }
    if (watched == &window_ && event->type() == QEvent::Resize && button_->isVisible())
        QTimer::singleShot(0, this, [this] { place(); });
    return QObject::eventFilter(watched, event);
}
