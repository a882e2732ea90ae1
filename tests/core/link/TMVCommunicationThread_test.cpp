#include "core/link/TMVCommunicationThread.h"

#include <future>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "core/link/MVRequests.h"
#include "core/link/MVTransaction.h"
#include "core/wire/WireTokens.h"
#include "core/base/LocalUserName.h"
#include "support/ClientHarness.h"
#include "support/ScriptedWaits.h"
#include "support/TempDir.h"

namespace pellar {
namespace {

using namespace std::chrono_literals;
using test::ClientHarness;
using test::HandshakeLine;

// A client linked to a greeted peer.
class LinkTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(h.Connect()); }

    // Links the client anew to peer and greets it.
    void Reconnect(test::ScriptedPeer& peer)
    {
        h.client.ComThread().Connect("127.0.0.1", peer.portText());
        ASSERT_TRUE(peer.accept());
        ASSERT_TRUE(peer.expect(HandshakeLine()));
        peer.send("MIRAVO\n");
        ASSERT_EQ(h.client.ConnectedEvent().WaitFor(5000), WaitResult::Signaled);
    }

    ClientHarness h;
};

// A local port nobody listens on any more.
std::string ClosedPort()
{
    test::ScriptedPeer gone;
    return gone.portText();
}

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

TEST_F(LinkTest, LinesGoOutInOrderAndAreCounted)
{
    // The handshake is counted by the writer after its send returns, which
    // may be after the greeting came back: known, not read.
    const auto sentBefore = test::HandshakeLine().size();
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
TEST_F(LinkTest, LinesQueuedBehindAFullSocketKeepTheirOrder)
{
    const auto sentBefore = test::HandshakeLine().size();
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

// Callers write directly whenever the link is quiet and queue behind the
// thread's backlog otherwise; with several callers, bytes coming back (which
// let the next caller write directly again) and lines far bigger than the
// socket buffers, every line must still arrive whole and in its caller's order.
TEST_F(LinkTest, DirectWritesAndTheThreadsBacklogKeepEachCallersLinesWholeAndInOrder)
{
    constexpr int kCallers = 4;
    constexpr int kLines = 400;
    std::atomic<bool> sending{true};
    // Free lines from the peer: ignored by the client, but each arrival
    // allows a direct write again.
    std::thread chatter([&] {
        while (sending) {
            h.peer.send("\n");
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    });
    auto lineOf = [](int c, int i) {
        // Every 40th line alone fills the socket buffers: about 10 MB in all.
        const size_t size = i % 40 == 39 ? 256 * 1024 : static_cast<size_t>(i % 7);
        return "C" + std::to_string(c) + " " + std::to_string(i) + " " + std::string(size, static_cast<char>('a' + c)) +
               "\n";
    };
    size_t total = 0;
    for (int c = 0; c < kCallers; ++c)
        for (int i = 0; i < kLines; ++i)
            total += lineOf(c, i).size();
    // The peer starts reading late, so that a backlog builds up first and
    // then drains while the callers go on.
    auto reading = std::async(std::launch::async, [&] {
        std::this_thread::sleep_for(200ms);
        return h.peer.receiveCount(total, 60000);
    });
    std::vector<std::thread> callers;
    for (int c = 0; c < kCallers; ++c)
        callers.emplace_back([&, c] {
            for (int i = 0; i < kLines; ++i) {
                h.client.ComThread().Send(lineOf(c, i));
                if (i % 50 == 0)
                    std::this_thread::sleep_for(40ms);
            }
        });
    for (auto& t : callers)
        t.join();
    const std::string got = reading.get();
    sending = false;
    chatter.join();
    ASSERT_EQ(got.size(), total);

    int next[kCallers] = {};
    size_t pos = 0;
    for (size_t lf; (lf = got.find('\n', pos)) != std::string::npos; pos = lf + 1) {
        const std::string line = got.substr(pos, lf - pos);
        ASSERT_EQ(line[0], 'C') << line.substr(0, 40);
        const int c = line[1] - '0';
        ASSERT_TRUE(c >= 0 && c < kCallers) << line.substr(0, 40);
        const int i = next[c]++;
        ASSERT_EQ(line + "\n", lineOf(c, i)) << "caller " << c << " line " << i;
    }
    for (int c = 0; c < kCallers; ++c)
        EXPECT_EQ(next[c], kLines) << "caller " << c;
}

// The link breaks while callers are writing (directly and through the thread):
// every request is failed and released, the link is ended once, and a new
// link afterwards is not disturbed by anything of the old one.
TEST_F(LinkTest, LinkLossWhileCallersWriteReleasesEveryRequestAndTheNextLinkWorks)
{
    auto sync = std::make_shared<TSyncronizer>();
    std::atomic<int> executed{0};
    std::vector<std::thread> callers;
    const std::string big(64 * 1024, 'x');
    for (int c = 0; c < 4; ++c)
        callers.emplace_back([&, c] {
            for (int i = 0; i < 200; ++i) {
                sync->Acquire();
                if (c % 2 == 0)
                    h.client.Transactions().Execute(
                        std::make_unique<TGenericTrans>(h.client.Protocol(), "x",
                                                        requests::SendMessage(0, big)),
                        sync);
                else
                    h.client.Transactions().Execute(
                        std::make_unique<TGenericTrans>(h.client.Protocol(), "x", requests::GetTime()),
                        sync);
                ++executed;
            }
        });
    ASSERT_TRUE(test::WaitUntil([&] { return executed.load() >= 100; }));
    h.peer.receiveUntil("x", 5000); // some of the bytes, then the link breaks
    h.peer.close();
    for (auto& t : callers)
        t.join();
    EXPECT_EQ(sync->WaitFor(10000), WaitResult::Signaled) << "a request was never released";
    EXPECT_EQ(h.client.Transactions().ActiveCount(), 0);
    ASSERT_TRUE(h.client.ComThread().WaitIdle(10000));
    EXPECT_FALSE(h.client.ConnectedEvent().IsSet());

    test::ScriptedPeer second;
    ASSERT_NO_FATAL_FAILURE(Reconnect(second));
    TGenericTrans t(h.client.Protocol(), "x", requests::GetTime());
    auto done = std::async(std::launch::async, [&] { return h.client.Transactions().ExecuteAndWait(t); });
    ASSERT_TRUE(second.expect(t.RequestLine()));
    second.send("=" + std::to_string(t.Id()) + "\n");
    ASSERT_EQ(done.wait_for(10s), std::future_status::ready);
    EXPECT_TRUE(done.get());
    EXPECT_FALSE(h.client.ComThread().LinkDown());
}

TEST_F(LinkTest, PeerCloseIsLinkLossAndTheThreadGoesIdle)
{
    EXPECT_FALSE(h.client.ComThread().LinkDown());
    h.peer.close();
    EXPECT_TRUE(h.client.ComThread().WaitIdle(10000));
    EXPECT_TRUE(h.client.ComThread().LinkDown());
    EXPECT_FALSE(h.client.ConnectedEvent().IsSet());
}

TEST_F(LinkTest, StoppingTheLinkClosesTheSocket)
{
    h.client.ComThread().SetLinkDown(true);
    EXPECT_TRUE(h.client.ComThread().WaitIdle(10000));
    EXPECT_TRUE(h.peer.quiet(2000)) << "the peer should see the connection end, not bytes";
}

TEST_F(LinkTest, ReconnectSendsNothingLeftFromTheOldLink)
{
    h.peer.close();
    ASSERT_TRUE(h.client.ComThread().WaitIdle(10000));
    h.client.ComThread().Send("1 stale\n");

    test::ScriptedPeer second;
    ASSERT_NO_FATAL_FAILURE(Reconnect(second));
    h.client.ComThread().Send("2 fresh\n");
    EXPECT_TRUE(second.expect("2 fresh\n"));
}

TEST(CommunicationThread, ConnectToAClosedPortRaisesWinsockException)
{
    ClientHarness h;
    EXPECT_THROW(h.client.ComThread().Connect("127.0.0.1", ClosedPort()), TWinsockException);
    EXPECT_TRUE(h.client.ComThread().Idle());
}

TEST(CommunicationThread, DebugLogShowsRequestsButNeverThePassword)
{
    test::TempDir dir("orv");
    {
        ClientOptions options;
        options.stateDir = dir.path();
        ClientHarness h(options);
        ASSERT_TRUE(h.Connect());
        TLogonTrans logon(h.client.Protocol(), 6, "hunter 2", false);
        auto done = std::async(std::launch::async, [&] { return h.client.Transactions().ExecuteAndWait(logon); });
        ASSERT_TRUE(h.peer.expect(std::to_string(logon.Id()) + " 62 6 8Hhunter 2 0\n"));
        h.peer.send("=" + std::to_string(logon.Id()) + "\n");
        ASSERT_EQ(done.wait_for(10s), std::future_status::ready);
        EXPECT_TRUE(done.get());
    }
    const std::string text = test::ReadFile(dir / "orv.logg");
    EXPECT_NE(text.find("ComThread.Send"), std::string::npos);
    EXPECT_NE(text.find("62 6 * 0"), std::string::npos) << text;
    EXPECT_EQ(text.find("hunter"), std::string::npos) << "the password reached the debug log";
    EXPECT_NE(text.find("ComThread.TryReceive"), std::string::npos);
    EXPECT_EQ(test::FileMode(dir / "pellar.logg"), 0600u);
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
    test::CancelAfterWait user(5000);
    try {
        h.client.ComThread().Connect("127.0.0.1", ClosedPort(), {}, 5000, &user);
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
