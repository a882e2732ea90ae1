#include "gui/shell/MainMenus.h"

#include <QAction>
#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QIcon>
#include <QStyle>

namespace pellar {

namespace {

QAction* NamedAction(QObject* owner, const char* name, const QString& caption)
{
    auto* action = new QAction(caption, owner);
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

// Lets child windows that bring menus of their own find where to put them.
void SetGroupIndex(QMenu* menu, int index)
{
    menu->menuAction()->setProperty("groupIndex", index);
}

} // namespace

TMainMenus::TMainMenus(QMainWindow* window) : QObject(window)
{
    QStyle* style = QApplication::style();
    SessionConnectAction = NamedAction(window, "SessionConnectAction", QStringLiteral("&Connect"));
    SessionConnectAction->setStatusTip(QStringLiteral("Connect to a server"));
    SessionConnectAction->setToolTip(QStringLiteral("Connect to a server"));
    SessionConnectAction->setIcon(style->standardIcon(QStyle::SP_DialogYesButton));
    SessionDisconnectAction = NamedAction(window, "SessionDisconnectAction", QStringLiteral("&Disconnect"));
    SessionDisconnectAction->setStatusTip(QStringLiteral("Disconnect from the server"));
    SessionDisconnectAction->setToolTip(QStringLiteral("Disconnect from the server"));
    // Disconnecting is no error: no red cross, as the style draws for "No".
    SessionDisconnectAction->setIcon(QIcon::fromTheme(
        QStringLiteral("network-offline"),
        QIcon::fromTheme(QStringLiteral("network-disconnect"), style->standardIcon(QStyle::SP_MediaStop))));
    FindTextAction = NamedAction(window, "FindTextAction", QStringLiteral("&Find text..."));
    FindTextAction->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F));
    ViewMarkedAction = NamedAction(window, "ViewMarkedAction", QStringLiteral("View &marked texts"));
    ViewMarkedAction->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_M));
    PropertiesAction = NamedAction(window, "PropertiesAction", QStringLiteral("Text &properties"));
    PropertiesAction->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Return));
    commands_.emplace_back(FindTextAction, MainCommand::FindText);
    commands_.emplace_back(ViewMarkedAction, MainCommand::ViewMarked);
    commands_.emplace_back(PropertiesAction, MainCommand::TextProperties);

    BuildSessionMenu(window);
    BuildOnlineMenu(window);
    BuildOptionsAndHelp(window);
}

QAction* TMainMenus::Item(QMenu* menu, const char* name, const QString& caption)
{
    QAction* action = NamedAction(menu, name, caption);
    menu->addAction(action);
    return action;
}

QAction* TMainMenus::Command(QMenu* menu, const char* name, const QString& caption, MainCommand command)
{
    QAction* action = Item(menu, name, caption);
    commands_.emplace_back(action, command);
    return action;
}

void TMainMenus::BuildSessionMenu(QMainWindow* window)
{
    QMenu* session = window->menuBar()->addMenu(QStringLiteral("&Session"));
    session->setObjectName(QStringLiteral("Session1"));
    session->addAction(SessionConnectAction);
    session->addAction(SessionDisconnectAction);
    session->addSeparator();
    ExitItem = Item(session, "Exit1", QStringLiteral("&Exit"));
}

void TMainMenus::BuildOnlineMenu(QMainWindow* window)
{
    OnlineMenu = window->menuBar()->addMenu(QStringLiteral("O&nline"));
    OnlineMenu->setObjectName(QStringLiteral("Online1"));
    SetGroupIndex(OnlineMenu, 8);
    BuildConferencesMenu(OnlineMenu);
    BuildUsersMenu(OnlineMenu);

    QMenu* session = OnlineMenu->addMenu(QStringLiteral("&Session"));
    session->setObjectName(QStringLiteral("OnlineSession1"));
    AdminItem = Command(session, "EnableAdminPriviliges1", QStringLiteral("Enable admin &privileges"),
                        MainCommand::ToggleAdmin);
    AdminItem->setCheckable(true);
    SyncItem = Command(session, "SyncronizeDatabase1", QStringLiteral("&Synchronize the database"),
                       MainCommand::SyncDatabase);
    SyncItem->setEnabled(false);
    ClearCachesItem = Item(session, "ClearCaches1", QStringLiteral("&Clear caches..."));

    QMenu* texts = OnlineMenu->addMenu(QStringLiteral("&Texts"));
    texts->setObjectName(QStringLiteral("Texts1"));
    texts->addAction(PropertiesAction);
    texts->addAction(ViewMarkedAction);
    texts->addAction(FindTextAction);
}

