// Asynchronous messages reach exactly the sessions that should see them,
// only for the types each accepted, and after the causing request's reply.
#include <gtest/gtest.h>

#include "tests/server/RawClient.h"

namespace miravod::test {
namespace {

const char* const kNewerList = "11 { 5 7 8 9 11 12 13 14 15 16 17 }";

class AsyncTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        server = StartServer();
        a = Client("anna");
        b = Client("bert");
        x = Client("carl");
        ASSERT_EQ(a->Call("5 4HAnna 2Hpw"), "=1 1");
        ASSERT_EQ(a->Call("5 4HBert 2Hpw"), "=2 2");
        ASSERT_EQ(a->Call("5 4HCarl 2Hpw"), "=3 3");
        ASSERT_EQ(a->Call("10 7HGeneral 00000000"), "%4 6 0");
        ASSERT_EQ(a->Call(std::string("80 ") + kNewerList), "=5");
        ASSERT_EQ(b->Call(std::string("80 ") + kNewerList), "=1");
        ASSERT_EQ(x->Call("80 1 { 12 }"), "=1");
        ASSERT_EQ(a->Call("62 1 2Hpw 0"), "=6");
        ASSERT_EQ(b->Call("62 2 2Hpw 0"), "=2");
        ASSERT_EQ(x->Call("62 3 2Hpw 0"), "=2");
        ASSERT_EQ(a->Call("10 7HGeneral 00000000"), "=7 4");
        ASSERT_EQ(a->Call("14 4 1 100 0"), "=8");
        // Drop the log-on notices.
        a->TakeAsync();
        b->TakeAsync();
        x->TakeAsync();
    }

    std::unique_ptr<RawClient> Client(const std::string& user)
    {
        auto c = std::make_unique<RawClient>(server->Port());
        EXPECT_TRUE(c->Greet(user));
        return c;
    }

    std::unique_ptr<Server> server;
    std::unique_ptr<RawClient> a, b, x;
};

TEST_F(AsyncTest, LogOnAndLogOffNotices)
{
    auto d = Client("dora");
    d->Call("62 2 2Hpw 0");
    EXPECT_EQ(a->TakeAsync(), std::vector<std::string>{":2 9 2 4"});
    EXPECT_TRUE(x->TakeAsync().empty()); // did not accept 9
    d.reset();
    EXPECT_EQ(a->WaitAsync(), ":2 13 2 4");
    EXPECT_EQ(b->Call("1"), "=4");
    EXPECT_EQ(a->TakeAsync(), std::vector<std::string>{":2 13 2 2"});
    // Invisible sessions announce nothing.
    auto e = Client("eve");
    e->Call("62 3 2Hpw 1");
    EXPECT_TRUE(a->TakeAsync().empty());
}

TEST_F(AsyncTest, NewTextGoesToMembersAndTheAuthor)
{
    // Bert is not a member of General: no notice for him.
    ASSERT_EQ(a->Call("86 2Hx\n 1 { 0 4 } 0 *"), "=10 1");
    auto got = a->TakeAsync();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_WIRE(got[0], ":3 15 1 <t> 1 1 2 0 3 { 0 4 6 1 7 <t> } 0 *");
    EXPECT_TRUE(b->TakeAsync().empty());
    ASSERT_EQ(b->Call("14 4 2 100 0"), "=5");
    ASSERT_EQ(b->Call("86 2Hy\n 1 { 0 4 } 0 *"), "=6 2");
    EXPECT_EQ(a->TakeAsync().size(), 1u);
    EXPECT_EQ(b->TakeAsync().size(), 1u);
    EXPECT_TRUE(x->TakeAsync().empty());
    // A letter reaches the recipient's letterbox members only.
    ASSERT_EQ(a->Call("86 2Hz\n 1 { 0 3 } 0 *"), "=13 3");
    EXPECT_TRUE(b->TakeAsync().empty());
    EXPECT_EQ(a->TakeAsync().size(), 1u);
}

TEST_F(AsyncTest, ReplyComesBeforeTheNoticesItCauses)
{
    a->Send("99 86 2Hx\n 1 { 0 4 } 0 *\n");
    EXPECT_EQ(a->ReadLine(), "=99 1");
    auto next = a->ReadLine();
    ASSERT_TRUE(next);
    EXPECT_EQ(next->rfind(":3 15 1 ", 0), 0u) << *next;
}

TEST_F(AsyncTest, MessagesToPersonConferenceAndEveryone)
{
    EXPECT_EQ(a->Call("53 2 5Hhello"), "=10");
    EXPECT_EQ(b->TakeAsync(), std::vector<std::string>{":3 12 2 1 5Hhello"});
    EXPECT_TRUE(a->TakeAsync().empty()); // not echoed to the sender
    EXPECT_TRUE(x->TakeAsync().empty());
    // Line feeds inside travel in the string.
    EXPECT_EQ(b->Call("53 0 11Htwo\nlines!!"), "=5");
    EXPECT_EQ(a->TakeAsync(), std::vector<std::string>{":3 12 0 2 11Htwo\nlines!!"});
    EXPECT_EQ(x->TakeAsync(), std::vector<std::string>{":3 12 0 2 11Htwo\nlines!!"});
    EXPECT_EQ(b->Call("53 4 2Hhi"), "=6");
    EXPECT_EQ(a->TakeAsync(), std::vector<std::string>{":3 12 4 2 2Hhi"});
    EXPECT_TRUE(x->TakeAsync().empty());
    EXPECT_EQ(b->Call("53 77 2Hhi"), "%7 9 77");
}

TEST_F(AsyncTest, PresenceNamesAndSynchronisation)
{
    // Presence only to sessions that asked for 6.
    ASSERT_EQ(a->Call("80 12 { 5 7 8 9 11 12 13 14 15 16 17 6 }"), "=10");
    EXPECT_EQ(b->Call("4 7HWriting"), "=4");
    EXPECT_EQ(a->TakeAsync(), std::vector<std::string>{":5 6 2 0 2 7HWriting 14Hbert@127.0.0.1"});
    EXPECT_TRUE(b->TakeAsync().empty());
    EXPECT_EQ(a->Call("3 4 4HMain"), "=12");
    EXPECT_EQ(b->TakeAsync(), std::vector<std::string>{":3 5 4 7HGeneral 4HMain"});
    EXPECT_TRUE(x->TakeAsync().empty());
}

} // namespace
} // namespace miravod::test
