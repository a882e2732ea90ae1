// A few worker threads for password hashing, so that the event loop never
// waits for a slow hash. Work goes in with an id; the loop is woken and
// collects the ids of finished work, in the order it finished. Urgent work
// (a logon nobody has failed at) goes before the rest, and with two threads
// or more one of them takes urgent work only.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace miravod {

class HashPool {
public:
    // `wake` is called on a worker after each piece of work is done.
    HashPool(int threads, std::function<void()> wake);
    // Work not yet started is dropped; work under way is waited for.
    ~HashPool();
    HashPool(const HashPool&) = delete;
    HashPool& operator=(const HashPool&) = delete;

    // `work` may touch only what it owns: it runs on another thread.
    void Submit(uint64_t id, std::function<void()> work, bool urgent = false);
    std::vector<uint64_t> TakeDone();

private:
    void Run(bool urgentOnly);

    std::function<void()> wake_;
    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<std::pair<uint64_t, std::function<void()>>> queue_;
    std::deque<std::pair<uint64_t, std::function<void()>>> urgent_;
    std::vector<uint64_t> done_;
    bool stop_ = false;
    std::vector<std::thread> threads_;
};

} // namespace miravod