void TMainMenus::BuildConferencesMenu(QMenu* online)
{
    QMenu* m = online->addMenu(QStringLiteral("&Conferences"));
    m->setObjectName(QStringLiteral("Conferences1"));
    Command(m, "ConfCreateNew1", QStringLiteral("Create &new..."), MainCommand::CreateConference);
    Command(m, "ConfDeleteExisting1", QStringLiteral("&Delete existing..."), MainCommand::DeleteConfOrPerson);
    Command(m, "ConfRename1", QStringLiteral("&Rename..."), MainCommand::RenameConfOrPerson);
    EditPropertiesItem = Item(m, "ConfEditProperties1", QStringLiteral("&Edit properties..."));
    Command(m, "ConfChangePresentation1", QStringLiteral("Change &presentation..."),
            MainCommand::ChangeConfPresentation);
    ViewConfPresentationItem = Item(m, "ConfViewPresentation1", QStringLiteral("&View presentation..."));
    Command(m, "ConfSetMotd1", QStringLiteral("Set &Message Of The Day..."), MainCommand::SetConfMotd);
    Command(m, "ConfRemoveMotd1", QStringLiteral("Remove MO&TD..."), MainCommand::RemoveConfMotd);
    Command(m, "ConfViewStatistics1", QStringLiteral("View &statistics..."), MainCommand::ViewConfStatistics);
    SetPrioritiesItem = Item(m, "SetPriorities1", QStringLiteral("Set &priorities"));
    SetPrioritiesItem->setVisible(false);
    SetPrioritiesItem->setEnabled(false);
    Command(m, "AddMember1", QStringLiteral("&Add member..."), MainCommand::AddMember);
    Command(m, "RemoveMember1", QStringLiteral("Re&move member..."), MainCommand::RemoveMember);
}

void TMainMenus::BuildUsersMenu(QMenu* online)
{
    QMenu* m = online->addMenu(QStringLiteral("&Users"));
    m->setObjectName(QStringLiteral("Users1"));
    Command(m, "UserCreateNew1", QStringLiteral("Create &new..."), MainCommand::CreateUser);
    Command(m, "UserDeleteExisting1", QStringLiteral("&Delete existing..."), MainCommand::DeleteConfOrPerson);
    Command(m, "UserRename1", QStringLiteral("&Rename..."), MainCommand::RenameConfOrPerson);
    Command(m, "UserChangePresentation1", QStringLiteral("Change &presentation..."),
            MainCommand::ChangeUserPresentation);
    ViewUserPresentationItem = Item(m, "UserViewPresentation1", QStringLiteral("&View presentation..."));
    Command(m, "UserSetMotd1", QStringLiteral("Set &Message Of The Day..."), MainCommand::SetUserMotd);
    Command(m, "UserRemoveMotd1", QStringLiteral("Remove MO&TD..."), MainCommand::RemoveUserMotd);
    Command(m, "ChangePassword1", QStringLiteral("Change &password..."), MainCommand::ChangePassword);
    Command(m, "UserViewStatistics1", QStringLiteral("View &statistics..."), MainCommand::ViewUserStatistics);
}

void TMainMenus::BuildOptionsAndHelp(QMainWindow* window)
{
    QMenu* options = window->menuBar()->addMenu(QStringLiteral("&Options"));
    options->setObjectName(QStringLiteral("Options1"));
    SetGroupIndex(options, 100);
    Command(options, "Settings1", QStringLiteral("&Settings..."), MainCommand::Settings);
    Command(options, "Servers1", QStringLiteral("S&ervers..."), MainCommand::Servers);

    WindowsMenu = window->menuBar()->addMenu(QStringLiteral("&Windows"));
    WindowsMenu->setObjectName(QStringLiteral("Windows1"));
    SetGroupIndex(WindowsMenu, 200);

    QMenu* help = window->menuBar()->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("Help1"));
    SetGroupIndex(help, 200);
    HelpIndexItem = Item(help, "Index1", QStringLiteral("&Index"));
    ContextHelpItem = Item(help, "ContextHelp1", QStringLiteral("Help on this &window"));
    ContextHelpItem->setShortcut(QKeySequence::HelpContents);
    // F1 from any window of the program, detached ones included.
    ContextHelpItem->setShortcutContext(Qt::ApplicationShortcut);
    QuickHelpItem = Item(help, "QuickHelp1", QStringLiteral("&Quick help"));
    Command(help, "Statistics1", QStringLiteral("&Statistics..."), MainCommand::Statistics);
    AboutItem = Item(help, "About1", QStringLiteral("&About"));
}

} // namespace pellar
