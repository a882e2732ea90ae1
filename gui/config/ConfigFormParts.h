// Small pieces the configuration dialog's files share: how its controls are
// made, and the item roles and captions more than one page's code reads.
// Private to TConfigForm; nothing else includes this.
#pragma once

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QString>
#include <QStringList>
#include <QTreeWidget>

namespace pellar::config_form {

inline constexpr int kKeysRole = Qt::UserRole;        // raw key bytes of a keyboard row
inline constexpr int kCommandKeyRole = Qt::UserRole;  // command key of a keyboard row (column 1)

inline QString PermanentTrayCaption()
{
    return QCoreApplication::translate("TConfigForm", "Always show the tray icon, with the number of &unread texts");
}

inline QLineEdit* NewLineEdit(const QString& objectName, QWidget* parent)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(objectName);
    return edit;
}

inline QPushButton* NewButton(const QString& caption, const QString& objectName, QWidget* parent)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(objectName);
    button->setAutoDefault(false);
    return button;
}

inline QTreeWidget* NewListView(const QString& objectName, const QStringList& columns, const QList<int>& widths,
                                QWidget* parent)
{
    auto* view = new QTreeWidget(parent);
    view->setObjectName(objectName);
    view->setRootIsDecorated(false);
    view->setUniformRowHeights(true);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setHeaderLabels(columns);
    for (int i = 0; i < widths.size(); ++i)
        view->setColumnWidth(i, widths[i]);
    return view;
}

} // namespace pellar::config_form
