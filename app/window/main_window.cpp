#include "app/window/main_window.h"

#include <QApplication>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QFrame>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTextBrowser>
#include <QTimer>
#include <QUrl>
#include <QWheelEvent>
#include <algorithm>
#include <array>

#include "app/preferences.h"
#include "app/window/chart_features.h"
#include "app/window/chart_style_menu.h"
#include "app/window/csv_import_window.h"
#include "app/window/download_cancel.h"
#include "app/window/market_actions.h"
#include "app/window/market_view.h"
#include "app/window/pattern_list_menu.h"
#include "app/window/qt_platform.h"
#include "app/window/table_model.h"
#include "app/window/window_style.h"

namespace {

QString qt(const std::string& text) {
    return QString::fromStdString(text);
}

// The client area the positions below are laid out for.
constexpr int kDesignWidth = 853;
constexpr int kDesignHeight = 657;
constexpr int kBottomPanelHeight = 70;
// Below this the bottom panel's fields would be cut.
constexpr int kMinimumWidth = kDesignWidth;
constexpr int kMinimumHeight = 400;
// The chart's panel under the menus, and the bullish percent above the results list.
constexpr int kInfoBarHeight = 20;
constexpr int kResultsCaptionHeight = 18;
constexpr int kResultsHeight = 193;
// The cell heights of the zoom; a cell is 5/4 of its height wide (15 x 12 at first).
constexpr std::array<int, 13> kCellHeights{4, 6, 8, 10, 12, 14, 16, 18, 20, 24, 28, 32, 40};

int cellWidthFor(int height) {
    return (height * 5 + 2) / 4;
}

// Results list: widths of columns 0 to 10.
constexpr std::array<int, 11> kResultsWidths{30, 97, 96, 97, 97, 96, 97, 100, 98, 97, 98};

template <class Client>
void handleClientMessages(Client& client) {
    if constexpr (requires { client.processMessages(); }) client.processMessages();
}

QString colourText(const QColor& colour) {
    return QString("rgb(%1,%2,%3)").arg(colour.red()).arg(colour.green()).arg(colour.blue());
}

QString headerStyle(const QString& background) {
    return QString(
               "QHeaderView::section { background-color: %1; color: black; padding: 0px;"
               " border: none; border-right: 1px solid #8c8c8c; border-bottom: 1px solid #8c8c8c; "
               "}")
        .arg(background);
}

QTableView* makeGridView(QWidget* parent, WorkingTableModel* model, const QColor& background,
                         const QString& fixedColour, const char* name) {
    auto* view = new QTableView(parent);
    view->setObjectName(name);
    view->setModel(model);
    view->setItemDelegate(new CellDelegate(view));
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSelectionMode(QAbstractItemView::ContiguousSelection);
    view->setShowGrid(true);
    view->setGridStyle(Qt::SolidLine);
    view->setWordWrap(false);
    view->setTextElideMode(Qt::ElideNone);
    view->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    view->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    QPalette colours = view->palette();
    colours.setColor(QPalette::Base, background);
    colours.setColor(QPalette::Text, Qt::black);
    view->setPalette(colours);
    for (QHeaderView* header : {view->horizontalHeader(), view->verticalHeader()}) {
        header->setMinimumSectionSize(1);
        header->setSectionResizeMode(QHeaderView::Interactive);
        header->setHighlightSections(false);
        header->setStyleSheet(headerStyle(fixedColour));
    }
    view->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    view->verticalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    view->setCornerButtonEnabled(false);
    return view;
}

void colourWidget(QWidget* widget, const QColor& colour, QPalette::ColorRole role) {
    QPalette colours = widget->palette();
    colours.setColor(role, colour);
    widget->setPalette(colours);
}

}  // namespace

