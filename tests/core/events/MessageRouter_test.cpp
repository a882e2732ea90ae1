#include "core/events/MessageRouter.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/events/AutoReplyThrottle.h"

namespace pellar {
namespace {

constexpr int32_t kMe = 6;

IncomingMessage Message(int32_t sender, int32_t recipient, std::string text)
{
    IncomingMessage m;
    m.sender = sender;
    m.recipient = recipient;
    m.text = std::move(text);
    return m;
}

struct Window : MessageTarget {
    Window(bool chat, int32_t partner) : chat(chat), partner(partner) {}
    bool Deliver(const IncomingMessage& message, bool chatOnly) override
    {
        if (!AcceptsMessage(chat, partner, message.sender, message.recipient, kMe, chatOnly))
            return false;
        shown.push_back(message.text);
        return true;
    }
    bool chat;
    int32_t partner;
    std::vector<std::string> shown;
};

TEST(MessageRouter, PersonalMessageGoesOnlyToTheChatWithTheSender)
{
    Window main(false, 0), other(false, 0), chat7(true, 7), chat8(true, 8);
    MessageRouter router;
    for (Window* w : {&main, &chat8, &other, &chat7})
        router.Add(w);
    EXPECT_EQ(router.Deliver(Message(7, kMe, "hi")), 1);
    EXPECT_EQ(chat7.shown.size(), 1u);
    EXPECT_TRUE(main.shown.empty());
    EXPECT_TRUE(other.shown.empty());
    EXPECT_TRUE(chat8.shown.empty());

    // Without that chat window every plain window shows it.
    router.Remove(&chat7);
    EXPECT_EQ(router.Deliver(Message(7, kMe, "again")), 2);
    EXPECT_EQ(main.shown, std::vector<std::string>{"again"});
    EXPECT_EQ(other.shown, std::vector<std::string>{"again"});
    EXPECT_TRUE(chat8.shown.empty());
}

TEST(MessageRouter, MessageToEveryoneFromThePartnerReachesChatAndPlainWindows)
{
    Window main(false, 0), chat7(true, 7), chat8(true, 8);
    MessageRouter router;
    router.Add(&main);
    router.Add(&chat7);
    router.Add(&chat8);
    router.Add(&main);  // added once only
    EXPECT_EQ(router.Count(), 3);
    EXPECT_EQ(router.Deliver(Message(7, 0, "all")), 2);
    EXPECT_EQ(main.shown.size(), 1u);
    EXPECT_EQ(chat7.shown.size(), 1u);
    EXPECT_TRUE(chat8.shown.empty());
}

TEST(AutoReplyThrottle, OneReplyPerSenderAMinuteAndNoneToOneself)
{
    AutoReplyThrottle t;
    EXPECT_TRUE(t.ShouldReply(7, kMe, kMe, false, 1000));
    EXPECT_FALSE(t.ShouldReply(7, kMe, kMe, false, 1000 + 59999));
    EXPECT_TRUE(t.ShouldReply(8, kMe, kMe, false, 2000));
    EXPECT_TRUE(t.ShouldReply(7, kMe, kMe, false, 1000 + 60000));
    EXPECT_FALSE(t.ShouldReply(kMe, kMe, kMe, true, 500000));

    // Conference and everyone messages only when asked for; a refusal does
    // not start the minute.
    EXPECT_FALSE(t.ShouldReply(9, 12, kMe, false, 3000));
    EXPECT_FALSE(t.ShouldReply(9, 0, kMe, false, 3000));
    EXPECT_TRUE(t.ShouldReply(9, 0, kMe, true, 3001));
}

TEST(MessageText, OutgoingTextLosesCarriageReturnsAndTrailingEmptyLines)
{
    EXPECT_EQ(CleanOutgoingMessage("word\r\n\r\n"), "word");
    EXPECT_EQ(CleanOutgoingMessage("a\r\nb\n"), "a\nb");
    EXPECT_EQ(CleanOutgoingMessage("\n\n"), "");
    EXPECT_EQ(IncrementCount(""), "1");
    EXPECT_EQ(IncrementCount("x3"), "1");
    EXPECT_EQ(IncrementCount("41"), "42");
}

TEST(MessageText, LogEntriesHaveTheirRulesAndLines)
{
    const std::string in = ReceivedMessageEntry("2026-12-06 08:30", "Everyone", "Anna Berg", "one\r\ntwo");
    EXPECT_EQ(in, std::string(94, '=') + "\rMessage at 2026-12-06 08:30 to Everyone\rfrom Anna Berg:\r\rone\rtwo\r");
    EXPECT_EQ(in.find('\n'), std::string::npos);
    const std::string out = SentMessageEntry("t", "all users", "hej\ndå");
    EXPECT_EQ(out, std::string(94, '-') + "\rSent message at t to all users\rhej\rdå\r");
}

} // namespace
} // namespace pellar
