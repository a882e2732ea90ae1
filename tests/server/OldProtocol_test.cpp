// Pretending to be an older server: version 10699, no version-information
// request, and the older request and notice forms instead of the newer ones.
#include <gtest/gtest.h>

#include "tests/server/RawClient.h"

namespace miravod::test {
namespace {

class OldProtocolTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ServerOptions o;
        o.oldProtocol = true;
        server = StartServer(o);
        c = std::make_unique<RawClient>(server->Port());
        ASSERT_TRUE(c->Greet());
        ASSERT_EQ(c->Call("5 4HAnna 2Hpw"), "=1 1");
        ASSERT_EQ(c->Call("80 8 { 5 7 8 9 11 12 13 0 }"), "=2");
        ASSERT_EQ(c->Call("62 1 2Hpw 0"), "=3");
        ASSERT_EQ(c->Call("10 7HGeneral 00000000"), "=4 2");
        ASSERT_EQ(c->Call("14 2 1 100 0"), "=5");
        c->TakeAsync();
    }

    std::unique_ptr<Server> server;
    std::unique_ptr<RawClient> c;
};

TEST_F(OldProtocolTest, ServerAnnouncesAnOlderVersion)
{
    EXPECT_EQ(c->Call("36"), "=7 10699 0 0 0 0 0");
    EXPECT_EQ(c->Call("75"), "%8 2 0");
}

TEST_F(OldProtocolTest, OlderFormsAreAnsweredAndNewerRefused)
{
    EXPECT_EQ(c->Call("28 2Hx\n 1 { 0 2 }"), "=7 1");
    EXPECT_WIRE(c->Call("26 1"), "=8 <t> 1 1 2 0 3 { 0 2 6 1 7 <t> }");
    EXPECT_EQ(c->Call("34 2 1 5"), "=9 1 1 { 1 }");
    EXPECT_EQ(c->Call("86 2Hx\n 1 { 0 2 } 0 *"), "%10 2 0");
    EXPECT_EQ(c->Call("90 1"), "%11 2 0");
    EXPECT_EQ(c->Call("103 2 1 5"), "%12 2 0");
    EXPECT_EQ(c->Call("92 1 0 { } 0 *"), "%13 2 0");
}

TEST_F(OldProtocolTest, NewTextNoticeInTheOlderForm)
{
    ASSERT_EQ(c->Call("28 2Hx\n 1 { 0 2 }"), "=7 1");
    const auto got = c->TakeAsync();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_WIRE(got[0], ":2 0 1 <t> 1 1 2 0 3 { 0 2 6 1 7 <t> }");
}

TEST(NewerServerTest, SessionsThatAcceptedOnlyTheOlderNoticeGetIt)
{
    auto server = StartServer();
    RawClient c(server->Port());
    ASSERT_TRUE(c.Greet());
    ASSERT_EQ(c.Call("5 4HAnna 2Hpw"), "=1 1");
    ASSERT_EQ(c.Call("80 1 { 0 }"), "=2");
    ASSERT_EQ(c.Call("62 1 2Hpw 0"), "=3");
    ASSERT_EQ(c.Call("28 2Hx\n 1 { 0 1 }"), "=4 1");
    const auto got = c.TakeAsync();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_WIRE(got[0], ":2 0 1 <t> 1 1 2 0 3 { 0 1 6 1 7 <t> }");
}

} // namespace
} // namespace miravod::test