MainWindow::MainWindow(TForm1& form, QtPlatform& platform)
    : QWidget(nullptr), form_(form), platform_(platform) {
    setObjectName("Form1");
    setWindowTitle("Dravik");
    setFont(windowFont(12));
    resize(kDesignWidth, kDesignHeight);
    setMinimumSize(kMinimumWidth, kMinimumHeight);
    move(117, 13);
    const app::Preferences preferences = app::loadPreferences(form_.options.root);
    if (preferences.cellWidth > 0 && preferences.cellHeight > 0)
        cellSize_ = QSize(preferences.cellWidth, preferences.cellHeight);

    menuBar_ = new QMenuBar(this);
    for (const char* title : {"ファイル", "データ", "表示", "作図"})
        menuBar_->addMenu(QString::fromUtf8(title));
    // The chart's area shows the chart's background also beside a narrow chart.
    chartBackground_ = new QWidget(this);
    chartBackground_->setObjectName("ChartArea");
    chartBackground_->setAutoFillBackground(true);
    buildGrids();
    buildBottomPanel();

    panel5_ = new QLabel(qt(form_.Panel5.caption), this);
    panel5_->setObjectName("Panel5");
    panel5_->setGeometry(544, 544, 241, 41);
    panel5_->setFont(windowFont(13));
    panel5_->setAlignment(Qt::AlignCenter);
    panel5_->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel5_->setAutoFillBackground(true);
    colourWidget(panel5_, kNoticePanel, QPalette::Window);
    panel5_->hide();

    for (const TPanel* notice :
         {&form_.fetchBusyNotice, &form_.staleDatesNotice, &form_.closesOnlyNotice}) {
        auto* label = new QLabel(qt(notice->caption), this);
        label->setFont(windowFont(13));
        label->setMargin(4);
        label->setFrameStyle(QFrame::Panel | QFrame::Raised);
        label->setAutoFillBackground(true);
        colourWidget(label, kNoticePanel, QPalette::Window);
        label->adjustSize();
        label->hide();
        notices_.emplace_back(label, notice);
    }
    notices_[0].first->setObjectName("fetchBusyNotice");
    notices_[1].first->setObjectName("staleDatesNotice");
    notices_[2].first->setObjectName("closesOnlyNotice");

    panel6_ = new QFrame(this);
    panel6_->setObjectName("Panel6");
    panel6_->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel6_->resize(617, 353);
    webBrowser1_ = new QTextBrowser(panel6_);
    webBrowser1_->setObjectName("WebBrowser1");
    webBrowser1_->setGeometry(2, 2, 613, 349);
    webBrowser1_->setOpenExternalLinks(true);
    panel6_->hide();

    bindEvents();
    new CsvImportWindow(*this, form_);  // "CSV取り込み…" and files dropped on the window
    // Socket notices and time-outs of the HTTP client are also handled between actions,
    // e.g. a peer closing an idle connection.
    auto* idle = new QTimer(this);
    connect(idle, &QTimer::timeout, this, [this] { handleClientMessages(form_.HttpClient1); });
    idle->start(50);
    new DownloadCancel(*this, form_);
    platform_.owner = this;
    platform_.beforeEvents = [this] { syncFromForm(); };

    new ChartFeatures(*this, form_);
    new ChartStyleMenu(*this, form_);  // "作図": the construction choices
    buildViewMenu();
    new PatternListMenu(*this, form_);  // "拡張パターン": the further formations in the list
    placeAnchored();
    syncFromForm();
    auto* market = new MarketActions(*this, form_);  // real prices: the Data menu and the title
    // The whole market's figures, refreshed when an update completes.
    auto* view = new MarketView(*this, form_);
    connect(market, &MarketActions::updated, view, &MarketView::refresh);
}

MainWindow::~MainWindow() {
    // The fields losing their focus while they are destroyed is no user action.
    for (auto& [number, widget] : edits_) widget->removeEventFilter(this);
    platform_.beforeEvents = nullptr;
    platform_.owner = nullptr;
}

