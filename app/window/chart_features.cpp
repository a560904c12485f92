#include "app/window/chart_features.h"

#include <QAction>
#include <QFileDialog>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QToolTip>
#include <algorithm>

#include "app/form.h"
#include "app/preferences.h"
#include "app/window/main_window.h"
#include "app/window/window_style.h"
#include "screening/results_csv.h"
#include "tables/convert.h"

namespace {

constexpr int kScaleWidth = kChartScaleWidth;
constexpr int kCaptionHeight = 18;

QString qt(const std::string& text) {
    return QString::fromStdString(text);
}

// The chart grid's cells through the renderer; a selected cell as the grid selects.
class ChartCellDelegate : public QStyledItemDelegate {
  public:
    ChartCellDelegate(const ChartFeatures& features, const TForm1& form, QObject* parent)
        : QStyledItemDelegate(parent), features_(features), form_(form) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const QString text = index.data(Qt::DisplayRole).toString();
        if (!(option.state & QStyle::State_Selected)) {
            render::paintCell(*painter, option.rect, features_.scene(),
                              index.column() + form_.StringGrid1.fixedCols(),
                              index.row() + form_.StringGrid1.fixedRows(), text, option.font);
            return;
        }
        painter->save();
        painter->fillRect(option.rect, option.palette.highlight());
        painter->setFont(option.font);
        painter->setPen(option.palette.highlightedText().color());
        painter->drawText(option.rect.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, text);
        painter->restore();
    }

  private:
    const ChartFeatures& features_;
    const TForm1& form_;
};

// Trend lines, signal tags and the count column over the chart grid's viewport, beside
// the price column held over it; the mouse goes through.
class DecorationOverlay : public QWidget {
  public:
    DecorationOverlay(const ChartFeatures& features, const QTableView* frozen, QWidget* parent)
        : QWidget(parent), features_(features), frozen_(frozen) {
        setObjectName("ChartDecorations");
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const int left = frozen_->isVisible() ? frozen_->width() : 0;
        painter.setClipRect(left, 0, width() - left, height());
        render::paintDecorations(painter, features_.scene(),
                                 [this](int col, int row) { return features_.cellRect(col, row); });
    }

  private:
    const ChartFeatures& features_;
    const QTableView* frozen_;
};

// The levels on the chart's right edge, beside their rows, and the current price.
class RightScale : public QWidget {
  public:
    RightScale(const ChartFeatures& features, QTableView* chart, QWidget* parent)
        : QWidget(parent), features_(features), chart_(chart) {
        setObjectName("RightScale");
        setAutoFillBackground(true);
        QPalette colours = palette();
        colours.setColor(QPalette::Window, kChartBackground);
        setPalette(colours);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QWidget* viewport = chart_->viewport();
        const int top = viewport->y();
        painter.setClipRect(0, top, width(), viewport->height());
        render::paintScale(
            painter, features_.scene(),
            [this, top](int col, int row) {
                return features_.cellRect(col, row).translated(0, top);
            },
            0, std::min(width(), kScaleWidth) - 2, false, true);
    }

  private:
    const ChartFeatures& features_;
    QTableView* chart_;
};

// A header's section position in its viewport, also for sections beyond its ends.
std::pair<double, double> sectionSpan(const QHeaderView* header, int section) {
    const int size = header->defaultSectionSize();
    const int count = header->count();
    if (count == 0) return {static_cast<double>(section) * size - header->offset(), size};
    if (section < 0)
        return {header->sectionViewportPosition(0) + static_cast<double>(section) * size, size};
    if (section >= count) {
        const int last = count - 1;
        return {header->sectionViewportPosition(last) + header->sectionSize(last) +
                    static_cast<double>(section - count) * size,
                size};
    }
    return {header->sectionViewportPosition(section), header->sectionSize(section)};
}

}  // namespace

