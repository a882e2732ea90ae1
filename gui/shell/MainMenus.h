// Builds the main window's actions and menus and keeps them by name, so the
// frame only decides when they are enabled and what they trigger.
#pragma once

#include "gui/common/MainCommands.h"

#include <QObject>

#include <vector>

class QAction;
class QMainWindow;
class QMenu;

namespace pellar {

class TMainMenus : public QObject {
    Q_OBJECT

public:
    explicit TMainMenus(QMainWindow* window);

    // MainActionList
    QAction* SessionConnectAction;
    QAction* SessionDisconnectAction;
    QAction* FindTextAction;
    QAction* ViewMarkedAction;
    QAction* PropertiesAction;

    QAction* ExitItem;
    QAction* EditPropertiesItem;
    QAction* ViewConfPresentationItem;
    QAction* ViewUserPresentationItem;
    QAction* SetPrioritiesItem;
    QAction* AdminItem;
    QAction* SyncItem;
    QAction* ClearCachesItem;
    QAction* HelpIndexItem;
    QAction* ContextHelpItem;
    QAction* QuickHelpItem;
    QAction* AboutItem;

    QMenu* OnlineMenu;
    QMenu* WindowsMenu;

    // Every action whose only effect is to ask the session layer.
    const std::vector<std::pair<QAction*, MainCommand>>& CommandActions() const { return commands_; }

private:
    void BuildSessionMenu(QMainWindow* window);
    void BuildOnlineMenu(QMainWindow* window);
    void BuildConferencesMenu(QMenu* online);
    void BuildUsersMenu(QMenu* online);
    void BuildOptionsAndHelp(QMainWindow* window);
    QAction* Item(QMenu* menu, const char* name, const QString& caption);
    QAction* Command(QMenu* menu, const char* name, const QString& caption, MainCommand command);

    std::vector<std::pair<QAction*, MainCommand>> commands_;
};

} // namespace pellar
