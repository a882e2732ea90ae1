#include "core/sync/TIntegerResourceLock.h"

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "core/sync/TEvent.h"

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

// Whether another thread takes key at once (and lets it go again).
bool FreeForOthers(TIntegerResourceLock& locks, int key)
{
    bool took = false;
    std::thread([&] {
        took = locks.TryLockKey(key);
        if (took)
            locks.UnlockKey(key);
    }).join();
    return took;
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
    TEvent done(true, false);
    std::thread other([&] {
        TIntegerResourceGuard guard(locks, 2);
        done.SetEv();
    });
    // Bounded: a key 2 that waited for key 1 fails here, not at the ctest timeout.
    EXPECT_EQ(done.WaitFor(5000), WaitResult::Signaled);
    locks.UnlockKey(1);
    other.join();
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

// Waiting for a key another thread holds without taking part in the queue:
// the GUI thread watches through its waiting port and takes the key after.
TEST(TIntegerResourceLockWaiting, TryLockTakesOnlyAFreeOrOwnKey)
{
    TIntegerResourceLock locks;
    EXPECT_TRUE(locks.TryLockKey(3));
    EXPECT_TRUE(locks.TryLockKey(3)) << "re-entry by the holder";
    EXPECT_FALSE(FreeForOthers(locks, 3));
    locks.UnlockKey(3);
    EXPECT_FALSE(FreeForOthers(locks, 3)) << "held until the second unlock";
    locks.UnlockKey(3);
    EXPECT_TRUE(FreeForOthers(locks, 3));
}

TEST(TIntegerResourceLockWaiting, ReleaseWakesBothAWaiterForTheKeyAndOneForItsRelease)
{
    TIntegerResourceLock locks;
    locks.LockKey(5);
    EXPECT_FALSE(locks.WaitUntilFree(5, 20));
    std::atomic<bool> locked{false}, sawFree{false};
    std::thread taker([&] {
        locks.LockKey(5);
        locked = true;
        locks.UnlockKey(5);
    });
    std::thread watcher([&] { sawFree = locks.WaitUntilFree(5, 10000); });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    locks.UnlockKey(5);
    watcher.join();
    taker.join();
    EXPECT_TRUE(sawFree);
    EXPECT_TRUE(locked);
    EXPECT_TRUE(locks.WaitUntilFree(5, 0)) << "a key nobody holds";
}

// Gives up at once, as a user pressing Cancel would.
class GiveUpWait : public BlockingWait {
public:
    WaitOutcome Wait(const WaitPlan& plan) override
    {
        ++waits;
        what = plan.what;
        if (!plan.cancel) {
            plan.waitFor(-1);
            return WaitOutcome::Done;
        }
        plan.cancel();
        return WaitOutcome::Cancelled;
    }
    int waits = 0;
    std::string what;
};

TEST(TIntegerResourceLockWaiting, AGuardThatGivesUpHoldsNothing)
{
    TIntegerResourceLock locks;
    GiveUpWait user;
    {
        TIntegerResourceGuard free(locks, 8, user, "text 8");
        EXPECT_TRUE(free.Held());
        EXPECT_EQ(user.waits, 0) << "a free key needs no wait";
    }
    locks.LockKey(8);
    std::atomic<bool> held{true};
    std::thread([&] {
        TIntegerResourceGuard busy(locks, 8, user, "text 8");
        held = busy.Held();
    }).join();
    EXPECT_FALSE(held);
    EXPECT_EQ(user.what, "Waiting for text 8...");
    locks.UnlockKey(8);
    EXPECT_TRUE(FreeForOthers(locks, 8)) << "the guard that gave up left the key behind";
}

TEST(TIntegerResourceLockWaiting, AGuardThatWaitsTakesTheKeyOnceReleased)
{
    TIntegerResourceLock locks;
    PlainBlockingWait plain;
    locks.LockKey(9);
    std::atomic<bool> held{false};
    std::thread waiter([&] {
        TIntegerResourceGuard guard(locks, 9, plain, "text 9");
        held = guard.Held();
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_FALSE(held);
    locks.UnlockKey(9);
    waiter.join();
    EXPECT_TRUE(held);
}

} // namespace
} // namespace pellar
