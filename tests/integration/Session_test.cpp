// The session's connect and disconnect sequences against the reference
// server: what windows are told, in which order, and what reaches the wire
// in between.
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "core/link/TAsyncList.h"
#include "core/session/MVCache.h"
#include "core/session/Session.h"
#include "support/SessionFixture.h"

namespace pellar::test {
namespace {

using ::testing::ElementsAre;

constexpr int kMarkRead = 27;
constexpr int kLogout = 1;

// Records each step with what the client looked like at that moment.
struct Recorder : SessionListener {
    explicit Recorder(Client& client) : client(client) {}
    void SessionConnecting() override { Note("connecting"); }
    void SessionLoggedOn(bool online) override { Note(online ? "online" : "failed"); }
    void SessionDisconnecting() override { Note("disconnecting"); }
    void SessionOffline() override { Note("offline"); }
    void SessionDisconnected() override { Note("disconnected"); }

    void Note(const std::string& step)
    {
        steps.push_back(step);
        disconnectingSet.push_back(client.DisconnectingEvent().IsSet());
        linkDown.push_back(client.ComThread().LinkDown());
        conferenceCached.push_back(watched != 0 && client.Cache().GetMembership(watched) != nullptr);
        sentAtStep.push_back(sent ? sent() : 0);
        if (onStep)
            onStep(step);
    }

    void Reset()
    {
        steps.clear();
        disconnectingSet.clear();
        linkDown.clear();
        conferenceCached.clear();
        sentAtStep.clear();
    }

