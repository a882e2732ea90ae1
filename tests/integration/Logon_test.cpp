// Logon and log-off against the reference server, with scripted dialogs.
#include <algorithm>
#include <chrono>
#include <thread>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "core/config/ConfigKeys.h"
#include "core/wire/MiravoErrors.h"
#include "support/SessionFixture.h"
#include "support/ScriptedPeer.h"
#include "support/ScriptedWaits.h"

namespace pellar::test {
namespace {

using ::testing::ElementsAre;
using ::testing::EndsWith;
using ::testing::HasSubstr;

bool Contains(const std::vector<std::string>& all, const std::string& text)
{
    return std::find(all.begin(), all.end(), text) != all.end();
}

std::vector<int32_t> Members(Client& client)
{
    std::vector<int32_t> confs;
    client.Cache().ListMemberConferences(confs);
    return confs;
}

class LogonTest : public SessionFixture {};

TEST_F(LogonTest, HappyPathSendsTheStepsInOrderAndLoadsTheMemberships)
{
    StartServer();
    SessionClient c;
    ASSERT_TRUE(LogOn(c));

    const std::vector<int> numbers = SentRequestNumbers();
    // client info, server info, version info, a quiet look at the notice
    // text (refused before the logon), accept, look-up, logon, memberships,
    // unread conferences, activity.
    ASSERT_GE(numbers.size(), 10u);
    EXPECT_EQ(std::vector<int>(numbers.begin(), numbers.begin() + 10),
              (std::vector<int>{69, 36, 75, 90, 80, 76, 62, 46, 52, 4}));
    EXPECT_THAT(SentRequests(80), ElementsAre("80 11 { 5 7 8 9 11 12 13 14 15 16 17 }"));
    EXPECT_THAT(SentRequests(69), ElementsAre("69 6HPellar " + EncodeHollerith(Logon::ClientVersionText())));

    EXPECT_EQ(c.ui.ProgressTexts(),
              (std::vector<std::string>{"Connecting...", "Waiting for initial negotiation...",
                                        "Retrieving server info", "Fetching user number", "Logging on",
                                        "Retrieving membership info", "Loading the conference list"}));
    EXPECT_EQ(c.ui.progress.front().second, 8);
    // The conference list is loaded under a step of its own, still in the
    // logon's box, which goes only after it.
    EXPECT_EQ(c.ui.progress.back(), (std::pair<std::string, int>{"Loading the conference list", 85}));
    EXPECT_EQ(c.ui.hidden, 1);
    EXPECT_EQ(c.ui.windowSettingsApplied, 1);
    EXPECT_EQ(c.ui.caption, "Pellar (127.0.0.1) Demo User");
    EXPECT_GE(c.ui.hidden, 1);
    EXPECT_GE(c.ui.conferenceListRefreshes, 1);

    EXPECT_GT(c.client.CurrentPerson(), 0);
    EXPECT_GT(c.client.ServerInfo().Version, 10699);
    EXPECT_GE(c.client.ServerVersionInfo().ProtocolVersion, 10);
    ASSERT_GT(c.client.ServerInfo().MotdText, 0);
    EXPECT_THAT(c.ui.shownTexts, ElementsAre(c.client.ServerInfo().MotdText));
    // This server hands texts out only to a logged-on person: the notice is
    // shown right after "Logging on", before the memberships and the
    // activity that ends the logon.
    EXPECT_THAT(c.ui.progressAtShownText, ElementsAre(5u));
    EXPECT_EQ(c.ui.ProgressTexts()[4], "Logging on");
    const std::vector<int32_t> members = Members(c.client);
    EXPECT_GE(members.size(), 9u);  // the demo user's conferences
    EXPECT_TRUE(std::count(members.begin(), members.end(), c.client.ServerInfo().JoinOnCreateConf));
    // The demo user has a presentation: no prompt.
    EXPECT_EQ(c.ui.noPresentationAsked, 0);
    EXPECT_TRUE(c.Messages().empty());
}

TEST_F(LogonTest, OlderServerGetsTheShortAcceptListAndNoVersionRequest)
{
    miravod::ServerOptions options;
    options.oldProtocol = true;  // a server of version exactly 10699
    StartServer(options);
    SessionClient c;
    ASSERT_TRUE(LogOn(c));

    EXPECT_EQ(c.client.ServerInfo().Version, 10699);
    const std::vector<int> numbers = SentRequestNumbers();
    EXPECT_EQ(std::count(numbers.begin(), numbers.end(), 75), 0);
    EXPECT_THAT(SentRequests(80), ElementsAre("80 8 { 5 7 8 9 11 12 13 0 }"));
    EXPECT_EQ(c.client.ServerVersionInfo().ProtocolVersion, 0);
    EXPECT_FALSE(c.client.Protocol().UseNewerForms());
    EXPECT_EQ(c.logon.AcceptedAsyncMessages(), (std::vector<int32_t>{5, 7, 8, 9, 11, 12, 13, 0}));
}

TEST_F(LogonTest, UnknownUserCreatesAnAccountThatJoinsTheDefaultConferences)
{
    StartServer();
    SessionClient c;
    c.ui.yesNo = {true, false};  // create the account; no presentation now
    // The first try mistypes the confirmation; the dialog comes back.
    c.ui.newAccounts = {{"Nora Newcomer", "fresh", "frseh"}, {"Nora Newcomer", "fresh", "fresh"}};
    ASSERT_TRUE(LogOn(c, "Nora Newcomer", "typed at login"));

    ASSERT_EQ(c.ui.accountDialogs.size(), 2u);
    EXPECT_EQ(c.ui.accountDialogs[0].user, "Nora Newcomer");
    EXPECT_EQ(c.ui.accountDialogs[0].password, "");
    const auto messages = c.Messages();
    EXPECT_TRUE(Contains(messages, "!The password does not match Confirm password"));
    ASSERT_EQ(c.ui.questions.size(), 2u);
    // The question names whom it did not find, and where.
    EXPECT_EQ(c.ui.questions[0], "Unable to find this user (\"Nora Newcomer\" on 127.0.0.1:" + relay->portText() +
                                     "). Do you want to create a new account?");
    EXPECT_EQ(c.ui.questions[1], "You have created a new user. It is a good idea to have a presentation.\r\n"
                                 "Would you like to write a presentation now?");
    EXPECT_TRUE(c.ui.presentationEditors.empty());

    const ServerInfoRec info = c.client.ServerInfo();
    // The server has the memberships, and the account takes the password
    // chosen in the dialog.
    SessionClient again;
    ASSERT_TRUE(LogOnDirect(again, "Nora Newcomer", "fresh"));
    const std::vector<int32_t> members = Members(again.client);
    for (int32_t conf : {info.ConfPresentationConf, info.PersonPresentationConf, info.JoinOnCreateConf})
        EXPECT_TRUE(std::count(members.begin(), members.end(), conf)) << conf;
    // The joins came after the logon, in the server's order.
    const std::vector<std::string> joins = SentRequests(14);
    ASSERT_EQ(joins.size(), 3u);
    const std::string person = std::to_string(c.client.CurrentPerson());
    EXPECT_EQ(joins[0], "14 " + std::to_string(info.ConfPresentationConf) + " " + person + " 100 0");
    EXPECT_EQ(joins[2], "14 " + std::to_string(info.JoinOnCreateConf) + " " + person + " 100 0");
    // A new person has no presentation yet, but was just asked about one:
    // the question is not repeated in a second dialog.
    EXPECT_EQ(c.ui.noPresentationAsked, 0);
}

TEST_F(LogonTest, CreateAccountInTheLoginDialogGoesStraightToTheAccountDialog)
{
    StartServer();
    SessionClient c;
    c.ui.yesNo = {false};  // no presentation now
    c.ui.newAccounts = {{"Olle Ny", "secret", "secret"}};
    LoginChoice choice = Choice("Olle Ny", "");
    choice.createAccount = true;
    c.ui.login = choice;
    ASSERT_TRUE(c.logon.LogOn());
    // Not asked whether to create what the user asked for.
    ASSERT_EQ(c.ui.questions.size(), 1u);
    EXPECT_THAT(c.ui.questions[0], HasSubstr("presentation"));
    ASSERT_EQ(c.ui.accountDialogs.size(), 1u);
    EXPECT_EQ(c.ui.accountDialogs[0].user, "Olle Ny");
    EXPECT_GT(c.client.CurrentPerson(), 0);
    SessionClient again;
    EXPECT_TRUE(LogOnDirect(again, "Olle Ny", "secret"));
}

TEST_F(LogonTest, CreateAccountUnderATakenNameAsksBeforeLoggingOnAsThatPerson)
{
    StartServer();
    SessionClient c;
    c.ui.yesNo = {false};
    LoginChoice choice = Choice(kDemoUser, kDemoPassword);
    choice.createAccount = true;
    c.ui.login = choice;
    EXPECT_FALSE(c.logon.LogOn());
    ASSERT_EQ(c.ui.questions.size(), 1u);
    EXPECT_EQ(c.ui.questions[0], "There is already a person \"" + std::string(kDemoUser) + "\" on 127.0.0.1:" +
                                     relay->portText() + ". Log on as that person?");
    EXPECT_TRUE(c.ui.accountDialogs.empty());
    EXPECT_FALSE(c.client.ConnectedEvent().IsSet());
}

TEST_F(LogonTest, TheProfileChosenInTheLoginDialogKeepsWhatWorked)
{
    StartServer();
    SessionClient c;
    TMiravoConfiguration& config = c.client.Config();
    config.SetProfile(TMiravoConfiguration::kRootPath);
    config.WriteString(ConfigKeys::Server, "old.example.org");
    ASSERT_TRUE(LogOn(c));
    config.SetProfile(TMiravoConfiguration::kRootPath);
    EXPECT_EQ(config.ReadString(ConfigKeys::Server, ""), "127.0.0.1");
    EXPECT_EQ(config.ReadString(ConfigKeys::Port, ""), relay->portText());
    EXPECT_EQ(config.ReadString(ConfigKeys::User, ""), kDemoUser);
    // The password is not written by the logon: saving it is the user's choice.
    EXPECT_EQ(config.ReadString(ConfigKeys::Pwd, ""), "");
}

TEST_F(LogonTest, AFailedLogonLeavesTheProfileAsItWas)
{
    StartServer();
    SessionClient c;
    TMiravoConfiguration& config = c.client.Config();
    config.SetProfile(TMiravoConfiguration::kRootPath);
    config.WriteString(ConfigKeys::User, "Somebody");
    c.ui.login = Choice(kDemoUser, "not the password");
    EXPECT_FALSE(c.logon.LogOn());
    config.SetProfile(TMiravoConfiguration::kRootPath);
    EXPECT_EQ(config.ReadString(ConfigKeys::User, ""), "Somebody");
}

TEST_F(LogonTest, UnknownUserDecliningTheAccountStaysOffline)
{
    StartServer();
    SessionClient c;
    c.ui.yesNo = {false};
    c.ui.login = Choice("Nobody Known", "x");
    EXPECT_FALSE(c.logon.LogOn());
    EXPECT_TRUE(c.ui.accountDialogs.empty());
    EXPECT_FALSE(c.client.ConnectedEvent().IsSet());
    EXPECT_TRUE(c.client.ComThread().WaitIdle(5000));
    EXPECT_THAT(SentRequests(62), ElementsAre());
}

TEST_F(LogonTest, CancelledAccountDialogStopsTheConnection)
{
    StartServer();
    SessionClient c;
    c.ui.yesNo = {true};
    c.ui.login = Choice("Nobody Known", "x");
    EXPECT_FALSE(c.logon.LogOn());
    EXPECT_EQ(c.ui.accountDialogs.size(), 1u);
    EXPECT_THAT(SentRequests(5), ElementsAre());
    EXPECT_FALSE(c.client.ConnectedEvent().IsSet());
    EXPECT_TRUE(c.client.ComThread().WaitIdle(5000));
}

TEST_F(LogonTest, WrongPasswordShowsTheServersErrorAndLeavesTheClientOffline)
{
    StartServer();
    SessionClient c;
    c.ui.login = Choice(kDemoUser, "not the password");
    EXPECT_FALSE(c.logon.LogOn());
    EXPECT_THAT(c.Messages(), ElementsAre(std::string("!") + MiravoErrorText(4)));
    EXPECT_FALSE(c.client.ConnectedEvent().IsSet());
    EXPECT_TRUE(c.client.ComThread().WaitIdle(5000));
    EXPECT_TRUE(Members(c.client).empty());
    EXPECT_GE(c.ui.hidden, 1);
}

TEST_F(LogonTest, ServerThatNeverGreetsTimesOut)
{
    miravod::ServerOptions options;
    options.withholdGreeting = true;
    StartServer(options);
    LogonOptions quick;
    quick.greetingTimeout = std::chrono::milliseconds(300);
    quick.greetingSlice = std::chrono::milliseconds(50);
    SessionClient c(quick);
    c.ui.login = Choice(kDemoUser, kDemoPassword);
    EXPECT_FALSE(c.logon.LogOn());
    // Where it tried and what happened, then the old words.
    const auto messages = c.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].rfind("!Could not connect to ", 0), 0u) << messages[0];
    EXPECT_THAT(messages[0], HasSubstr("no Miravo server greeted in time"));
    EXPECT_THAT(messages[0], EndsWith("\r\nFailed to connect due to a timeout."));
    EXPECT_EQ(c.ui.ProgressTexts().back(), "Waiting for initial negotiation...");
    // The gauge moves on from 23 while waiting.
    ASSERT_FALSE(c.ui.gauge.empty());
    EXPECT_EQ(c.ui.gauge.front(), 24);
    EXPECT_TRUE(c.client.ComThread().WaitIdle(5000));
    EXPECT_TRUE(SentRequestNumbers().empty());
}

