#include "app/window/market_view.h"

#include <QAction>
#include <QButtonGroup>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QScrollArea>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <cstdio>

#include "analysis/morning.h"
#include "analysis/report.h"
#include "app/chart_view.h"
#include "app/form.h"
#include "app/window/chart_renderer.h"
#include "app/window/main_window.h"
#include "app/window/window_style.h"
#include "tables/convert.h"

namespace {

QString qt(const std::string& text) {
    return QString::fromStdString(text);
}

// A number shown as text and sorted as a number; none sorts first.
class NumberItem : public QTableWidgetItem {
  public:
    NumberItem(const QString& text, std::optional<double> value) : QTableWidgetItem(text) {
        setData(Qt::UserRole + 1, value ? *value : -1e300);
        setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    bool operator<(const QTableWidgetItem& other) const override {
        return data(Qt::UserRole + 1).toDouble() < other.data(Qt::UserRole + 1).toDouble();
    }
};

// A sector's name, sorted by its code (the exchange's order).
class SectorItem : public QTableWidgetItem {
  public:
    SectorItem(const QString& name, const QString& code) : QTableWidgetItem(name) {
        setData(Qt::UserRole, code);
        setToolTip(code);
    }
    bool operator<(const QTableWidgetItem& other) const override {
        return data(Qt::UserRole).toString() < other.data(Qt::UserRole).toString();
    }
};

QTableWidget* makeTable(const QStringList& headers, const char* name) {
    auto* table = new QTableWidget(0, static_cast<int>(headers.size()));
    table->setObjectName(name);
    table->setHorizontalHeaderLabels(headers);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    return table;
}

QString percent(std::optional<double> value) {
    return value ? qt(analysis::percentText(value)) : QString("-");
}

}  // namespace

// A decorated chart drawn whole by the renderer, with its title.
class ChartPicture : public QWidget {
  public:
    explicit ChartPicture(QWidget* parent = nullptr) : QWidget(parent) {
        setAutoFillBackground(true);
    }
    void showChart(app::ChartView view, std::vector<QString> title) {
        scene_ = render::ChartScene(std::move(view), true);
        title_ = std::move(title);
        setFixedSize(render::pictureSize(scene_, title_));
        update();
    }
    const render::ChartScene& scene() const { return scene_; }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        render::paintPicture(painter, scene_, title_);
    }

  private:
    render::ChartScene scene_;
    std::vector<QString> title_;
};

MarketView::MarketView(MainWindow& window, TForm1& form)
    : QObject(&window), window_(window), form_(form) {
    setObjectName("MarketView");
    if (QMenu* view = window_.menu("表示")) {
        QAction* entry = view->addAction("市場");
        entry->setObjectName("MarketViewOpen");
        connect(entry, &QAction::triggered, this, [this] { open(); });
    }
    // A tool row over the chart's top right: the 市場 view at one click, then the switch
    // between the price chart and the relative-strength charts over the chart grid.
    switchBar_ = new QWidget(&window_);
    switchBar_->setObjectName("StrengthSwitch");
    auto* row = new QHBoxLayout(switchBar_);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    auto* market = new QToolButton(switchBar_);
    market->setObjectName("MarketViewButton");
    market->setText("市場");
    market->setFont(windowFont(11));
    connect(market, &QToolButton::clicked, this, [this] { open(); });
    row->addWidget(market);
    row->addSpacing(6);
    auto* group = new QButtonGroup(switchBar_);
    const char* captions[3] = {"価格", "対TOPIX", "対業種"};
    const char* names[3] = {"StrengthPrice", "StrengthTopix", "StrengthSector"};
    for (int i = 0; i < 3; ++i) {
        auto* button = new QToolButton(switchBar_);
        button->setText(QString::fromUtf8(captions[i]));
        button->setObjectName(names[i]);
        button->setCheckable(true);
        button->setFont(windowFont(11));
        group->addButton(button, i);
        row->addWidget(button);
        switch_[i] = button;
    }
    switch_[0]->setChecked(true);
    connect(group, &QButtonGroup::idClicked, this, [this](int which) { showStrength(which); });
    auto* area = new QScrollArea(&window_);
    area->setObjectName("StrengthChart");
    strengthChart_ = new ChartPicture;
    area->setWidget(strengthChart_);
    area->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    area->hide();
    strengthArea_ = area;

    window_.afterLayout.push_back([this] { placeSwitch(); });
    window_.afterSync.push_back([this] {
        if (strength_ != 0) showStrength(strength_);
    });
    placeSwitch();
}

