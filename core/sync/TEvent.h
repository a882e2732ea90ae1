// An event with manual or automatic reset, in the shape the threads of the
// protocol core expect (link up, connected, disconnecting). Waiters wake at
// once when it is set; testing it takes no lock.
#pragma once

#include <atomic>
#include <cstdint>

#include "core/sync/Futex.h"

namespace pellar {

enum class WaitResult { Signaled, Timeout };

// Time-out value meaning "wait without limit".
constexpr int kInfinite = -1;

class TEvent
{
public:
    TEvent(bool manualReset, bool initiallySet);
    TEvent(const TEvent&) = delete;
    TEvent& operator=(const TEvent&) = delete;

    // A zero-time-out wait: for an automatic-reset event this consumes the signal.
    bool IsSet();
    void SetEv();
    void ResetEv();
    WaitResult WaitFor(int timeoutMs);

private:
    bool TryTake();

    const bool manualReset_;
    std::atomic<int32_t> state_;  // 1 set, 0 reset: the futex word
    std::atomic<int32_t> waiters_{0};  // threads about to sleep or asleep
    WakeGuard setters_;
};

} // namespace pellar
