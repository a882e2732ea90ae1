// The session's dialogs on screen: logon, progress, questions, choosers and
// the account and conference dialogs. What the session asks of other windows
// (show a text, refresh the conference list, ...) goes out as signals, so the
// reading and writing windows connect to it without the session knowing them.
#pragma once

#include "core/session/SessionUi.h"
#include "gui/shell/ConnectingForm.h"

#include <QObject>
#include <QPointer>

#include <memory>
#include <string>

class QWidget;

namespace pellar {

class QtBlockingWait;
class RegistryBackend;
class TMiravoConfiguration;
class TMainForm;
struct GuiServices;

class QtSessionUi : public QObject, public SessionUi {
    Q_OBJECT

public:
    // config: the client's configuration; backend: the store under it, which
    // the login dialog reads through a configuration of its own; loginName:
    // the local user, for the saved password.
    QtSessionUi(TMiravoConfiguration& config, std::shared_ptr<RegistryBackend> backend, std::string loginName,
                const GuiServices* services, TMainForm* mainForm, QObject* parent = nullptr);
    ~QtSessionUi() override;

    std::optional<LoginChoice> askLogin() override;
    void showProgress(std::string_view text, int percent) override;
    void setProgress(int percent) override;
    void hideProgress() override;
    bool askYesNo(std::string_view question) override;
    bool askTrustCertificate(std::string_view server, const TlsPeer& peer) override;
    int32_t chooseMatch(const std::vector<NameMatchRec>& matches) override;
    bool askNewAccount(NewAccountFields& fields) override;
    bool askNoPresentation() override;
    void applyWindowSettings() override;
    void setCaption(std::string_view caption) override;

    void openPresentationEditor(int32_t conf) override;
    void showText(int32_t text) override;
    void refreshConferenceList() override;
    void dropConference(int32_t conf) override;
    void goToConference(int32_t conf) override;
    void setAdministratorMode(bool on) override;

    int32_t chooseName(std::string_view title, NameKind kind, std::string_view defaultName) override;
    std::optional<std::string> inputBox(std::string_view title, std::string_view prompt,
                                        std::string_view defaultText) override;
    bool askCreateConference(CreateConfFields& fields) override;
    bool askChangePassword(ChangePasswordFields& fields) override;
    std::optional<ConfMember> askConfMember(std::string_view title) override;

    // The progress window while a logon or log-off shows it; null otherwise.
    TConnectingForm* ProgressWindow() const { return progress_; }
    // A finer step inside the current one, shown only while the progress
    // window is up (the logon's conference list): no event loop is run.
    void ShowProgressDetail(const QString& text, int percent);
    // The step the progress window showed last (it goes when hidden).
    const QString& LastProgressStep() const { return lastStep_; }
    // The waits the progress window shows while it is up.
    void SetBlockingWait(QtBlockingWait* waits) { waits_ = waits; }

signals:
    void PresentationEditorRequested(int32_t conf);
    void ShowTextRequested(int32_t text);
    void RefreshConferenceListRequested();
    void DropConferenceRequested(int32_t conf);
    void GoToConferenceRequested(int32_t conf);
    void AdministratorModeChanged(bool on);
    // After the main window took its own settings from the current profile.
    void WindowSettingsDue();

private:
    QWidget* DialogParent() const;

    TMiravoConfiguration& config_;
    std::shared_ptr<RegistryBackend> backend_;
    std::string loginName_;
    const GuiServices* services_;
    QPointer<TMainForm> mainForm_;
    QPointer<TConnectingForm> progress_;
    QtBlockingWait* waits_ = nullptr;
    QString lastStep_;
};

} // namespace pellar