QWidget* MarketView::strengthChart() const {
    return strengthArea_;
}

void MarketView::placeSwitch() {
    const QRect chart = window_.chartView()->geometry();
    switchBar_->adjustSize();
    switchBar_->move(std::max(0, window_.width() - switchBar_->width() - 4), chart.top() + 2);
    strengthArea_->setGeometry(chart.left(), chart.top(), window_.width() - chart.left(),
                               chart.height());
    switchBar_->raise();
}

bool MarketView::analyse() {
    bool done = false;
    form_.run([&] {
        analysis_ = analysis::analyseRoot(form_.options.root).analysis;
        done = true;
    });
    return done;
}

bool MarketView::open() {
    if (!analyse()) return false;
    if (!view_) build();
    fill();
    view_->show();
    view_->raise();
    view_->activateWindow();
    return true;
}

void MarketView::refresh() {
    strengthShown_.clear();
    if (!view_ || !view_->isVisible()) {
        analysis_.reset();  // computed when next needed
        if (strength_ != 0) showStrength(strength_);
        return;
    }
    if (analyse()) fill();
}

void MarketView::build() {
    view_ = new QWidget(&window_, Qt::Window);
    view_->setObjectName("MarketViewWindow");
    view_->setWindowTitle("市場");
    view_->setFont(windowFont(12));
    view_->resize(980, 720);
    auto* layout = new QVBoxLayout(view_);
    status_ = new QLabel;
    status_->setObjectName("MarketStatus");
    status_->setFont(windowFont(13));
    layout->addWidget(status_);

    auto* top = new QSplitter(Qt::Horizontal);
    auto* chartArea = new QScrollArea;
    chartArea->setObjectName("MarketGroupChart");
    groupChart_ = new ChartPicture;
    chartArea->setWidget(groupChart_);
    top->addWidget(chartArea);
    sectors_ =
        makeTable({"業種", "銘柄数", "強気％", "状態", "PT", "RSP", "RSX", "前日比", "反転まで1枠"},
                  "MarketSectors");
    top->addWidget(sectors_);
    top->setSizes({480, 500});

    auto* tabs = new QTabWidget;
    members_ = makeTable({"コード", "銘柄名", "スコア", "売買", "RS対市場", "RS対業種", "支持線上"},
                         "MarketMembers");
    changes_ = makeTable({"日付", "コード", "銘柄名", "変化", "内容", "スコア"}, "MarketChanges");
    tabs->addTab(members_, "銘柄");
    tabs->addTab(changes_, "変化");

    auto* split = new QSplitter(Qt::Vertical);
    split->addWidget(top);
    split->addWidget(tabs);
    split->setSizes({430, 260});
    layout->addWidget(split, 1);

    connect(sectors_, &QTableWidget::itemSelectionChanged, this, [this] {
        const auto selected = sectors_->selectedItems();
        if (selected.isEmpty()) return;
        const QTableWidgetItem* first = sectors_->item(selected.front()->row(), 0);
        showGroup(first->data(Qt::UserRole).toString().toStdString());
    });
    connect(members_, &QTableWidget::cellDoubleClicked, this,
            [this](int row, int) { chartStock(members_->item(row, 0)->text()); });
    connect(changes_, &QTableWidget::cellDoubleClicked, this, [this](int row, int) {
        // A group's change has no stock to chart.
        if (changes_->item(row, 5)->text().isEmpty()) return;
        chartStock(changes_->item(row, 1)->text());
    });
}

