// How many messages one session may send: a burst, then the rate, refused
// with a temporary failure in between; messages to everyone have a rate of
// their own.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "tests/server/RawClient.h"

namespace miravod::test {
namespace {

using std::chrono::milliseconds;

struct Pair {
    std::unique_ptr<RawClient> sender, receiver;
};

// Anna (1) sends, Bert (2) accepts messages.
Pair LoggedOnPair(Server& server)
{
    Pair p;
    p.sender = std::make_unique<RawClient>(server.Port());
    p.receiver = std::make_unique<RawClient>(server.Port());
    EXPECT_TRUE(p.sender->Greet());
    EXPECT_TRUE(p.receiver->Greet());
    EXPECT_EQ(p.sender->Call("5 4HAnna 2Hpw"), "=1 1");
    EXPECT_EQ(p.sender->Call("62 1 2Hpw 0"), "=2");
    EXPECT_EQ(p.receiver->Call("5 4HBert 2Hpw"), "=1 2");
    EXPECT_EQ(p.receiver->Call("62 2 2Hpw 0"), "=2");
    EXPECT_EQ(p.receiver->Call("80 1 { 12 }"), "=3");
    return p;
}

size_t Messages(RawClient& c)
{
    size_t n = 0;
    for (const std::string& line : c.TakeAsync()) n += line.find(" 12 ") != std::string::npos;
    return n;
}

TEST(MessageRateTest, ABurstIsTakenThenTheRateRefusesUntilItRefills)
{
    ServerOptions o;
    o.messageRate = {10, 5};
    o.broadcastRate = {1, 2};
    auto server = StartServer(o);
    auto p = LoggedOnPair(*server);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(p.sender->Call("53 2 2Hhi"), "=" + std::to_string(3 + i));
    EXPECT_EQ(p.sender->Call("53 2 2Hhi"), "%8 45 0");
    // Refused messages reach nobody.
    EXPECT_EQ(Messages(*p.receiver), 5u);
    // A tenth of a second earns one more.
    std::this_thread::sleep_for(milliseconds(150));
    EXPECT_EQ(p.sender->Call("53 2 2Hhi"), "=9");
    EXPECT_EQ(p.sender->Call("53 2 2Hhi"), "%10 45 0");
    EXPECT_EQ(Messages(*p.receiver), 1u);
}

TEST(MessageRateTest, MessagesToEveryoneHaveTheirOwnLowerRate)
{
    ServerOptions o;
    o.messageRate = {10, 5};
    o.broadcastRate = {1, 2};
    auto server = StartServer(o);
    auto p = LoggedOnPair(*server);
    EXPECT_EQ(p.sender->Call("53 0 2Hhi"), "=3");
    EXPECT_EQ(p.sender->Call("53 0 2Hhi"), "=4");
    EXPECT_EQ(p.sender->Call("53 0 2Hhi"), "%5 45 0");
    // Personal messages still go.
    EXPECT_EQ(p.sender->Call("53 2 2Hhi"), "=6");
    EXPECT_EQ(Messages(*p.receiver), 3u);
    // Each session has its own.
    EXPECT_EQ(p.receiver->Call("53 0 2Hhi"), "=5");
}

TEST(MessageRateTest, ASessionPipeliningMessagesIsHeldToTheDefaultRate)
{
    auto server = StartServer();
    auto p = LoggedOnPair(*server);
    std::string flood;
    for (int id = 100; id < 400; ++id) flood += std::to_string(id) + " 53 0 20Hxxxxxxxxxxxxxxxxxxxx\n";
    p.sender->Send(flood);
    int sent = 0;
    for (int id = 100; id < 400; ++id) {
        const std::string reply = p.sender->ReplyTo(id);
        if (reply == "=" + std::to_string(id)) ++sent;
        else EXPECT_EQ(reply, "%" + std::to_string(id) + " 45 0");
    }
    // A burst of 10 and 2 a second: far below what was asked.
    EXPECT_GE(sent, 10);
    EXPECT_LE(sent, 20);
    EXPECT_EQ(Messages(*p.receiver), static_cast<size_t>(sent));
}

} // namespace
} // namespace miravod::test
