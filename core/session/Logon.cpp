#include "core/session/Logon.h"

#include <algorithm>
#include <exception>
#include <thread>

#include "core/config/CertificatePin.h"
#include "core/config/ConfigKeys.h"
#include "core/link/MVRequests.h"
#include "core/wire/WireTokens.h"
#include "core/base/ProgramVersion.h"
#include "core/session/Client.h"
#include "core/session/ConnectErrors.h"

namespace pellar {

namespace {

// Servers above this version also tell their protocol version.
constexpr int32_t kLastServerWithoutVersionInfo = 10699;
// The greeting wait looks at the link this often: a link that ends raises
// no event of its own there.
constexpr int kLinkCheckMs = 50;
// The activity shown while logged on and idle ("wait").
constexpr int kWaitActivity = 4;


} // namespace

Logon::Logon(Client& client, SessionUi& ui, SessionCommands& commands, LogonOptions options)
    : client_(client), ui_(ui), commands_(commands), options_(options)
{
}

std::string Logon::ClientName()
{
    return "Pellar";
}

std::string Logon::ClientVersionText()
{
    return ProgramMajorVersion() + "." + ProgramMinorVersion();
}

bool Logon::LogOn()
{
    failureNotice_ = "Not connected.";
    TMiravoConfiguration& config = client_.Config();
    std::string server, port, user, password;
    TlsSettings tls;
    const bool fromDialog = !autoConnect_;
    wantAccount_ = false;
    if (fromDialog) {
        const auto choice = ui_.askLogin();
        if (!choice) {
            failureNotice_.clear();  // nothing was tried
            return false;
        }
        server = choice->server;
        port = choice->port;
        user = choice->user;
        password = choice->password;
        tls.enabled = choice->tls;
        wantAccount_ = choice->createAccount;
        config.SetProfile(choice->profilePath.empty() ? std::string(TMiravoConfiguration::kRootPath)
                                                      : choice->profilePath);
    } else {
        config.SetProfile(startProfile_.empty() ? std::string(TMiravoConfiguration::kRootPath)
                                                : TMiravoConfiguration::ProfilePathFor(startProfile_));
        // What the settings dialog shows for a value never stored is what
        // is used: the defaults of the key table.
        server = config.ReadString(ConfigKeys::Server, ConfigDefault(ConfigKeys::Server));
        tls.enabled = config.ReadFlag(ConfigKeys::UseTls, ConfigDefaultFlag(ConfigKeys::UseTls));
        port = tls.enabled ? config.ReadString(ConfigKeys::TlsPort, ConfigDefault(ConfigKeys::TlsPort))
                           : config.ReadString(ConfigKeys::Port, ConfigDefault(ConfigKeys::Port));
        user = config.ReadString(ConfigKeys::User, ConfigDefault(ConfigKeys::User));
        password = config.ReadPassword();
    }
    autoConnect_ = false;
    ui_.applyWindowSettings();

    ui_.showProgress("Connecting...", 8);
    ProxySettings proxy;
    proxy.useProxy = config.ReadFlag(ConfigKeys::UseProxy, false);
    proxy.server = config.ReadString(ConfigKeys::ProxyServer, "");
    proxy.port = config.ReadString(ConfigKeys::ProxyPort, "");
    if (tls.enabled) {
        tls.pinnedFingerprint = PinnedFingerprintFor(config.ReadString(ConfigKeys::TlsPinnedCert, ""), server, port);
        tls.caFile = options_.tlsCaFile;
    }
    if (!Connect(server, port, proxy, tls)) {
        ui_.hideProgress();
        return false;
    }

    ui_.showProgress("Waiting for initial negotiation...", 23);
    const GreetingOutcome greeting = WaitForGreeting(server + ":" + port);
    if (greeting != GreetingOutcome::Greeted) {
        if (greeting == GreetingOutcome::Cancelled)
            failureNotice_ = "Not connected: the logon was cancelled.";
        if (greeting == GreetingOutcome::TimedOut)
            client_.UserMessages().PostUserMessage("!" + GreetingTimeoutText(server, port));
        if (greeting == GreetingOutcome::LinkLost)
            client_.UserMessages().PostUserMessage(
                tls.enabled ? std::string("!Failed to connect: the server closed the connection before greeting.")
                            : std::string("!Failed to connect: the server closed the connection before greeting. "
                                          "If it only serves encrypted connections, turn on \"Encrypted "
                                          "connection (TLS)\" and use its TLS port."));
        Abandon();
        ui_.hideProgress();
        return false;
    }

    bool created = false;
    const std::string where = server + ":" + port;
    TMiravoActiveTransactions& requests = client_.Transactions();
    // A server that greets and then says nothing must not hold the logon for
    // ever: each wait from here on has its time, and one that runs out fails
    // the logon.
    requests.LimitWaits(AnswerTimeout());
    bool ok = Negotiate(where, user, password, created);
    const bool timedOut = requests.LimitedWaitTimedOut();
    const bool cancelled = requests.LimitedWaitCancelled();
    requests.LimitWaits(std::chrono::milliseconds{0});
    if (ok && (timedOut || cancelled)) {
        // A step that does without its answer went on; the logon did not work.
        Abandon();
        ok = false;
    }
    if (!ok) {
        ui_.hideProgress();
        if (timedOut) {
            failureNotice_ = "The server did not answer (" + where + ")";
            client_.UserMessages().PostUserMessage("!" + failureNotice_);
        } else if (cancelled) {
            failureNotice_ = "Not connected: the logon was cancelled.";
        }
        return false;
    }
    failureNotice_.clear();
    // Kept for a logon again after a lost link, which asks nobody.
    last_ = LastLogon{config.ProfilePath(), server, port, user, password, tls.enabled, client_.CurrentPerson()};
    // What worked from the login dialog is what it shows next time: the
    // chosen profile keeps the server, port and person.
    if (fromDialog)
        RememberLogon(config, server, port, user, tls.enabled);
    // The password worked: one saved in the settings file's older form
    // moves into the keyring now, when there is one that answers.
    if (config.ReadFlag(ConfigKeys::SavePwd, false))
        config.MovePasswordToKeyring();
    ui_.setCaption("Pellar (" + server + ") " + user);
    // The list's look-ups are part of the logon: they wait in its box, under
    // a step that says what they are, not in a box of their own each.
    ui_.showProgress("Loading the conference list", 85);
    ui_.refreshConferenceList();
    ui_.hideProgress();
    // A new account was just asked whether to write one; asking again in
    // another dialog would only repeat the question.
    if (!created)
        PromptForPresentation();
    return true;
}

Logon::Again Logon::LogOnAgain()
{
    if (!last_)
        return Again::NothingToRepeat;
    const LastLogon last = *last_;
    failureNotice_ = "Not connected.";
    unattended_ = true;
    struct Attended {
        bool& flag;
        ~Attended() { flag = false; }
    } attended{unattended_};

    TMiravoConfiguration& config = client_.Config();
    config.SetProfile(last.profilePath);
    ProxySettings proxy;
    proxy.useProxy = config.ReadFlag(ConfigKeys::UseProxy, false);
    proxy.server = config.ReadString(ConfigKeys::ProxyServer, "");
    proxy.port = config.ReadString(ConfigKeys::ProxyPort, "");
    TlsSettings tls;
    tls.enabled = last.tls;
    if (tls.enabled) {
        tls.pinnedFingerprint =
            PinnedFingerprintFor(config.ReadString(ConfigKeys::TlsPinnedCert, ""), last.server, last.port);
        tls.caFile = options_.tlsCaFile;
    }
    const std::string where = last.server + ":" + last.port;
    connectCancelled_ = false;
    if (!Connect(last.server, last.port, proxy, tls)) {
        if (!connectCancelled_)
            return Again::Unreachable;
        failureNotice_ = "Not connected: the logon was cancelled.";
        return Again::Cancelled;
    }
    const GreetingOutcome greeting = WaitForGreeting(where);
    if (greeting != GreetingOutcome::Greeted) {
        Abandon();
        if (greeting == GreetingOutcome::Cancelled) {
            failureNotice_ = "Not connected: the logon was cancelled.";
            return Again::Cancelled;
        }
        failureNotice_ = "No greeting from " + where + ".";
        return Again::Unreachable;
    }

    TMiravoActiveTransactions& requests = client_.Transactions();
    requests.LimitWaits(AnswerTimeout());
    requests.Execute(std::make_unique<TGenericTrans>(
        client_.Protocol(), "Client info", requests::SetClientVersion(ClientName(), ClientVersionText())));
    ReadServerInfo();
    // What the windows asked for before the link went (who-is-on reports
    // too), not the logon's first list.
    const std::vector<AsyncNumber> accepted = client_.AcceptedAsync();
    if (accepted.empty())
        AcceptAsyncMessages(client_, false);
    else
        requests.Execute(
            std::make_unique<TGenericTrans>(client_.Protocol(), "Accept async...", requests::AcceptAsync(accepted)));
    client_.SetCurrentPerson(last.person);
    TLogonTrans logon(client_.Protocol(), last.person, last.password, false);
    logon.SetShowErrors(false);
    const bool loggedOn = requests.ExecuteAndWait(logon);
    Again result = Again::LoggedOn;
    if (!loggedOn) {
        result = logon.ErrorText().empty() ? Again::Unreachable : Again::Refused;
        failureNotice_ = result == Again::Refused ? "The server refused the logon: " + logon.FailureText()
                                                  : "The server did not answer the logon (" + where + ").";
    } else {
        // What was read just before the link went reaches the server before
        // the memberships are read back, or those texts would be unread again.
        client_.Cache().ResumeMarkRead(where, last.person);
        // Texts written meanwhile: every conference's status is read afresh.
        client_.Cache().ForgetConferenceStatuses();
        LoadMemberships();
        commands_.ChangeActivity(kWaitActivity);
    }
    const bool timedOut = requests.LimitedWaitTimedOut();
    const bool cancelled = requests.LimitedWaitCancelled();
    requests.LimitWaits(std::chrono::milliseconds{0});
    if (cancelled) {
        result = Again::Cancelled;
        failureNotice_ = "Not connected: the logon was cancelled.";
    } else if (result == Again::LoggedOn && (timedOut || !client_.ConnectedEvent().IsSet())) {
        result = Again::Unreachable;
        failureNotice_ = "The server did not answer (" + where + ").";
    }
    if (result != Again::LoggedOn) {
        Abandon();
        return result;
    }
    failureNotice_.clear();
    ui_.setCaption("Pellar (" + last.server + ") " + last.user);
    ui_.refreshConferenceList();
    return Again::LoggedOn;
}

void Logon::Report(const std::string& text)
{
    if (unattended_)
        failureNotice_ = text;
    else
        client_.UserMessages().PostUserMessage("!" + text);
}

bool Logon::Connect(const std::string& server, const std::string& port, const ProxySettings& proxy,
                    TlsSettings tls)
{
    // At most twice: once more after the user trusted the certificate.
    for (int attempt = 0;; ++attempt) {
        try {
            client_.ComThread().Connect(server, port, proxy, kDefaultConnectTimeoutMs, &client_.Waits(), tls);
            return true;
        } catch (const TConnectCancelled&) {
            // The user gave up; there is nothing to report.
            connectCancelled_ = true;
            return false;
        } catch (const TTlsUntrusted& e) {
            // A pinned certificate that changed is refused outright: asking
            // would invite a click through exactly when it matters.
            if (e.PinMismatch() || attempt > 0) {
                Report(std::string("Failed to connect: ") + e.what());
                return false;
            }
            if (unattended_) {
                Report(std::string("Failed to connect: ") + e.what());
                return false;
            }
            if (!ui_.askTrustCertificate(server + ":" + port, e.Peer()))
                return false;
            tls.pinnedFingerprint = e.Peer().fingerprint;
            client_.Config().WriteString(ConfigKeys::TlsPinnedCert,
                                         FormatCertificatePin({e.Peer().fingerprint, server + ":" + port}));
        } catch (const std::exception& e) {
            Report(ConnectFailureText(server, port, proxy, e));
            return false;
        }
    }
}

Logon::GreetingOutcome Logon::WaitForGreeting(const std::string& where)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + options_.greetingTimeout;
    const int slice = static_cast<int>(std::max<std::chrono::milliseconds::rep>(1, options_.greetingSlice.count()));
    int percent = 23;
    TEvent& connected = client_.ConnectedEvent();
    WaitPlan plan;
    plan.what = "Waiting for " + where + " to answer...";
    plan.showAfterMs = 0;
    // Over once greeted or out of time; WaitFor's own limit is only an upper
    // bound on how late the deadline is seen.
    TMVCommunicationThread& com = client_.ComThread();
    plan.waitFor = [&connected, &com, deadline](int timeoutMs) {
        // Rounded up: the last part of a millisecond is slept, not spun.
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        int limit = static_cast<int>(std::max<decltype(left)>(0, left));
        if (timeoutMs >= 0)
            limit = std::min(timeoutMs, limit);
        for (;;) {
            if (connected.WaitFor(std::min(limit, kLinkCheckMs)) == WaitResult::Signaled)
                return true;
            if (com.LinkDown() || Clock::now() >= deadline)
                return true;
            limit -= kLinkCheckMs;
            if (limit <= 0)
                return false;
        }
    };
    // Giving up is enough: the caller then stops the link.
    plan.cancel = [] {};
    plan.tickMs = slice;
    plan.onTick = [this, &percent] { ui_.setProgress(++percent); };
    if (client_.Waits().Wait(plan) == WaitOutcome::Cancelled)
        return GreetingOutcome::Cancelled;
    if (connected.IsSet())
        return GreetingOutcome::Greeted;
    return com.LinkDown() ? GreetingOutcome::LinkLost : GreetingOutcome::TimedOut;
}

