#include "core/sync/TSyncronizer.h"

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

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

TEST(TSyncronizer, WaiterRunsOnOnlyAfterTheLastOfManyCompleters)
{
    for (int round = 0; round < 50; ++round) {
        constexpr int kCompleters = 8;
        TSyncronizer sync;
        for (int i = 0; i < kCompleters; ++i)
            sync.Acquire();
        std::atomic<int> done{0};
        std::vector<std::thread> completers;
        for (int i = 0; i < kCompleters; ++i)
            completers.emplace_back([&] {
                done.fetch_add(1);
                sync.Release();
            });
        // Every release happens after its increment, so a waiter let through
        // early would see fewer than all of them.
        ASSERT_EQ(sync.WaitFor(kInfinite), WaitResult::Signaled);
        EXPECT_EQ(done.load(), kCompleters);
        for (auto& t : completers)
            t.join();
    }
}

TEST(TSyncronizer, TimedWaitIsWokenByARelease)
{
    // Some rounds release before the waiter sleeps, some after.
    for (int round = 0; round < 200; ++round) {
        TSyncronizer sync;
        sync.Acquire();
        std::thread completer([&] { sync.Release(); });
        ASSERT_EQ(sync.WaitFor(60000), WaitResult::Signaled);
        completer.join();
    }
}

// A reply from this machine comes within microseconds, and a waiter keeps
// looking for it rather than paying a wake-up; once replies take
// milliseconds (a server across a network) it sleeps almost at once, and a
// wait that ran out of time counts as a long one.
TEST(TSyncronizer, WaitsKeepLookingOnlyWhileRepliesComeQuickly)
{
    using namespace std::chrono;
    for (int i = 0; i < 40; ++i)
        TSyncronizer::NoteWait(microseconds(30));
    const int quick = TSyncronizer::SpinMicroseconds();
    EXPECT_GE(quick, 100);

    for (int i = 0; i < 3; ++i) {
        TSyncronizer sync;
        sync.Acquire();
        EXPECT_EQ(sync.WaitFor(20), WaitResult::Timeout);
        sync.Release();
    }
    EXPECT_LT(TSyncronizer::SpinMicroseconds(), quick);
    EXPECT_LE(TSyncronizer::SpinMicroseconds(), kFutexSpinMicroseconds);

    // One slow reply among many quick ones does not stop the looking for long.
    for (int i = 0; i < 40; ++i)
        TSyncronizer::NoteWait(microseconds(30));
    EXPECT_EQ(TSyncronizer::SpinMicroseconds(), quick);
    TSyncronizer::NoteWait(milliseconds(20));
    EXPECT_LT(TSyncronizer::SpinMicroseconds(), quick);
    for (int i = 0; i < 40; ++i)
        TSyncronizer::NoteWait(microseconds(30));
    EXPECT_EQ(TSyncronizer::SpinMicroseconds(), quick);
}

TEST(TSyncronizer, AcquireAfterCompletionMakesItWaitAgain)
{
    TSyncronizer sync;
    sync.Acquire();
    sync.Release();
    EXPECT_EQ(sync.WaitFor(0), WaitResult::Signaled);
    EXPECT_EQ(sync.Acquire(), 1);
    EXPECT_EQ(sync.WaitFor(5), WaitResult::Timeout);
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
