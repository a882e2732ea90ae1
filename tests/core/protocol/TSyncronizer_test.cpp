#include "core/protocol/TSyncronizer.h"

#include <memory>
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

// A waiter that frees the synchroniser as soon as WaitFor returns must not
// race with the releasing thread still finishing Release (ASan sees a
// use-after-free, TSan a race on the mutex or condition variable).
TEST(TSyncronizer, WaiterMayDestroyItRightAfterWait)
{
    for (int round = 0; round < 500; ++round) {
        auto sync = std::make_unique<TSyncronizer>();
        sync->Acquire();
        TSyncronizer* raw = sync.get();
        std::thread completer([raw] { raw->Release(); });
        ASSERT_EQ(sync->WaitFor(kInfinite), WaitResult::Signaled);
        sync.reset();
        completer.join();
    }
}

} // namespace
} // namespace pellar
