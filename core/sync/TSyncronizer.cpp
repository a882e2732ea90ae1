#include "core/sync/TSyncronizer.h"

#include <algorithm>
#include <chrono>

namespace pellar {

namespace {

using Clock = std::chrono::steady_clock;

// How long waits for a reply took lately, in microseconds, smoothed over the
// last eight or so. From a server on the same machine a reply comes back in
// a few tens of microseconds, and a waiter that went to sleep for it pays a
// wake-up costing as much again (a virtual machine's halted CPU far more), so
// it keeps looking for as long as such a reply may take; over a network a
// reply takes milliseconds, and looking would only burn a core.
std::atomic<int32_t> typicalWaitUs{1000};
constexpr int32_t kWaitSampleCapUs = 100000;
constexpr int32_t kLongestSpinUs = 200;

} // namespace

int TSyncronizer::SpinMicroseconds()
{
    return typicalWaitUs.load(std::memory_order_relaxed) <= kLongestSpinUs ? kLongestSpinUs
                                                                            : kFutexSpinMicroseconds;
}

void TSyncronizer::NoteWait(Clock::duration took)
{
    const auto us = std::chrono::duration_cast<std::chrono::microseconds>(took).count();
    const int32_t sample = static_cast<int32_t>(std::min<decltype(us)>(us, kWaitSampleCapUs));
    // Racing updates may lose a sample; the estimate only steers a spin.
    const int32_t old = typicalWaitUs.load(std::memory_order_relaxed);
    typicalWaitUs.store(old + (sample - old) / 8, std::memory_order_relaxed);
}

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
    const auto ready = [this] { return pending_.load() <= 0; };
    // Only a wait that had to wait says how long replies take.
    const bool waits = timeoutMs != 0 && !ready();
    const Clock::time_point start = waits ? Clock::now() : Clock::time_point();
    const bool done = FutexWaitFor(pending_, waiters_, timeoutMs, ready, SpinMicroseconds());
    if (waits) {
        // A wait cut short by its time-out took at least that long.
        NoteWait(done ? Clock::now() - start : std::chrono::milliseconds(timeoutMs));
    }
    if (!done)
        return WaitResult::Timeout;
    releasers_.Drain();
    return WaitResult::Signaled;
}

} // namespace pellar
