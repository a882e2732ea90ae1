// A BlockingWait for tests: it lets each wait run for a given time and then
// cancels it, as a user pressing Cancel would; what it was told is kept. And
// a local address that never answers a connect.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "core/sync/BlockingWait.h"
#include "support/UnansweredListener.h"

namespace pellar::test {

class CancelAfterWait : public BlockingWait {
public:
    explicit CancelAfterWait(int patienceMs) : patienceMs_(patienceMs) {}

    WaitOutcome Wait(const WaitPlan& plan) override
    {
        {
            std::lock_guard lock(mutex_);
            shown_.push_back(plan.what);
        }
        if (plan.waitFor(patienceMs_))
            return WaitOutcome::Done;
        if (plan.cancel)
            plan.cancel();
        ++cancelled_;
        return WaitOutcome::Cancelled;
    }

    std::vector<std::string> Shown() const
    {
        std::lock_guard lock(mutex_);
        return shown_;
    }
    int Cancelled() const { return cancelled_.load(); }

private:
    const int patienceMs_;
    mutable std::mutex mutex_;
    std::vector<std::string> shown_;
    std::atomic<int> cancelled_{0};
};

} // namespace pellar::test
