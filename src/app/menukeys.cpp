#include "app/menukeys.h"

#include <QEvent>
#include <QHelpEvent>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>
#include <QToolTip>

namespace tervan {

namespace {

struct MenuKey
{
    const char* menu;
    Qt::Key letter;
};

// File, Edit (data entry), Show, View, Grading, Print, Help.
constexpr MenuKey MenuKeys[] = {
    {"mnuFile", Qt::Key_F}, {"mnuEdit", Qt::Key_E},      {"mnuShowChoice", Qt::Key_S},
    {"munView", Qt::Key_V}, {"mnuGradeElev", Qt::Key_G}, {"mnuPrint", Qt::Key_P},
    {"mnuHelp", Qt::Key_H},
};

void open(QMenuBar* bar, QAction* menu)
{
    if (menu->isEnabled() && menu->isVisible())
        bar->setActiveAction(menu);
}

// The bar shows the tooltips of its menus, which Qt's menu bar leaves out.
class MenuTips final : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::ToolTip)
            return false;
        auto* bar = static_cast<QMenuBar*>(watched);
        const auto* help = static_cast<QHelpEvent*>(event);
        const QAction* action = bar->actionAt(help->pos());
        if (!action || action->toolTip().isEmpty())
            return false;
        QToolTip::showText(help->globalPos(), action->toolTip(), bar,
                           bar->actionGeometry(const_cast<QAction*>(action)));
        return true;
    }
};

} // namespace

void addMenuKeys(QMainWindow& window)
{
    QMenuBar* bar = window.menuBar();
    for (const MenuKey& key : MenuKeys) {
        auto* menu = bar->findChild<QMenu*>(QLatin1String(key.menu), Qt::FindDirectChildrenOnly);
        if (!menu)
            continue;
        const QKeySequence keys(Qt::ALT | key.letter);
        QAction* action = menu->menuAction();
        action->setToolTip(keys.toString(QKeySequence::NativeText));
        auto* shortcut = new QShortcut(keys, &window);
        QObject::connect(shortcut, &QShortcut::activated, bar,
                         [bar, action] { open(bar, action); });
    }
    auto* first = new QShortcut(QKeySequence(Qt::Key_F10), &window);
    QObject::connect(first, &QShortcut::activated, bar, [bar] {
        for (QAction* action : bar->actions())
            if (action->menu() && action->isEnabled() && action->isVisible())
                return open(bar, action);
    });
    bar->installEventFilter(new MenuTips(bar));
}

} // namespace tervan
