#include "core/protocol/TEvent.h"

#include <chrono>

namespace pellar {

TEvent::TEvent(bool manualReset, bool initiallySet) : manualReset_(manualReset), set_(initiallySet) {}

bool TEvent::IsSet()
{
    return WaitFor(0) == WaitResult::Signaled;
}

void TEvent::SetEv()
{
    // Notify under the lock: a released waiter may destroy this event as soon
    // as it runs on, so the setter must be done with it before the waiter can
    // leave WaitFor. An automatic-reset event releases one waiter; a manual
    // one releases all.
    std::lock_guard lock(mutex_);
    set_ = true;
    if (manualReset_)
        cond_.notify_all();
    else
        cond_.notify_one();
}

void TEvent::ResetEv()
{
    std::lock_guard lock(mutex_);
    set_ = false;
}

WaitResult TEvent::WaitFor(int timeoutMs)
{
    std::unique_lock lock(mutex_);
    auto signalled = [this] { return set_; };
    if (timeoutMs < 0) {
        cond_.wait(lock, signalled);
    } else if (!cond_.wait_for(lock, std::chrono::milliseconds(timeoutMs), signalled)) {
        return WaitResult::Timeout;
    }
    if (!manualReset_)
        set_ = false;
    return WaitResult::Signaled;
}

} // namespace pellar