TEST_F(LogonTest, ConnectionRefusedIsReported)
{
    // A port that nobody listens on.
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    socklen_t len = sizeof addr;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    ::close(fd);

    SessionClient c;
    c.ui.login = LoginChoice{"127.0.0.1", std::to_string(ntohs(addr.sin_port)), kDemoUser, kDemoPassword, ""};
    EXPECT_FALSE(c.logon.LogOn());
    const auto messages = c.Messages();
    ASSERT_EQ(messages.size(), 1u);
    const std::string port = std::to_string(ntohs(addr.sin_port));
    EXPECT_EQ(messages[0], "!Could not connect to 127.0.0.1 port " + port +
                               ": nothing accepts connections on that port; the server may not be running.\r\n"
                               "The host refused us to connect (on this port)\r\n(10061) WSAECONNREFUSED");
}

TEST_F(LogonTest, CancelledLoginDialogDoesNothing)
{
    StartServer();
    SessionClient c;
    EXPECT_FALSE(c.logon.LogOn());
    EXPECT_TRUE(c.ui.progress.empty());
    EXPECT_EQ(c.ui.windowSettingsApplied, 0);
    EXPECT_EQ(relay->Connections(), 0);
}

TEST_F(LogonTest, SeveralMatchingNamesOpenTheChooser)
{
    StartServer();
    SessionClient c;
    // Two persons whose names both start with "Kim".
    ASSERT_TRUE(LogOn(c));
    c.ui.newAccounts = {{"Kim Ahl", "kim", "kim"}, {"Kim Berg", "kim", "kim"}};
    c.commands.CreateAccountCommand();
    c.commands.CreateAccountCommand();
    ASSERT_TRUE(c.logon.LogOff());

    // Cancelling the chooser leads to the account question.
    c.ui.yesNo = {false};
    c.ui.login = Choice("Kim", "kim");
    EXPECT_FALSE(c.logon.LogOn());
    ASSERT_EQ(c.ui.matchLists.size(), 1u);
    const auto& matches = c.ui.matchLists[0];
    ASSERT_EQ(matches.size(), 2u);
    EXPECT_THAT(c.ui.questions, ElementsAre("Unable to find this user (\"Kim\" on 127.0.0.1:" + relay->portText() +
                                                 "). Do you want to create a new account?"));

    // Choosing one of them logs that person on.
    const auto berg = std::find_if(matches.begin(), matches.end(), [](const NameMatchRec& m) {
        return m.name == "Kim Berg";
    });
    ASSERT_NE(berg, matches.end());
    c.ui.matchChoice = berg->number;
    ASSERT_TRUE(LogOn(c, "Kim", "kim"));
    EXPECT_EQ(c.client.CurrentPerson(), berg->number);
}

