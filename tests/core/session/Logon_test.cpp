// Logon steps that need exact bytes or a peer that misbehaves on purpose.
#include <algorithm>
#include <future>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/config/ConfigKeys.h"
#include "core/session/Logon.h"
#include "support/ClientHarness.h"
#include "support/ScriptedSessionUi.h"

namespace pellar::test {
namespace {

class LogonPeerTest : public ::testing::Test {
protected:
    LogonPeerTest()
    {
        options.greetingTimeout = std::chrono::milliseconds(200);
        options.greetingSlice = std::chrono::milliseconds(20);
    }

    // Logs on to the peer on a thread of its own, once the peer has the link
    // (and, with greet, has greeted it).
    std::future<bool> LogOnToPeer(bool greet)
    {
        ui.login = LoginChoice{"127.0.0.1", peer.portText(), "someone", "secret", ""};
        logon = std::make_unique<Logon>(client, ui, commands, options);
        auto result = std::async(std::launch::async, [this] { return logon->LogOn(); });
        EXPECT_TRUE(peer.accept());
        if (greet) {
            EXPECT_TRUE(peer.expect(HandshakeLine()));
            peer.send("MIRAVO\n");
        }
        return result;
    }

    LogonOptions options;
    ScriptedPeer peer;
    Client client{QuietClientOptions()};
    ScriptedSessionUi ui;
    SessionCommands commands{client, ui};
    std::unique_ptr<Logon> logon;
};

TEST_F(LogonPeerTest, ConnectsThroughTheProxyOfTheProfile)
{
    TMiravoConfiguration& config = client.Config();
    config.WriteString("UseProxy", "1");
    config.WriteString("ProxyServer", "127.0.0.1");
    config.WriteString("ProxyPort", peer.portText());
    ui.login = LoginChoice{"miravo.example", "4894", "someone", "secret", ""};
    Logon logon(client, ui, commands, options);

    auto result = std::async(std::launch::async, [&] { return logon.LogOn(); });
    ASSERT_TRUE(peer.accept());
    EXPECT_TRUE(peer.expect("CONNECT miravo.example:4894 HTTP/1.0\r\n\r\n" + HandshakeLine()));
    // The proxy never lets the server greet.
    EXPECT_FALSE(result.get());
    std::string message;
    ASSERT_TRUE(client.UserMessages().Pop(message));
    // The host and port are the server's, which the proxy was asked for.
    EXPECT_EQ(message, "!Could not connect to miravo.example port 4894: the connection was made but no Miravo "
                       "server greeted in time; it may be the wrong port.\r\nFailed to connect due to a timeout.");
    EXPECT_TRUE(client.ComThread().WaitIdle(5000));
}

// A profile that stored no server or port connects where the settings dialog
// says it does: to the key table's defaults.
TEST_F(LogonPeerTest, AnAutomaticLogonTakesTheDefaultsOfWhatTheProfileNeverStored)
{
    TMiravoConfiguration& config = client.Config();
    config.WriteString("UseProxy", "1");
    config.WriteString("ProxyServer", "127.0.0.1");
    config.WriteString("ProxyPort", peer.portText());
    config.WriteString("User", "someone");
    Logon logon(client, ui, commands, options);
    logon.SetAutoConnect(true);

    auto result = std::async(std::launch::async, [&] { return logon.LogOn(); });
    ASSERT_TRUE(peer.accept());
    EXPECT_TRUE(peer.expect("CONNECT " + ConfigDefault("Server") + ":" + ConfigDefault("Port") + " HTTP/1.0\r\n\r\n" +
                            HandshakeLine()));
    EXPECT_FALSE(result.get());
    EXPECT_TRUE(client.ComThread().WaitIdle(5000));
}

TEST_F(LogonPeerTest, GreetingWaitMovesTheGaugeOncePerSlice)
{
    auto result = LogOnToPeer(false);
    EXPECT_FALSE(result.get());
    // About one step per slice, starting above 23; never past the timeout's worth.
    ASSERT_FALSE(ui.gauge.empty());
    EXPECT_EQ(ui.gauge.front(), 24);
    EXPECT_LE(ui.gauge.size(), 10u + 1u);
    for (size_t i = 1; i < ui.gauge.size(); ++i)
        EXPECT_EQ(ui.gauge[i], ui.gauge[i - 1] + 1);
    EXPECT_EQ(ui.hidden, 1);
}

TEST_F(LogonPeerTest, LinkLostDuringTheLogonRequestsFailsTheLogon)
{
    // A link that drops during the logon requests releases every wait.
    auto result = LogOnToPeer(true);
    peer.receiveUntil("36\n");
    peer.close();
    EXPECT_FALSE(result.get());
    EXPECT_FALSE(client.ConnectedEvent().IsSet());
    // The failed look-up is not taken for an unknown person.
    EXPECT_TRUE(ui.questions.empty());
    EXPECT_TRUE(ui.accountDialogs.empty());
}

TEST_F(LogonPeerTest, ANoticeTheServerHandsOutBeforeTheLogonIsShownInTheServerInfoStep)
{
    auto result = LogOnToPeer(true);
    peer.receiveUntil("2 36\n");
    peer.send("=2 10700 1 2 3 4 77\n");
    ASSERT_TRUE(peer.expect("3 75\n"));
    peer.send("=3 10 7Hmiravod 3H1.0\n");
    // The quiet look at the notice's status; this server answers it.
    ASSERT_TRUE(peer.expect("4 90 77\n"));
    peer.send("=4 0 0 12 5 11 99 0 338 0 6 3 100 1 1 { 0 2 } 1 { 1 7 6 0 0 12 5 11 99 0 338 0 00000000 0 3Hyes }\n");
    ASSERT_TRUE(peer.expect("5 80 11 { 5 7 8 9 11 12 13 14 15 16 17 }\n"));
    peer.close();  // the rest of the logon is not this test's business
    EXPECT_FALSE(result.get());
    EXPECT_EQ(ui.shownTexts, std::vector<int32_t>{77});
    // Shown during "Retrieving server info", the third step.
    EXPECT_EQ(ui.progressAtShownText, std::vector<size_t>{3});
}

TEST_F(LogonPeerTest, UnreadablePersonLookupIsNoUnknownPerson)
{
    // The person look-up's reply is cut short: the logon ends with the
    // reason, without offering a new account for a person who may exist.
    auto result = LogOnToPeer(true);
    const std::string info = peer.receiveUntil(" 36\n");
    const size_t infoId = info.rfind('\n', info.size() - 5);
    peer.send("=" + info.substr(infoId + 1, info.size() - infoId - 5) + " 10600 0 0 0 0 0\n");
    const std::string lookup = peer.receiveUntil(" 76 7Hsomeone 1 0\n");
    const size_t lineStart = lookup.rfind('\n', lookup.size() - 2);
    const std::string id = lookup.substr(lineStart + 1, lookup.find(' ', lineStart + 1) - lineStart - 1);
    peer.send("=" + id + " 5 { 7Hsomeone 1000 6\n");
    ASSERT_EQ(result.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_FALSE(result.get());
    EXPECT_TRUE(ui.questions.empty());
    EXPECT_TRUE(ui.accountDialogs.empty());
    std::vector<std::string> told;
    for (std::string m; client.UserMessages().Pop(m);)
        told.push_back(m);
    EXPECT_NE(std::find(told.begin(), told.end(), "!The server's reply could not be read"), told.end());
}

} // namespace
} // namespace pellar::test
