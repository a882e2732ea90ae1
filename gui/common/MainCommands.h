// The session-level commands of the main window's menus. The window only
// says which was chosen; the session layer carries them out.
#pragma once

#include <QMetaType>

namespace pellar {

enum class MainCommand {
    // Online → Conferences
    CreateConference,
    DeleteConfOrPerson, // the same command from both the conference and user menus
    RenameConfOrPerson,
    ChangeConfPresentation,
    SetConfMotd,
    RemoveConfMotd,
    ViewConfStatistics,
    AddMember,
    RemoveMember,
    // Online → Users
    CreateUser,
    ChangeUserPresentation,
    SetUserMotd,
    RemoveUserMotd,
    ChangePassword,
    ViewUserStatistics,
    // Online → Session
    ToggleAdmin,
    SyncDatabase,
    ClearCaches, // already confirmed by the user
    // Online → Texts
    TextProperties,
    ViewMarked,
    FindText,
    // Options and Help
    Settings,
    Servers,
    Statistics,
};

} // namespace pellar

Q_DECLARE_METATYPE(pellar::MainCommand)