TEST_F(LogonTest, AutomaticLogonReadsTheStartProfile)
{
    StartServer();
    SessionClient c;
    TMiravoConfiguration& config = c.client.Config();
    ASSERT_TRUE(config.AddProfile("work"));
    config.SetProfile(TMiravoConfiguration::ProfilePathFor("work"));
    config.WriteString("Server", "127.0.0.1");
    config.WriteString("Port", relay->portText());
    config.WriteString("User", kDemoUser);
    config.WritePassword(kDemoPassword);
    config.SetProfile(TMiravoConfiguration::kRootPath);

    c.logon.SetAutoConnect(true);
    c.logon.SetStartProfile("work");
    ASSERT_TRUE(c.logon.LogOn());  // no login dialog scripted
    EXPECT_FALSE(c.logon.AutoConnect());
    EXPECT_EQ(config.ProfilePath(), TMiravoConfiguration::ProfilePathFor("work"));
    EXPECT_EQ(c.ui.caption, "Pellar (127.0.0.1) Demo User");
}

TEST_F(LogonTest, LogOffWhenIdleReturnsFalse)
{
    SessionClient c;
    EXPECT_FALSE(c.logon.LogOff());
    EXPECT_TRUE(c.ui.progress.empty());
}

TEST_F(LogonTest, LogOffLogsOutAndStopsTheLink)
{
    StartServer();
    SessionClient c;
    ASSERT_TRUE(LogOn(c));
    relay->ClearSent();
    EXPECT_TRUE(c.logon.LogOff());
    EXPECT_TRUE(c.client.ComThread().Idle());
    EXPECT_FALSE(c.client.ConnectedEvent().IsSet());
    EXPECT_EQ(c.ui.ProgressTexts().back(), "Logging off");
    EXPECT_TRUE(WaitUntil([&] { return SentRequestNumbers() == std::vector<int>{1}; }));
    // A second log-off has nothing to do.
    EXPECT_FALSE(c.logon.LogOff());
}