void MarketView::fill() {
    const analysis::MarketAnalysis& analysis = *analysis_;
    const auto& days = analysis.days();
    sectors_->setSortingEnabled(false);
    sectors_->setRowCount(0);
    changes_->setRowCount(0);
    if (days.empty()) {
        status_->setText("市場データに株価がありません。");
        return;
    }
    const std::size_t d = days.size() - 1;
    if (const analysis::Group* market = analysis.group(analysis::kMarketGroup)) {
        const analysis::GroupDay& day = market->days[d];
        QString text = qt(formatDate(days[d]) + "  市場 " + analysis::bullishPercentText(day)) +
                       "  PT " + percent(day.share(day.aboveSupport)) + "%  RSP " +
                       percent(day.share(day.rsBuys)) + "%  RSX " +
                       percent(day.share(day.rsRising)) + "%  基準 " + qt(analysis.benchmarkName());
        if (day.nearReversal) text += "  反転まで1枠";
        status_->setText(text);
    }
    for (const analysis::Group& group : analysis.groups()) {
        if (group.code == analysis::kMarketGroup) continue;
        const analysis::GroupDay& day = group.days[d];
        const int row = sectors_->rowCount();
        sectors_->insertRow(row);
        sectors_->setItem(row, 0, new SectorItem(qt(group.name), qt(group.code)));
        sectors_->setItem(row, 1,
                          new NumberItem(QString::number(day.members), double(day.members)));
        sectors_->setItem(row, 2,
                          new NumberItem(percent(day.bullishPercent()), day.bullishPercent()));
        sectors_->setItem(row, 3,
                          new QTableWidgetItem(qt(std::string(analysis::statusText(day.status)))));
        sectors_->setItem(
            row, 4,
            new NumberItem(percent(day.share(day.aboveSupport)), day.share(day.aboveSupport)));
        sectors_->setItem(row, 5,
                          new NumberItem(percent(day.share(day.rsBuys)), day.share(day.rsBuys)));
        sectors_->setItem(
            row, 6, new NumberItem(percent(day.share(day.rsRising)), day.share(day.rsRising)));
        std::optional<double> change;
        if (d > 0 && day.bullishPercent() && group.days[d - 1].bullishPercent())
            change = *day.bullishPercent() - *group.days[d - 1].bullishPercent();
        char text[32] = "-";
        if (change) std::snprintf(text, sizeof text, "%+.1f", *change);
        sectors_->setItem(row, 7, new NumberItem(text, change));
        sectors_->setItem(row, 8, new QTableWidgetItem(day.nearReversal ? "○" : ""));
    }
    sectors_->setSortingEnabled(true);
    sectors_->sortByColumn(0, Qt::AscendingOrder);

    if (d > 0) {
        const auto report = analysis::reportOf(analysis, d - 1, d);
        const auto add = [&](const analysis::Change& change) {
            const int row = changes_->rowCount();
            changes_->insertRow(row);
            const QString cells[6] = {qt(formatDate(days[change.day])),
                                      qt(change.code),
                                      qt(change.name),
                                      qt(change.kind),
                                      qt(change.text),
                                      change.score ? QString::number(*change.score) : QString()};
            for (int c = 0; c < 6; ++c) changes_->setItem(row, c, new QTableWidgetItem(cells[c]));
        };
        for (const auto& change : report.groups) add(change);
        for (const auto& change : report.stocks) add(change);
    }
    showGroup(analysis.group(shownGroup_) ? shownGroup_ : std::string(analysis::kMarketGroup));
}