bool Logon::Negotiate(const std::string& server, const std::string& user, std::string& password, bool& created)
{
    client_.Transactions().Execute(std::make_unique<TGenericTrans>(
        client_.Protocol(), "Client info", requests::SetClientVersion(ClientName(), ClientVersionText())));

    ui_.showProgress("Retrieving server info", 45);
    ReadServerInfo();
    // The notice is shown here where the server hands texts to a person not
    // yet logged on (a quiet look at its status tells); a server that does
    // not gets asked once the person is, still before the activity settles.
    const int32_t motd = client_.ServerInfo().MotdText;
    const bool noticeAfterLogon = motd > 0 && !client_.Cache().GetTextStat(motd);
    if (motd > 0 && !noticeAfterLogon)
        ui_.showText(motd);
    AcceptAsyncMessages(client_, false);

    ui_.showProgress("Fetching user number", 50);
    const std::optional<int32_t> found = commands_.LookUpPerson(user);
    int32_t person = found.value_or(-1);
    client_.SetCurrentPerson(person);
    client_.SetCurrentPersonName(user);
    // A look-up that failed (the link went, the reply was unreadable) is no
    // reason to offer a new account.
    if (!found || (person <= 0 && !client_.ConnectedEvent().IsSet())) {
        Abandon();
        return false;
    }
    const std::string named = "\"" + user + "\" on " + server;
    if (person > 0 && wantAccount_) {
        // Asked for a new account under a name that is taken: the user may
        // have meant that person.
        if (!ui_.askYesNo("There is already a person " + named + ". Log on as that person?")) {
            Abandon();
            return false;
        }
    }
    if (person <= 0) {
        if (!wantAccount_ &&
            !ui_.askYesNo("Unable to find this user (" + named + "). Do you want to create a new account?")) {
            Abandon();
            return false;
        }
        // The new person logs on with the password chosen in the dialog.
        if (!commands_.CreateAccount(user, person, &password)) {
            Abandon();
            return false;
        }
        client_.SetCurrentPerson(person);
        created = true;
    }

    ui_.showProgress("Logging on", 62);
    TLogonTrans logon(client_.Protocol(), person, password, false);
    if (!client_.Transactions().ExecuteAndWait(logon)) {
        Abandon();
        return false;
    }
    if (noticeAfterLogon)
        ui_.showText(motd);
    // Marks of this person that an earlier link lost go out now.
    client_.Cache().ResumeMarkRead(server, person);
    // Joining needs a logged-on person, so a new account joins only now.
    if (created)
        commands_.JoinDefaultConferences();

    ui_.showProgress("Retrieving membership info", 70);
    LoadMemberships();
    commands_.ChangeActivity(kWaitActivity);
    return true;
}

