#include "core/base/CancellableGuiThread.h"

#include <gtest/gtest.h>

#include "support/QueuedGuiThread.h"

#include <atomic>
#include <chrono>
#include <future>
#include <stdexcept>

namespace pellar {
namespace {

// The test's thread plays the GUI thread; posted functions wait in a queue.
using Queue = test::QueuedGuiThread;

TEST(CancellableGuiThread, AWorkerWaitsUntilTheGuiThreadRanItsFunction)
{
    Queue q;
    auto handOver = q.HandOver();
    CancellableGuiThread& port = *handOver;
    std::atomic<int> ran{0};
    auto worker = std::async(std::launch::async, [&] { port.invokeAndWait([&] { ran = 1; }); });
    ASSERT_TRUE(q.WaitForPending());
    EXPECT_EQ(worker.wait_for(std::chrono::milliseconds(50)), std::future_status::timeout);
    EXPECT_TRUE(q.RunOne());
    EXPECT_EQ(worker.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_EQ(ran, 1);
}

TEST(CancellableGuiThread, OnTheGuiThreadItRunsInline)
{
    Queue q;
    auto handOver = q.HandOver();
    CancellableGuiThread& port = *handOver;
    int ran = 0;
    port.invokeAndWait([&] { ++ran; });
    EXPECT_EQ(ran, 1);
    EXPECT_EQ(q.Pending(), 0u);
}

TEST(CancellableGuiThread, CancelReleasesAWaitingWorkerAndItsFunctionNeverRuns)
{
    Queue q;
    auto handOver = q.HandOver();
    CancellableGuiThread& port = *handOver;
    std::atomic<int> ran{0};
    auto worker = std::async(std::launch::async, [&] { port.invokeAndWait([&] { ran = 1; }); });
    ASSERT_TRUE(q.WaitForPending());
    port.Cancel();
    ASSERT_EQ(worker.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_TRUE(port.Cancelled());
    // The queued call comes round later and is dropped.
    EXPECT_TRUE(q.RunOne());
    EXPECT_EQ(ran, 0);
    // Later hand-overs are dropped without waiting, even on the GUI thread.
    port.invokeAndWait([&] { ran = 2; });
    EXPECT_EQ(ran, 0);
    EXPECT_EQ(q.Pending(), 0u);
}

TEST(CancellableGuiThread, AnExceptionOnTheGuiThreadReachesTheWorker)
{
    Queue q;
    auto handOver = q.HandOver();
    CancellableGuiThread& port = *handOver;
    auto worker = std::async(std::launch::async,
                             [&] { port.invokeAndWait([] { throw std::runtime_error("refused"); }); });
    ASSERT_TRUE(q.WaitForPending());
    q.RunOne();
    EXPECT_THROW(worker.get(), std::runtime_error);
}

} // namespace
} // namespace pellar
