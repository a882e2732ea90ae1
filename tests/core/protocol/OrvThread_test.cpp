#include "core/protocol/OrvThread.h"

#include <filesystem>
#include <fstream>
#include <future>
#include <sstream>

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "core/protocol/MVRequests.h"
#include "core/protocol/WireTokens.h"
#include "core/shell/LocalUserName.h"
#include "support/ClientHarness.h"
#include "support/ScriptedWaits.h"

namespace pellar {
namespace {

using namespace std::chrono_literals;
using test::ClientHarness;
using test::HandshakeLine;

TEST(RedactRequestLine, PasswordArgumentsBecomeStars)
{
    EXPECT_EQ(RedactRequestLine("7 62 6 6Hse cre 0"), "7 62 6 * 0");
    EXPECT_EQ(RedactRequestLine("3 5 4HKarl 3Hp w"), "3 5 4HKarl *");
    EXPECT_EQ(RedactRequestLine("9 8 6 3Hold 5Hn\new"), "9 8 6 * *");
    // Other requests, even with Hollerith strings, stay as they are.
    EXPECT_EQ(RedactRequestLine("4 53 6 5Hhello"), "4 53 6 5Hhello");
    EXPECT_EQ(RedactRequestLine("4 62"), "4 62");
    // A length beyond the line masks the rest of it.
    EXPECT_EQ(RedactRequestLine("7 62 6 99Hshort"), "7 62 6 *");
}

TEST(CommunicationThread, HandshakeIsTheUserNameAsHollerith)
{
    const std::string name = LocalUserName();
    EXPECT_EQ(HandshakeLine(), "A" + std::to_string(name.size()) + "H" + name + "\n");
    ClientHarness h;
    ASSERT_TRUE(h.Connect(/*greet=*/false));
    EXPECT_FALSE(h.client.ConnectedEvent().IsSet());
    EXPECT_EQ(h.client.ComThread().Server(), "127.0.0.1");
    EXPECT_EQ(h.client.ComThread().Port(), h.peer.portText());
}

TEST(CommunicationThread, ProxySendsConnectLineBeforeTheHandshakeAndItsAnswerIsIgnored)
{
    ClientHarness h;
    ProxySettings proxy{true, "127.0.0.1", h.peer.portText()};
    h.client.ComThread().Connect("miravo.example.org", "4894", proxy);
    ASSERT_TRUE(h.peer.accept());
    ASSERT_TRUE(h.peer.expect("CONNECT miravo.example.org:4894 HTTP/1.0\r\n\r\n" + HandshakeLine()));
    h.peer.send("HTTP/1.0 200 Connection established\r\n\r\n");
    EXPECT_EQ(h.client.ConnectedEvent().WaitFor(50), WaitResult::Timeout);
    ASSERT_TRUE(h.Greet());
}

TEST(CommunicationThread, LinesGoOutInOrderAndAreCounted)
{
    ClientHarness h;
    ASSERT_TRUE(h.Connect());
    const auto sentBefore = h.client.Counters().bytesSent.load();
    std::string all;
    for (int i = 0; i < 500; ++i) {
        const std::string line = std::to_string(i) + " 35\n";
        all += line;
        h.client.ComThread().Send(line);
    }
    ASSERT_TRUE(h.peer.expect(all));
    EXPECT_TRUE(test::WaitUntil([&] { return h.client.Counters().bytesSent.load() == sentBefore + all.size(); }));
    h.peer.send("MIRAVO\n");
    EXPECT_TRUE(test::WaitUntil([&] { return h.client.Counters().bytesReceived.load() == 14; }));
}

// Lines sent while the socket is full wait behind the part of a line the
// kernel did not take; the stream must still come out whole and in order.
TEST(CommunicationThread, LinesQueuedBehindAFullSocketKeepTheirOrder)
{
    ClientHarness h;
    ASSERT_TRUE(h.Connect());
    const auto sentBefore = h.client.Counters().bytesSent.load();
    std::string all;
    for (int i = 0; i < 160; ++i) {
        // Far more than the socket buffers hold while the peer is not reading.
        std::string line = std::to_string(i) + " 53 65536H" + std::string(65536, static_cast<char>('a' + i % 26)) + "\n";
        all += line;
        h.client.ComThread().Send(std::move(line));
    }
    ASSERT_TRUE(h.peer.expect(all, 30000));
    EXPECT_TRUE(test::WaitUntil([&] { return h.client.Counters().bytesSent.load() == sentBefore + all.size(); }));
    h.client.ComThread().Send("160 35\n");
    EXPECT_TRUE(h.peer.expect("160 35\n"));
}

TEST(CommunicationThread, PeerCloseIsLinkLossAndTheThreadGoesIdle)
{
    ClientHarness h;
    ASSERT_TRUE(h.Connect());
    EXPECT_FALSE(h.client.ComThread().LinkDown());
    h.peer.close();
    EXPECT_TRUE(h.client.ComThread().WaitIdle(10000));
    EXPECT_TRUE(h.client.ComThread().LinkDown());
    EXPECT_FALSE(h.client.ConnectedEvent().IsSet());
}

TEST(CommunicationThread, StoppingTheLinkClosesTheSocket)
{
    ClientHarness h;
    ASSERT_TRUE(h.Connect());
    h.client.ComThread().SetLinkDown(true);
    EXPECT_TRUE(h.client.ComThread().WaitIdle(10000));
    EXPECT_TRUE(h.peer.quiet(2000)) << "the peer should see the connection end, not bytes";
}

TEST(CommunicationThread, ReconnectSendsNothingLeftFromTheOldLink)
{
    ClientHarness h;
    ASSERT_TRUE(h.Connect());
    h.peer.close();
    ASSERT_TRUE(h.client.ComThread().WaitIdle(10000));
    h.client.ComThread().Send("1 stale\n");

    test::ScriptedPeer second;
    h.client.ComThread().Connect("127.0.0.1", second.portText());
    ASSERT_TRUE(second.accept());
    ASSERT_TRUE(second.expect(HandshakeLine()));
    second.send("MIRAVO\n");
    ASSERT_EQ(h.client.ConnectedEvent().WaitFor(5000), WaitResult::Signaled);
    h.client.ComThread().Send("2 fresh\n");
    EXPECT_TRUE(second.expect("2 fresh\n"));
}

TEST(CommunicationThread, ConnectToAClosedPortRaisesWinsockException)
{
    ClientHarness h;
    uint16_t port = 0;
    {
        test::ScriptedPeer gone;
        port = gone.port();
    }
    EXPECT_THROW(h.client.ComThread().Connect("127.0.0.1", std::to_string(port)), TWinsockException);
    EXPECT_TRUE(h.client.ComThread().Idle());
}

TEST(CommunicationThread, DebugLogShowsRequestsButNeverThePassword)
{
    const auto dir = std::filesystem::temp_directory_path() / ("pellar-orv-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    {
        ClientOptions options;
        options.stateDir = dir;
        ClientHarness h(options);
        ASSERT_TRUE(h.Connect());
        TLogonTrans logon(h.client.Protocol(), 6, "hunter 2", false);
        auto done = std::async(std::launch::async, [&] { return h.client.Transactions().ExecuteAndWait(logon); });
        ASSERT_TRUE(h.peer.expect(std::to_string(logon.Id()) + " 62 6 8Hhunter 2 0\n"));
        h.peer.send("=" + std::to_string(logon.Id()) + "\n");
        ASSERT_EQ(done.wait_for(10s), std::future_status::ready);
        EXPECT_TRUE(done.get());
    }
    std::ifstream in(dir / "orv.logg");
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find("ComThread.Send"), std::string::npos);
    EXPECT_NE(text.str().find("62 6 * 0"), std::string::npos) << text.str();
    EXPECT_EQ(text.str().find("hunter"), std::string::npos) << "the password reached the debug log";
    EXPECT_NE(text.str().find("ComThread.TryReceive"), std::string::npos);
    struct stat st {};
    ASSERT_EQ(::stat((dir / "pellar.logg").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    std::filesystem::remove_all(dir);
}

TEST(CommunicationThread, ConnectWaitsThroughThePortAndACancelEndsItAtOnce)
{
    test::UnansweredListener silent;
    if (!silent.Holds())
        GTEST_SKIP() << "this kernel completes every connection";
    ClientHarness h;
    test::CancelAfterWait user(100);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_THROW(h.client.ComThread().Connect("127.0.0.1", silent.PortText(), {}, 20000, &user), TConnectCancelled);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    ASSERT_EQ(user.Shown().size(), 1u);
    EXPECT_EQ(user.Shown()[0], "Connecting to 127.0.0.1:" + silent.PortText() + "...");
    EXPECT_TRUE(h.client.ComThread().Idle());
    EXPECT_TRUE(h.client.ComThread().LinkDown());

    // The next attempt starts clean.
    h.client.ComThread().Connect("127.0.0.1", h.peer.portText(), {}, 5000, &user);
    ASSERT_TRUE(h.peer.accept());
    EXPECT_TRUE(h.peer.expect(HandshakeLine()));
    EXPECT_EQ(user.Cancelled(), 1);
}

TEST(CommunicationThread, ConnectFailuresStillReachTheCallerThroughThePort)
{
    ClientHarness h;
    uint16_t port = 0;
    {
        test::ScriptedPeer gone;
        port = gone.port();
    }
    test::CancelAfterWait user(5000);
    try {
        h.client.ComThread().Connect("127.0.0.1", std::to_string(port), {}, 5000, &user);
        ADD_FAILURE() << "connect to a closed port succeeded";
    } catch (const TConnectCancelled&) {
        ADD_FAILURE() << "a refused connect was reported as cancelled";
    } catch (const TWinsockException& e) {
        EXPECT_EQ(e.Code(), 10061);
    }
    EXPECT_EQ(user.Cancelled(), 0);
}

} // namespace
} // namespace pellar
