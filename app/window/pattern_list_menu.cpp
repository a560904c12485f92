#include "app/window/pattern_list_menu.h"

#include <QAction>
#include <QMenu>

#include "app/form.h"
#include "app/window/main_window.h"
#include "screening/list_preferences.h"

PatternListMenu::PatternListMenu(MainWindow& window, TForm1& form) : QObject(&window) {
    setObjectName("PatternListMenu");
    action_ = window.menu("表示")->addAction(QString::fromUtf8("拡張パターン"));
    action_->setObjectName("ExtendedPatterns");
    action_->setCheckable(true);
    const bool saved = screening::savedExtendedPatterns(form.options.root);
    action_->setChecked(saved);
    form.setExtendedPatterns(saved);
    connect(action_, &QAction::toggled, this, [&window, &form](bool shown) {
        window.act([&form, shown] {
            form.setExtendedPatterns(shown);
            screening::saveExtendedPatterns(form.options.root, shown);
        });
    });
}