void MainWindow::buildGrids() {
    const QString buttonFace = colourText(palette().color(QPalette::Button));
    chartModel_ = new WorkingTableModel(form_.StringGrid1, kChartBackground, this);
    boxDateModel_ = new WorkingTableModel(form_.StringGrid5, kChartBackground, this);
    resultsModel_ = new WorkingTableModel(form_.StringGrid11, kResultsBackground, this);

    // The box-date grid lies under the chart grid and is never seen.
    boxDates_ = makeGridView(this, boxDateModel_, kChartBackground, buttonFace, "StringGrid5");
    boxDates_->hide();
    chart_ = makeGridView(this, chartModel_, kChartBackground, buttonFace, "StringGrid1");
    chart_->setFont(windowFont(cellSize_.height()));
    colourWidget(chartBackground_, kChartBackground, QPalette::Window);
    // The price column over the grid's first column, scrolled up and down with it only.
    frozen_ = makeGridView(chart_, chartModel_, kChartBackground, buttonFace, "FrozenLevels");
    frozen_->setFont(chart_->font());
    frozen_->setFocusPolicy(Qt::NoFocus);
    frozen_->verticalHeader()->hide();
    frozen_->setFrameShape(QFrame::NoFrame);
    frozen_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    frozen_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    frozen_->setSelectionModel(chart_->selectionModel());
    connect(frozen_->verticalScrollBar(), &QScrollBar::valueChanged, chart_->verticalScrollBar(),
            &QScrollBar::setValue);
    connect(chart_->verticalScrollBar(), &QScrollBar::valueChanged, frozen_->verticalScrollBar(),
            &QScrollBar::setValue);
    for (QHeaderView* header : {chart_->horizontalHeader(), chart_->verticalHeader()})
        connect(header, &QHeaderView::geometriesChanged, this, [this] { placeFrozenLevels(); });
    results_ = makeGridView(this, resultsModel_, kResultsBackground, colourText(kResultsFixed),
                            "StringGrid11");
    results_->hide();
    applySectionSizes();
}

void MainWindow::applySectionSizes() {
    // Chart grid: columns 15 pixels, the level column 40, rows 12 (zoomed: the cell size).
    if (chart_->font().pixelSize() != cellSize_.height()) {
        chart_->setFont(windowFont(cellSize_.height()));
        frozen_->setFont(chart_->font());
        // The box numbers and column numbers at most 12 pixels, no higher than a row.
        const QFont numbers = windowFont(std::clamp(cellSize_.height(), 4, 12));
        for (QHeaderView* header :
             {chart_->verticalHeader(), chart_->horizontalHeader(), frozen_->horizontalHeader()})
            header->setFont(numbers);
    }
    const int headerHeight = std::max(12, cellSize_.height());
    chart_->horizontalHeader()->setDefaultSectionSize(cellSize_.width());
    chart_->horizontalHeader()->setFixedHeight(headerHeight);
    chart_->verticalHeader()->setDefaultSectionSize(cellSize_.height());
    frozen_->horizontalHeader()->setFixedHeight(headerHeight);
    frozen_->verticalHeader()->setDefaultSectionSize(cellSize_.height());
    // The box-number column is 15 pixels, widened only as far as its numbers need.
    const QFontMetrics metrics(chart_->verticalHeader()->font());
    const QString widest = QString::number(std::max(1, form_.StringGrid1.rowCount() - 1));
    chart_->verticalHeader()->setFixedWidth(std::max(15, metrics.horizontalAdvance(widest) + 4));
    // The level column is 40 pixels, widened as far as its widest level needs.
    if (chartModel_->columnCount() > 0) {
        const QFontMetrics cellMetrics(chart_->font());
        int widest = 0;
        for (int row = 0; row < form_.StringGrid1.rowCount(); ++row)
            widest =
                std::max(widest, cellMetrics.horizontalAdvance(qt(form_.StringGrid1.cell(1, row))));
        chart_->setColumnWidth(0, std::max(40, widest + 6));
        frozen_->setColumnWidth(0, chart_->columnWidth(0));
    }
    for (int column = 1; column < chartModel_->columnCount(); ++column)
        if (!frozen_->isColumnHidden(column)) frozen_->setColumnHidden(column, true);
    placeFrozenLevels();

    boxDates_->horizontalHeader()->setDefaultSectionSize(30);
    boxDates_->horizontalHeader()->setFixedHeight(13);
    boxDates_->verticalHeader()->setDefaultSectionSize(13);
    boxDates_->verticalHeader()->setFixedWidth(30);

    results_->horizontalHeader()->setFixedHeight(20);
    results_->verticalHeader()->setDefaultSectionSize(20);
    // The row numbers of a long list get the width they need.
    const QString widestNumber = QString::number(std::max(1, form_.StringGrid11.rowCount() - 1));
    results_->verticalHeader()->setFixedWidth(std::max(
        kResultsWidths[0],
        QFontMetrics(results_->verticalHeader()->font()).horizontalAdvance(widestNumber) + 4));
    for (int column = 0; column < resultsModel_->columnCount(); ++column) {
        const int tableColumn = column + 1;
        // The further formations' columns (拡張パターン) as wide as the ten's.
        results_->setColumnWidth(column, tableColumn < static_cast<int>(kResultsWidths.size())
                                             ? kResultsWidths[tableColumn]
                                             : 98);
    }
}

