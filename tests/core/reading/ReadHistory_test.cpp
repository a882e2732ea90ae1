#include "core/reading/ReadHistory.h"

#include <gtest/gtest.h>

#include <vector>

namespace pellar {
namespace {

ReadHistory With(std::initializer_list<int32_t> texts)
{
    ReadHistory h;
    for (const int32_t t : texts)
        h.Add(t);
    return h;
}

TEST(ReadHistory, BackAndForwardWalkTheEntriesAndStopAtTheEnds)
{
    ReadHistory h = With({10, 20, 30});
    EXPECT_EQ(h.Index(), 2);
    EXPECT_FALSE(h.CanGoForward());
    EXPECT_EQ(h.Forward(), std::nullopt);
    EXPECT_EQ(h.Back(), 20);
    EXPECT_EQ(h.Back(), 10);
    EXPECT_FALSE(h.CanGoBack());
    EXPECT_EQ(h.Back(), std::nullopt);
    EXPECT_EQ(h.Index(), 0);
    EXPECT_EQ(h.Forward(), 20);
    EXPECT_TRUE(h.CanGoForward());
}

TEST(ReadHistory, ANewTextAfterGoingBackIsAppendedAndKeepsTheLaterEntries)
{
    ReadHistory h = With({10, 20, 30});
    h.Back();
    h.Back();
    h.Add(40);
    EXPECT_EQ(h.Size(), 4);
    EXPECT_EQ(h.Index(), 3);
    EXPECT_EQ(h.At(1), 20);
    EXPECT_EQ(h.At(2), 30);
    EXPECT_EQ(h.Back(), 30);
}

TEST(ReadHistory, DropDownsOfferTheNearestSixEntriesEachWay)
{
    ReadHistory h;
    for (int32_t t = 1; t <= 15; ++t)
        h.Add(t);
    ASSERT_TRUE(h.JumpTo(7).has_value());
    EXPECT_EQ(h.BackEntries(), (std::vector<int>{6, 5, 4, 3, 2, 1}));
    EXPECT_EQ(h.ForwardEntries(), (std::vector<int>{8, 9, 10, 11, 12, 13}));
    h.JumpTo(1);
    EXPECT_EQ(h.BackEntries(), (std::vector<int>{0}));
    h.JumpTo(14);
    EXPECT_TRUE(h.ForwardEntries().empty());
}

TEST(ReadHistory, JumpToRefusesABadEntryAndLeavesThePositionAlone)
{
    ReadHistory h = With({10, 20, 30});
    EXPECT_EQ(h.JumpTo(1), 20);
    EXPECT_EQ(h.JumpTo(3), std::nullopt);
    EXPECT_EQ(h.JumpTo(-1), std::nullopt);
    EXPECT_EQ(h.Index(), 1);
}

TEST(ReadHistory, ClearEmptiesItAndNothingIsOfferedEitherWay)
{
    ReadHistory h = With({10, 20});
    h.Clear();
    EXPECT_EQ(h.Size(), 0);
    EXPECT_EQ(h.Index(), -1);
    EXPECT_FALSE(h.CanGoBack());
    EXPECT_FALSE(h.CanGoForward());
    EXPECT_TRUE(h.BackEntries().empty());
    EXPECT_TRUE(h.ForwardEntries().empty());
    h.Add(5);
    EXPECT_EQ(h.Index(), 0);
}

} // namespace
} // namespace pellar
