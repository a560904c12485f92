#include "app/window/splash_window.h"

#include <QEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

#include "app/window/window_style.h"

TSplashWindow::TSplashWindow()
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QString::fromUtf8("Dravik 起動"));
    setFixedSize(342, 113);

    auto* panel = new QFrame(this);
    panel->setGeometry(0, 0, 342, 113);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setLineWidth(2);
    panel->setAutoFillBackground(true);
    QPalette colours = panel->palette();
    colours.setColor(QPalette::Window, QColor(145, 176, 215));
    panel->setPalette(colours);

    const QFont font = windowFont(20);
    auto place = [&](const char* text, int left, int top) {
        auto* label = new QLabel(QString::fromUtf8(text), panel);
        label->setFont(font);
        label->move(left, top);
        label->adjustSize();
        return label;
    };
    place("dravik.exeを開いています。", 72, 16);
    status_ = place("データ読み込み中...", 88, 48);
    status_->setMinimumWidth(342 - 88 - 4);
    place("しばらくおまちください。", 72, 80);

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
}

bool TSplashWindow::event(QEvent* event) {
    if (event->type() == QEvent::WindowDeactivate) close();
    return QWidget::event(event);
}
