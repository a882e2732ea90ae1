// How logon, log-off and the session commands talk to the user and to the
// windows, by concern: questions, progress, window steering. The Qt layer
// implements them with the real dialogs; tests script them. Every call comes
// from the GUI thread (logon and the commands run there).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/wire/NameKind.h"
#include "core/link/MVRequests.h"
#include "core/link/TlsStream.h"

namespace pellar {

// What the login dialog gives back when it closes with OK.
struct LoginChoice {
    std::string server;
    std::string port;
    std::string user;
    std::string password;
    std::string profilePath;  // the profile chosen in the dialog, made current
    bool tls = false;         // an encrypted link; port is then the TLS port
    bool createAccount = false;  // "Create account...": user is a new person
};

// The fields of the new-account dialog; kept between showings.
struct NewAccountFields {
    std::string user;
    std::string password;
    std::string confirm;
};

// The fields of the change-password dialog; kept between showings.
struct ChangePasswordFields {
    std::string user;
    std::string oldPassword;
    std::string password;
    std::string confirm;
};

// The four boxes of the create-conference dialog and its name.
struct CreateConfFields {
    std::string name;
    bool open = true;
    bool allowComments = true;
    bool secret = false;
    bool allowAnonymous = false;
};

// The questions the session asks: the logon's dialogs and the commands'.
class SessionQuestions {
public:
    virtual ~SessionQuestions() = default;

    // The login dialog; nothing when it was not closed with OK.
    virtual std::optional<LoginChoice> askLogin() = 0;
    // The server's certificate failed the check: shows why and its
    // fingerprint; true when the user trusts it for this profile. Refuses
    // unless a window implements it.
    virtual bool askTrustCertificate(std::string_view server, const TlsPeer& peer)
    {
        (void)server;
        (void)peer;
        return false;
    }
    // A warning box with Yes and No.
    virtual bool askYesNo(std::string_view question) = 0;
    // Several persons matched: their number, or -1 when cancelled.
    virtual int32_t chooseMatch(const std::vector<NameMatchRec>& matches) = 0;
    // The new-account dialog over fields; false unless closed with OK.
    virtual bool askNewAccount(NewAccountFields& fields) = 0;
    // The "no presentation" dialog; true when closed with Yes.
    virtual bool askNoPresentation() = 0;
    // The name chooser: a number, or -1 when cancelled or nothing matched.
    virtual int32_t chooseName(std::string_view title, NameKind kind, std::string_view defaultName) = 0;
    // An input box; nothing when cancelled.
    virtual std::optional<std::string> inputBox(std::string_view title, std::string_view prompt,
                                                std::string_view defaultText) = 0;
    virtual bool askCreateConference(CreateConfFields& fields) = 0;
    virtual bool askChangePassword(ChangePasswordFields& fields) = 0;
    // The conference-member dialog: the conference and person it resolved.
    struct ConfMember {
        int32_t conf = 0;
        int32_t person = 0;
    };
    virtual std::optional<ConfMember> askConfMember(std::string_view title) = 0;
};

// The progress window of a logon or log-off.
class SessionProgress {
public:
    virtual ~SessionProgress() = default;

    // Shows the progress window (first call) with a step text and percent.
    virtual void showProgress(std::string_view text, int percent) = 0;
    // Moves the gauge only (the greeting wait and log-off's stop wait).
    virtual void setProgress(int percent) = 0;
    virtual void hideProgress() = 0;
};

// What the session has other windows do.
class SessionWindows {
public:
    virtual ~SessionWindows() = default;

    virtual void applyWindowSettings() = 0;
    // The application title and the main window's caption.
    virtual void setCaption(std::string_view caption) = 0;
    // The composition window in presentation mode for a person or conference.
    virtual void openPresentationEditor(int32_t conf) = 0;
    // The reading window shows a text and adds it to its history.
    virtual void showText(int32_t text) = 0;
    virtual void refreshConferenceList() = 0;
    // The subject-tree worker forgets a conference that was left.
    virtual void dropConference(int32_t conf) = 0;
    virtual void goToConference(int32_t conf) = 0;
    // The check mark of the administrator item and the sync item's enabling.
    virtual void setAdministratorMode(bool on) = 0;
};

// All three, for logon and the session commands, which use each of them.
class SessionUi : public SessionQuestions, public SessionProgress, public SessionWindows {
};

} // namespace pellar
