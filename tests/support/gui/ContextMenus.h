// Driving a context menu in a window test: opening it at a place of a
// widget, finding one of its entries, and where a character of a text edit
// is drawn (to open a menu on a word).
#pragma once

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTest>
#include <QTextCursor>
#include <QTextEdit>

namespace pellar::test {

// The menu the widget opened for a context-menu event at `at`; null when
// none came up within two seconds.
inline QMenu* OpenMenu(QWidget* target, const QPoint& at, QContextMenuEvent::Reason reason = QContextMenuEvent::Mouse)
{
    QContextMenuEvent event(reason, at, target->mapToGlobal(at));
    QCoreApplication::sendEvent(target, &event);
    QMenu* menu = nullptr;
    if (!QTest::qWaitFor(
            [&menu] { return (menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) != nullptr; }, 2000))
        return nullptr;
    return menu;
}

// The menu's entry with this object name (and this text, when given).
inline QAction* Entry(QMenu* menu, const QString& objectName, const QString& text = {})
{
    for (QAction* action : menu->actions())
        if (action->objectName() == objectName && (text.isEmpty() || action->text() == text))
            return action;
    return nullptr;
}

// Where a character of a text edit is, in viewport coordinates.
inline QPoint CharPos(QTextEdit* edit, int position)
{
    QTextCursor cursor(edit->document());
    cursor.setPosition(position);
    return edit->cursorRect(cursor).center();
}

} // namespace pellar::test
