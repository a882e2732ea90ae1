// The fault switches that client tests use to provoke slow, odd or failing
// servers.
#include <gtest/gtest.h>

#include <chrono>

#include "tests/server/RawClient.h"

namespace miravod::test {
namespace {

std::unique_ptr<RawClient> Connect(Server& s)
{
    return std::make_unique<RawClient>(s.Port());
}

TEST(FaultSwitchesTest, WithheldGreetingStillServesRequests)
{
    ServerOptions o;
    o.withholdGreeting = true;
    auto server = StartServer(o);
    auto c = Connect(*server);
    c->Send("A1Hx\n1 36\n");
    EXPECT_EQ(c->ReadLine(), "=1 20100 0 0 0 0 0");
}

TEST(FaultSwitchesTest, RepliesCanBeDelayed)
{
    ServerOptions o;
    o.replyDelayMs = 150;
    auto server = StartServer(o);
    auto c = Connect(*server);
    ASSERT_TRUE(c->Greet());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(c->Call("36"), "=1 20100 0 0 0 0 0");
    EXPECT_EQ(c->Call("36"), "=2 20100 0 0 0 0 0");
    // A lower bound only: the delay is a promise, not a measurement.
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300));
}

TEST(FaultSwitchesTest, ByteByByteRepliesArriveWhole)
{
    ServerOptions o;
    o.byteByByte = true;
    auto server = StartServer(o);
    auto c = Connect(*server);
    ASSERT_TRUE(c->Greet());
    EXPECT_EQ(c->Call("5 4HAnna 2Hpw"), "=1 1");
    EXPECT_EQ(c->Call("36"), "=2 20100 0 0 0 0 0");
}

TEST(FaultSwitchesTest, LinkClosesAfterNRequests)
{
    ServerOptions o;
    o.closeAfterRequests = 2;
    auto server = StartServer(o);
    auto c = Connect(*server);
    ASSERT_TRUE(c->Greet());
    c->Send("1 36\n2 36\n3 36\n");
    EXPECT_EQ(c->ReadLine(), "=1 20100 0 0 0 0 0");
    EXPECT_EQ(c->ReadLine(), "=2 20100 0 0 0 0 0");
    EXPECT_EQ(c->ReadLine(), std::nullopt);
    EXPECT_TRUE(c->WaitClosed());
    // Others are not affected.
    auto d = Connect(*server);
    ASSERT_TRUE(d->Greet());
    EXPECT_EQ(d->Call("36"), "=1 20100 0 0 0 0 0");
}

TEST(FaultSwitchesTest, UnknownAsyncMessageBeforeEachReply)
{
    ServerOptions o;
    o.injectUnknownAsync = true;
    auto server = StartServer(o);
    auto c = Connect(*server);
    ASSERT_TRUE(c->Greet());
    c->Send("1 36\n2 35\n");
    EXPECT_EQ(c->ReadLine(), ":2 99 0 0");
    EXPECT_EQ(c->ReadLine(), "=1 20100 0 0 0 0 0");
    EXPECT_EQ(c->ReadLine(), ":2 99 0 0");
    EXPECT_EQ(c->ReadLine()->rfind("=2 ", 0), 0u);
}

TEST(FaultSwitchesTest, DelayedRepliesReachEverySessionInOrder)
{
    ServerOptions o;
    o.replyDelayMs = 30;
    auto server = StartServer(o);
    std::vector<std::unique_ptr<RawClient>> clients;
    for (int i = 0; i < 20; ++i) {
        clients.push_back(Connect(*server));
        ASSERT_TRUE(clients.back()->Greet());
    }
    // Requests from every link are waiting at once, each link's one after
    // the other.
    for (auto& c : clients)
        c->Send("1 36\n2 35\n3 36\n");
    for (auto& c : clients) {
        EXPECT_EQ(c->ReadLine(), "=1 20100 0 0 0 0 0");
        EXPECT_EQ(c->ReadLine()->rfind("=2 ", 0), 0u);
        EXPECT_EQ(c->ReadLine(), "=3 20100 0 0 0 0 0");
    }
}

TEST(FaultSwitchesTest, APeerThatReadsLateGetsEverythingOnceItReads)
{
    auto server = StartServer();
    auto c = Connect(*server);
    ASSERT_TRUE(c->Greet());
    ASSERT_EQ(c->Call("5 4HAnna 2Hpw"), "=1 1");
    ASSERT_EQ(c->Call("62 1 2Hpw 0"), "=2");
    ASSERT_EQ(c->Call("10 7HGeneral 00000000"), "=3 2");
    const std::string body(200000, 'x');
    ASSERT_EQ(c->Call("86 200000H" + body + " 1 { 0 2 } 0 *"), "=4 1");
    // Several megabytes asked for without reading: the server stops reading
    // this link while its replies are pending and takes it up again as they
    // drain.
    std::string requests;
    for (int id = 10; id < 40; ++id)
        requests += std::to_string(id) + " 25 1 0 200000\n";
    c->Send(requests);
    for (int id = 10; id < 40; ++id)
        ASSERT_EQ(c->ReadLine(), "=" + std::to_string(id) + " 200000H" + body);
    EXPECT_EQ(c->Call("36"), "=5 20100 0 0 0 0 0");
}

} // namespace
} // namespace miravod::test
