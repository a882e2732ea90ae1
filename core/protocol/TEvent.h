// An event with manual or automatic reset, in the shape the threads of the
// protocol core expect (link up, connected, disconnecting). Waiters wake at
// once when it is set.
#pragma once

#include <condition_variable>
#include <mutex>

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
    const bool manualReset_;
    bool set_;
    std::mutex mutex_;
    std::condition_variable cond_;
};

} // namespace pellar
