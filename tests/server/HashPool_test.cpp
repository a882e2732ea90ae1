// The password-hashing pool: urgent work (a logon nobody has failed at) is
// never stuck behind guesses that hold every thread, and ordinary work still
// gets done.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "server/HashPool.h"

namespace miravod::test {
namespace {

using namespace std::chrono_literals;

// Collects finished ids as the server's loop would, woken by the pool.
class Collector {
public:
    void Wake()
    {
        std::lock_guard lock(mutex_);
        ++wakes_;
        cond_.notify_all();
    }
    // Waits until the pool has reported id done, taking what it finished.
    bool WaitFor(HashPool& pool, uint64_t id, std::chrono::milliseconds limit)
    {
        const auto until = std::chrono::steady_clock::now() + limit;
        for (;;) {
            int seen;
            {
                std::lock_guard lock(mutex_);
                seen = wakes_;
            }
            for (uint64_t done : pool.TakeDone())
                done_.push_back(done);
            for (uint64_t done : done_) {
                if (done == id)
                    return true;
            }
            // A wake after the count was read is not missed.
            std::unique_lock lock(mutex_);
            if (!cond_.wait_until(lock, until, [&] { return wakes_ != seen; }))
                return false;
        }
    }

private:
    std::mutex mutex_;
    std::condition_variable cond_;
    int wakes_ = 0;
    std::vector<uint64_t> done_;
};

TEST(HashPoolTest, AnUrgentLogonIsCheckedWhileGuessesHoldTheOtherThreads)
{
    Collector collector;
    std::atomic<bool> release{false};
    std::atomic<int> guessesRunning{0};
    {
        HashPool pool(2, [&] { collector.Wake(); });
        auto slowGuess = [&] {
            ++guessesRunning;
            while (!release)
                std::this_thread::sleep_for(1ms);
        };
        for (uint64_t id = 1; id <= 4; ++id)
            pool.Submit(id, slowGuess);
        // The logon comes once a guess holds the ordinary thread; before that
        // the count below would say nothing about the threads kept apart.
        const auto until = std::chrono::steady_clock::now() + 2000ms;
        while (guessesRunning.load() == 0 && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(1ms);
        EXPECT_EQ(guessesRunning.load(), 1) << "no guess started";
        pool.Submit(99, [] {}, true);
        EXPECT_TRUE(collector.WaitFor(pool, 99, 2000ms)) << "the owner waited behind the guesses";
        EXPECT_EQ(guessesRunning.load(), 1) << "one thread is kept for urgent work";
        release = true;
        // Every guess is still checked, one after another.
        EXPECT_TRUE(collector.WaitFor(pool, 4, 5000ms));
        EXPECT_EQ(guessesRunning.load(), 4);
    }
}

TEST(HashPoolTest, ASingleThreadTakesEveryKindOfWork)
{
    Collector collector;
    HashPool pool(1, [&] { collector.Wake(); });
    pool.Submit(1, [] {});
    pool.Submit(2, [] {}, true);
    EXPECT_TRUE(collector.WaitFor(pool, 1, 2000ms));
    EXPECT_TRUE(collector.WaitFor(pool, 2, 2000ms));
}

} // namespace
} // namespace miravod::test
