#include "core/protocol/TSyncronizer.h"

#include <thread>

#include <gtest/gtest.h>

namespace pellar {
namespace {

TEST(TSyncronizer, NothingAcquiredReturnsAtOnce)
{
    TSyncronizer sync;
    EXPECT_EQ(sync.WaitFor(0), WaitResult::Signaled);
}

TEST(TSyncronizer, WaitsUntilEveryAcquireIsReleased)
{
    TSyncronizer sync;
    EXPECT_EQ(sync.Acquire(), 1);
    EXPECT_EQ(sync.Acquire(), 2);
    EXPECT_EQ(sync.Release(), 1);
    EXPECT_EQ(sync.WaitFor(10), WaitResult::Timeout);
    EXPECT_EQ(sync.Release(), 0);
    EXPECT_EQ(sync.WaitFor(0), WaitResult::Signaled);
}

TEST(TSyncronizer, ReleaseFromAnotherThreadWakesWaiter)
{
    TSyncronizer sync;
    sync.Acquire();
    std::thread completer([&] { sync.Release(); });
    EXPECT_EQ(sync.WaitFor(kInfinite), WaitResult::Signaled);
    completer.join();
}

} // namespace
} // namespace pellar
