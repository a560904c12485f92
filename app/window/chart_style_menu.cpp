#include "app/window/chart_style_menu.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>

#include "app/form.h"
#include "app/preferences.h"
#include "app/window/main_window.h"

ChartStyleMenu::ChartStyleMenu(MainWindow& window, TForm1& form)
    : QObject(&window), window_(window), form_(form) {
    setObjectName("ChartStyleMenu");
    form_.chartStyle = app::loadPreferences(form_.options.root).style;

    QMenu* menu = window.menu(QString::fromUtf8("作図"));
    menu->addSection(QString::fromUtf8("作図方式"));
    auto* construction = new QActionGroup(this);
    program_ = choice(menu, construction, "従来", "StyleProgram");
    textbook_ = choice(menu, construction, "標準", "StyleTextbook");

    QMenu* reversal = menu->addMenu(QString::fromUtf8("転換数"));
    auto* boxes = new QActionGroup(this);
    for (int n = 1; n <= 5; ++n) {
        const std::string caption = std::to_string(n) + "枠";
        const std::string name = "StyleReversal" + std::to_string(n);
        reversals_[n - 1] = choice(reversal, boxes, caption.c_str(), name.c_str());
    }

    menu->addSection(QString::fromUtf8("価格"));
    auto* price = new QActionGroup(this);
    closes_ = choice(menu, price, "終値", "StyleCloses");
    highLow_ = choice(menu, price, "高安（標準のとき）", "StyleHighLow");

    menu->addSection(QString::fromUtf8("目盛り"));
    auto* scale = new QActionGroup(this);
    periodHigh_ = choice(menu, scale, "期間最高値から", "StylePeriodHigh");
    fixed_ = choice(menu, scale, "固定", "StyleFixedScale");
    show();
}

QAction* ChartStyleMenu::reversalAction(int boxes) const {
    return boxes >= 1 && boxes <= 5 ? reversals_[boxes - 1] : nullptr;
}

QAction* ChartStyleMenu::choice(QMenu* menu, QActionGroup* group, const char* caption,
                                const char* name) {
    QAction* action = menu->addAction(QString::fromUtf8(caption));
    action->setObjectName(name);
    action->setCheckable(true);
    group->addAction(action);
    connect(action, &QAction::toggled, this, [this](bool on) {
        if (on && !showing_) chosen();
    });
    return action;
}

void ChartStyleMenu::show() {
    showing_ = true;
    const chart::ChartStyle& style = form_.chartStyle;
    const bool textbook = style.construction == chart::Construction::Textbook;
    (textbook ? textbook_ : program_)->setChecked(true);
    if (QAction* boxes = reversalAction(style.reversal)) boxes->setChecked(true);
    (style.highLow ? highLow_ : closes_)->setChecked(true);
    // Highs and lows are the textbook construction's.
    highLow_->setEnabled(textbook);
    (style.fixedScale ? fixed_ : periodHigh_)->setChecked(true);
    showing_ = false;
}

void ChartStyleMenu::chosen() {
    chart::ChartStyle style;
    style.construction =
        textbook_->isChecked() ? chart::Construction::Textbook : chart::Construction::Program;
    for (int n = 1; n <= 5; ++n)
        if (reversals_[n - 1]->isChecked()) style.reversal = n;
    style.highLow = highLow_->isChecked();
    style.fixedScale = fixed_->isChecked();
    form_.chartStyle = style;
    show();
    window_.act([this] {
        app::Preferences preferences = app::loadPreferences(form_.options.root);
        preferences.style = form_.chartStyle;
        app::savePreferences(form_.options.root, preferences);
    });
    // The chart shown is drawn again in the new style.
    if (form_.shownChart && !form_.Edit1.text().empty()) window_.act(&TForm1::Button3Click);
}