ChartFeatures::ChartFeatures(MainWindow& window, TForm1& form)
    : QObject(&window), window_(window), form_(form) {
    setObjectName("ChartFeatures");
    QTableView* chart = window.chartView();
    chart->setItemDelegate(new ChartCellDelegate(*this, form_, chart));

    overlay_ = new DecorationOverlay(*this, window.frozenLevels(), &window);
    overlay_->stackUnder(window.resultsView());
    scale_ = new RightScale(*this, chart, &window);

    // The panel under the menus: the newest signal, the line in force and the objectives
    // on the left, the chart style on the right.
    panel_ = new QLabel(&window);
    panel_->setObjectName("ChartPanel");
    panel_->setFont(windowFont(12));
    panel_->setContentsMargins(8, 0, 8, 0);
    stylePanel_ = new QLabel(&window);
    stylePanel_->setObjectName("ChartStylePanel");
    stylePanel_->setFont(windowFont(12));
    stylePanel_->setContentsMargins(8, 0, 8, 0);
    stylePanel_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    resultsCaption_ = new QLabel(&window);
    resultsCaption_->setObjectName("ResultsCaption");
    resultsCaption_->setFont(windowFont(12));
    resultsCaption_->setAutoFillBackground(true);
    QPalette colours = resultsCaption_->palette();
    colours.setColor(QPalette::Window, kResultsFixed);
    resultsCaption_->setPalette(colours);
    resultsCaption_->setContentsMargins(4, 0, 4, 0);
    resultsCaption_->hide();

    months_ = window.menu("表示")->addAction(QString::fromUtf8("月表示"));
    months_->setCheckable(true);
    months_->setChecked(true);
    connect(months_, &QAction::toggled, this, [this] { refresh(true); });

    QMenu* file = window.menu("ファイル");
    connect(file->addAction(QString::fromUtf8("画像を保存…")), &QAction::triggered, this, [this] {
        const QString code = qt(std::string(codeKey(form_.Edit1.text())));
        const QString path = QFileDialog::getSaveFileName(
            &window_, QString::fromUtf8("画像を保存"), (code.isEmpty() ? "chart" : code) + ".png",
            QString::fromUtf8("PNG 画像 (*.png);;SVG 画像 (*.svg)"));
        if (!path.isEmpty()) savePicture(path);
    });
    connect(file->addAction(QString::fromUtf8("結果をCSV保存…")), &QAction::triggered, this,
            [this] {
                const QString path =
                    QFileDialog::getSaveFileName(&window_, QString::fromUtf8("結果をCSV保存"),
                                                 "results.csv", QString::fromUtf8("CSV (*.csv)"));
                if (!path.isEmpty()) saveResults(path);
            });

    chart->viewport()->installEventFilter(this);
    for (QScrollBar* bar : {chart->horizontalScrollBar(), chart->verticalScrollBar()})
        connect(bar, &QScrollBar::valueChanged, this, [this] { repaint(); });
    for (QHeaderView* header : {chart->horizontalHeader(), chart->verticalHeader()})
        connect(header, &QHeaderView::sectionResized, this, [this] { repaint(); });

    window.afterSync.push_back([this] { refresh(); });
    window.afterLayout.push_back([this] { layout(); });
}

QRectF ChartFeatures::cellRect(int col, int row) const {
    const QTableView* chart = window_.chartView();
    const auto [x, width] =
        sectionSpan(chart->horizontalHeader(), col - form_.StringGrid1.fixedCols());
    const auto [y, height] =
        sectionSpan(chart->verticalHeader(), row - form_.StringGrid1.fixedRows());
    return QRectF(x, y, width, height);
}

void ChartFeatures::refresh(bool force) {
    const std::uint64_t revision =
        form_.StringGrid1.revision() + form_.StringGrid5.revision() + form_.StringGrid2.revision();
    if (force || revision != shownRevision_) {
        shownRevision_ = revision;
        scene_ = render::ChartScene(app::chartViewOf(form_), months_->isChecked());
        QStringList texts;
        for (const std::string& text : app::panelTexts(scene_.view().decorations))
            texts << qt(text);
        panelText_ = texts.join(QString::fromUtf8("　"));
        window_.chartView()->viewport()->update();
        repaint();
    }
    stylePanel_->setText(qt(app::styleText(form_.chartStyle)));
    const bool results = window_.resultsView()->isVisible();
    resultsCaption_->setText(qt(screening::bullishPercentText(form_.screeningNotes)));
    resultsCaption_->setVisible(results && form_.screeningNotes.screened > 0);
    layout();
}

