// Completion counter for a waiting caller: the waiter acquires once per piece
// of outstanding work, completers release, and the waiter runs on when every
// acquire has been matched. With nothing acquired, WaitFor returns at once.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>

#include "core/sync/Futex.h"
#include "core/sync/TEvent.h"

namespace pellar {

class TSyncronizer
{
public:
    TSyncronizer() = default;
    TSyncronizer(const TSyncronizer&) = delete;
    TSyncronizer& operator=(const TSyncronizer&) = delete;

    int Acquire();
    int Release();
    // Waits without taking any lock; once it returns Signaled the releasing
    // thread is done with this object, which may be destroyed at once.
    WaitResult WaitFor(int timeoutMs);

    // How long a wait keeps looking before it sleeps, in microseconds: long
    // while recent waits were answered within about that time (a server on
    // this machine), short once they take longer (one over a network).
    static int SpinMicroseconds();
    // Counts a wait of this length into that estimate (WaitFor does so).
    static void NoteWait(std::chrono::steady_clock::duration took);

private:
    // Outstanding work; the waiter sleeps on it while it is above 0.
    std::atomic<int32_t> pending_{0};
    std::atomic<int32_t> waiters_{0};  // 1 while the waiter may be asleep
    WakeGuard releasers_;
};

} // namespace pellar
