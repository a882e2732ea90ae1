#include "core/sync/TSyncronizer.h"

#include <chrono>

namespace pellar {

int TSyncronizer::Acquire()
{
    return pending_.fetch_add(1) + 1;
}

int TSyncronizer::Release()
{
    // The waiter counts itself before its last look at the counter, and the
    // releaser looks at the waiter count after changing the counter: a waiter
    // that may be asleep is woken, and with nobody waiting the system call is
    // skipped. A waiter that saw the count reach 0 leaves WaitFor only after
    // the releaser is out of the guarded part, so it may destroy the object
    // at once; the wake itself comes after that and only passes the word's
    // address to the kernel (a wake on a reused address is a spurious wake,
    // which every futex waiter tolerates). The woken waiter therefore never
    // waits for the releaser to be scheduled again.
    releasers_.Enter();
    const int32_t left = pending_.fetch_sub(1) - 1;
    const bool wake = left <= 0 && waiters_.load() > 0;
    int32_t* const word = FutexAddress(pending_);
    releasers_.Leave();
    if (wake)
        FutexWakeAddress(word, true);
    return left;
}

WaitResult TSyncronizer::WaitFor(int timeoutMs)
{
    if (!FutexWaitFor(pending_, waiters_, timeoutMs, [this] { return pending_.load() <= 0; }))
        return WaitResult::Timeout;
    releasers_.Drain();
    return WaitResult::Signaled;
}

} // namespace pellar
