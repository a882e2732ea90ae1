#include "core/sync/TEvent.h"

#include <chrono>

namespace pellar {

TEvent::TEvent(bool manualReset, bool initiallySet) : manualReset_(manualReset), state_(initiallySet ? 1 : 0) {}

bool TEvent::TryTake()
{
    if (manualReset_)
        return state_.load() == 1;
    // An automatic-reset event lets exactly one waiter through per signal.
    int32_t set = 1;
    return state_.compare_exchange_strong(set, 0);
}

bool TEvent::IsSet()
{
    return WaitFor(0) == WaitResult::Signaled;
}

void TEvent::SetEv()
{
    // Nobody asleep, or about to sleep, means no system call: a waiter counts
    // itself before its last look at the state, and the setter looks at the
    // count after storing the state, so one of the two always sees the other.
    // A released waiter may destroy this event as soon as it runs on; it
    // first lets every setter out of the guarded part (see WaitFor), and the
    // wake after that only hands the word's address to the kernel.
    setters_.Enter();
    state_.store(1);
    const bool wake = waiters_.load() > 0;
    const bool all = manualReset_;
    int32_t* const word = FutexAddress(state_);
    setters_.Leave();
    if (wake)
        FutexWakeAddress(word, all);
}

void TEvent::ResetEv()
{
    state_.store(0);
}

WaitResult TEvent::WaitFor(int timeoutMs)
{
    if (!FutexWaitFor(state_, waiters_, timeoutMs, [this] { return TryTake(); }))
        return WaitResult::Timeout;
    setters_.Drain();
    return WaitResult::Signaled;
}

} // namespace pellar
