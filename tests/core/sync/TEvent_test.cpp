#include "core/sync/TEvent.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace pellar {
namespace {

TEST(TEvent, ManualResetStaysSetUntilReset)
{
    TEvent ev(true, false);
    EXPECT_FALSE(ev.IsSet());
    EXPECT_EQ(ev.WaitFor(0), WaitResult::Timeout);
    ev.SetEv();
    EXPECT_TRUE(ev.IsSet());
    EXPECT_TRUE(ev.IsSet());
    EXPECT_EQ(ev.WaitFor(kInfinite), WaitResult::Signaled);
    ev.ResetEv();
    EXPECT_FALSE(ev.IsSet());
}

TEST(TEvent, AutoResetIsConsumedByOneWait)
{
    TEvent ev(false, true);
    EXPECT_TRUE(ev.IsSet());
    EXPECT_FALSE(ev.IsSet());
    ev.SetEv();
    EXPECT_EQ(ev.WaitFor(0), WaitResult::Signaled);
    EXPECT_EQ(ev.WaitFor(0), WaitResult::Timeout);
}

TEST(TEvent, ManualSetReleasesEveryWaiter)
{
    TEvent ev(true, false);
    std::atomic<int> released{0};
    std::vector<std::thread> waiters;
    for (int i = 0; i < 3; ++i)
        waiters.emplace_back([&] {
            if (ev.WaitFor(kInfinite) == WaitResult::Signaled)
                ++released;
        });
    ev.SetEv();
    for (auto& t : waiters)
        t.join();
    EXPECT_EQ(released, 3);
}

TEST(TEvent, AutoSetReleasesOneWaiterPerSignal)
{
    TEvent ev(false, false);
    std::atomic<int> released{0};
    std::vector<std::thread> waiters;
    for (int i = 0; i < 2; ++i)
        waiters.emplace_back([&] {
            ev.WaitFor(kInfinite);
            ++released;
        });
    ev.SetEv();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (released == 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::yield();
    ASSERT_EQ(released, 1);
    ev.SetEv();
    for (auto& t : waiters)
        t.join();
    EXPECT_EQ(released, 2);
    EXPECT_FALSE(ev.IsSet());
}

TEST(TEvent, TimedWaitIsWokenBySetFromAnotherThread)
{
    for (bool manual : {true, false}) {
        TEvent ev(manual, false);
        std::thread setter([&] { ev.SetEv(); });
        EXPECT_EQ(ev.WaitFor(60000), WaitResult::Signaled);
        setter.join();
        // The automatic-reset signal was taken by that wait.
        EXPECT_EQ(ev.IsSet(), manual);
    }
}

// Many threads polling and waiting on one automatic-reset event: each signal
// lets exactly one of them through, never two.
TEST(TEvent, AutoResetSignalIsTakenOncePerSet)
{
    TEvent ev(false, false);
    std::atomic<int> taken{0};
    std::atomic<bool> stop{false};
    std::vector<std::thread> takers;
    for (int i = 0; i < 4; ++i)
        takers.emplace_back([&, i] {
            while (!stop) {
                const bool got = i % 2 == 0 ? ev.IsSet() : ev.WaitFor(1) == WaitResult::Signaled;
                if (got)
                    ++taken;
            }
        });
    constexpr int kSignals = 200;
    int n = 1;
    for (; n <= kSignals; ++n) {
        ev.SetEv();
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (taken < n && std::chrono::steady_clock::now() < deadline)
            std::this_thread::yield();
        if (taken.load() != n)
            break;
    }
    stop = true;
    for (auto& t : takers)
        t.join();
    EXPECT_EQ(n, kSignals + 1) << "signal " << n << " was taken " << taken.load() - n + 1 << " times";
    EXPECT_EQ(taken.load(), kSignals);
}

// The waiter owns the event and frees it as soon as it is released; the
// setting thread must be finished with it by then (TSan and ASan see it if not).
TEST(TEvent, WaiterMayDestroyItRightAfterWait)
{
    for (int round = 0; round < 500; ++round) {
        auto ev = std::make_unique<TEvent>(round % 2 == 0, false);
        TEvent* raw = ev.get();
        std::thread setter([raw] { raw->SetEv(); });
        ASSERT_EQ(ev->WaitFor(kInfinite), WaitResult::Signaled);
        ev.reset();
        setter.join();
    }
}

} // namespace
} // namespace pellar
