// The waits between tries to connect again.
#include "core/session/ReconnectBackoff.h"

#include <gtest/gtest.h>

namespace pellar {
namespace {

std::vector<int> Waits(ReconnectBackoff& backoff, int count)
{
    std::vector<int> waits;
    for (int i = 0; i < count; ++i)
        waits.push_back(backoff.NextDelaySeconds());
    return waits;
}

TEST(ReconnectBackoffTest, WaitsGrowToTheCeilingAndStayThere)
{
    ReconnectBackoff backoff;
    const std::vector<int> waits = Waits(backoff, 9);
    EXPECT_EQ(waits, (std::vector<int>{2, 4, 8, 15, 30, 60, 60, 60, 60}));
    EXPECT_EQ(backoff.Tries(), 9);
}

TEST(ReconnectBackoffTest, ResetStartsAgainFromTheFirstWait)
{
    ReconnectBackoff backoff({1, 5});
    EXPECT_EQ(Waits(backoff, 3), (std::vector<int>{1, 5, 5}));
    backoff.Reset();
    EXPECT_EQ(backoff.Tries(), 0);
    EXPECT_EQ(Waits(backoff, 2), (std::vector<int>{1, 5}));
}

TEST(ReconnectBackoffTest, NoStepsOrStepsBelowASecondWaitOneSecond)
{
    ReconnectBackoff none(std::vector<int>{});
    EXPECT_EQ(Waits(none, 2), (std::vector<int>{1, 1}));
    ReconnectBackoff zero({0, -3, 7});
    EXPECT_EQ(Waits(zero, 4), (std::vector<int>{1, 1, 7, 7}));
}

} // namespace
} // namespace pellar
