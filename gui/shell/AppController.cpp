#include "gui/shell/AppController.h"
#include "gui/common/CoreTexts.h"

#include "core/events/AsyncDispatch.h"
#include "core/events/ClientEventsSession.h"
#include "core/session/SessionCommands.h"
#include "core/base/LocalUserName.h"
#include "core/base/StatePaths.h"
#include "core/config/ConfigKeys.h"
#include "core/config/SecretStoreCache.h"
#include "core/session/Client.h"
#include "core/session/ClientNameLookup.h"
#include "core/writing/ClientReadingSession.h"
#include "core/writing/ClientWritingSession.h"
#include "gui/config/KeychainSecretStore.h"
#include "gui/dialogs/ChooseNameForm.h"
#include "gui/config/QSettingsRegistryBackend.h"
#include "gui/common/QtLocalePort.h"
#include "gui/common/QtCancellableGuiThread.h"
#include "gui/common/SpellService.h"
#include "gui/shell/AppWindows.h"
#include "gui/shell/DemoServer.h"
#include "gui/shell/MainForm.h"
#include "gui/shell/MainMenus.h"
#include "gui/common/MainStatusBar.h"
#include "gui/shell/QtBlockingWait.h"
#include "gui/shell/QtSessionUi.h"
#include "gui/shell/TerminationSignals.h"
#include "gui/shell/UserMessagePresenter.h"
#include "gui/writing/DraftOffers.h"
#include "gui/writing/WriteTextForm.h"
#include "gui/common/WireCodec.h"

#include <QCoreApplication>
#include <QLabel>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

