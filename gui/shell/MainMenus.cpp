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
    SessionConnectAction = NamedAction(window, "SessionConnectAction", tr("&Connect"));
    SessionConnectAction->setStatusTip(tr("Connect to a server"));
    SessionConnectAction->setToolTip(tr("Connect to a server"));
    SessionConnectAction->setIcon(style->standardIcon(QStyle::SP_DialogYesButton));
    SessionDisconnectAction = NamedAction(window, "SessionDisconnectAction", tr("&Disconnect"));
    SessionDisconnectAction->setStatusTip(tr("Disconnect from the server"));
    SessionDisconnectAction->setToolTip(tr("Disconnect from the server"));
    // Disconnecting is no error: no red cross, as the style draws for "No".
    SessionDisconnectAction->setIcon(QIcon::fromTheme(
        QStringLiteral("network-offline"),
        QIcon::fromTheme(QStringLiteral("network-disconnect"), style->standardIcon(QStyle::SP_MediaStop))));
    FindTextAction = NamedAction(window, "FindTextAction", tr("&Find text..."));
    FindTextAction->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F));
    ViewMarkedAction = NamedAction(window, "ViewMarkedAction", tr("View &marked texts"));
    ViewMarkedAction->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_M));
    PropertiesAction = NamedAction(window, "PropertiesAction", tr("Text &properties"));
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
    QMenu* session = window->menuBar()->addMenu(tr("&Session"));
    session->setObjectName(QStringLiteral("Session1"));
    session->addAction(SessionConnectAction);
    session->addAction(SessionDisconnectAction);
    session->addSeparator();
    ExitItem = Item(session, "Exit1", tr("&Exit"));
}

void TMainMenus::BuildOnlineMenu(QMainWindow* window)
{
    OnlineMenu = window->menuBar()->addMenu(tr("O&nline"));
    OnlineMenu->setObjectName(QStringLiteral("Online1"));
    SetGroupIndex(OnlineMenu, 8);
    BuildConferencesMenu(OnlineMenu);
    BuildUsersMenu(OnlineMenu);

    QMenu* session = OnlineMenu->addMenu(tr("&Session"));
    session->setObjectName(QStringLiteral("OnlineSession1"));
    AdminItem = Command(session, "EnableAdminPriviliges1", tr("Enable admin &privileges"),
                        MainCommand::ToggleAdmin);
    AdminItem->setCheckable(true);
    SyncItem = Command(session, "SyncronizeDatabase1", tr("&Synchronize the database"),
                       MainCommand::SyncDatabase);
    SyncItem->setEnabled(false);
    ClearCachesItem = Item(session, "ClearCaches1", tr("&Clear caches..."));

    QMenu* texts = OnlineMenu->addMenu(tr("&Texts"));
    texts->setObjectName(QStringLiteral("Texts1"));
    texts->addAction(PropertiesAction);
    texts->addAction(ViewMarkedAction);
    texts->addAction(FindTextAction);
}

void TMainMenus::BuildConferencesMenu(QMenu* online)
{
    QMenu* m = online->addMenu(tr("&Conferences"));
    m->setObjectName(QStringLiteral("Conferences1"));
    Command(m, "ConfCreateNew1", tr("Create &new..."), MainCommand::CreateConference);
    Command(m, "ConfDeleteExisting1", tr("&Delete existing..."), MainCommand::DeleteConfOrPerson);
    Command(m, "ConfRename1", tr("&Rename..."), MainCommand::RenameConfOrPerson);
    EditPropertiesItem = Item(m, "ConfEditProperties1", tr("&Edit properties..."));
    Command(m, "ConfChangePresentation1", tr("Change &presentation..."),
            MainCommand::ChangeConfPresentation);
    ViewConfPresentationItem = Item(m, "ConfViewPresentation1", tr("&View presentation..."));
    Command(m, "ConfSetMotd1", tr("Set &Message Of The Day..."), MainCommand::SetConfMotd);
    Command(m, "ConfRemoveMotd1", tr("Remove MO&TD..."), MainCommand::RemoveConfMotd);
    Command(m, "ConfViewStatistics1", tr("View &statistics..."), MainCommand::ViewConfStatistics);
    SetPrioritiesItem = Item(m, "SetPriorities1", tr("Set &priorities"));
    SetPrioritiesItem->setVisible(false);
    SetPrioritiesItem->setEnabled(false);
    Command(m, "AddMember1", tr("&Add member..."), MainCommand::AddMember);
    Command(m, "RemoveMember1", tr("Re&move member..."), MainCommand::RemoveMember);
}

void TMainMenus::BuildUsersMenu(QMenu* online)
{
    QMenu* m = online->addMenu(tr("&Users"));
    m->setObjectName(QStringLiteral("Users1"));
    Command(m, "UserCreateNew1", tr("Create &new..."), MainCommand::CreateUser);
    Command(m, "UserDeleteExisting1", tr("&Delete existing..."), MainCommand::DeleteConfOrPerson);
    Command(m, "UserRename1", tr("&Rename..."), MainCommand::RenameConfOrPerson);
    Command(m, "UserChangePresentation1", tr("Change &presentation..."),
            MainCommand::ChangeUserPresentation);
    ViewUserPresentationItem = Item(m, "UserViewPresentation1", tr("&View presentation..."));
    Command(m, "UserSetMotd1", tr("Set &Message Of The Day..."), MainCommand::SetUserMotd);
    Command(m, "UserRemoveMotd1", tr("Remove MO&TD..."), MainCommand::RemoveUserMotd);
    Command(m, "ChangePassword1", tr("Change &password..."), MainCommand::ChangePassword);
    Command(m, "UserViewStatistics1", tr("View &statistics..."), MainCommand::ViewUserStatistics);
}

void TMainMenus::BuildOptionsAndHelp(QMainWindow* window)
{
    QMenu* options = window->menuBar()->addMenu(tr("&Options"));
    options->setObjectName(QStringLiteral("Options1"));
    SetGroupIndex(options, 100);
    Command(options, "Settings1", tr("&Settings..."), MainCommand::Settings);
    Command(options, "Servers1", tr("S&ervers..."), MainCommand::Servers);

    WindowsMenu = window->menuBar()->addMenu(tr("&Windows"));
    WindowsMenu->setObjectName(QStringLiteral("Windows1"));
    SetGroupIndex(WindowsMenu, 200);

    QMenu* help = window->menuBar()->addMenu(tr("&Help"));
    help->setObjectName(QStringLiteral("Help1"));
    SetGroupIndex(help, 200);
    HelpIndexItem = Item(help, "Index1", tr("&Index"));
    ContextHelpItem = Item(help, "ContextHelp1", tr("Help on this &window"));
    ContextHelpItem->setShortcut(QKeySequence::HelpContents);
    // F1 from any window of the program, detached ones included.
    ContextHelpItem->setShortcutContext(Qt::ApplicationShortcut);
    QuickHelpItem = Item(help, "QuickHelp1", tr("&Quick help"));
    Command(help, "Statistics1", tr("&Statistics..."), MainCommand::Statistics);
    AboutItem = Item(help, "About1", tr("&About"));
}

} // namespace pellar
