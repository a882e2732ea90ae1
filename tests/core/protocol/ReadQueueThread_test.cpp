#include "core/protocol/ReadQueueThread.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include <unistd.h>

#include <gtest/gtest.h>

#include "support/ClientHarness.h"

namespace pellar {
namespace {

// The receive thread over its own queue, fed by the test.
class ReceiveTest : public ::testing::Test {
protected:
    void SetUp() override { thread.Start(); }
    void TearDown() override { thread.Stop(); }

    std::string NextAsync()
    {
        std::string s;
        if (!asyncList.WaitNotEmpty(5000))
            return "<nothing>";
        asyncList.Pop(s);
        return s;
    }

    struct NoSender : RequestSender {
        void Send(std::string) override {}
    } sender;
    struct NoSink : UserMessageSink {
        void PostUserMessage(std::string) override {}
    } sink;
    ProtocolCounters counters;
    ProtocolContext context{sender, sink, counters};
    TQueue queue;
    TEvent connected{true, false};
    TMiravoActiveTransactions table{queue, connected};
    TAsyncList asyncList;
    TReadQueueThread thread{queue, table, asyncList, connected};
};

TEST_F(ReceiveTest, GreetingMatchesInAnyLetterCase)
{
    queue.PutBytes("MIRAVOS\nmiravo x\n");
    queue.PutBytes(":2 5 6 7\n"); // a marker: everything before it was handled
    EXPECT_EQ(NextAsync(), "2 5 6 7");
    EXPECT_FALSE(connected.IsSet());
    queue.PutBytes("\n\nmIrAvO\n");
    EXPECT_EQ(connected.WaitFor(5000), WaitResult::Signaled);
}

TEST_F(ReceiveTest, AsynchronousMessagesGoToTheListInOrder)
{
    queue.PutBytes(":2 13 6 7\n:1 8 6\n");
    EXPECT_EQ(NextAsync(), "2 13 6 7");
    EXPECT_EQ(NextAsync(), "1 8 6");
}

TEST_F(ReceiveTest, PersonalMessageWithLineFeedsIsOneEntry)
{
    queue.PutBytes(":3 12 6 7 10Habc\ndefghi\n:3 12 6 7 3Hxyz\n");
    EXPECT_EQ(NextAsync(), "3 12 6 7 10Habc\ndefghi");
    EXPECT_EQ(NextAsync(), "3 12 6 7 3Hxyz");
    EXPECT_EQ(asyncList.Count(), 0);
}

TEST_F(ReceiveTest, PersonalMessageArrivingByteByByteIsCompleted)
{
    for (char c : std::string(":3 12 6 7 8H\n\nab\ncd\n\n:1 9 6\n"))
        queue.PutByte(c);
    EXPECT_EQ(NextAsync(), "3 12 6 7 8H\n\nab\ncd\n");
    EXPECT_EQ(NextAsync(), "1 9 6");
}

TEST_F(ReceiveTest, PersonalMessageThatNeverCompletesGivesUpOnInterrupt)
{
    queue.PutBytes(":3 12 6 7 2000000000Hab\nmore");
    queue.Interrupt(); // the link is lost
    // The thread is not stuck: after a reconnect it reads new messages.
    ASSERT_TRUE(test::WaitUntil([&] { return queue.Count() == 0; }));
    queue.Clear();
    queue.PutBytes("MIRAVO\n");
    EXPECT_EQ(connected.WaitFor(5000), WaitResult::Signaled);
}

TEST_F(ReceiveTest, RepliesForUnknownIdsAreSkippedLineByLine)
{
    queue.PutBytes("=17 some reply\n%18 13 0\n:1 5 6\n");
    EXPECT_EQ(NextAsync(), "1 5 6");
}

TEST(ReceiveTrace, EveryMessageIsTracedInAPrivateFile)
{
    const auto dir = std::filesystem::temp_directory_path() / ("pellar-rq-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    {
        ClientOptions options;
        options.stateDir = dir;
        options.debugLog = false;
        test::ClientHarness h(options);
        ASSERT_TRUE(h.Connect());
        h.peer.send(":2 13 6 7\n");
        ASSERT_TRUE(h.client.AsyncMessages().WaitNotEmpty(5000));
    }
    std::ifstream in(dir / "pellar.logg");
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find(":2 13 6 7\n"), std::string::npos) << text.str();
    EXPECT_FALSE(std::filesystem::exists(dir / "orv.logg"));
    std::filesystem::remove_all(dir);
}

} // namespace
} // namespace pellar