void Logon::RememberLogon(TMiravoConfiguration& config, const std::string& server, const std::string& port,
                          const std::string& user, bool tls)
{
    TMiravoConfiguration::Batch batch(config);
    const auto keep = [&config](std::string_view key, const std::string& value) {
        if (config.ReadString(key, "") != value)
            config.WriteString(key, value);
    };
    keep(ConfigKeys::Server, server);
    keep(tls ? ConfigKeys::TlsPort : ConfigKeys::Port, port);
    if (config.ReadFlag(ConfigKeys::UseTls, false) != tls)
        config.WriteFlag(ConfigKeys::UseTls, tls);
    keep(ConfigKeys::User, user);
}

std::chrono::milliseconds Logon::AnswerTimeout() const
{
    if (options_.answerTimeout)
        return *options_.answerTimeout;
    const int seconds = client_.Config().ReadInt(ConfigKeys::AnswerTimeout, 30);
    return std::chrono::seconds(seconds > 0 ? seconds : 30);
}

void Logon::Abandon()
{
    client_.ComThread().SetLinkDown(true);
    client_.ConnectedEvent().ResetEv();
}

void Logon::ReadServerInfo()
{
    TGenericTrans info(client_.Protocol(), "Get server info", requests::GetServerInfo());
    if (client_.Transactions().ExecuteAndWait(info))
        client_.SetServerInfo(ParseServerInfo(info.ReplyLine()));
    if (client_.ServerInfo().Version <= kLastServerWithoutVersionInfo) {
        client_.SetServerVersionInfo(ServerVersionInfoRec{});
        return;
    }
    TGenericTrans version(client_.Protocol(), "Get server version info", requests::GetVersionInfo());
    if (client_.Transactions().ExecuteAndWait(version))
        client_.SetServerVersionInfo(ParseServerVersionInfo(version.ReplyLine()));
}

