// A GUI thread for core tests of worker owners: the test's own thread, which
// runs hand-overs and posted steps only when the test pumps them, so a test
// can hold a worker inside a hand-over for as long as it likes.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "core/base/CancellableGuiThread.h"
#include "core/base/GuiWorkerRun.h"

namespace pellar::test {

class QueuedGuiThread {
public:
    // Hand-overs and later steps queued here; made counts the hand-overs.
    GuiHandOvers HandOvers()
    {
        return GuiHandOvers{[this] {
                                ++made;
                                return HandOver();
                            },
                            [this](std::function<void()> fn) { Post(std::move(fn)); }};
    }
    std::unique_ptr<CancellableGuiThread> HandOver()
    {
        return std::make_unique<CancellableGuiThread>([this](std::function<void()> fn) { Post(std::move(fn)); },
                                                      [this] { return std::this_thread::get_id() == gui_; });
    }

    size_t Pending()
    {
        std::lock_guard lock(mutex_);
        return jobs_.size();
    }
    // Runs the oldest queued job; false when none was queued.
    bool RunOne()
    {
        std::function<void()> job;
        {
            std::lock_guard lock(mutex_);
            if (jobs_.empty())
                return false;
            job = std::move(jobs_.front());
            jobs_.pop_front();
        }
        job();
        return true;
    }
    // Runs every queued job, and those they queue.
    void RunPending()
    {
        while (RunOne()) {
        }
    }
    // Runs jobs as they come until done() holds; false after the time-out.
    bool RunUntil(const std::function<bool()>& done, int timeoutMs = 10000)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (!done()) {
            if (std::chrono::steady_clock::now() > end)
                return false;
            if (!RunOne())
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return true;
    }
    // Waits, running nothing, until a worker has queued at least n jobs.
    bool WaitForPending(size_t n = 1, int timeoutMs = 10000)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (Pending() < n) {
            if (std::chrono::steady_clock::now() > end)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return true;
    }

    // Runs fn on this thread with nothing pumped. A call still running
    // after timeoutMs waits for this thread: the program ends with a message
    // instead of hanging.
    static void ReturnsUnpumped(const std::function<void()>& fn, int timeoutMs = 10000)
    {
        std::mutex mutex;
        std::condition_variable cond;
        bool done = false;
        std::thread watchdog([&] {
            std::unique_lock lock(mutex);
            if (!cond.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return done; })) {
                std::fprintf(stderr, "The call did not return: it waits for a worker that waits for the GUI thread\n");
                std::abort();
            }
        });
        fn();
        {
            std::lock_guard lock(mutex);
            done = true;
        }
        cond.notify_all();
        watchdog.join();
    }

    std::atomic<int> made{0};

private:
    void Post(std::function<void()> fn)
    {
        std::lock_guard lock(mutex_);
        jobs_.push_back(std::move(fn));
    }

    std::mutex mutex_;
    std::deque<std::function<void()>> jobs_;
    std::thread::id gui_ = std::this_thread::get_id();
};

} // namespace pellar::test