TEST_F(LogonTest, TheActivityGoesOutAgainOnlyWhenItsTextChanged)
{
    StartServer();
    SessionClient c;
    c.client.Config().WriteString(ActivityConfigKey("wait"), "waiting");
    // The activity goes out without waiting; a waited request after it
    // makes sure the relay has seen it.
    const auto logOnAndSync = [&] {
        if (!LogOn(c))
            return false;
        TGenericTrans ping(c.client.Protocol(), "Get time", requests::GetTime());
        return c.client.Transactions().ExecuteAndWait(ping);
    };
    ASSERT_TRUE(logOnAndSync());
    EXPECT_THAT(SentRequests(4), ElementsAre("4 7Hwaiting"));
    ASSERT_TRUE(c.logon.LogOff());

    // The next logon would send the same text: nothing goes out.
    relay->ClearSent();
    ASSERT_TRUE(logOnAndSync());
    EXPECT_THAT(SentRequests(4), ElementsAre());
    ASSERT_TRUE(c.logon.LogOff());

    // A changed text goes out.
    c.client.Config().WriteString(ActivityConfigKey("wait"), "idle");
    relay->ClearSent();
    ASSERT_TRUE(logOnAndSync());
    EXPECT_THAT(SentRequests(4), ElementsAre("4 4Hidle"));
}

