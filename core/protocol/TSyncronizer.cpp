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
    return done_.WaitFor(timeoutMs);
}

} // namespace pellar
