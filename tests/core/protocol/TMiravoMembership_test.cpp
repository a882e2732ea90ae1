#include "core/protocol/TMiravoMembership.h"

#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "support/FakeRecordServices.h"

namespace pellar {
namespace {

using test::FakeRecordServices;

TEST(TMiravoMembership, MarkReadNextAdvancesWithoutGrowingList)
{
    TMiravoMembership m(5, nullptr);
    m.SetLastTextRead(10);
    m.SetChanged(false);
    m.MarkRead(11, false);
    EXPECT_EQ(m.LastTextRead(), 11);
    EXPECT_EQ(m.ReadTextCount(), 0);
    EXPECT_TRUE(m.Changed());
}

TEST(TMiravoMembership, MarkReadAheadAddsOneEntry)
{
    TMiravoMembership m(5, nullptr);
    m.SetLastTextRead(10);
    m.MarkRead(13, false);
    EXPECT_EQ(m.LastTextRead(), 10);
    EXPECT_EQ(m.ReadTexts(), std::vector<int32_t>{13});
    EXPECT_TRUE(m.IsRead(13));
    EXPECT_FALSE(m.IsRead(12));
    EXPECT_TRUE(m.IsRead(10));
    EXPECT_TRUE(m.IsRead(-4));
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

TEST(TMiravoMembership, MarkReadClosingAGapAbsorbsTheRun)
{
    TMiravoMembership m(5, nullptr);
    m.SetLastTextRead(10);
    m.MarkRead(12, false);
    m.MarkRead(13, false);
    m.MarkRead(15, false);
    m.MarkRead(11, false);
    EXPECT_EQ(m.LastTextRead(), 13);
    EXPECT_EQ(m.ReadTexts(), std::vector<int32_t>{15});
    for (int32_t l = 1; l <= 15; ++l)
        EXPECT_EQ(m.IsRead(l), l != 14) << l;
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
            auto conf = std::make_shared<TMiravoConference>(5, &services);
            services.conferences[5] = conf;
            ConfStatFields f;
            f.firstLocalNo = 1;
            f.noOfTexts = c.noOfTexts;
            services.fullStatus[5] = f;
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
