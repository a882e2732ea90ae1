// The session-level commands of a logged-on user: joining and leaving,
// creating, deleting and renaming conferences and persons, passwords,
// members, administrator mode, and the activity and "user active" notices.
// The commands run on the GUI thread and ask through SessionUi;
// ChangeActivity and UserActive may be called from any thread.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <mutex>
#include <optional>
#include <string>

#include "core/link/MVTransaction.h"
#include "core/session/SessionUi.h"

namespace pellar {

class Client;

class SessionCommands {
public:
    // The least time between two "user active" notices.
    static constexpr std::chrono::milliseconds kUserActiveInterval{30000};

    // Milliseconds of a monotonic clock; tests pass their own.
    using TickSource = std::function<int64_t()>;

    SessionCommands(Client& client, SessionUi& ui, TickSource ticks = {});
    SessionCommands(const SessionCommands&) = delete;
    SessionCommands& operator=(const SessionCommands&) = delete;

    // Answers false when already a member (nothing sent) or when refused.
    bool JoinConference(int32_t conf);
    void JoinConferenceCommand();
    // conf names the default of the chooser; 0 for none.
    void LeaveConference(int32_t conf);
    void CreateConference();
    // The create-conference dialog with name proposed, the request and the
    // join; no presentation editor (the caller writes there next). The new
    // conference's number, or -1 when cancelled or refused.
    int32_t CreateConferenceNamed(const std::string& name);
    void DeleteConference();
    void RenameConference();
    void ChangePassword();
    // The new-account dialog and request. person is -1 until an account is
    // made. Cancelling or a refusal stops the connection (the logon path).
    // The caller joins the default conferences once the person is logged on
    // (see JoinDefaultConferences); password is what the person chose.
    bool CreateAccount(const std::string& name, int32_t& person, std::string* password = nullptr);
    // The menu command: creates an account for someone else while logged on;
    // never touches the connection or the logged-on person's memberships.
    void CreateAccountCommand();
    // The server's presentation, person-presentation and join-on-create
    // conferences, then the offer to write a presentation.
    void JoinDefaultConferences();
    void AddMember();
    void RemoveMember();
    void GoToConference();
    void ViewConferenceStatistics();
    void ViewUserStatistics();
    // checked: the administrator item's check mark as it stands now.
    void AdministratorMode(bool checked);
    void SynchroniseDatabase();

    // Persons only: -1 for none, the number for one, the chooser for several;
    // nothing when the look-up itself failed (the user has been told why).
    std::optional<int32_t> LookUpPerson(const std::string& name);

    // index into the activity table ("add" 0 ... "writecomment" 6).
    void ChangeActivity(int index);
    void UserActive();

private:
    // Sends and waits; the engine posts the error text on a refusal.
    bool Run(const char* label, const WireRequest& wire, std::string* reply = nullptr);
    int64_t NowMs() const;

    Client& client_;
    SessionUi& ui_;
    TickSource ticks_;

    std::mutex activityMutex_;
    std::string lastActivity_ = "*";
    std::atomic<int64_t> lastActiveMs_;
};

} // namespace pellar
