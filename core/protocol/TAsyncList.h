// Thread-safe FIFO of strings: the hand-over point between the receive thread
// (producer) and the asynchronous-message thread (consumer). The consumer can
// sleep until an entry arrives instead of polling.
#pragma once

#include <condition_variable>
#include <deque>
#include <string>

#include "core/protocol/TEvent.h" // kInfinite
#include "core/protocol/TLockable.h"

namespace pellar {

class TAsyncList : public TLockable
{
public:
    // Appends a copy; returns its index.
    int Add(std::string s);
    // Moves the first entry into out; false (and out empty) when the list is empty.
    bool Pop(std::string& out);
    int Count();
    // True when an entry is there; false on time-out or once interrupted.
    bool WaitNotEmpty(int timeoutMs);
    // Wakes every waiter; later waits return false at once until ClearInterrupt.
    void Interrupt();
    void ClearInterrupt();

private:
    std::deque<std::string> items_;
    bool interrupted_ = false;
    std::condition_variable_any cond_;
};

} // namespace pellar
