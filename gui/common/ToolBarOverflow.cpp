#include "gui/common/ToolBarOverflow.h"

#include <QCoreApplication>
#include <QToolBar>
#include <QToolButton>

namespace pellar {

void NameToolBarOverflow(QToolBar* bar)
{
    // The tool bar's layout makes the button with the bar, under this name.
    if (auto* more = bar->findChild<QToolButton*>(QStringLiteral("qt_toolbar_ext_button"), Qt::FindDirectChildrenOnly))
        more->setAccessibleName(QCoreApplication::translate("ToolBar", "More commands"));
}

} // namespace pellar