TEST_F(LogonTest, CancellingTheGreetingWaitStopsTheLinkQuietly)
{
    miravod::ServerOptions options;
    options.withholdGreeting = true;
    StartServer(options);
    SessionClient c;  // a 5 s greeting time-out: the cancel must come first
    CancelAfterWait user(200);
    c.client.SetBlockingWait(&user);
    c.ui.login = Choice(kDemoUser, kDemoPassword);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(c.logon.LogOn());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(4000));
    EXPECT_TRUE(c.Messages().empty()) << "a cancel is no failure to report";
    const auto shown = user.Shown();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1], "Waiting for 127.0.0.1:" + relay->portText() + " to answer...");
    EXPECT_TRUE(c.client.ComThread().WaitIdle(5000));
    EXPECT_FALSE(c.client.ConnectedEvent().IsSet());
    EXPECT_GE(c.ui.hidden, 1);
    EXPECT_TRUE(SentRequestNumbers().empty());
}

TEST_F(LogonTest, CancellingAConnectThatNeverCompletesReportsNothing)
{
    UnansweredListener silent;
    if (!silent.Holds())
        GTEST_SKIP() << "this kernel completes every connection";
    SessionClient c;
    CancelAfterWait user(100);
    c.client.SetBlockingWait(&user);
    c.ui.login = LoginChoice{"127.0.0.1", silent.PortText(), kDemoUser, kDemoPassword, ""};
    EXPECT_FALSE(c.logon.LogOn());
    EXPECT_TRUE(c.Messages().empty());
    EXPECT_EQ(user.Cancelled(), 1);
    EXPECT_TRUE(c.client.ComThread().Idle());
    EXPECT_GE(c.ui.hidden, 1);
}