void MainWindow::buildBottomPanel() {
    panel2_ = new QWidget(this);
    panel2_->setObjectName("Panel2");
    panel2_->setAutoFillBackground(true);
    colourWidget(panel2_, kBottomPanel, QPalette::Window);
    // A 15-pixel character cell: 13-pixel characters.
    panel2_->setFont(windowFont(13));

    auto label = [this](const char* name, const char* caption, int left, int top) {
        auto* widget = new QLabel(QString::fromUtf8(caption), panel2_);
        widget->setObjectName(name);
        widget->move(left, top);
        widget->adjustSize();
        return widget;
    };
    auto field = [this](int number, const char* text, int left, int top, int width, bool grey) {
        auto* widget = new QLineEdit(QString::fromUtf8(text), panel2_);
        widget->setObjectName(QString("Edit%1").arg(number));
        widget->setGeometry(left, top, width, 23);
        if (grey) colourWidget(widget, kFieldGrey, QPalette::Base);
        edits_[number] = widget;
        return widget;
    };
    auto button = [this](const char* name, const char* caption, int left, int top, int width) {
        auto* widget = new QPushButton(QString::fromUtf8(caption), panel2_);
        widget->setObjectName(name);
        widget->setGeometry(left, top, width, 25);
        widget->setFont(windowFont(13));
        return widget;
    };

    label("Label4", "日付", 40, 13);
    field(4, "", 72, 9, 89, true);
    label("Label5", "株価", 40, 34);
    field(5, "", 72, 35, 89, true);
    label("Label3", "株価幅（率）", 176, 13);
    field(3, "0.015", 248, 11, 57, true);
    label("Label1", "表示日数", 176, 37);
    field(2, "500", 248, 37, 57, true);
    field(8, "quendal", 318, 10, 67, true);
    label("Label2", "銘柄コード", 320, 37);
    field(1, "", 387, 38, 137, true);
    button("Button3", "実行", 390, 10, 45);
    button("Button26", "順次", 438, 10, 37);
    button("Button27", "戻る", 477, 10, 45);
    button37_ = button("Button37", "選別", 544, 10, 62);
    button("Button40", "結果開閉", 544, 38, 62);
    label("Label6", "ｋｏｕｈｏ読込", 609, 12);
    button("Button31", "読込", 695, 10, 74);
    field(6, "6000", 608, 38, 73, false);
    label("Label7", "～", 681, 41);
    field(7, "6999", 695, 38, 74, false);
    button36_ = button("Button36", "利用説明", 784, 9, 66);

    formEdits_ = {{1, &form_.Edit1}, {2, &form_.Edit2}, {3, &form_.Edit3}, {4, &form_.Edit4},
                  {5, &form_.Edit5}, {6, &form_.Edit6}, {7, &form_.Edit7}, {8, &form_.Edit8}};
}

