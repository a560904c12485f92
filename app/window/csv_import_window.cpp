#include "app/window/csv_import_window.h"

#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressDialog>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <filesystem>
#include <memory>

#include "app/form.h"
#include "app/window/main_window.h"
#include "market/market.h"
#include "tables/errors.h"
#include "tables/settings_layout.h"
#include "tables/source_mode.h"

namespace {

constexpr const char* kReplaceQuestion =
    "見本データを取り込んだデータで置き換えます。よろしいですか？";

QStringList localFiles(const QMimeData* data) {
    QStringList files;
    if (!data || !data->hasUrls()) return files;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile() && QFileInfo(url.toLocalFile()).isFile())
            files.push_back(url.toLocalFile());
    return files;
}

std::string joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines) text += (text.empty() ? "" : "\n") + line;
    return text;
}

// The tables read from the rebuilt files; the first imported stock in the price table
// is charted.
void reloadAndChart(TForm1& form, const market::ImportResult& result) {
    form.Button25Click();
    try {
        form.Button20Click();
    } catch (const Exception&) {
        // The dates only matter for stocks outside the price table.
    }
    form.Button2Click();
    form.StringGrid3.setCell(settings::kCandidatesLoaded, "0");  // the candidate rows load afresh
    if (form.mode() != SourceMode::Quendal) return;
    for (const auto& code : result.importedCodes()) {
        const auto& full = result.watchListFull;
        if (std::find(full.begin(), full.end(), code) != full.end()) continue;
        form.Edit1.setText(code);
        form.Button3Click();
        return;
    }
}

}  // namespace

CsvImportWindow::CsvImportWindow(MainWindow& window, TForm1& form)
    : QObject(&window), window_(window), form_(form) {
    confirm = [this](const QString& question) {
        return QMessageBox::question(&window_, "dravik", question,
                                     QMessageBox::Yes | QMessageBox::No,
                                     QMessageBox::No) == QMessageBox::Yes;
    };
    if (QMenu* file = window.menu(QString::fromUtf8("ファイル")))
        file->addAction(QString::fromUtf8("CSV取り込み…"), this, &CsvImportWindow::chooseFiles);
    window.setAcceptDrops(true);
    window.installEventFilter(this);
}

void CsvImportWindow::chooseFiles() {
    const QStringList files = QFileDialog::getOpenFileNames(
        &window_, QString::fromUtf8("CSV取り込み"), QString(),
        QString::fromUtf8("CSV・テキスト (*.csv *.CSV *.txt *.TXT *.tsv);;すべてのファイル (*)"));
    importFiles(files);
}

bool CsvImportWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &window_) {
        if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if (!localFiles(drag->mimeData()).isEmpty()) {
                drag->acceptProposedAction();
                return true;
            }
        } else if (event->type() == QEvent::Drop) {
            auto* drop = static_cast<QDropEvent*>(event);
            const QStringList files = localFiles(drop->mimeData());
            if (!files.isEmpty()) {
                drop->acceptProposedAction();
                // Questions and progress after the drop has finished.
                QTimer::singleShot(0, this, [this, files] { importFiles(files); });
                return true;
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

void CsvImportWindow::importFiles(const QStringList& files) {
    if (files.isEmpty()) return;
    const data::DataRoot root = form_.options.root;
    if (market::holdsGeneratedSample(root) && !confirm(QString::fromUtf8(kReplaceQuestion))) return;
    std::vector<std::filesystem::path> paths;
    for (const QString& file : files) paths.emplace_back(file.toStdString());

    std::unique_ptr<QProgressDialog> progress;
    if (paths.size() > 1) {
        progress = std::make_unique<QProgressDialog>(QString::fromUtf8("CSVを取り込んでいます..."),
                                                     QString::fromUtf8("中止"), 0,
                                                     static_cast<int>(paths.size()), &window_);
        progress->setWindowModality(Qt::WindowModal);
        progress->setMinimumDuration(500);
    }
    const auto step = [&progress](std::size_t done, std::size_t,
                                  const std::filesystem::path& file) {
        if (!progress) return true;
        progress->setValue(static_cast<int>(done));
        progress->setLabelText(QString::fromUtf8("CSVを取り込んでいます... ") +
                               QString::fromStdString(file.filename().string()));
        QCoreApplication::processEvents();
        return !progress->wasCanceled();
    };
    window_.act([&] {
        const auto result = market::importCsvFiles(root, paths, {}, step);
        progress.reset();
        if (result.filesRebuilt) reloadAndChart(form_, result);
        const auto report = market::describe(result);
        auto lines = report.problems;
        lines.insert(lines.end(), report.warnings.begin(), report.warnings.end());
        lines.insert(lines.end(), report.done.begin(), report.done.end());
        if (report.problems.empty())
            form_.platform.showMessage(joined(lines));
        else
            form_.platform.showError(joined(lines));
    });
}