void ChartFeatures::layout() {
    QTableView* chart = window_.chartView();
    const QRect area = window_.chartArea();
    // The grid is as wide as its columns need, at most the area less the scale; the scale
    // stands beside its last column and the chart's background fills the rest.
    const int frame = 2 * chart->frameWidth();
    const bool scrollsDown =
        frame + chart->horizontalHeader()->height() + chart->verticalHeader()->length() >
        area.height();
    const int needed = frame + chart->verticalHeader()->width() +
                       chart->horizontalHeader()->length() +
                       (scrollsDown ? chart->verticalScrollBar()->sizeHint().width() : 0);
    const QRect grid(area.left(), area.top(),
                     std::clamp(needed, 0, std::max(0, area.width() - kScaleWidth)), area.height());
    if (chart->geometry() != grid) chart->setGeometry(grid);
    const QRect scale(grid.right() + 1, area.top(), std::max(0, area.right() - grid.right()),
                      area.height());
    if (scale_->geometry() != scale) scale_->setGeometry(scale);
    const QWidget* viewport = chart->viewport();
    overlay_->setGeometry(QRect(viewport->mapTo(&window_, QPoint(0, 0)), viewport->size()));
    const QRect results = window_.resultsView()->geometry();
    resultsCaption_->setGeometry(results.left(), results.top() - kCaptionHeight, results.width(),
                                 kCaptionHeight);

    // The panel: the style takes what it needs on the right, the rest is elided.
    const QRect bar = window_.infoBar();
    const int styleWidth = std::min(bar.width() / 2, stylePanel_->sizeHint().width());
    stylePanel_->setGeometry(bar.right() + 1 - styleWidth, bar.top(), styleWidth, bar.height());
    panel_->setGeometry(bar.left(), bar.top(), bar.width() - styleWidth, bar.height());
    const int room = panel_->width() - 16;
    const QString shown = panel_->fontMetrics().elidedText(panelText_, Qt::ElideRight, room);
    if (panel_->text() != shown) panel_->setText(shown);
    panel_->setToolTip(shown == panelText_ ? QString() : panelText_);
}

void ChartFeatures::repaint() {
    overlay_->update();
    scale_->update();
}

void ChartFeatures::savePicture(const QString& path) {
    const std::filesystem::path file = path.toStdString();
    const bool months = months_->isChecked();
    window_.act([this, file, months] {
        render::saveChartPicture(app::chartViewOf(form_), app::chartCaptionOf(form_), file,
                                 render::pictureFormatOf(file), 0, months);
    });
}

void ChartFeatures::saveResults(const QString& path) {
    const std::filesystem::path file = path.toStdString();
    window_.act([this, file] {
        screening::saveResultsCsv(
            file, screening::resultsCsv(form_.StringGrid3, form_.StringGrid11, form_.StringGrid8,
                                        form_.screeningNotes));
    });
}

bool ChartFeatures::eventFilter(QObject* watched, QEvent* event) {
    // The viewport moves when the box numbers widen: the overlay follows it.
    if (event->type() == QEvent::Resize || event->type() == QEvent::Move) layout();
    if (event->type() != QEvent::ToolTip) return QObject::eventFilter(watched, event);
    auto* help = static_cast<QHelpEvent*>(event);
    const auto cell = [this](int col, int row) { return cellRect(col, row); };
    for (const render::SignalTag& tag : scene_.signalTags()) {
        if (!render::signalTagRect(scene_, cell, tag.col, tag.index).contains(help->pos()))
            continue;
        QToolTip::showText(help->globalPos(), scene_.signalTip(tag.col),
                           window_.chartView()->viewport());
        return true;
    }
    // A box: its date and price.
    const QModelIndex index = window_.chartView()->indexAt(help->pos());
    const QString tip = index.isValid()
                            ? scene_.boxTip(index.column() + form_.StringGrid1.fixedCols(),
                                            index.row() + form_.StringGrid1.fixedRows())
                            : QString();
    if (tip.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(help->globalPos(), tip, window_.chartView()->viewport());
    return true;
}
