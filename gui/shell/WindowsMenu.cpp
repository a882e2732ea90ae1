#include "gui/shell/WindowsMenu.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPointer>

namespace pellar {

TWindowsMenu::TWindowsMenu(QMenu* menu, QMdiArea* area) : QObject(menu), menu_(menu), area_(area)
{
    cascade_ = menu->addAction(tr("&Cascade"));
    cascade_->setObjectName(QStringLiteral("Cascade1"));
    tile_ = menu->addAction(tr("&Tile"));
    tile_->setObjectName(QStringLiteral("Tile1"));
    separator_ = menu->addSeparator();
    connect(cascade_, &QAction::triggered, area, &QMdiArea::cascadeSubWindows);
    connect(tile_, &QAction::triggered, area, &QMdiArea::tileSubWindows);
    connect(menu, &QMenu::aboutToShow, this, &TWindowsMenu::Refresh);
}

void TWindowsMenu::Refresh()
{
    const QList<QAction*> actions = menu_->actions();
    for (QAction* action : actions) {
        if (action != cascade_ && action != tile_ && action != separator_) {
            menu_->removeAction(action);
            action->deleteLater();
        }
    }
    const QList<QMdiSubWindow*> windows = area_->subWindowList();
    separator_->setVisible(!windows.isEmpty());
    int index = 1;
    for (QMdiSubWindow* window : windows) {
        QString title = window->windowTitle();
        title.replace(u'&', QStringLiteral("&&"));
        const QString caption = index < 10 ? QStringLiteral("&%1 %2").arg(index).arg(title) : title;
        QAction* action = menu_->addAction(caption);
        action->setCheckable(true);
        action->setChecked(window == area_->activeSubWindow());
        connect(action, &QAction::triggered, area_, [area = area_, window = QPointer<QMdiSubWindow>(window)] {
            if (!window)
                return; // closed while the menu was open
            window->showNormal();
            area->setActiveSubWindow(window);
        });
        ++index;
    }
}

} // namespace pellar
