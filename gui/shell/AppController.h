// The running client behind the main window: creates the client context and
// the session, forwards Connect, Disconnect and the session commands the main
// window asks for, and shows the user messages. Windows that the session
// steers connect to its signals and to Ui()'s. Its destructor is the one
// shutdown order (docs/DESIGN.md).
#pragma once

#include "core/session/ReconnectBackoff.h"
#include "core/session/Session.h"
#include "gui/common/GuiServices.h"
#include "gui/common/MainCommands.h"

#include <QObject>

class QTimer;

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

namespace pellar {

class AppWindows;
class AsyncDispatch;
class Client;
class ClientEventsSession;
class ClientNameLookup;
class ClientReadingSession;
class ClientWritingSession;
class DemoServer;
class QtBlockingWait;
class QtSessionUi;
class TMiravoConfiguration;
class RegistryBackend;
class SecretStore;
class SecretStoreCache;
class SessionCommands;
class TerminationSignals;
class TMainForm;
class UserMessagePresenter;

struct AppOptions {
    // Where the settings live; null: the per-user QSettings file.
    std::shared_ptr<RegistryBackend> settings;
    // The diagnostic logs; empty: the per-user state directory.
    std::filesystem::path stateDir;
    bool diagnosticLogs = true;
    // Drafts and the messages log; empty: the per-user data directory.
    std::filesystem::path dataDir;
    LogonOptions logon;
    // Where saved passwords go; null: the desktop's keyring when the
    // settings are the per-user file, else only the settings.
    std::shared_ptr<SecretStore> secrets;
};

class AppController : public QObject, private SessionListener {
    Q_OBJECT

public:
    explicit AppController(AppOptions options = {}, QObject* parent = nullptr);
    ~AppController() override;

    // Starts the embedded server on database (empty: in memory), writes the
    // profile "Demo" and has the main window log on to it at its next tick.
    bool StartDemo(const std::filesystem::path& database, std::string* error = nullptr, int passwordIterations = 0);
    int DemoPort() const;

    // The program's standing windows, made once and owned here, so that they
    // go at their place in the shutdown order.
    AppWindows& OpenWindows();
    // The asynchronous-message thread, made on first use and owned by the
    // session: enabled from Connect to Disconnect, stopped at shutdown.
    std::shared_ptr<AsyncDispatch> Dispatch();

    // A termination signal (log-out, shutdown) ends the program without a
    // question: every text being written is kept as a draft, then the event
    // loop quits the ordinary way.
    void QuitOnSignals(TerminationSignals& termination);
    void QuitWithoutAsking();

    void Connect(bool autoConnect, const QString& startProfile);
    void Disconnect();
    void RunCommand(MainCommand command);
    // The periodic flush of the read marks.
    void FlushMarks();
    // On the main window's tick: a link that went down under an online
    // session takes the window offline; what it shows stays, marked
    // offline, while the status bar counts down to a try to log on again
    // (the AutoReconnect setting; else the session ends with a message).
    void CheckLink();

    // Tries to connect again are due or under way after a lost link.
    bool IsReconnecting() const { return reconnecting_; }
    // Seconds to the next try; 0 while one runs or none is due.
    int ReconnectSecondsLeft() const { return secondsLeft_; }
    // No more tries; what the lost session showed stays until the next
    // Connect or Disconnect.
    void CancelReconnect();
    // The waits between tries (tests shorten them).
    void SetReconnectBackoff(ReconnectBackoff backoff) { backoff_ = std::move(backoff); }

