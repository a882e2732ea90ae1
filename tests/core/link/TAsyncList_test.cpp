#include "core/link/TAsyncList.h"

#include <set>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace pellar {
namespace {

TEST(TAsyncList, FifoOrder)
{
    TAsyncList list;
    EXPECT_EQ(list.Add("a"), 0);
    EXPECT_EQ(list.Add(std::string("b\0c", 3)), 1);
    EXPECT_EQ(list.Count(), 2);
    std::string out;
    ASSERT_TRUE(list.Pop(out));
    EXPECT_EQ(out, "a");
    ASSERT_TRUE(list.Pop(out));
    EXPECT_EQ(out, std::string("b\0c", 3)); // bytes, not C strings
    EXPECT_FALSE(list.Pop(out));
    EXPECT_EQ(out, "");
}

TEST(TAsyncList, WaitNotEmpty)
{
    TAsyncList list;
    EXPECT_FALSE(list.WaitNotEmpty(0));
    list.Add("x");
    EXPECT_TRUE(list.WaitNotEmpty(0));
}

TEST(TAsyncList, ProducerWakesConsumerAndNothingIsLost)
{
    TAsyncList list;
    constexpr int kCount = 2000;
    std::thread producer([&] {
        for (int i = 0; i < kCount; ++i)
            list.Add(std::to_string(i));
    });
    std::vector<std::string> got;
    std::string s;
    while (static_cast<int>(got.size()) < kCount && list.WaitNotEmpty(kInfinite)) {
        while (list.Pop(s))
            got.push_back(s);
    }
    producer.join();
    ASSERT_EQ(got.size(), static_cast<size_t>(kCount));
    for (int i = 0; i < kCount; ++i)
        ASSERT_EQ(got[i], std::to_string(i));
}

TEST(TAsyncList, InterruptReleasesWaiterUntilCleared)
{
    TAsyncList list;
    std::thread waiter([&] { EXPECT_FALSE(list.WaitNotEmpty(kInfinite)); });
    list.Interrupt();
    waiter.join();
    list.Add("y");
    EXPECT_FALSE(list.WaitNotEmpty(0));
    list.ClearInterrupt();
    EXPECT_TRUE(list.WaitNotEmpty(0));
}

// A presence report (":6"): person, conference, session, activity, user.
std::string Presence(int session, const std::string& doing)
{
    return "5 6 7 0 " + std::to_string(session) + " " + std::to_string(doing.size()) + "H" + doing + " 4Hanna";
}

// A message (":12") from sender to recipient (0: everyone).
std::string Message(int recipient, int sender, const std::string& text)
{
    return "3 12 " + std::to_string(recipient) + " " + std::to_string(sender) + " " + std::to_string(text.size()) +
           "H" + text;
}

// A new text (":15") with recipients given as misc-info pairs.
std::string NewText(int text, const std::string& misc, int pairs)
{
    return "4 15 " + std::to_string(text) + " 0 0 12 3 4 99 1 0 0 7 2 20 0 " + std::to_string(pairs) + " { " + misc +
           " } 0 *";
}

AsyncListLimits Small()
{
    AsyncListLimits limits;
    limits.maxLines = 3;
    limits.maxBytes = 1000;
    limits.maxSenders = 2;
    limits.maxConferences = 2;
    return limits;
}

TEST(TAsyncListFlood, NeverHoldsMoreThanItsLinesOrBytes)
{
    TAsyncList list(Small());
    for (int i = 0; i < 100; ++i) {
        list.Add(Message(0, 5, std::string(200, 'x')));
        EXPECT_LE(list.Count(), 3);
        EXPECT_LE(list.Bytes(), 1000u);
    }
    // Beyond the bytes: two 400-byte lines fit, the third does not.
    TAsyncList bytes(Small());
    for (int i = 0; i < 3; ++i)
        bytes.Add(Message(6, 5, std::string(400, 'y')));
    EXPECT_EQ(bytes.Count(), 2);
    EXPECT_EQ(bytes.TakeOverflow().messages.at(5).personal, 1u);
    // A single line larger than the bound still gets through an empty list.
    TAsyncList big(Small());
    EXPECT_EQ(big.Add(std::string(5000, 'z')), 0);
}

TEST(TAsyncListFlood, TheLastPresenceOfASessionCountsAndTheOrderStays)
{
    TAsyncList list(Small());
    list.Add(Presence(33, "reading"));
    list.Add(Presence(44, "writing"));
    list.Add(Message(0, 5, "hi"));
    EXPECT_EQ(list.Add(Presence(33, "idle")), -1);
    EXPECT_EQ(list.Add(Presence(33, "gone fishing")), -1);
    // Nothing queued for this session: there is nothing to replace.
    EXPECT_EQ(list.Add(Presence(55, "new")), -1);
    std::vector<std::string> out;
    EXPECT_EQ(list.PopBatch(out, 10), 3u);
    EXPECT_EQ(out[0], Presence(33, "gone fishing"));
    EXPECT_EQ(out[1], Presence(44, "writing"));
    EXPECT_EQ(out[2], Message(0, 5, "hi"));
    const AsyncOverflow overflow = list.TakeOverflow();
    EXPECT_EQ(overflow.presenceReplaced, 2u);
    EXPECT_EQ(overflow.otherDropped, 1u);
    EXPECT_EQ(list.Bytes(), 0u);

    // Once taken, a report of the same session is a new entry, not a replacement.
    list.Add(Presence(33, "a"));
    list.Add(Message(0, 5, "1"));
    list.Add(Message(0, 5, "2"));
    std::string first;
    ASSERT_TRUE(list.Pop(first));
    list.Add(Presence(33, "b"));
    list.Add(Presence(33, "c"));
    out.clear();
    list.PopBatch(out, 10);
    EXPECT_EQ(out.back(), Presence(33, "c"));
}

TEST(TAsyncListFlood, MessagesBeyondTheBoundAreCountedPerSenderAndKind)
{
    TAsyncList list(Small());
    for (int i = 0; i < 3; ++i)
        list.Add(Message(0, 1, "fill"));
    list.Add(Message(0, 5, "to all"));
    list.Add(Message(0, 5, "to all"));
    list.Add(Message(6, 5, "to me"));
    list.Add(Message(6, 7, "to me"));
    // A third sender is past the two counted one by one.
    list.Add(Message(0, 8, "to all"));
    list.Add(Message(6, 9, "to me"));
    EXPECT_TRUE(list.WaitNotEmpty(0));
    const AsyncOverflow overflow = list.TakeOverflow();
    ASSERT_EQ(overflow.messages.size(), 2u);
    EXPECT_EQ(overflow.messages.at(5).broadcast, 2u);
    EXPECT_EQ(overflow.messages.at(5).personal, 1u);
    EXPECT_EQ(overflow.messages.at(7).personal, 1u);
    EXPECT_EQ(overflow.otherSenders.broadcast, 1u);
    EXPECT_EQ(overflow.otherSenders.personal, 1u);
    EXPECT_TRUE(list.TakeOverflow().Empty());
}

TEST(TAsyncListFlood, NewTextsBeyondTheBoundLeaveTheirConferencesToRefresh)
{
    TAsyncList list(Small());
    for (int i = 0; i < 3; ++i)
        list.Add(Message(0, 1, "fill"));
    list.Add(NewText(100, "0 12 6 5", 2));
    list.Add(NewText(101, "0 12 6 6 1 13 6 7", 4));
    AsyncOverflow overflow = list.TakeOverflow();
    EXPECT_EQ(overflow.newTexts, 2u);
    EXPECT_EQ(overflow.refreshConferences, (std::set<int32_t>{12, 13}));
    EXPECT_FALSE(overflow.refreshAll);
    // More conferences than are remembered: all of them.
    list.Add(NewText(102, "0 12 6 8 0 14 6 9 0 15 6 1", 6));
    overflow = list.TakeOverflow();
    EXPECT_TRUE(overflow.refreshAll);
    EXPECT_TRUE(overflow.refreshConferences.empty());
    // A line that cannot be read is still counted, never a crash.
    list.Add("9 0 99999999999999999999 garbage {");
    list.Add("");
    overflow = list.TakeOverflow();
    EXPECT_EQ(overflow.otherDropped + overflow.newTexts, 2u);
}

TEST(TAsyncListFlood, OverflowWakesTheConsumerAndClearForgetsIt)
{
    TAsyncList list(Small());
    for (int i = 0; i < 3; ++i)
        list.Add(Message(0, 1, "fill"));
    list.Add(Message(0, 5, "dropped"));
    std::vector<std::string> out;
    list.PopBatch(out, 10);
    // The lines are gone, the count of what was dropped is still news.
    EXPECT_TRUE(list.WaitNotEmpty(0));
    list.Clear();
    EXPECT_FALSE(list.WaitNotEmpty(0));
    EXPECT_TRUE(list.TakeOverflow().Empty());
    EXPECT_EQ(list.Add(Presence(33, "x")), 0);
}

} // namespace
} // namespace pellar
