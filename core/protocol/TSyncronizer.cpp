#include "core/protocol/TSyncronizer.h"

namespace pellar {

int TSyncronizer::Acquire()
{
    std::lock_guard lock(mutex_);
    ++pending_;
    if (pending_ > 0)
        done_.ResetEv();
    return pending_;
}

int TSyncronizer::Release()
{
    std::lock_guard lock(mutex_);
    --pending_;
    if (pending_ == 0)
        done_.SetEv();
    return pending_;
}

WaitResult TSyncronizer::WaitFor(int timeoutMs)
{
    const WaitResult result = done_.WaitFor(timeoutMs);
    // Release still holds the counter lock after setting the event; passing
    // through it here means the releasing thread is done with this object,
    // so a caller may destroy it right after WaitFor returns.
    std::lock_guard lock(mutex_);
    return result;
}

} // namespace pellar