void MainWindow::bindEvents() {
    // Typing writes the field's text back into the form (its change handler runs); it is
    // no action, so it is kept also while quote pages download.
    for (auto& [number, widget] : edits_) {
        TEdit* formEdit = formEdits_.at(number);
        connect(widget, &QLineEdit::textEdited, this, [this, formEdit](const QString& text) {
            form_.edit(*formEdit, text.toStdString());
        });
    }
    const std::map<int, void (TForm1::*)(char)> enterHandlers{{1, &TForm1::Edit1KeyPress},
                                                              {2, &TForm1::Edit2KeyPress},
                                                              {3, &TForm1::Edit3KeyPress},
                                                              {6, &TForm1::Edit6KeyPress},
                                                              {7, &TForm1::Edit7KeyPress}};
    for (const auto& [number, handler] : enterHandlers) {
        connect(edits_.at(number), &QLineEdit::returnPressed, this,
                [this, handler = handler] { act([this, handler] { (form_.*handler)(13); }); });
    }

    const std::map<QString, void (TForm1::*)()> clicks{
        {"Button3", &TForm1::Button3Click},   {"Button26", &TForm1::Button26Click},
        {"Button27", &TForm1::Button27Click}, {"Button37", &TForm1::Button37Click},
        {"Button40", &TForm1::Button40Click}, {"Button31", &TForm1::Button31Click},
        {"Button36", &TForm1::Button36Click}};
    for (const auto& [name, handler] : clicks) {
        auto* widget = panel2_->findChild<QPushButton*>(name);
        connect(widget, &QPushButton::clicked, this, [this, handler = handler] { act(handler); });
    }

    auto onDoubleClick = [this](QObject* widget, void (TForm1::*handler)()) {
        doubleClicks_[widget] = [this, handler] { act(handler); };
        widget->installEventFilter(this);
    };
    onDoubleClick(edits_.at(1), &TForm1::Edit1DblClick);
    onDoubleClick(edits_.at(2), &TForm1::Edit2DblClick);
    onDoubleClick(edits_.at(3), &TForm1::Edit3DblClick);
    onDoubleClick(edits_.at(4), &TForm1::Edit4DblClick);
    onDoubleClick(edits_.at(6), &TForm1::Edit6DblClick);
    onDoubleClick(edits_.at(7), &TForm1::Edit7DblClick);
    for (const auto& [name, handler] :
         std::map<QString, void (TForm1::*)()>{{"Label1", &TForm1::Label1DblClick},
                                               {"Label2", &TForm1::Label2DblClick},
                                               {"Label3", &TForm1::Label3DblClick},
                                               {"Label6", &TForm1::Label6DblClick}})
        onDoubleClick(panel2_->findChild<QLabel*>(name), handler);
    // The mode field is switched by a click, never typed into.
    edits_.at(8)->setReadOnly(true);
    edits_.at(8)->installEventFilter(this);

    chart_->viewport()->installEventFilter(this);
    frozen_->viewport()->installEventFilter(this);
    results_->viewport()->installEventFilter(this);
    connect(results_->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int section) {
        act([this, section] { form_.StringGrid11MouseUp(resultsModel_->tableColumn(section), 0); });
    });
    connect(results_->verticalHeader(), &QHeaderView::sectionClicked, this, [this](int section) {
        act([this, section] { form_.StringGrid11MouseUp(0, resultsModel_->tableRow(section)); });
    });
}

void MainWindow::act(void (TForm1::*action)()) {
    form_.run(action);
    syncFromForm();
}

void MainWindow::act(const std::function<void()>& action) {
    form_.run(action);
    syncFromForm();
}

void MainWindow::cellReleased(QTableView* view, WorkingTableModel* model, QPoint position,
                              void (TForm1::*handler)(int, int)) {
    const QModelIndex index = view->indexAt(position);
    const int column = index.isValid() ? model->tableColumn(index.column()) : -1;
    const int row = index.isValid() ? model->tableRow(index.row()) : -1;
    act([this, handler, column, row] { (form_.*handler)(column, row); });
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseButtonDblClick:
            if (auto found = doubleClicks_.find(watched); found != doubleClicks_.end()) {
                found->second();
                return true;
            }
            break;
        case QEvent::MouseButtonPress:
            if (watched == edits_.at(8)) act(&TForm1::Edit8Click);
            break;
        case QEvent::Wheel: {
            // Ctrl + wheel over the chart zooms it.
            const auto* wheel = static_cast<QWheelEvent*>(event);
            if ((watched == chart_->viewport() || watched == frozen_->viewport()) &&
                (wheel->modifiers() & Qt::ControlModifier)) {
                if (wheel->angleDelta().y() != 0) zoomBy(wheel->angleDelta().y() > 0 ? 1 : -1);
                return true;
            }
            break;
        }
        case QEvent::MouseButtonRelease: {
            const QPoint position = static_cast<QMouseEvent*>(event)->position().toPoint();
            if (watched == chart_->viewport())
                cellReleased(chart_, chartModel_, position, &TForm1::StringGrid1MouseUp);
            else if (watched == frozen_->viewport())
                cellReleased(frozen_, chartModel_, position, &TForm1::StringGrid1MouseUp);
            else if (watched == results_->viewport())
                cellReleased(results_, resultsModel_, position, &TForm1::StringGrid11MouseUp);
            break;
        }
        case QEvent::FocusOut: {
            // Leaving a field for another control of this window; not a box or another window.
            const auto reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason ||
                !isVisible())
                break;
            if (watched == edits_.at(1))
                act(&TForm1::Edit1Exit);
            else if (watched == edits_.at(3))
                act(&TForm1::Edit3Exit);
            break;
        }
        default:
            break;
    }
    return QWidget::eventFilter(watched, event);
}