void AcceptAsyncMessages(Client& client, bool presenceReports)
{
    std::vector<AsyncNumber> list = AcceptedAsyncList(client.ServerVersionInfo().ProtocolVersion, presenceReports);
    WireRequest request = requests::AcceptAsync(list);
    client.SetAcceptedAsync(std::move(list));
    client.Transactions().Execute(std::make_unique<TGenericTrans>(client.Protocol(), "Accept async...", request));
}

std::vector<int32_t> Logon::AcceptedAsyncMessages() const
{
    std::vector<int32_t> numbers;
    for (AsyncNumber m : client_.AcceptedAsync())
        numbers.push_back(static_cast<int32_t>(m));
    return numbers;
}

void Logon::LoadMemberships()
{
    const int32_t person = client_.CurrentPerson();
    MVCache& cache = client_.Cache();
    // Neither request needs the other's answer: both go out, one wait.
    std::vector<std::shared_ptr<TMiravoMembership>> memberships;
    TGetMembershipTrans request(client_.Protocol(), person, memberships, &client_.Records());
    std::vector<int32_t> unread;
    TGetUnreadConfs unreadRequest(client_.Protocol(), unread, person);
    auto sync = std::make_shared<TSyncronizer>();
    sync->Acquire();
    sync->Acquire();
    client_.Transactions().Execute(request, sync);
    client_.Transactions().Execute(unreadRequest, sync);
    // Through the waiting port, so a slow server leaves the window painting.
    client_.Transactions().WaitFor(sync, {request.Id(), unreadRequest.Id()}, "the conferences you are a member of");
    // A conference left while the link was down is no longer one.
    if (request.Success()) {
        std::vector<int32_t> kept;
        cache.ListMemberConferences(kept);
        for (const int32_t conf : kept) {
            const bool still = std::any_of(memberships.begin(), memberships.end(),
                                           [conf](const auto& m) { return m && m->ConfNo() == conf; });
            if (!still)
                cache.RemoveMembership(conf);
        }
    }
    for (auto& m : memberships)
        cache.PutMembership(m);
    for (int32_t conf : unread) {
        if (auto m = cache.GetMembership(conf))
            m->SetMayHaveUnread(true);
    }
}

