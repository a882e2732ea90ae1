#include "core/reading/TCurrentReadStatus.h"

#include <gtest/gtest.h>

#include <memory>

#include "core/reading/FakeReadingServices.h"

namespace pellar {
namespace {

TEST(TCurrentReadStatus, StartsEmptyAndPopsLastInFirstOut)
{
    TCurrentReadStatus s;
    EXPECT_EQ(s.Count(), 0);
    EXPECT_EQ(s.Conference(), 0);
    EXPECT_EQ(s.CurrentText(), 0);
    EXPECT_EQ(s.Pop(), -1);
    s.Push(5);
    s.Push(7);
    EXPECT_EQ(s.Count(), 2);
    EXPECT_EQ(s.Pop(), 7);
    EXPECT_EQ(s.Pop(), 5);
    EXPECT_EQ(s.Pop(), -1);
    EXPECT_EQ(s.Count(), 0);
}

TEST(TCurrentReadStatus, AFullStackDropsItsOldestEntries)
{
    auto s = std::make_unique<TCurrentReadStatus>();
    const int size = TCurrentReadStatus::kStackSize;
    for (int i = 1; i <= size + 3; ++i)
        s->Push(i);
    EXPECT_EQ(s->Count(), size);
    for (int expected = size + 3; expected > 3; --expected)
        ASSERT_EQ(s->Pop(), expected);
    EXPECT_EQ(s->Pop(), -1);
    // Still usable after wrapping round.
    s->Push(42);
    EXPECT_EQ(s->Pop(), 42);
}

TEST(TCurrentReadStatus, ClearStackKeepsConferenceAndText)
{
    TCurrentReadStatus s;
    s.SetConference(3);
    s.SetCurrentText(9);
    s.Push(1);
    s.ClearStack();
    EXPECT_EQ(s.Count(), 0);
    EXPECT_EQ(s.Pop(), -1);
    EXPECT_EQ(s.Conference(), 3);
    EXPECT_EQ(s.CurrentText(), 9);
}

TEST(TCurrentReadStatus, GetCurrentTextGoesThroughTheTextCache)
{
    test::FakeReadingServices w;
    w.Post(9, "Subject line", {});
    TCurrentReadStatus s;
    EXPECT_EQ(s.GetCurrentText(w), nullptr);
    EXPECT_TRUE(w.textLookups.empty());
    s.SetCurrentText(9);
    ASSERT_NE(s.GetCurrentText(w), nullptr);
    EXPECT_EQ(s.GetCurrentText(w)->Subject(), "Subject line");
}

} // namespace
} // namespace pellar
