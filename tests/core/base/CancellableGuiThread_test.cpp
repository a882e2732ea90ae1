#include "core/base/CancellableGuiThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <deque>
#include <future>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace pellar {
namespace {

// The test's thread plays the GUI thread; posted functions wait in a queue.
struct Queue {
    std::mutex mutex;
    std::deque<std::function<void()>> jobs;
    std::thread::id gui = std::this_thread::get_id();

    CancellableGuiThread Port()
    {
        return CancellableGuiThread(
            [this](std::function<void()> fn) {
                std::lock_guard lock(mutex);
                jobs.push_back(std::move(fn));
            },
            [this] { return std::this_thread::get_id() == gui; });
    }
    bool RunOne()
    {
        std::function<void()> job;
        {
            std::lock_guard lock(mutex);
            if (jobs.empty())
                return false;
            job = std::move(jobs.front());
            jobs.pop_front();
        }
        job();
        return true;
    }
    size_t Size()
    {
        std::lock_guard lock(mutex);
        return jobs.size();
    }
    void WaitForJob()
    {
        while (Size() == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
};

TEST(CancellableGuiThread, AWorkerWaitsUntilTheGuiThreadRanItsFunction)
{
    Queue q;
    CancellableGuiThread port = q.Port();
    std::atomic<int> ran{0};
    auto worker = std::async(std::launch::async, [&] { port.invokeAndWait([&] { ran = 1; }); });
    q.WaitForJob();
    EXPECT_EQ(worker.wait_for(std::chrono::milliseconds(50)), std::future_status::timeout);
    EXPECT_TRUE(q.RunOne());
    EXPECT_EQ(worker.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_EQ(ran, 1);
}

TEST(CancellableGuiThread, OnTheGuiThreadItRunsInline)
{
    Queue q;
    CancellableGuiThread port = q.Port();
    int ran = 0;
    port.invokeAndWait([&] { ++ran; });
    EXPECT_EQ(ran, 1);
    EXPECT_EQ(q.Size(), 0u);
}

TEST(CancellableGuiThread, CancelReleasesAWaitingWorkerAndItsFunctionNeverRuns)
{
    Queue q;
    CancellableGuiThread port = q.Port();
    std::atomic<int> ran{0};
    auto worker = std::async(std::launch::async, [&] { port.invokeAndWait([&] { ran = 1; }); });
    q.WaitForJob();
    port.Cancel();
    ASSERT_EQ(worker.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_TRUE(port.Cancelled());
    // The queued call comes round later and is dropped.
    EXPECT_TRUE(q.RunOne());
    EXPECT_EQ(ran, 0);
    // Later hand-overs are dropped without waiting, even on the GUI thread.
    port.invokeAndWait([&] { ran = 2; });
    EXPECT_EQ(ran, 0);
    EXPECT_EQ(q.Size(), 0u);
}

TEST(CancellableGuiThread, AnExceptionOnTheGuiThreadReachesTheWorker)
{
    Queue q;
    CancellableGuiThread port = q.Port();
    auto worker = std::async(std::launch::async,
                             [&] { port.invokeAndWait([] { throw std::runtime_error("refused"); }); });
    q.WaitForJob();
    q.RunOne();
    EXPECT_THROW(worker.get(), std::runtime_error);
}

} // namespace
} // namespace pellar
