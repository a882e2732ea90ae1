// The asynchronous messages a session asks for: the logon's list, and the
// who-is-on window's live updates switched on and off later. What the logon
// reports as accepted must follow every change, not only its own.
#include "support/SessionFixture.h"

namespace pellar::test {
namespace {

using ::testing::ElementsAre;

class AsyncAcceptanceTest : public SessionFixture {
protected:
    // Pops asynchronous lines until one of the given message number arrives.
    static bool Receives(Client& client, AsyncNumber number, int timeoutMs = 3000)
    {
        const std::string prefix = " " + std::to_string(Number(number)) + " ";
        return WaitUntil(
            [&] {
                std::string line;
                while (client.AsyncMessages().Pop(line)) {
                    if (line.find(prefix) != std::string::npos && line.find(prefix) == line.find(' '))
                        return true;
                }
                return false;
            },
            timeoutMs);
    }
};

TEST_F(AsyncAcceptanceTest, PresenceReportsFollowTheLatestListAndTheRecordFollowsToo)
{
    StartServer();
    SessionClient me;
    ASSERT_TRUE(LogOn(me));
    const std::vector<int32_t> atLogon = me.logon.AcceptedAsyncMessages();
    EXPECT_THAT(atLogon, ElementsAre(5, 7, 8, 9, 11, 12, 13, 14, 15, 16, 17));

    AcceptAsyncMessages(me.client, true);
    std::vector<int32_t> withPresence = atLogon;
    withPresence.push_back(6);
    EXPECT_EQ(me.logon.AcceptedAsyncMessages(), withPresence);
    // Sent without waiting: the relay sees it a moment later.
    ASSERT_TRUE(WaitUntil([&] { return SentRequests(80).size() == 2; }));
    EXPECT_THAT(SentRequests(80), ElementsAre("80 11 { 5 7 8 9 11 12 13 14 15 16 17 }",
                                              "80 12 { 5 7 8 9 11 12 13 14 15 16 17 6 }"));

    // Another session's activity now reaches us as a presence report.
    SessionClient other;
    ASSERT_TRUE(LogOnDirect(other));
    other.commands.ChangeActivity(0);
    EXPECT_TRUE(Receives(me.client, AsyncNumber::IAmOn));

    AcceptAsyncMessages(me.client, false);
    EXPECT_EQ(me.logon.AcceptedAsyncMessages(), atLogon);
    // Once the server has the shorter list, activity goes unreported.
    TGenericTrans ping(me.client.Protocol(), "Get time", requests::GetTime());
    ASSERT_TRUE(me.client.Transactions().ExecuteAndWait(ping));
    other.commands.ChangeActivity(1);
    EXPECT_FALSE(Receives(me.client, AsyncNumber::IAmOn, 500));
}

} // namespace
} // namespace pellar::test