bool MainWindow::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate && splash) splash->close();
    return QWidget::event(event);
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeAnchored();
}

QMenu* MainWindow::menu(const QString& title) const {
    for (QAction* entry : menuBar_->actions())
        if (entry->text() == title) return entry->menu();
    return nullptr;
}

QRect MainWindow::infoBar() const {
    return QRect(0, menuBar_->sizeHint().height(), width(), kInfoBarHeight);
}

QRect MainWindow::chartArea() const {
    const int top = infoBar().bottom() + 1;
    int bottom = height() - kBottomPanelHeight;
    // The results list takes the width of the window above the bottom panel, its caption
    // above it: it covers no part of the chart.
    if (form_.StringGrid11.visible) bottom = results_->y() - kResultsCaptionHeight;
    return QRect(0, top, width(), std::max(0, bottom - top));
}

void MainWindow::placeAnchored() {
    const int w = width();
    const int h = height();
    const int menuHeight = menuBar_->sizeHint().height();
    menuBar_->setGeometry(0, 0, w, menuHeight);
    const int panelTop = h - kBottomPanelHeight;
    const int listHeight =
        std::clamp((panelTop - menuHeight - kInfoBarHeight) / 3, 60, kResultsHeight);
    results_->setGeometry(0, panelTop - listHeight, w, listHeight);
    const QRect area = chartArea();
    chart_->setGeometry(area);
    boxDates_->setGeometry(area);
    chartBackground_->setGeometry(area);
    chartBackground_->lower();
    panel2_->setGeometry(0, panelTop, w, kBottomPanelHeight);
    // Anchored to the right and bottom edges: they keep their distance from them.
    panel6_->move(w - (kDesignWidth - 232), h - (kDesignHeight - 216));
    // Above the bottom panel's range and candidate buttons, at the chart's lower edge.
    panel5_->move(544, area.bottom() - 42);
    placeNotices();
    placeFrozenLevels();
    for (const auto& place : afterLayout) place();
}

void MainWindow::placeNotices() {
    // The notices shown stand one above the other at the chart's lower left corner.
    int bottom = chartArea().bottom() - 8;
    for (auto& [label, notice] : notices_) {
        label->move(8, bottom - label->height());
        if (notice->visible) bottom -= label->height() + 4;
    }
}

void MainWindow::placeFrozenLevels() {
    const int frame = chart_->frameWidth();
    frozen_->setGeometry(chart_->verticalHeader()->width() + frame, frame,
                         std::min(chart_->columnWidth(0), chart_->viewport()->width()),
                         chart_->viewport()->height() + chart_->horizontalHeader()->height());
    frozen_->setVisible(chartModel_->columnCount() > 0);
    frozen_->verticalScrollBar()->setValue(chart_->verticalScrollBar()->value());
}

void MainWindow::buildViewMenu() {
    QMenu* view = menu(QString::fromUtf8("表示"));
    view->addSeparator();
    QAction* larger = view->addAction(QString::fromUtf8("拡大"), this, [this] { zoomBy(1); });
    larger->setObjectName("ZoomIn");
    larger->setShortcuts({QKeySequence::ZoomIn, QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    QAction* smaller = view->addAction(QString::fromUtf8("縮小"), this, [this] { zoomBy(-1); });
    smaller->setObjectName("ZoomOut");
    smaller->setShortcut(QKeySequence::ZoomOut);
    QAction* whole = view->addAction(QString::fromUtf8("全体表示"), this, [this] { fitChart(); });
    whole->setObjectName("FitChart");
    whole->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));
}

