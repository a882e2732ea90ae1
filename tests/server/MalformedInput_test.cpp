// Hostile or broken input gets an error reply or a closed link; the server
// keeps serving everyone else.
#include <gtest/gtest.h>

#include "tests/server/RawClient.h"

namespace miravod::test {
namespace {

class MalformedTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ServerOptions o;
        o.maxTextBytes = 1000;
        server = StartServer(o);
        c = std::make_unique<RawClient>(server->Port());
        ASSERT_TRUE(c->Greet());
    }

    // The server still answers a fresh link.
    void ExpectServerAlive()
    {
        RawClient d(server->Port());
        ASSERT_TRUE(d.Greet());
        EXPECT_EQ(d.Call("36"), "=1 20100 0 0 0 0 0");
    }

    std::unique_ptr<Server> server;
    std::unique_ptr<RawClient> c;
};

TEST_F(MalformedTest, WellFormedButUnknownOrMisshapenRequestsAreRefused)
{
    EXPECT_EQ(c->Call("999"), "%1 2 0");
    EXPECT_EQ(c->Call("36 1"), "%2 2 0");           // extra argument
    EXPECT_EQ(c->Call("5 4HAnna"), "%3 2 0");       // missing argument
    EXPECT_EQ(c->Call("5 4 4"), "%4 2 0");          // number where a string belongs
    EXPECT_EQ(c->Call("80 3 { 1 2 }"), "%5 2 0");   // count larger than the array
    EXPECT_EQ(c->Call("80 1 { 1 2 }"), "%6 2 0");   // count smaller
    EXPECT_EQ(c->Call("80 2 * "), "%7 2 0");
    EXPECT_EQ(c->Call("5 4HAnna 2Hpw"), "=8 1");
    EXPECT_EQ(c->Call("62 1 2Hpw 7"), "%9 2 0");
    EXPECT_EQ(c->Call("62 1 2Hpw 0"), "=10");
    EXPECT_EQ(c->Call("25 99999999999 0 1"), "%11 2 0"); // beyond 32 bits
    EXPECT_EQ(c->Call("10 4HName 0a0"), "<closed>");
}

TEST_F(MalformedTest, OverlongStringIsSkippedAndRefused)
{
    c->Send("1 5 2000H" + std::string(2000, 'x') + " 2Hpw\n");
    EXPECT_EQ(c->ReplyTo(1), "%1 5 0");
    // The link is still in step.
    EXPECT_EQ(c->Call("36"), "=1 20100 0 0 0 0 0");
}

TEST_F(MalformedTest, RequestsSplitAnywhereAreReadWhole)
{
    const std::string req = "7 5 4HAnna 9Hpw\nsecret\n";
    for (char ch : req) c->Send(std::string(1, ch));
    EXPECT_EQ(c->ReplyTo(7), "=7 1");
}

TEST_F(MalformedTest, GarbageClosesTheLink)
{
    c->Send("hello world\n");
    EXPECT_TRUE(c->WaitClosed());
    ExpectServerAlive();
}

TEST_F(MalformedTest, AbsurdLengthsCloseTheLink)
{
    c->Send("1 5 99999999999999999999H");
    EXPECT_TRUE(c->WaitClosed());
    RawClient d(server->Port());
    ASSERT_TRUE(d.Greet());
    d.Send("1 36 " + std::string(70000, '1') + "\n");
    EXPECT_TRUE(d.WaitClosed());
    ExpectServerAlive();
}

TEST_F(MalformedTest, NegativeOrMissingIdsCloseTheLink)
{
    c->Send("-1 36\n");
    EXPECT_TRUE(c->WaitClosed());
    RawClient d(server->Port());
    ASSERT_TRUE(d.Greet());
    d.Send("{ 36\n");
    EXPECT_TRUE(d.WaitClosed());
}

TEST_F(MalformedTest, BadHandshakesCloseTheLink)
{
    for (const char* hs : {"B4Hanna\n", "A4Hanna!", "AxHanna\n", "A99999H"}) {
        RawClient d(server->Port());
        d.Send(hs);
        if (std::string(hs) == "A4Hanna!") d.Send("\n");
        EXPECT_TRUE(d.WaitClosed()) << hs;
    }
    ExpectServerAlive();
}

TEST_F(MalformedTest, TextOverTheLimitIsRefusedWithStringTooLong)
{
    ASSERT_EQ(c->Call("5 4HAnna 2Hpw"), "=1 1");
    ASSERT_EQ(c->Call("62 1 2Hpw 0"), "=2");
    const std::string body(1001, 'x');
    EXPECT_EQ(c->Call("86 1001H" + body + " 1 { 0 1 } 0 *"), "%3 5 0");
    EXPECT_EQ(c->Call("86 1000H" + body.substr(1) + " 1 { 0 1 } 0 *"), "=4 1");
}

TEST_F(MalformedTest, LinkLossMidRequestLeavesNoSession)
{
    ASSERT_EQ(c->Call("5 4HAnna 2Hpw"), "=1 1");
    ASSERT_EQ(c->Call("62 1 2Hpw 0"), "=2");
    c->Send("3 86 500Hhalf");
    c.reset();
    RawClient d(server->Port());
    ASSERT_TRUE(d.Greet());
    // Retry until the server has noticed: the closed session drops out.
    std::string who;
    for (int i = 0; i < 1000; ++i) {
        who = d.Call("83 1 0 0");
        if (who.find(" 0 *") != std::string::npos) break;
    }
    EXPECT_EQ(who.substr(who.find(' ')), " 0 *");
}

} // namespace
} // namespace miravod::test
