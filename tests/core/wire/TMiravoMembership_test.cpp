#include "core/wire/TMiravoMembership.h"

#include <algorithm>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "support/FakeRecordServices.h"

namespace pellar {
namespace {

using test::FakeRecordServices;

// Marks from a last read of 10: the next text moves the last read, one
// further ahead is listed, and closing a gap takes in the run behind it.
TEST(TMiravoMembership, MarkReadMovesTheLastReadOrListsTheText)
{
    struct Case {
        std::vector<int32_t> marks;
        int32_t last;
        std::vector<int32_t> listed;
    };
    const Case cases[] = {
        {{11}, 11, {}},
        {{13}, 10, {13}},
        {{12, 13, 15, 11}, 13, {15}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.marks));
        TMiravoMembership m(5, nullptr);
        m.SetLastTextRead(10);
        m.SetChanged(false);
        for (int32_t l : c.marks)
            m.MarkRead(l, false);
        EXPECT_EQ(m.LastTextRead(), c.last);
        EXPECT_EQ(m.ReadTexts(), c.listed);
        EXPECT_TRUE(m.Changed());
        for (int32_t l = -4; l <= 16; ++l)
            EXPECT_EQ(m.IsRead(l), l <= c.last || std::count(c.listed.begin(), c.listed.end(), l) > 0) << l;
    }
}

TEST(TMiravoMembership, MarkReadOfReadTextChangesNothing)
{
    FakeRecordServices services;
    TMiravoMembership m(5, &services);
    m.SetLastTextRead(10);
    m.MarkRead(13, false);
    m.SetChanged(false);
    m.MarkRead(10, true);
    m.MarkRead(13, true);
    EXPECT_FALSE(m.Changed());
    EXPECT_TRUE(services.marked.empty());
    EXPECT_EQ(m.ReadTextCount(), 1);
}

TEST(TMiravoMembership, NotifyReportsToTheServices)
{
    FakeRecordServices services;
    TMiravoMembership m(5, &services);
    m.MarkRead(1, true);
    m.MarkRead(7, true);
    m.MarkRead(8, false);
    EXPECT_EQ(services.marked, (std::vector<std::pair<int32_t, int32_t>>{{5, 1}, {5, 7}}));
}

// An entry equal to last + 1 must not be thrown away: it is read.
TEST(TMiravoMembership, SetLastTextReadKeepsTheTextRightAbove)
{
    TMiravoMembership m(5, nullptr);
    m.MarkRead(12, false);
    m.MarkRead(20, false);
    m.SetLastTextRead(11);
    EXPECT_TRUE(m.IsRead(12));
    EXPECT_EQ(m.LastTextRead(), 12);
    EXPECT_EQ(m.ReadTexts(), std::vector<int32_t>{20});
    m.SetLastTextRead(25);
    EXPECT_EQ(m.ReadTextCount(), 0);
    // Going back leaves the texts between unread.
    m.SetLastTextRead(3);
    EXPECT_FALSE(m.IsRead(4));
    EXPECT_TRUE(m.IsRead(3));
}

struct UnreadCase {
    const char* name;
    bool knownConf;
    int32_t noOfTexts, highest, lastRead;
    std::vector<int32_t> readAhead;
    int32_t expected;
    bool flagAfter;
};

TEST(TMiravoMembership, UnreadCount)
{
    const std::vector<UnreadCase> cases = {
        {"unknown conference", false, 10, 10, 0, {}, 0, true},
        {"no texts clears the flag", true, 0, 10, 0, {}, 0, false},
        {"some unread", true, 40, 50, 40, {45, 47}, 8, true},
        {"all read clears the flag", true, 40, 50, 48, {50, 49}, 0, false},
        {"read beyond the highest is not negative", true, 40, 50, 60, {}, 0, false},
    };
    for (const auto& c : cases) {
        FakeRecordServices services;
        if (c.knownConf) {
            services.AddConference(5, 1, c.noOfTexts);
            services.highestLocal[5] = c.highest;
        }
        TMiravoMembership m(5, &services);
        m.SetLastTextRead(c.lastRead);
        for (int32_t l : c.readAhead)
            m.MarkRead(l, false);
        m.SetMayHaveUnread(true);
        EXPECT_EQ(m.UnreadCount(), c.expected) << c.name;
        EXPECT_EQ(m.MayHaveUnread(), c.flagAfter) << c.name;
        EXPECT_FALSE(services.loadedUnderLock) << c.name;
    }
}

TEST(TMiravoMembership, UnreadCountWithoutFlagAsksNothing)
{
    FakeRecordServices services;
    TMiravoMembership m(5, &services);
    EXPECT_EQ(m.UnreadCount(), 0);
    EXPECT_EQ(services.fullLoads + services.shortLoads, 0);
}

TEST(TMiravoMembership, AssignCopiesEverything)
{
    FakeRecordServices services;
    TMiravoMembership a(9, &services);
    a.SetPriority(200);
    a.SetLastTimeRead(1234.5);
    a.SetLastTextRead(3);
    a.MarkRead(7, false);
    a.MarkRead(9, false);
    a.SetMayHaveUnread(true);
    a.SetRemoved(true);
    TMiravoMembership b;
    b.MarkRead(100, false);
    b.Assign(a);
    EXPECT_EQ(b.ConfNo(), 9);
    EXPECT_EQ(b.Priority(), 200);
    EXPECT_EQ(b.LastTimeRead(), 1234.5);
    EXPECT_EQ(b.LastTextRead(), 3);
    EXPECT_EQ(b.ReadTexts(), (std::vector<int32_t>{7, 9}));
    EXPECT_TRUE(b.MayHaveUnread());
    EXPECT_TRUE(b.Removed());
    EXPECT_EQ(b.Services(), &services);
    // Independent copies.
    b.MarkRead(8, false);
    EXPECT_FALSE(a.IsRead(8));
    a.Assign(a);
    EXPECT_EQ(a.ReadTextCount(), 2);
}

TEST(TMiravoMembership, ConcurrentMarkReadLosesNothing)
{
    TMiravoMembership m(1, nullptr);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&m, t] {
            for (int32_t l = 1 + t; l <= 4000; l += 4)
                m.MarkRead(l, false);
        });
    for (auto& th : threads)
        th.join();
    EXPECT_EQ(m.LastTextRead(), 4000);
    EXPECT_EQ(m.ReadTextCount(), 0);
}

} // namespace
} // namespace pellar
