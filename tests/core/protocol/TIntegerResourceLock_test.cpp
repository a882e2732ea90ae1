#include "core/protocol/TIntegerResourceLock.h"

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "core/protocol/TEvent.h"

namespace pellar {
namespace {

// Waits for a flag with a generous deadline.
bool Eventually(const std::atomic<bool>& flag)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!flag && std::chrono::steady_clock::now() < deadline)
        std::this_thread::yield();
    return flag;
}

TEST(TIntegerResourceLock, SameKeyIsSerialised)
{
    TIntegerResourceLock locks;
    locks.LockKey(7);
    std::atomic<bool> started{false}, entered{false};
    std::thread other([&] {
        started = true;
        locks.LockKey(7);
        entered = true;
        locks.UnlockKey(7);
    });
    ASSERT_TRUE(Eventually(started));
    EXPECT_FALSE(entered);
    locks.UnlockKey(7);
    other.join();
    EXPECT_TRUE(entered);
}

TEST(TIntegerResourceLock, OtherKeysProceedWhileOneIsHeld)
{
    TIntegerResourceLock locks;
    locks.LockKey(1);
    std::thread other([&] {
        TIntegerResourceGuard guard(locks, 2);
    });
    other.join(); // would hang if key 2 waited for key 1
    locks.UnlockKey(1);
}

TEST(TIntegerResourceLock, KeyLockedTwiceIsKeptUntilSecondUnlock)
{
    TIntegerResourceLock locks;
    locks.LockKey(3);
    locks.LockKey(3); // re-entry by the holder
    locks.UnlockKey(3);
    std::atomic<bool> entered{false};
    TEvent done(true, false);
    std::thread other([&] {
        locks.LockKey(3);
        entered = true;
        locks.UnlockKey(3);
        done.SetEv();
    });
    EXPECT_EQ(done.WaitFor(20), WaitResult::Timeout);
    EXPECT_FALSE(entered);
    locks.UnlockKey(3);
    other.join();
    EXPECT_TRUE(entered);
}

TEST(TIntegerResourceLock, UnknownOrForeignUnlockDoesNothing)
{
    TIntegerResourceLock locks;
    locks.UnlockKey(99);
    locks.LockKey(5);
    std::thread stranger([&] { locks.UnlockKey(5); });
    stranger.join();
    std::atomic<bool> entered{false};
    std::thread other([&] {
        locks.LockKey(5);
        entered = true;
        locks.UnlockKey(5);
    });
    TEvent never(true, false);
    never.WaitFor(20);
    EXPECT_FALSE(entered);
    locks.UnlockKey(5);
    other.join();
    EXPECT_TRUE(entered);
}

TEST(TIntegerResourceLock, ManyThreadsOneKeyNeverOverlap)
{
    TIntegerResourceLock locks;
    std::atomic<int> inside{0};
    std::atomic<bool> overlap{false};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 500; ++i) {
                TIntegerResourceGuard guard(locks, 42);
                if (++inside > 1)
                    overlap = true;
                --inside;
            }
        });
    for (auto& t : threads)
        t.join();
    EXPECT_FALSE(overlap);
}

TEST(TIntegerResourceLock, TryLockLeavesAKeyHeldElsewhereAlone)
{
    TIntegerResourceLock locks;
    EXPECT_TRUE(locks.TryLockKey(9));
    EXPECT_TRUE(locks.TryLockKey(9));  // re-entry by the holder
    bool otherGot = true;
    std::thread([&] { otherGot = locks.TryLockKey(9); }).join();
    EXPECT_FALSE(otherGot);
    locks.UnlockKey(9);
    std::thread([&] { otherGot = locks.TryLockKey(9); }).join();
    EXPECT_FALSE(otherGot);  // still held once
    locks.UnlockKey(9);
    // Free again: a blocking lock elsewhere goes straight through.
    std::thread([&] {
        TIntegerResourceGuard guard(locks, 9);
        otherGot = true;
    }).join();
    EXPECT_TRUE(otherGot);
}

} // namespace
} // namespace pellar