void MainWindow::setCellSize(QSize size) {
    size = size.expandedTo(QSize(2, 2)).boundedTo(QSize(200, 200));
    if (size == cellSize_) return;
    cellSize_ = size;
    applySectionSizes();
    placeAnchored();
    // Remembered for the next start; a file that cannot be written is said once here.
    act([this] {
        app::Preferences preferences = app::loadPreferences(form_.options.root);
        preferences.cellWidth = cellSize_.width();
        preferences.cellHeight = cellSize_.height();
        app::savePreferences(form_.options.root, preferences);
    });
}

void MainWindow::zoomBy(int steps) {
    const auto at = std::lower_bound(kCellHeights.begin(), kCellHeights.end(), cellSize_.height());
    auto index = static_cast<int>(at - kCellHeights.begin());
    // Between two steps, a step up goes to the upper one.
    if (steps > 0 && (at == kCellHeights.end() || *at != cellSize_.height())) --steps;
    index = std::clamp(index + steps, 0, static_cast<int>(kCellHeights.size()) - 1);
    const int height = kCellHeights[static_cast<std::size_t>(index)];
    setCellSize(QSize(cellWidthFor(height), height));
}

void MainWindow::fitChart() {
    const int rows = chartModel_->rowCount();
    const int columns = chartModel_->columnCount() - 1;  // besides the price column
    if (rows <= 0 || columns <= 0) return;
    QString widestLevel;
    for (int row = 0; row < form_.StringGrid1.rowCount(); ++row)
        if (const QString level = qt(form_.StringGrid1.cell(1, row));
            level.size() > widestLevel.size())
            widestLevel = level;
    const QString widestNumber = QString::number(std::max(1, form_.StringGrid1.rowCount() - 1));
    const QRect area = chartArea();
    const int frame = 2 * chart_->frameWidth();
    // The largest cell at which the rows, the column header (a cell high, at least 12
    // pixels), the box numbers, the price column, the columns and the right scale fit.
    const auto fits = [&](int cell) {
        const QFontMetrics metrics(windowFont(cell));
        const int numbers = std::max(15, metrics.horizontalAdvance(widestNumber) + 4);
        const int levels = std::max(40, metrics.horizontalAdvance(widestLevel) + 6);
        return frame + std::max(12, cell) + rows * cell <= area.height() &&
               frame + numbers + levels + columns * cellWidthFor(cell) + kChartScaleWidth <=
                   area.width();
    };
    int cell = kCellHeights.back();
    while (cell > 2 && !fits(cell)) --cell;
    setCellSize(QSize(cellWidthFor(cell), cell));
}

void MainWindow::syncFromForm() {
    for (auto& [number, widget] : edits_) {
        const QString text = qt(formEdits_.at(number)->shownText());
        if (widget->text() == text) continue;
        const QSignalBlocker block(widget);
        widget->setText(text);
    }
    button36_->setText(qt(form_.Button36.caption));
    button37_->setText(qt(form_.Button37.caption));

    const bool chartChanged = chartModel_->refresh();
    // A selection left from the chart before would look like a mark on the new one.
    if (chartChanged) chart_->selectionModel()->clear();
    boxDateModel_->refresh();
    const bool resultsChanged = resultsModel_->refresh();
    if (chartChanged || resultsChanged) applySectionSizes();
    const bool resultsShown = results_->isVisibleTo(this);
    results_->setVisible(form_.StringGrid11.visible);
    if (resultsShown != form_.StringGrid11.visible) placeAnchored();
    if (results_->isVisible()) results_->raise();

    panel5_->setText(qt(form_.Panel5.caption));
    panel5_->setVisible(form_.Panel5.visible);
    placeNotices();
    for (auto& [label, notice] : notices_) {
        label->setVisible(notice->visible);
        if (notice->visible) label->raise();
    }
    if (form_.Panel6.visible && form_.WebBrowser1.html != shownPage_) {
        shownPage_ = form_.WebBrowser1.html;
        const QUrl url(qt(form_.WebBrowser1.url));
        if (url.isLocalFile())
            webBrowser1_->setSearchPaths({url.adjusted(QUrl::RemoveFilename).toLocalFile()});
        webBrowser1_->setHtml(qt(shownPage_));
    }
    if (!form_.Panel6.visible) shownPage_.clear();  // opened again: shown afresh
    panel6_->setVisible(form_.Panel6.visible);
    if (panel6_->isVisible()) panel6_->raise();
    for (const auto& follow : afterSync) follow();
}