    Client& ClientContext() { return *client_; }
    // The ports the windows take instead of the client; they live as long
    // as the client, so that a window that outlives the other windows (the
    // frame's children go with the main window) still holds a live one.
    ClientWritingSession& WritingPort() { return *writingPort_; }
    ClientEventsSession& EventsPort() { return *eventsPort_; }
    ClientReadingSession& ReadingPort() { return *readingPort_; }
    TMainForm& MainWindow() { return *mainForm_; }
    QtSessionUi& Ui() { return *ui_; }
    Session& CurrentSession() { return *session_; }
    SessionCommands& Commands() { return session_->Commands(); }
    Logon& LogonSequence() { return session_->LogonSequence(); }
    UserMessagePresenter& Messages() { return *presenter_; }
    QtBlockingWait& Waits() { return *waits_; }
    const GuiServices& Services() const { return services_; }
    // How the dialogs show a presentation: the reading window does, once it
    // exists; empty until then and after it goes.
    void SetPresentationShower(std::function<void(int32_t)> show) { services_.showPresentation = std::move(show); }
    // The store the profiles live in.
    const std::shared_ptr<RegistryBackend>& Settings() const { return settings_; }
    bool IsConnecting() const { return session_->IsConnecting(); }
    // Saved passwords are being fetched from the keyring for a logon.
    bool AwaitingPassword() const { return passwordWaits_ > 0; }
    // Where what the user wrote or received is kept between runs.
    const std::filesystem::path& DataDir() const { return dataDir_; }

signals:
    // Before the logon: the reading window clears its text display and the
    // asynchronous-message handling starts.
    void Connecting();
    // LogOn succeeded and the window is online.
    void Connected();
    // Disconnect has begun: background work on the session stops.
    void Disconnecting();
    // After log-off and the cache clear: windows forget the session.
    void Disconnected();
    // Clear caches was confirmed: the reading window empties its display.
    void CachesCleared();
    // The link went and the window stays as it was, offline, until the
    // session logs on again (Connected) or ends (Disconnecting): background
    // work on it stops meanwhile.
    void LinkLostKept();
    // A main-window command that another window carries out (settings,
    // presentations, notices, search, marked texts, statistics).
    void CommandForWindows(pellar::MainCommand command);

private:
    void WireMainForm();
    // Runs then on the GUI thread once the keyring's answer for the current
    // profile's password is known (under its key, else under the key it was
    // saved with before), fetched on a worker meanwhile; at once when known
    // already.
    void WhenPasswordKnown(const TMiravoConfiguration& config, std::function<void()> then);
    void WhenKeyKnown(const std::string& key, std::function<void()> then);
    // SessionListener: the main window follows the session; the signals
    // above tell the other windows.
    void SessionConnecting() override;
    void SessionLoggedOn(bool online) override;
    void SessionDisconnecting() override;
    void SessionOffline() override;
    void SessionDisconnected() override;
    // After a lost link.
    void StartReconnecting();
    void ScheduleReconnect(const QString& why);
    void ReconnectTick();
    void TryReconnect();
    void StopReconnecting();
    void ShowCountdown();

    std::unique_ptr<DemoServer> demo_;  // first in, last out: outlives the client's link
    std::shared_ptr<RegistryBackend> settings_;
    // The keyring as the client sees it; null without one. Its look-ups
    // are joined with the last owner, before this object goes.
    std::shared_ptr<SecretStoreCache> secretCache_;
    int passwordWaits_ = 0;
    unsigned connectTicket_ = 0;
    std::unique_ptr<Client> client_;
    std::unique_ptr<QtBlockingWait> waits_;
    std::unique_ptr<ClientNameLookup> names_;
    std::unique_ptr<ClientWritingSession> writingPort_;
    std::unique_ptr<ClientEventsSession> eventsPort_;
    std::unique_ptr<ClientReadingSession> readingPort_;
    GuiServices services_;
    std::unique_ptr<TMainForm> mainForm_;
    QtSessionUi* ui_ = nullptr;
    std::unique_ptr<Session> session_;
    std::shared_ptr<AsyncDispatch> dispatch_;
    UserMessagePresenter* presenter_ = nullptr;
    std::filesystem::path dataDir_;
    bool adminMode_ = false;
    std::unique_ptr<AppWindows> windows_;
    // A lost link's session is still on screen, not yet ended.
    bool keptOffline_ = false;
    bool reconnecting_ = false;
    bool tryRunning_ = false;
    // Disconnect came while a try ran: the session ends once it returns.
    bool endAfterTry_ = false;
    int secondsLeft_ = 0;
    QString lastFailure_;
    ReconnectBackoff backoff_;
    QTimer* reconnectTimer_ = nullptr;
};

} // namespace pellar
