// A request whose changes cannot be stored (a full disk) is answered with
// an error and leaves nothing behind: memory is as it was before it, and
// nobody is told about a change that did not happen.
#include <gtest/gtest.h>

#include "tests/server/RawClient.h"

namespace miravod::test {
namespace {

// A reply without its "=id" or "%id".
std::string Body(const std::string& reply)
{
    const size_t sp = reply.find(' ');
    return sp == std::string::npos ? std::string() : reply.substr(sp + 1);
}

class CommitFailureTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        server = StartServer();
        anna = std::make_unique<RawClient>(server->Port());
        ASSERT_TRUE(anna->Greet());
        ASSERT_EQ(anna->Call("5 4HAnna 2Hpw"), "=1 1");
        ASSERT_EQ(anna->Call("62 1 2Hpw 0"), "=2");
        ASSERT_EQ(anna->Call("10 7HGeneral 00000000"), "=3 2");
        ASSERT_EQ(anna->Call("14 2 1 100 0"), "=4");
        ASSERT_EQ(anna->Call("86 5HFirst 1 { 0 2 } 0 *"), "=5 1");
        ASSERT_EQ(anna->Call("86 6HSecond 2 { 2 1 0 2 } 0 *"), "=6 2");
        ASSERT_EQ(anna->Call("72 1 7"), "=7");
        bert = std::make_unique<RawClient>(server->Port());
        ASSERT_TRUE(bert->Greet());
        ASSERT_EQ(bert->Call("5 4HBert 2Hpw"), "=1 3");
        ASSERT_EQ(bert->Call("62 3 2Hpw 0"), "=2");
        ASSERT_EQ(bert->Call("14 2 3 100 0"), "=3");
        ASSERT_EQ(bert->Call("80 7 { 0 5 6 9 12 13 15 }"), "=4");
        bert->TakeAsync();
    }

    // Everything the requests below could change, as Anna sees it.
    std::vector<std::string> State()
    {
        std::vector<std::string> out;
        for (const char* q : {"50 2", "50 1", "50 3", "50 4", "103 2 1 80", "23", "90 1", "90 2", "90 3", "25 1 0 99",
                              "9 1 2", "46 1 0 10 1", "46 3 0 10 1", "76 1HM 1 1", "76 1HC 1 1"})
            out.push_back(std::string(q) + " -> " + Body(anna->Call(q)));
        return out;
    }

    std::unique_ptr<Server> server;
    std::unique_ptr<RawClient> anna, bert;
};

TEST_F(CommitFailureTest, EveryKindOfChangeIsUndoneWhenItCannotBeStored)
{
    // Each would change the state if it were stored (proved after the
    // check, in this order).
    const char* changes[] = {
        "86 5HThird 1 { 0 2 } 0 *",      // a text: number, map, counters
        "72 2 9",                        // a mark
        "73 1",                          // an unmark
        "27 2 1 { 1 }",                  // read state
        "15 2 3",                        // a member leaves
        "10 4HMeta 00000000",            // a conference
        "3 2 8HChitchat",                // a name
        "30 2 1 0",                      // a recipient added
        "31 2 2",                        // a recipient removed
        "92 2 0 * 1 { 6 00000000 0 3Hone }", // an aux item
        "29 1",                          // a text with a comment and a mark
        "11 2",                          // a whole conference with its texts' map
    };
    for (const char* change : changes) {
        const auto before = State();
        server->FailNextCommits(1);
        const std::string reply = anna->Call(change);
        EXPECT_EQ(reply.substr(reply.find(' ') + 1), "45 0") << change << ": " << reply;
        EXPECT_EQ(State(), before) << change;
        // Nothing was announced either.
        EXPECT_TRUE(bert->TakeAsync().empty()) << change;
    }
    // Unstored, they change nothing; stored, each changes something.
    for (const char* change : changes) {
        const auto before = State();
        const std::string reply = anna->Call(change);
        ASSERT_EQ(reply[0], '=') << change << ": " << reply;
        EXPECT_NE(State(), before) << change;
    }
}

TEST_F(CommitFailureTest, AFailedTextIsNeitherReadableNorAnnouncedAndItsNumberIsReused)
{
    server->FailNextCommits(1);
    EXPECT_EQ(anna->Call("86 4HLost 1 { 0 2 } 0 *"), "%8 45 0");
    EXPECT_EQ(anna->Call("25 3 0 99"), "%9 14 3");
    EXPECT_EQ(Body(bert->Call("25 3 0 99")), "14 3");
    EXPECT_TRUE(bert->TakeAsync().empty());
    EXPECT_EQ(anna->Call("86 5HFound 1 { 0 2 } 0 *"), "=10 3");
    EXPECT_EQ(Body(bert->Call("25 3 0 99")), "5HFound");
    const auto notices = bert->TakeAsync();
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_NE(notices[0].find(" 15 3 "), std::string::npos) << notices[0];
}

TEST_F(CommitFailureTest, AFailedAccountOrPasswordChangeLeavesTheOldOneInPlace)
{
    RawClient c(server->Port());
    ASSERT_TRUE(c.Greet());
    server->FailNextCommits(1);
    EXPECT_EQ(c.Call("5 5HCarla 2Hpw"), "%1 45 0");
    EXPECT_EQ(c.Call("76 5HCarla 1 0"), "=2 0 *");
    server->FailNextCommits(1);
    EXPECT_EQ(anna->Call("8 1 2Hpw 3Hnew"), "%8 45 0");
    EXPECT_EQ(c.Call("62 1 3Hnew 0"), "%3 4 0");
    EXPECT_EQ(c.Call("62 1 2Hpw 0"), "=4");
}

} // namespace
} // namespace miravod::test
