// Completion counter for a waiting caller: the waiter acquires once per piece
// of outstanding work, completers release, and the waiter runs on when every
// acquire has been matched. With nothing acquired, WaitFor returns at once.
#pragma once

#include <mutex>

#include "core/protocol/TEvent.h"

namespace pellar {

class TSyncronizer
{
public:
    TSyncronizer() = default;
    TSyncronizer(const TSyncronizer&) = delete;
    TSyncronizer& operator=(const TSyncronizer&) = delete;

    int Acquire();
    int Release();
    // Waits without holding the counter lock.
    WaitResult WaitFor(int timeoutMs);

private:
    std::mutex mutex_;
    int pending_ = 0;
    TEvent done_{true, true};
};

} // namespace pellar