void Logon::PromptForPresentation()
{
    const auto conf = client_.Cache().GetConference(client_.CurrentPerson());
    if (!conf)
        return;
    const int32_t presentation = conf->Presentation();
    // A status that could not be loaded says nothing about a presentation.
    if (!conf->FullLoaded() || presentation != 0)
        return;
    if (client_.Config().ReadFlag(ConfigKeys::NoPresentationPrompt, false))
        return;
    if (ui_.askNoPresentation())
        ui_.openPresentationEditor(client_.CurrentPerson());
}

bool Logon::LogOff()
{
    TMVCommunicationThread& com = client_.ComThread();
    if (com.Idle())
        return false;
    DrainRequests(options_.drainSteps);
    ui_.showProgress("Logging off", 2);
    client_.Transactions().Execute(std::make_unique<TGenericTrans>(client_.Protocol(), "Logout", requests::Logout()));
    DrainRequests(options_.logoutSteps);
    com.SetLinkDown(true);
    for (int i = 1; i <= options_.stopSteps && !com.WaitIdle(1); ++i) {
        if (i % 1000 == 0)
            ui_.setProgress(i / 1000);
    }
    client_.ConnectedEvent().ResetEv();
    ui_.hideProgress();
    return true;
}

void Logon::DrainRequests(int steps)
{
    // Requests in flight share no synchroniser, so the table is watched. The
    // wait goes through the waiting port: the window paints, and a user who
    // will not wait for a slow server cancels and the link is cut at once.
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(steps, 0));
    WaitPlan plan;
    plan.what = "Waiting for the server's last answers before logging off...";
    plan.waitFor = [this, deadline](int timeoutMs) {
        const auto until = timeoutMs < 0 ? deadline : std::min(deadline, Clock::now() + std::chrono::milliseconds(timeoutMs));
        while (client_.Transactions().ActiveCount() > 0) {
            if (Clock::now() >= until)
                return Clock::now() >= deadline;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return true;
    };
    plan.cancel = [] {};  // nothing to undo: the log-off goes on without them
    client_.Waits().Wait(plan);
}

} // namespace pellar
