// What one hostile link may cost the server: the bytes of one request, the
// replies it asks for and never reads. Others go on being served.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "tests/server/RawClient.h"

namespace miravod::test {
namespace {

using Clock = std::chrono::steady_clock;

// A logged-on link with a conference of its own, person 1, conference 2.
std::unique_ptr<RawClient> Member(Server& server)
{
    auto c = std::make_unique<RawClient>(server.Port());
    EXPECT_TRUE(c->Greet());
    EXPECT_EQ(c->Call("5 4HAnna 2Hpw"), "=1 1");
    EXPECT_EQ(c->Call("62 1 2Hpw 0"), "=2");
    EXPECT_EQ(c->Call("10 7HGeneral 00000000"), "=3 2");
    return c;
}

TEST(RequestCapTest, AnonymousRequestOverTheCapIsRefusedAndTheLinkStaysInStep)
{
    auto server = StartServer();
    RawClient c(server->Port());
    ASSERT_TRUE(c.Greet());
    const std::string piece(40000, 'x');
    c.Send("1 5 40000H" + piece + " 40000H" + piece + "\n");
    EXPECT_EQ(c.ReplyTo(1), "%1 5 0");
    EXPECT_EQ(c.Call("5 4HAnna 2Hpw"), "=1 1");
}

TEST(RequestCapTest, LoggedOnSessionsMaySendMoreButNotWithoutBound)
{
    ServerOptions o;
    o.maxTextBytes = 100000;
    o.maxRequestBytes = 150000;
    auto server = StartServer(o);
    auto c = Member(*server);
    const std::string body(90000, 'b');
    // Over the anonymous cap, under the logged-on one.
    EXPECT_EQ(c->Call("86 90000H" + body + " 1 { 0 2 } 0 *"), "=4 1");
    // Each string fits on its own; together they do not.
    const std::string aux = " 6 00000000 0 40000H" + std::string(40000, 'a');
    EXPECT_EQ(c->Call("86 90000H" + body + " 1 { 0 2 } 2 {" + aux + aux + " }"), "%5 5 0");
    EXPECT_EQ(c->Call("25 1 0 3"), "=6 4Hbbbb");
    EXPECT_EQ(c->Call("90 2"), "%7 14 2");
}

TEST(RequestCapTest, ALineThatNeverEndsCostsNoMoreThanTheCap)
{
    auto server = StartServer();
    RawClient c(server->Port());
    ASSERT_TRUE(c.Greet());
    const std::string piece = " 1048576H" + std::string(1 << 20, 'x');
    const size_t before = ResidentBytes();
    c.Send("1 5");
    for (int i = 0; i < 64; ++i) c.Send(piece);
    // A round trip on another link: the server has read all of it.
    RawClient d(server->Port());
    ASSERT_TRUE(d.Greet());
    ASSERT_EQ(d.Call("36"), "=1 20100 0 0 0 0 0");
    // 64 MiB went in; the cap is 64 KiB (plus what the test holds).
    if (kResidentSizeMeaningful) {
        EXPECT_LT(ResidentBytes(), before + (24u << 20));
    }
    c.Send("\n2 35\n");
    EXPECT_EQ(c.ReplyTo(1), "%1 5 0");
    EXPECT_EQ(c.ReplyTo(2).rfind("=2 ", 0), 0u);
}

TEST(OutputCapTest, ALinkThatNeverReadsNeitherGrowsTheServerNorFreezesOthers)
{
    auto server = StartServer();
    auto greedy = Member(*server);
    const std::string body(1 << 20, 't');
    ASSERT_EQ(greedy->Call("86 1048576H" + body + " 1 { 0 2 } 0 *"), "=4 1");

    RawClient honest(server->Port());
    ASSERT_TRUE(honest.Greet());
    ASSERT_EQ(honest.Call("36"), "=1 20100 0 0 0 0 0");

    const size_t before = ResidentBytes();
    std::string requests;
    for (int id = 10; id < 210; ++id) requests += std::to_string(id) + " 25 1 0 1048575\n";
    greedy->Send(requests);
    // 200 MiB asked for. Each answer is a fresh 1 MiB, so the server
    // builds at most a few of them before it stops reading the link.
    Clock::duration longest{};
    for (int i = 0; i < 20; ++i) {
        const auto start = Clock::now();
        ASSERT_EQ(honest.Call("36"), "=" + std::to_string(i + 2) + " 20100 0 0 0 0 0");
        longest = std::max(longest, Clock::now() - start);
    }
    // A bound far above a normal answer (well under a millisecond here).
    EXPECT_LT(longest, std::chrono::seconds(2));
    if (kResidentSizeMeaningful) {
        EXPECT_LT(ResidentBytes(), before + (48u << 20));
    }
    // Once it reads, everything comes, in order.
    for (int id = 10; id < 210; ++id) {
        auto head = greedy->ReadBytes(std::to_string(id).size() + 10);
        ASSERT_EQ(head, "=" + std::to_string(id) + " 1048576H") << id;
        ASSERT_TRUE(greedy->ReadBytes((1 << 20) + 1));
    }
    EXPECT_EQ(greedy->Call("35").rfind("=5 ", 0), 0u);
}

TEST(OutputCapTest, ALinkThatTakesNoNoticesIsDroppedPastTheHardCap)
{
    ServerOptions o;
    o.maxPendingOut = 1u << 20;
    o.messageRate = {};
    auto server = StartServer(o);
    auto sender = Member(*server);
    RawClient deaf(server->Port());
    ASSERT_TRUE(deaf.Greet());
    ASSERT_EQ(deaf.Call("5 4HBert 2Hpw"), "=1 3");
    ASSERT_EQ(deaf.Call("62 3 2Hpw 0"), "=2");
    ASSERT_EQ(deaf.Call("80 1 { 12 }"), "=3");
    // 18 MB of messages: more than the socket buffers and the cap together.
    const std::string text(60000, 'm');
    for (int i = 0; i < 300; ++i) sender->Send(std::to_string(100 + i) + " 53 3 60000H" + text + "\n");
    ASSERT_EQ(sender->ReplyTo(399), "=399");
    EXPECT_TRUE(deaf.WaitClosed());
    EXPECT_EQ(sender->Call("36"), "=4 20100 0 0 0 0 0");
}

// Links that each stay under their own cap can still add up: all of them
// together have a budget, and the link that does not read goes first.
TEST(OutputBudgetTest, PastTheBudgetTheNonReadingLinkIsDroppedAndTheReadingOneServed)
{
    ServerOptions o;
    o.outputBudget = 4u << 20;
    o.broadcastRate = {};
    auto server = StartServer(o);
    auto sender = Member(*server);
    auto join = [&](RawClient& c, const std::string& name, int person) {
        ASSERT_TRUE(c.Greet());
        ASSERT_EQ(c.Call("5 4H" + name + " 2Hpw"), "=1 " + std::to_string(person));
        ASSERT_EQ(c.Call("62 " + std::to_string(person) + " 2Hpw 0"), "=2");
        ASSERT_EQ(c.Call("80 1 { 12 }"), "=3");
    };
    RawClient deaf(server->Port());
    join(deaf, "Bert", 3);
    RawClient reader(server->Port());
    join(reader, "Carl", 4);

    // 200 messages of 60000 bytes to everyone: 12 MB for each listener,
    // three times the budget; the reader takes them as they come.
    constexpr int kMessages = 200;
    size_t received = 0;
    std::thread reading([&] {
        while (received < kMessages) {
            auto m = reader.WaitAsync();
            if (!m) break;
            if (m->find(" 12 ") != std::string::npos) ++received;
        }
    });
    const std::string text(60000, 'm');
    for (int i = 0; i < kMessages; ++i) sender->Send(std::to_string(100 + i) + " 53 0 60000H" + text + "\n");
    EXPECT_EQ(sender->ReplyTo(100 + kMessages - 1), "=" + std::to_string(100 + kMessages - 1));
    reading.join();
    EXPECT_EQ(received, static_cast<size_t>(kMessages));
    EXPECT_TRUE(deaf.WaitClosed());
    EXPECT_EQ(reader.Call("36"), "=4 20100 0 0 0 0 0");
}

} // namespace
} // namespace miravod::test