// A server that never answers the last requests: the log-off wait is shown
// and a user who cancels it is logged off at once, not after the minute the
// wait would allow.
TEST(LogOffWaits, CancellingTheWaitForLastAnswersLogsOffAtOnce)
{
    ClientHarness h;
    ASSERT_TRUE(h.Connect());
    ScriptedSessionUi ui;
    SessionCommands commands(h.client, ui);
    LogonOptions options = QuickLogon();
    options.drainSteps = 60000;
    options.logoutSteps = 60000;
    Logon logon(h.client, ui, commands, options);
    CancelAfterWait user(100);
    h.client.SetBlockingWait(&user);
    h.client.Transactions().Execute(
        std::make_unique<TGenericTrans>(h.client.Protocol(), "Get server info", requests::GetServerInfo()));

    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(logon.LogOff());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    // Once for the request in flight, once for the logout itself.
    EXPECT_EQ(user.Cancelled(), 2);
    EXPECT_EQ(user.Shown().front(), "Waiting for the server's last answers before logging off...");
    EXPECT_TRUE(h.client.ComThread().WaitIdle(5000));
    EXPECT_FALSE(h.client.ConnectedEvent().IsSet());
}


// A peer that greets and then answers nothing: the logon must not wait for
// it for ever.
class GreetsThenSilent {
public:
    GreetsThenSilent()
    {
        greeter_ = std::thread([this] {
            if (peer.accept(5000))
                peer.send("MIRAVO\n");
        });
    }
    ~GreetsThenSilent() { greeter_.join(); }
    LoginChoice Choice() const { return LoginChoice{"127.0.0.1", peer.portText(), kDemoUser, kDemoPassword, ""}; }
    std::string Where() const { return "127.0.0.1:" + peer.portText(); }

    ScriptedPeer peer;

private:
    std::thread greeter_;
};

TEST(LogonAnswerDeadline, AServerThatGreetsAndThenSaysNothingFailsTheLogonInTime)
{
    GreetsThenSilent server;
    LogonOptions quick = QuickLogon();
    quick.answerTimeout = std::chrono::milliseconds(300);
    SessionClient c(quick);
    c.ui.login = server.Choice();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(c.logon.LogOn());
    // One wait runs out; the steps after it give up at once instead of
    // taking the time again each.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(3000));
    EXPECT_THAT(c.Messages(), ElementsAre("!The server did not answer (" + server.Where() + ")"));
    EXPECT_EQ(c.logon.FailureNotice(), "The server did not answer (" + server.Where() + ")");
    EXPECT_TRUE(c.client.ComThread().WaitIdle(5000));
    EXPECT_FALSE(c.client.ConnectedEvent().IsSet());
    EXPECT_GE(c.ui.hidden, 1);
    // The limit was the logon's and went with it.
    EXPECT_FALSE(c.client.Transactions().LimitedWaitTimedOut());
}

TEST(LogonAnswerDeadline, TheTimeComesFromTheProfileWhenTheProgramSetsNone)
{
    GreetsThenSilent server;
    LogonOptions fromProfile = QuickLogon();
    fromProfile.answerTimeout.reset();
    SessionClient c(fromProfile);
    c.client.Config().WriteString(ConfigKeys::AnswerTimeout, "1");
    c.ui.login = server.Choice();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(c.logon.LogOn());
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took, std::chrono::milliseconds(900));
    EXPECT_LT(took, std::chrono::milliseconds(5000));
    EXPECT_EQ(c.logon.FailureNotice(), "The server did not answer (" + server.Where() + ")");
}

TEST(LogonAnswerDeadline, CancellingAWaitAfterTheGreetingSaysSoAndReportsNoTimeOut)
{
    GreetsThenSilent server;
    SessionClient c;
    CancelAfterWait user(200);
    c.client.SetBlockingWait(&user);
    c.ui.login = server.Choice();
    EXPECT_FALSE(c.logon.LogOn());
    EXPECT_EQ(c.logon.FailureNotice(), "Not connected: the logon was cancelled.");
    EXPECT_TRUE(c.Messages().empty()) << "a cancel is no failure to report";
    EXPECT_EQ(user.Cancelled(), 1) << "the waits after the cancelled one give up at once";
    EXPECT_TRUE(c.client.ComThread().WaitIdle(5000));
    EXPECT_FALSE(c.client.ConnectedEvent().IsSet());
}

} // namespace
} // namespace pellar::test