void MarketView::showGroup(const std::string& code) {
    const analysis::MarketAnalysis& analysis = *analysis_;
    const analysis::Group* group = analysis.group(code);
    if (!group || analysis.days().empty()) return;
    shownGroup_ = code;
    const std::size_t d = analysis.days().size() - 1;
    app::ChartView view =
        app::viewOf(analysis.bullishPercentChart(*group), chart::BoxScale{}, std::nullopt, "");
    view.decorations.objectives.reset();
    view.levelDivisor = 100;
    groupChart_->showChart(
        std::move(view), {qt(group->name + " " + analysis::bullishPercentText(group->days[d])),
                          qt("強気％  2ポイント・3枠転換  " + formatDate(analysis.days().front()) +
                             "～" + formatDate(analysis.days().back()))});

    // The members by score, the highest first.
    std::vector<std::pair<int, std::size_t>> members;
    for (const std::size_t s : group->members)
        members.emplace_back(analysis::scoreOf(analysis.stockDay(s, d)), s);
    std::stable_sort(members.begin(), members.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    members_->setSortingEnabled(false);
    members_->setRowCount(0);
    for (const auto& [score, s] : members) {
        const analysis::StockDay day = analysis.stockDay(s, d);
        const std::uint8_t price = analysis::priceBits(day);
        const int row = members_->rowCount();
        members_->insertRow(row);
        const QString cells[7] = {qt(analysis.stocks()[s].code),
                                  qt(analysis.stocks()[s].name),
                                  QString::number(score),
                                  price & analysis::kBuy    ? "買"
                                  : price & analysis::kSell ? "売"
                                                            : "",
                                  qt(analysis::rsStateText(analysis::rsMarketBits(day))),
                                  qt(analysis::rsStateText(analysis::rsSectorBits(day))),
                                  price & analysis::kAboveSupport ? "○" : ""};
        for (int c = 0; c < 7; ++c)
            members_->setItem(
                row, c, c == 2 ? new NumberItem(cells[c], score) : new QTableWidgetItem(cells[c]));
    }
    members_->setSortingEnabled(true);
    members_->sortByColumn(2, Qt::DescendingOrder);
}

void MarketView::chartStock(const QString& code) {
    const std::string text = code.toStdString();
    window_.act([this, text] {
        form_.Edit1.setText(text);
        form_.Button3Click();
    });
    window_.raise();
    window_.activateWindow();
}

void MarketView::showStrength(int which) {
    strength_ = which;
    switch_[which]->setChecked(true);
    if (which == 0) {
        strengthArea_->hide();
        return;
    }
    const std::string code(codeKey(form_.Edit1.text()));
    const std::string shown = code + "/" + std::to_string(which);
    if (shown != strengthShown_) {
        if (!analysis_ && !analyse()) {
            showStrength(0);
            return;
        }
        strengthShown_ = shown;
        std::vector<QString> title;
        app::ChartView view;
        try {
            const auto rs = analysis::rsChartOf(form_.options.root, *analysis_, code, which == 2);
            view = app::viewOf(rs.chart, {false, analysis_->settings().rsRatio}, std::nullopt, "");
            view.decorations.objectives.reset();
            view.levelDivisor = 100;
            view.levelDecimals = 2;
            std::string head = rs.code + " " + rs.name + "  対" + rs.benchmarkName;
            for (std::size_t d = rs.values.size(); d-- > 0;)
                if (rs.values[d]) {
                    char value[32];
                    std::snprintf(value, sizeof value, "  RS %.2f  ",
                                  static_cast<double>(*rs.values[d]) / 100);
                    head += value + analysis::rsStateText(rs.bits.back());
                    break;
                }
            title = {qt(head), "相対力  6.5%・3枠転換"};
        } catch (const Exception& e) {
            title = {qt(e.message())};
        }
        strengthChart_->showChart(std::move(view), std::move(title));
    }
    strengthArea_->show();
    strengthArea_->raise();
    switchBar_->raise();
}