namespace pellar {

AppController::AppController(AppOptions options, QObject* parent) : QObject(parent)
{
    settings_ = options.settings;
    dataDir_ = options.dataDir.empty() ? PerUserDataDir() : options.dataDir;
    std::shared_ptr<SecretStore> secrets = options.secrets;
    if (!settings_ && !secrets)
        secrets = std::make_shared<KeychainSecretStore>();
    if (secrets) {
        // The keyring is asked ahead, off the GUI thread (see WhenPasswordKnown).
        secretCache_ = std::make_shared<SecretStoreCache>(std::move(secrets));
        secrets = secretCache_;
    }
    if (!settings_) {
        // The settings folder is the program's own: owner only, like the file.
        const QString file = QSettingsRegistryBackend::DefaultFile();
        NarrowToOwner(std::filesystem::path(QFile::encodeName(QFileInfo(file).absolutePath()).toStdString()));
        settings_ = std::make_shared<QSettingsRegistryBackend>(file);
    }

    ClientOptions clientOptions;
    clientOptions.stateDir = options.stateDir;
    clientOptions.debugLog = options.diagnosticLogs;
    clientOptions.receiveTrace = options.diagnosticLogs;
    clientOptions.configBackend = settings_;
    clientOptions.secretStore = secrets;
    clientOptions.locale = std::make_shared<QtLocalePort>();
    client_ = std::make_unique<Client>(clientOptions);

    waits_ = std::make_unique<QtBlockingWait>();
    client_->SetBlockingWait(waits_.get());
    names_ = std::make_unique<ClientNameLookup>(*client_);
    writingPort_ = std::make_unique<ClientWritingSession>(*client_);
    eventsPort_ = std::make_unique<ClientEventsSession>(*client_);
    readingPort_ = std::make_unique<ClientReadingSession>(*client_);
    services_.names = names_.get();
    services_.postUserMessage = [this](const std::string& text) { client_->UserMessages().PostUserMessage(text); };
    services_.chooseName = DialogNameChooser(&services_);
    services_.createConference = [this](const std::string& name) {
        return session_ ? session_->Commands().CreateConferenceNamed(name) : -1;
    };

    // The dictionary loads when an editor is first used; the editors check once it is in.
    services_.spelling = new SpellService(
        [this](std::string_view key, std::string_view def) { return client_->Config().ReadString(key, def); },
        SpellDictionaryFolders(), dataDir_ / "spelling-words", this);
    services_.spelling->SetErrorSink(
        [this](const std::string& error) { client_->UserMessages().PostUserMessage("!" + error); });

    mainForm_ = std::make_unique<TMainForm>(&services_);
    ui_ = new QtSessionUi(client_->Config(), settings_, LocalUserName(), &services_, mainForm_.get(), this);
    ui_->SetBlockingWait(waits_.get());
    session_ = std::make_unique<Session>(*client_, *ui_, options.logon);
    session_->AddListener(this);
    presenter_ = new UserMessagePresenter(client_->UserMessages(), client_->DisconnectingEvent(), mainForm_.get(), this);

    reconnectTimer_ = new QTimer(this);
    reconnectTimer_->setInterval(1000);
    connect(reconnectTimer_, &QTimer::timeout, this, &AppController::ReconnectTick);

    mainForm_->ApplyWindowSettings(
        [this](const std::string& key, const std::string& def) { return client_->Config().ReadString(key, def); });
    WireMainForm();
}

AppController::~AppController()
{
    StopReconnecting();
    // Log off while the waits may still show Cancel and the embedded server
    // still serves; a second Disconnect sends nothing.
    Disconnect();
    // The windows stop their own workers as they go (search, marks, who is on).
    windows_.reset();
    // Tearing down, nothing may run a nested event loop.
    client_->SetBlockingWait(nullptr);
    // The session's threads end while everything they hand work to still exists.
    session_->Shutdown();
    // Windows that close with the frame may pump events; its timer must not
    // call back into a controller that is half gone.
    if (mainForm_) {
        mainForm_->Timer1()->stop();
        disconnect(mainForm_.get(), nullptr, this, nullptr);
    }
    mainForm_.reset();
}

AppWindows& AppController::OpenWindows()
{
    if (!windows_)
        windows_ = std::make_unique<AppWindows>(*this);
    return *windows_;
}

std::shared_ptr<AsyncDispatch> AppController::Dispatch()
{
    if (!dispatch_) {
        dispatch_ = std::make_shared<AsyncDispatch>(*client_, std::make_unique<QtCancellableGuiThread>(this));
        session_->AdoptWorker(dispatch_);
    }
    return dispatch_;
}

void AppController::WireMainForm()
{
    TMainForm* form = mainForm_.get();
    connect(form, &TMainForm::ConnectRequested, this, &AppController::Connect);
    connect(form, &TMainForm::DisconnectRequested, this, &AppController::Disconnect);
    connect(form, &TMainForm::CommandRequested, this, &AppController::RunCommand);
    connect(form, &TMainForm::MarkReadFlushDue, this, &AppController::FlushMarks);
    connect(form, &TMainForm::Ticked, this, &AppController::CheckLink);
    connect(form->StatusBar1(), &TMainStatusBar::ReconnectCancelled, this, &AppController::CancelReconnect);
    connect(ui_, &QtSessionUi::AdministratorModeChanged, this, [this](bool on) { adminMode_ = on; });
    connect(form, &TMainForm::OnlineChanged, this, [this](bool online) {
        if (!online)
            adminMode_ = false;
    });
}

bool AppController::StartDemo(const std::filesystem::path& database, std::string* error, int passwordIterations)
{
    demo_ = std::make_unique<DemoServer>(database);
    if (!demo_->Start(error, passwordIterations)) {
        demo_.reset();
        return false;
    }
    TMiravoConfiguration& config = client_->Config();
    // The demo's profile keeps its password out of the keyring: nothing to
    // wait for.
    demo_->WriteProfile(config);
    demo_->WritePassword(config);
    mainForm_->SetAutoConnect(true, QString::fromLatin1(DemoServer::kProfile));
    return true;
}

void AppController::WhenPasswordKnown(const TMiravoConfiguration& config, std::function<void()> then)
{
    const std::string key = config.PasswordKey();
    const std::string older = config.OlderPasswordKey();
    WhenKeyKnown(key, [this, key, older, then = std::move(then)]() mutable {
        // Not under the key of today: perhaps under the one it was saved
        // with before (reading it moves it).
        std::string secret;
        if (secretCache_ && secretCache_->Read(key, secret) == SecretStore::Status::NotFound)
            WhenKeyKnown(older, std::move(then));
        else
            then();
    });
}

void AppController::WhenKeyKnown(const std::string& key, std::function<void()> then)
{
    if (!secretCache_ || secretCache_->Knows(key)) {
        then();
        return;
    }
    ++passwordWaits_;
    // The cache's worker calls back; the cache goes (joining it) before
    // this object does, so the call always has a receiver.
    secretCache_->Prefetch(key, [this, then = std::move(then)]() mutable {
        QMetaObject::invokeMethod(this, [this, then = std::move(then)] {
            --passwordWaits_;
            then();
        }, Qt::QueuedConnection);
    });
}

int AppController::DemoPort() const
{
    return demo_ ? demo_->Port() : 0;
}

void AppController::QuitOnSignals(TerminationSignals& termination)
{
    termination.QuitOnSignal([this] { QuitWithoutAsking(); });
}

void AppController::QuitWithoutAsking()
{
    // Nobody is there to answer: the session is ending under the user.
    for (TWriteTextForm* form : DraftOffers::OpenWritingWindows())
        form->KeepForQuit();
    mainForm_->SetCloseGuard({});
    QCoreApplication::quit();
}

void AppController::Connect(bool autoConnect, const QString& startProfile)
{
    // The lost session on screen ends first; this is a logon of its own.
    if (keptOffline_ && !tryRunning_)
        Disconnect();
    const std::string profile = ToWire(startProfile, WireCharset::Latin1);
    if (autoConnect && secretCache_) {
        // The logon reads the saved password; from the keyring, that is
        // fetched first, off the GUI thread.
        TMiravoConfiguration& config = client_->Config();
        config.SetProfile(profile.empty() ? std::string(TMiravoConfiguration::kRootPath)
                                          : TMiravoConfiguration::ProfilePathFor(profile));
        if (config.ReadString(ConfigKeys::Pwd, "").empty() && !config.ReadFlag(ConfigKeys::PwdNotSecret, false)) {
            const unsigned ticket = ++connectTicket_;
            WhenPasswordKnown(config, [this, ticket, profile] {
                // A Disconnect meanwhile called the connect off.
                if (ticket == connectTicket_)
                    session_->Connect(true, profile);
            });
            return;
        }
    }
    session_->Connect(autoConnect, profile);
}

void AppController::SessionConnecting()
{
    emit Connecting();
    QCoreApplication::processEvents();
}

void AppController::SessionLoggedOn(bool online)
{
    mainForm_->SetOnline(online);
    // The profile logged on with may check another language.
    if (online)
        services_.spelling->Refresh();
    mainForm_->StatusBar1()->SetLinkSecurity(online, FromWire(client_->ComThread().Encryption()));
    if (online)
        emit Connected();
}

void AppController::Disconnect()
{
    ++connectTicket_;
    StopReconnecting();
    if (tryRunning_) {
        // The try's waits unwind once the link is down; the session ends
        // when it has returned.
        endAfterTry_ = true;
        session_->Disconnect();
        return;
    }
    keptOffline_ = false;
    session_->Disconnect();
}

void AppController::SessionDisconnecting()
{
    emit Disconnecting();
}

void AppController::SessionOffline()
{
    mainForm_->SetOnline(false);
    mainForm_->StatusBar1()->SetLinkSecurity(false, QString());
}

void AppController::SessionDisconnected()
{
    emit Disconnected();
}

void AppController::FlushMarks()
{
    session_->FlushMarks();
}

void AppController::CheckLink()
{
    if (!mainForm_ || !mainForm_->IsOnline() || !session_->LinkLost())
        return;
    // Not under a command that is still waiting for the server: it fails on
    // its own and unwinds first; the next tick takes the window offline.
    if (waits_->Depth() > 0)
        return;
    if (client_->Config().ReadFlag(ConfigKeys::AutoReconnect, ConfigDefaultFlag(ConfigKeys::AutoReconnect)) && session_->LogonSequence().CanLogOnAgain()) {
        StartReconnecting();
        return;
    }
    // Requests already fail at once; without this the menus would still
    // offer a session that is gone. The notice goes after: while the session
    // ends, what it still has to say is dropped, and this is not its own.
    Disconnect();
    client_->UserMessages().PostUserMessage("!The connection to the server was lost.");
}

void AppController::StartReconnecting()
{
    // The window keeps what it shows; only the commands that need the
    // server go, and the builder and other background work stand still.
    keptOffline_ = true;
    mainForm_->SetOnline(false);
    mainForm_->StatusBar1()->SetLinkSecurity(false, QString());
    emit LinkLostKept();
    backoff_.Reset();
    ScheduleReconnect(QString());
}

void AppController::ScheduleReconnect(const QString& why)
{
    reconnecting_ = true;
    lastFailure_ = why;
    secondsLeft_ = backoff_.NextDelaySeconds();
    // Disconnect ends the kept session (and the tries); Connect starts afresh.
    mainForm_->Menus()->SessionDisconnectAction->setEnabled(true);
    ShowCountdown();
    reconnectTimer_->start();
}

void AppController::ShowCountdown()
{
    const QString line = tr("Offline. Connecting again in %1 s").arg(secondsLeft_);
    mainForm_->StatusBar1()->SetReconnect(line);
    mainForm_->StatusBar1()->ReconnectPanel()->setToolTip(
        lastFailure_.isEmpty() ? tr("The connection to the server was lost.") : lastFailure_);
}

void AppController::ReconnectTick()
{
    if (!reconnecting_ || tryRunning_)
        return;
    if (--secondsLeft_ > 0) {
        ShowCountdown();
        return;
    }
    reconnectTimer_->stop();
    TryReconnect();
}

void AppController::TryReconnect()
{
    tryRunning_ = true;
    secondsLeft_ = 0;
    mainForm_->StatusBar1()->SetReconnect(tr("Connecting again..."));
    const Logon::Again result = session_->Reconnect();
    tryRunning_ = false;
    if (endAfterTry_) {
        // Disconnect came while the try ran.
        endAfterTry_ = false;
        keptOffline_ = false;
        session_->Disconnect();
        return;
    }
    const QString why = CoreText(session_->LogonSequence().FailureNotice());
    switch (result) {
    case Logon::Again::LoggedOn:
        keptOffline_ = false;
        StopReconnecting();
        mainForm_->StatusBar1()->SetNotice(tr("Connected again."));
        return;
    case Logon::Again::Unreachable:
        if (reconnecting_)  // else Cancel came while the try ran
            ScheduleReconnect(why);
        return;
    case Logon::Again::Cancelled:
        CancelReconnect();
        return;
    case Logon::Again::Refused:
    case Logon::Again::NothingToRepeat:
        // Another try would be refused the same way.
        StopReconnecting();
        Disconnect();
        if (!why.isEmpty())
            client_->UserMessages().PostUserMessage("!" + ToWire(why, WireCharset::Latin1));
        return;
    }
}

void AppController::CancelReconnect()
{
    if (!reconnecting_)
        return;
    StopReconnecting();
    mainForm_->StatusBar1()->SetNotice(tr("Offline: not connecting again. Connect logs on anew."));
}

void AppController::StopReconnecting()
{
    reconnecting_ = false;
    secondsLeft_ = 0;
    if (reconnectTimer_)
        reconnectTimer_->stop();
    if (mainForm_) {
        mainForm_->StatusBar1()->SetReconnect(QString());
        // Offline, Disconnect has nothing left to end once the tries stop
        // (the kept session ends with Connect).
        if (!mainForm_->IsOnline() && !tryRunning_)
            mainForm_->Menus()->SessionDisconnectAction->setEnabled(false);
    }
}

void AppController::RunCommand(MainCommand command)
{
    SessionCommands& c = session_->Commands();
    switch (command) {
    case MainCommand::CreateConference:
        c.CreateConference();
        return;
    case MainCommand::DeleteConfOrPerson:
        c.DeleteConference();
        return;
    case MainCommand::RenameConfOrPerson:
        c.RenameConference();
        return;
    case MainCommand::ViewConfStatistics:
        c.ViewConferenceStatistics();
        return;
    case MainCommand::AddMember:
        c.AddMember();
        return;
    case MainCommand::RemoveMember:
        c.RemoveMember();
        return;
    case MainCommand::CreateUser:
        c.CreateAccountCommand();
        return;
    case MainCommand::ChangePassword:
        c.ChangePassword();
        return;
    case MainCommand::ViewUserStatistics:
        c.ViewUserStatistics();
        return;
    case MainCommand::ToggleAdmin:
        // The mode as it stands decides, not the check the click toggled.
        c.AdministratorMode(adminMode_);
        mainForm_->SetAdminMode(adminMode_);
        return;
    case MainCommand::SyncDatabase:
        c.SynchroniseDatabase();
        return;
    case MainCommand::ClearCaches:
        emit CachesCleared();
        if (session_->ClearCaches(mainForm_->IsOnline()))
            ui_->refreshConferenceList();
        return;
    default:
        emit CommandForWindows(command);
        return;
    }
}

} // namespace pellar
