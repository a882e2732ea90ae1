// Connecting and logging a person on, and logging off again. Runs on the GUI
// thread and reaches the user through SessionUi: login choice, progress, the
// account question and dialog, the name chooser, the presentation prompt.
#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "core/link/TMVCommunicationThread.h"
#include "core/session/SessionCommands.h"
#include "core/session/SessionUi.h"

namespace pellar {

class Client;
class TMiravoConfiguration;

struct LogonOptions {
    // How long the server may take to greet.
    std::chrono::milliseconds greetingTimeout{40000};
    // How long each wait after the greeting may take before the logon gives
    // up; unset: the profile's AnswerTimeout setting (seconds, default 30).
    std::optional<std::chrono::milliseconds> answerTimeout;
    // The gauge moves one step per slice of the wait.
    std::chrono::milliseconds greetingSlice{1000};
    // Log-off's waits, in 1 ms steps: for outstanding requests before and
    // after the logout request, and for the link to close.
    int drainSteps = 70000;
    int logoutSteps = 3000;
    int stopSteps = 90000;
    // Trust anchors beside the system's CA store for encrypted links (a
    // private CA); empty for none.
    std::string tlsCaFile;
};

// Asks the server for the asynchronous messages every session wants (and
// with presenceReports the who-is-on reports too) and records the list in
// the client. Does not wait for the reply.
void AcceptAsyncMessages(Client& client, bool presenceReports);

class Logon {
public:
    Logon(Client& client, SessionUi& ui, SessionCommands& commands, LogonOptions options = {});
    Logon(const Logon&) = delete;
    Logon& operator=(const Logon&) = delete;

    // True when a person is logged on.
    bool LogOn();
    // After a lost link: logs the same person on to the same server again,
    // asking the user nothing (the password is the one the last logon used),
    // sends the read marks still owed before the memberships are read back,
    // and reloads them. Why it failed is in FailureNotice, not a message.
    // Unreachable: worth another try later; Cancelled: the user gave up a wait.
    enum class Again { LoggedOn, Unreachable, Refused, Cancelled, NothingToRepeat };
    Again LogOnAgain();
    // A logon worked since the program started (or Forget): LogOnAgain has
    // something to repeat.
    bool CanLogOnAgain() const { return last_.has_value(); }
    // The next LogOnAgain has nothing to repeat (the user disconnected).
    void ForgetLastLogon() { last_.reset(); }
    // False when there was no connection to end.
    bool LogOff();

    void ReadServerInfo();
    // What the server was last asked to send, by this logon or since.
    std::vector<int32_t> AcceptedAsyncMessages() const;
    void LoadMemberships();
    void PromptForPresentation();

    // The next logon takes server and person from the profile named by
    // StartProfile (empty: the default profile) instead of asking.
    void SetAutoConnect(bool on) { autoConnect_ = on; }
    bool AutoConnect() const { return autoConnect_; }
    void SetStartProfile(std::string profile) { startProfile_ = std::move(profile); }
    const std::string& StartProfile() const { return startProfile_; }

    // Why the last LogOn left the client offline, for the status bar:
    // empty after a logon that worked.
    const std::string& FailureNotice() const { return failureNotice_; }

    // The client's name and version text as the server hears them.
    static std::string ClientName();
    static std::string ClientVersionText();

private:
    // Steps after the greeting; false when the logon failed.
    // created: a new account was made on the way.
    // password: the one logged on with (a new account's, when one was made).
    bool Negotiate(const std::string& server, const std::string& user, std::string& password, bool& created);
    // After a logon through the login dialog: the profile chosen there keeps
    // the server, port, encryption and name that worked.
    static void RememberLogon(TMiravoConfiguration& config, const std::string& server, const std::string& port,
                              const std::string& user, bool tls);
    enum class GreetingOutcome { Greeted, TimedOut, Cancelled, LinkLost };
    // where: the server's host:port, for the user.
    GreetingOutcome WaitForGreeting(const std::string& where);
    // Wait while requests are outstanding, at most steps milliseconds.
    void DrainRequests(int steps);
    void Abandon();
    // The time each wait after the greeting may take.
    std::chrono::milliseconds AnswerTimeout() const;
    // Connects; asks the user about a certificate that failed the check and
    // pins it when trusted. False (reported already) when not connected.
    bool Connect(const std::string& server, const std::string& port, const ProxySettings& proxy, TlsSettings tls);

    // What a logon that worked used, so that it can be repeated unattended.
    struct LastLogon {
        std::string profilePath, server, port, user, password;
        bool tls = false;
        int32_t person = 0;
    };
    // A failure for the user: a message, or while unattended only the notice.
    void Report(const std::string& text);

    Client& client_;
    SessionUi& ui_;
    SessionCommands& commands_;
    LogonOptions options_;

    bool autoConnect_ = false;
    // The login dialog's "Create account...": the name is for a new person.
    bool wantAccount_ = false;
    std::string startProfile_;
    std::string failureNotice_;
    std::optional<LastLogon> last_;
    bool unattended_ = false;
    bool connectCancelled_ = false;
};

} // namespace pellar
