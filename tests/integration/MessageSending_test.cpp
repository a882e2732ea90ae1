// Sending a message off the GUI thread against the reference server: the
// request goes out from the worker, the answer comes on the test's thread
// with the name for the log (the one known, the caches', or everyone), and a
// window that goes drops what it had not yet been told.
#include "core/writing/MessageSending.h"

#include <thread>

#include "core/wire/RequestCatalogue.h"
#include "core/session/MVCache.h"
#include "support/QueuedGuiThread.h"
#include "support/SessionFixture.h"

namespace pellar::test {
namespace {

class MessageSendingTest : public SessionFixture {
protected:
    void SetUp() override
    {
        StartServer();
        ASSERT_TRUE(LogOn(me));
        sending = std::make_unique<MessageSending>(me.client, loop.HandOver());
    }


    QueuedGuiThread loop;
    SessionClient me;
    std::unique_ptr<MessageSending> sending;
};

TEST_F(MessageSendingTest, MessagesGoOutInOrderAndAnswerWithTheNameForTheLog)
{
    const int32_t person = me.client.CurrentPerson();
    const auto gui = std::this_thread::get_id();
    std::vector<std::pair<bool, std::string>> answers;
    const auto done = [&](bool sent, const std::string& name) {
        EXPECT_EQ(std::this_thread::get_id(), gui);
        answers.emplace_back(sent, name);
    };
    relay->ClearSent();
    sending->Send(0, "to everyone", "", done);
    sending->Send(person, "to me, named", "The Name Shown", done);
    sending->Send(person, "to me, unnamed", "", done);
    ASSERT_TRUE(loop.RunUntil([&] { return sending->Pending() == 0; }));

    ASSERT_EQ(answers.size(), 3u);
    EXPECT_EQ(answers[0], (std::pair<bool, std::string>{true, "all users"}));
    EXPECT_EQ(answers[1], (std::pair<bool, std::string>{true, "The Name Shown"}));
    EXPECT_EQ(answers[2], (std::pair<bool, std::string>{true, me.client.Cache().GetName(person)}));
    const auto lines = SentRequests(static_cast<int>(RequestNumber::SendMessage));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_NE(lines[0].find("to everyone"), std::string::npos);
    EXPECT_NE(lines[2].find("to me, unnamed"), std::string::npos);
}

TEST_F(MessageSendingTest, ARefusedMessageStillAnswersAndAStoppedWindowIsToldNothing)
{
    bool told = false;
    bool sentFlag = true;
    // Nobody has that number: the server refuses, the log still gets its entry.
    sending->Send(987654, "nobody", "Nobody", [&](bool sent, const std::string&) {
        told = true;
        sentFlag = sent;
    });
    ASSERT_TRUE(loop.RunUntil([&] { return told; }));
    EXPECT_FALSE(sentFlag);

    bool late = false;
    sending->Send(0, "held", "", [&](bool, const std::string&) { late = true; });
    ASSERT_TRUE(loop.WaitForPending(1));
    QueuedGuiThread::ReturnsUnpumped([&] { sending->Stop(); });
    loop.RunPending();
    EXPECT_FALSE(late);
    EXPECT_EQ(sending->Pending(), 0u);
}

} // namespace
} // namespace pellar::test
