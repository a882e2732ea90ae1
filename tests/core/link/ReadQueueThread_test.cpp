#include "core/link/ReadQueueThread.h"

#include <chrono>
#include <filesystem>
#include <thread>

#include <gtest/gtest.h>

#include "support/ClientHarness.h"
#include "support/TempDir.h"

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

// A personal message whose text cannot arrive whole must not hold up the
// stream: what follows it is still read as the messages it is.
class HostileReceiveTest : public ReceiveTest {
protected:
    static ReceiveLimits ShortLimits()
    {
        ReceiveLimits limits;
        limits.maxMessageBytes = 1000;
        limits.maxAsyncLine = 2000;
        limits.stallMs = 400;
        limits.completeMs = 3000;
        return limits;
    }
    void SetUp() override { hostile.Start(); }
    void TearDown() override
    {
        hostile.Stop();
        log.reset();
    }

    std::string LogText()
    {
        log->Flush();
        return test::ReadFile(dir / "drop.log");
    }

    test::TempDir dir{"drop"};
    std::unique_ptr<LogFile> log = std::make_unique<LogFile>(dir / "drop.log");
    TReadQueueThread hostile{queue, table, asyncList, connected, {}, log.get(), ShortLimits()};
};

TEST_F(HostileReceiveTest, AnnouncedLengthBeyondTheLongestTextIsDroppedAtOnce)
{
    queue.PutBytes(":3 12 6 7 2000000000Hhello\n:2 13 6 7\n");
    // Dropped without waiting for any stall: the next message is there at once.
    EXPECT_EQ(NextAsync(), "2 13 6 7");
    EXPECT_EQ(hostile.DroppedMessages(), 1u);
    EXPECT_NE(LogText().find("[ReadQueueThread] Dropped an asynchronous message: it announces 2000000000 bytes"),
              std::string::npos)
        << LogText();
}

TEST_F(HostileReceiveTest, StalledTextGivesBackTheBytesThatFollowedIt)
{
    // Within the limit, but the rest never comes: the reply that does come
    // is read as a reply once the text has stalled, not swallowed.
    struct Named : TMiravoTransaction {
        using TMiravoTransaction::TMiravoTransaction;
        void Transmit() override {}
        void ParseReply() override { reply = ReadLine(); }
        std::string reply;
    } request(context);
    connected.SetEv(); // requests are only registered while connected
    auto sync = std::make_shared<TSyncronizer>();
    sync->Acquire();
    table.Execute(request, sync);
    queue.PutBytes(":3 12 6 7 900Hhi\n=" + std::to_string(request.Id()) + " 1 { 5 }\n");
    ASSERT_EQ(sync->WaitFor(5000), WaitResult::Signaled);
    EXPECT_TRUE(request.Success());
    EXPECT_EQ(request.reply, " 1 { 5 }");
    EXPECT_EQ(hostile.DroppedMessages(), 1u);
    EXPECT_EQ(asyncList.Count(), 0);
    EXPECT_NE(LogText().find("only "), std::string::npos) << LogText();
}

TEST_F(HostileReceiveTest, TextStillArrivingIsWaitedForAcrossStalls)
{
    // Slower than one stall interval in total, but never silent that long.
    queue.PutBytes(":3 12 6 7 11Hab\n");
    for (const char* piece : {"cd", "ef\n", "ghi"}) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        queue.PutBytes(piece);
    }
    queue.PutBytes("\n:1 8 6\n");
    EXPECT_EQ(NextAsync(), "3 12 6 7 11Hab\ncdef\nghi");
    EXPECT_EQ(NextAsync(), "1 8 6");
    EXPECT_EQ(hostile.DroppedMessages(), 0u);
}

TEST_F(HostileReceiveTest, OverlongLinesAreSkippedWithoutBeingKept)
{
    queue.PutBytes(":2 13 6 " + std::string(50000, '7') + "\n");
    queue.PutBytes(std::string(100000, 'x') + "\nMIRAVO\n:1 8 6\n");
    EXPECT_EQ(NextAsync(), "1 8 6");
    EXPECT_EQ(hostile.DroppedMessages(), 1u);
    EXPECT_TRUE(connected.IsSet());
}

TEST_F(ReceiveTest, RepliesForUnknownIdsAreSkippedLineByLine)
{
    queue.PutBytes("=17 some reply\n%18 13 0\n:1 5 6\n");
    EXPECT_EQ(NextAsync(), "1 5 6");
}

TEST(ReceiveTrace, EveryMessageIsTracedInAPrivateFile)
{
    test::TempDir dir("rq");
    {
        ClientOptions options;
        options.stateDir = dir.path();
        options.debugLog = false;
        test::ClientHarness h(options);
        ASSERT_TRUE(h.Connect());
        h.peer.send(":2 13 6 7\n");
        ASSERT_TRUE(h.client.AsyncMessages().WaitNotEmpty(5000));
    }
    const std::string text = test::ReadFile(dir / "pellar.logg");
    EXPECT_NE(text.find(":2 13 6 7\n"), std::string::npos) << text;
    EXPECT_FALSE(std::filesystem::exists(dir / "orv.logg"));
}

} // namespace
} // namespace pellar
