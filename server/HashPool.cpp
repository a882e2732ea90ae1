#include "server/HashPool.h"

#include <algorithm>

namespace miravod {

HashPool::HashPool(int threads, std::function<void()> wake) : wake_(std::move(wake))
{
    // With more than one thread the last one is kept for urgent work, so a
    // logon nobody has failed at never waits behind guesses being checked.
    const int count = std::max(1, threads);
    for (int i = 0; i < count; ++i) {
        const bool urgentOnly = count > 1 && i == count - 1;
        threads_.emplace_back([this, urgentOnly] { Run(urgentOnly); });
    }
}

HashPool::~HashPool()
{
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
        queue_.clear();
        urgent_.clear();
    }
    ready_.notify_all();
    for (std::thread& t : threads_) t.join();
}

void HashPool::Submit(uint64_t id, std::function<void()> work, bool urgent)
{
    {
        std::lock_guard lock(mutex_);
        (urgent ? urgent_ : queue_).emplace_back(id, std::move(work));
    }
    // Every thread: the one woken might be one that cannot take this work.
    ready_.notify_all();
}

std::vector<uint64_t> HashPool::TakeDone()
{
    std::lock_guard lock(mutex_);
    return std::exchange(done_, {});
}

void HashPool::Run(bool urgentOnly)
{
    for (;;) {
        std::pair<uint64_t, std::function<void()>> item;
        {
            std::unique_lock lock(mutex_);
            ready_.wait(lock, [&] { return stop_ || (!queue_.empty() && !urgentOnly) || !urgent_.empty(); });
            if (stop_) return;
            auto& from = urgent_.empty() ? queue_ : urgent_;
            item = std::move(from.front());
            from.pop_front();
        }
        item.second();
        {
            std::lock_guard lock(mutex_);
            done_.push_back(item.first);
        }
        wake_();
    }
}

} // namespace miravod