    Client& client;
    int32_t watched = 0;
    std::function<size_t()> sent;
    std::function<void(const std::string&)> onStep;
    std::vector<std::string> steps;
    std::vector<bool> disconnectingSet, linkDown, conferenceCached;
    std::vector<size_t> sentAtStep;
};

struct CountingWorker : SessionWorker {
    explicit CountingWorker(std::vector<std::string>* log, std::string name) : log(log), name(std::move(name)) {}
    void SetEnabled(bool on) override
    {
        enabled = on;
        log->push_back(name + (on ? " on" : " off"));
    }
    void Stop() override
    {
        ++stops;
        log->push_back(name + " stop");
    }
    void LogonFailed(const std::string& notice) override { log->push_back(name + ": " + notice); }
    std::vector<std::string>* log;
    std::string name;
    bool enabled = false;
    int stops = 0;
};

// Disconnects from inside the logon when it shows the given step, as a user
// does from the progress window.
struct DisconnectingUi : ScriptedSessionUi {
    void showProgress(std::string_view text, int percent) override
    {
        ScriptedSessionUi::showProgress(text, percent);
        if (session && text == at)
            session->Disconnect();
    }
    Session* session = nullptr;
    std::string at;
};

struct SessionUnderTest {
    SessionUnderTest() : client(QuietClientOptions()), recorder(client), session(client, ui, QuickLogon())
    {
        session.AddListener(&recorder);
    }
    Client client;
    DisconnectingUi ui;
    Recorder recorder;  // outlives the session, which disconnects as it goes
    Session session;
};

class SessionTest : public SessionFixture {
protected:
    bool Connect(SessionUnderTest& s)
    {
        s.ui.login = Choice(kDemoUser, kDemoPassword);
        return s.session.Connect(false, "");
    }
};

TEST_F(SessionTest, ConnectEnablesWorkersThenTellsWindowsAroundTheLogon)
{
    StartServer();
    std::vector<std::string> log;  // outlives the session, whose shutdown still reports
    SessionUnderTest s;
    auto worker = std::make_shared<CountingWorker>(&log, "dispatch");
    s.session.AdoptWorker(worker);
    s.recorder.onStep = [&](const std::string& step) { log.push_back(step); };

    ASSERT_TRUE(Connect(s));
    EXPECT_THAT(log, ElementsAre("dispatch on", "connecting", "online"));
    EXPECT_TRUE(s.client.ConnectedEvent().IsSet());
    EXPECT_FALSE(s.session.IsConnecting());
    // Nothing of the logon had gone out when the windows were told it starts.
    EXPECT_EQ(s.recorder.sentAtStep.front(), 0u);
}

TEST_F(SessionTest, AFailedLogonTellsTheWorkersWhyAfterTheWindowsWentOffline)
{
    StartServer();
    std::vector<std::string> log;
    SessionUnderTest s;
    s.session.AdoptWorker(std::make_shared<CountingWorker>(&log, "dispatch"));
    s.recorder.onStep = [&](const std::string& step) { log.push_back(step); };
    s.ui.login = Choice(kDemoUser, "not the password");
    EXPECT_FALSE(s.session.Connect(false, ""));
    EXPECT_THAT(log, ElementsAre("dispatch on", "connecting", "failed", "dispatch: Not connected."));

    // A login dialog closed without trying tells nothing.
    log.clear();
    s.ui.login.reset();
    EXPECT_FALSE(s.session.Connect(false, ""));
    EXPECT_THAT(log, ElementsAre("dispatch on", "connecting", "failed"));
}

TEST_F(SessionTest, DisconnectFlushesMarksAndLogsOffBeforeTheCachesGo)
{
    StartServer();
    std::vector<std::string> log;  // outlives the session, whose shutdown still reports
    SessionUnderTest s;
    auto worker = std::make_shared<CountingWorker>(&log, "dispatch");
    s.session.AdoptWorker(worker);
    ASSERT_TRUE(Connect(s));
    const int32_t conf = s.client.ServerInfo().JoinOnCreateConf;
    ASSERT_NE(s.client.Cache().GetMembership(conf), nullptr);
    s.recorder.watched = conf;
    s.recorder.sent = [this] { return relay->SentLines().size(); };
    s.recorder.Reset();
    relay->ClearSent();
    s.client.Cache().QueueMarkRead(conf, 1);
    s.client.AsyncMessages().Add(":2 0 1 1");
    log.clear();
    s.recorder.onStep = [&](const std::string& step) { log.push_back(step); };

    s.session.Disconnect();

    EXPECT_THAT(log, ElementsAre("dispatch off", "disconnecting", "offline", "disconnected"));
    // The windows stop their work while the session is marked as going and
    // the link is still up.
    EXPECT_THAT(s.recorder.disconnectingSet, ElementsAre(true, true, true));
    EXPECT_THAT(s.recorder.linkDown, ElementsAre(false, true, true));
    // Nothing was sent before the windows had stopped; the marks went out
    // before the logout, and both before the window went offline.
    EXPECT_EQ(s.recorder.sentAtStep[0], 0u);
    EXPECT_THAT(SentRequestNumbers(), ElementsAre(kMarkRead, kLogout));
    EXPECT_EQ(s.recorder.sentAtStep[1], 2u);
    // The caches are cleared between going offline and forgetting the session.
    EXPECT_THAT(s.recorder.conferenceCached, ElementsAre(true, true, false));
    EXPECT_EQ(s.client.Cache().PendingMarkReadCount(), 0);
    std::string stale;
    EXPECT_FALSE(s.client.AsyncMessages().Pop(stale)) << stale;
    EXPECT_FALSE(s.client.DisconnectingEvent().IsSet());
    EXPECT_FALSE(s.client.ConnectedEvent().IsSet());
    EXPECT_FALSE(s.session.IsDisconnecting());
}

TEST_F(SessionTest, ALinkAlreadyDownIsNotLoggedOffAndASecondDisconnectSendsNothing)
{
    StartServer();
    SessionUnderTest s;
    ASSERT_TRUE(Connect(s));
    EXPECT_FALSE(s.session.LinkLost());
    relay->ClearSent();
    s.client.ComThread().SetLinkDown(true);
    EXPECT_TRUE(s.session.LinkLost());
    s.recorder.steps.clear();

    s.session.Disconnect();
    s.session.Disconnect();

    EXPECT_TRUE(SentRequestNumbers().empty());
    EXPECT_THAT(s.recorder.steps, ElementsAre("disconnecting", "offline", "disconnected", "disconnecting", "offline",
                                              "disconnected"));
}

TEST_F(SessionTest, DisconnectDuringTheLogonTakesTheLinkDownAndTheLogonFails)
{
    StartServer();
    SessionUnderTest s;
    s.ui.session = &s.session;
    s.ui.at = "Logging on";
    EXPECT_FALSE(Connect(s));
    EXPECT_THAT(s.recorder.steps, ElementsAre("connecting", "failed"));
    EXPECT_FALSE(s.session.IsConnecting());
    // The disconnect did not run its sequence under the logon.
    EXPECT_FALSE(s.session.IsDisconnecting());
}

TEST_F(SessionTest, ClearCachesBringsTheMembershipsBackOnlyWhileOnline)
{
    StartServer();
    SessionUnderTest s;
    ASSERT_TRUE(Connect(s));
    const int32_t conf = s.client.ServerInfo().JoinOnCreateConf;
    ASSERT_NE(s.client.Cache().GetMembership(conf), nullptr);

    EXPECT_FALSE(s.session.ClearCaches(false));
    EXPECT_EQ(s.client.Cache().GetMembership(conf), nullptr);
    EXPECT_TRUE(s.session.ClearCaches(true));
    EXPECT_NE(s.client.Cache().GetMembership(conf), nullptr);
}

TEST_F(SessionTest, ReconnectLogsTheSamePersonOnUnaskedAndSendsTheMarksBeforeReadingTheMemberships)
{
    StartServer();
    SessionUnderTest s;
    s.ui.login = Choice("Reconnect Reader", "pw");
    s.ui.yesNo = {true, false};
    s.ui.newAccounts = {{"Reconnect Reader", "pw", "pw"}};
    ASSERT_TRUE(s.session.Connect(false, ""));
    const int32_t person = s.client.CurrentPerson();
    const int32_t conf = s.client.ServerInfo().JoinOnCreateConf;
    ASSERT_NE(s.client.Cache().GetMembership(conf), nullptr);
    s.client.Cache().QueueMarkRead(conf, 3);
    relay->Cut();
    ASSERT_TRUE(WaitUntil([&] { return !s.client.ConnectedEvent().IsSet(); }));
    relay->ClearSent();
    s.recorder.Reset();
    // Nobody is asked anything: no login dialog, no account question.
    s.ui.login.reset();
    s.ui.yesNo.clear();

    EXPECT_EQ(s.session.Reconnect(), Logon::Again::LoggedOn);
    EXPECT_THAT(s.recorder.steps, ElementsAre("online"));
    EXPECT_EQ(s.client.CurrentPerson(), person);
    EXPECT_TRUE(s.client.ConnectedEvent().IsSet());
    EXPECT_TRUE(s.session.LogonSequence().FailureNotice().empty());
    const std::vector<int> order = SentRequestNumbers();
    const auto logon = std::find(order.begin(), order.end(), 62);
    const auto marks = std::find(order.begin(), order.end(), kMarkRead);
    const auto memberships = std::find(order.begin(), order.end(), 46);
    ASSERT_NE(logon, order.end());
    ASSERT_NE(marks, order.end());
    ASSERT_NE(memberships, order.end());
    EXPECT_LT(logon, marks);
    EXPECT_LT(marks, memberships);
    const auto membership = s.client.Cache().GetMembership(conf);
    ASSERT_NE(membership, nullptr);
    EXPECT_TRUE(membership->IsRead(3));

    // Disconnect forgets what to repeat, the password with it.
    s.session.Disconnect();
    EXPECT_FALSE(s.session.LogonSequence().CanLogOnAgain());
    relay->ClearSent();
    EXPECT_EQ(s.session.Reconnect(), Logon::Again::NothingToRepeat);
    EXPECT_TRUE(SentRequestNumbers().empty());
}

TEST_F(SessionTest, ReconnectToAServerThatIsGoneFailsWithANoticeAndNoMessage)
{
    miravod::ServerOptions own;
    own.passwordIterations = 1000;  // a server of its own, stopped below
    StartServer(own);
    SessionUnderTest s;
    ASSERT_TRUE(Connect(s));
    server.reset();
    ASSERT_TRUE(WaitUntil([&] { return !s.client.ConnectedEvent().IsSet(); }));
    const int before = s.client.UserMessages().Count();
    s.recorder.Reset();

    EXPECT_EQ(s.session.Reconnect(), Logon::Again::Unreachable);
    EXPECT_TRUE(s.recorder.steps.empty());
    EXPECT_FALSE(s.session.LogonSequence().FailureNotice().empty());
    EXPECT_EQ(s.client.UserMessages().Count(), before);
    EXPECT_FALSE(s.client.ConnectedEvent().IsSet());
    // Still something to repeat: a later try may find the server back.
    EXPECT_TRUE(s.session.LogonSequence().CanLogOnAgain());
}

TEST(SessionShutdown, StopsWorkersOnceInReverseOrderAndForgetsListeners)
{
    Client client(QuietClientOptions());
    ScriptedSessionUi ui;
    std::vector<std::string> log;
    auto first = std::make_shared<CountingWorker>(&log, "first");
    auto second = std::make_shared<CountingWorker>(&log, "second");
    {
        Recorder recorder(client);
        Session session(client, ui);
        session.AddListener(&recorder);
        session.AdoptWorker(first);
        session.AdoptWorker(second);
        session.Shutdown();
        EXPECT_THAT(recorder.steps, ElementsAre("disconnecting", "offline", "disconnected"));
        EXPECT_TRUE(session.IsShutDown());
        // A worker that comes too late is stopped at once.
        auto late = std::make_shared<CountingWorker>(&log, "late");
        session.AdoptWorker(late);
        EXPECT_EQ(late->stops, 1);
        // After shutdown nothing connects and listeners hear nothing more.
        EXPECT_FALSE(session.Connect(false, ""));
        session.Disconnect();
        EXPECT_EQ(recorder.steps.size(), 3u);
    }
    EXPECT_EQ(first->stops, 1);
    EXPECT_EQ(second->stops, 1);
    EXPECT_THAT(log, ElementsAre("first off", "second off", "second stop", "first stop", "late stop"));
}

TEST(SessionListeners, AListenerThatLeavesWhileBeingToldIsNotCalledAgain)
{
    Client client(QuietClientOptions());
    ScriptedSessionUi ui;
    Recorder stays(client), leaves(client);
    Session session(client, ui);
    stays.onStep = [&](const std::string& step) {
        if (step == "disconnecting")
            session.RemoveListener(&leaves);
    };
    session.AddListener(&stays);
    session.AddListener(&leaves);
    session.AddListener(&stays);  // once only
    session.Disconnect();
    EXPECT_THAT(stays.steps, ElementsAre("disconnecting", "offline", "disconnected"));
    EXPECT_TRUE(leaves.steps.empty());
}

} // namespace
} // namespace pellar::test
