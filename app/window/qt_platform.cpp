#include "app/window/qt_platform.h"

#include <QApplication>
#include <QCursor>
#include <QLabel>
#include <QMessageBox>

#include "tables/errors.h"

namespace {
QString qt(const std::string& text) {
    return QString::fromStdString(text);
}
}  // namespace

void QtPlatform::showMessage(const std::string& text) {
    if (messageSink) return messageSink(text, false);
    // A box during an action shows the normal cursor.
    const bool waiting = waitDepth_ > 0;
    if (waiting) QApplication::setOverrideCursor(Qt::ArrowCursor);
    QMessageBox::information(owner, qt(std::string(kProgramTitle)), qt(text));
    if (waiting) QApplication::restoreOverrideCursor();
}

void QtPlatform::showError(const std::string& text) {
    if (messageSink) return messageSink(text, true);
    const bool waiting = waitDepth_ > 0;
    if (waiting) QApplication::setOverrideCursor(Qt::ArrowCursor);
    QMessageBox::critical(owner, qt(std::string(kProgramTitle)), qt(text));
    if (waiting) QApplication::restoreOverrideCursor();
}

void QtPlatform::beginWait() {
    ++waitDepth_;
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

void QtPlatform::endWait() {
    if (waitDepth_ == 0) return;
    --waitDepth_;
    QApplication::restoreOverrideCursor();
}

void QtPlatform::processEvents() {
    if (beforeEvents) beforeEvents();
    QCoreApplication::processEvents();
}

std::string QtPlatform::today() {
    return localToday();
}

void QtPlatform::splashStatus(const std::string& text) {
    if (!splashLine) return;
    splashLine->setText(qt(text));
    splashLine->repaint();
}
