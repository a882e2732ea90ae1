// Thread-safe, bounded FIFO of asynchronous-message lines: the hand-over point
// between the receive thread (producer) and the asynchronous-message thread
// (consumer). The consumer can sleep until an entry arrives instead of
// polling. A server may send faster than the client can show, so the list
// holds at most so many lines and bytes; beyond that, what arrives is folded
// into what it means: the last presence report of a session replaces the one
// queued, new texts leave only "refresh these conferences", and messages are
// counted per sender so that the user can be told how many were dropped.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/sync/TEvent.h" // kInfinite
#include "core/sync/TLockable.h"

namespace pellar {

struct AsyncListLimits {
    size_t maxLines = 2000;
    size_t maxBytes = size_t{8} << 20;
    // Senders whose dropped messages are counted one by one; the rest are
    // counted together.
    size_t maxSenders = 64;
    // Conferences remembered for a refresh; past that, every one is refreshed.
    size_t maxConferences = 1024;
};

// Messages of one sender that did not fit.
struct DroppedMessages {
    uint64_t personal = 0;   // to the user (or a conference)
    uint64_t broadcast = 0;  // to everyone
};

// What the list folded or dropped since it was last taken.
struct AsyncOverflow {
    std::map<int32_t, DroppedMessages> messages;  // by sender
    DroppedMessages otherSenders;                 // beyond maxSenders
    std::set<int32_t> refreshConferences;         // new texts to these
    bool refreshAll = false;                      // new texts to too many to list
    uint64_t newTexts = 0;                        // new-text notices folded
    uint64_t presenceReplaced = 0;                // presence reports that replaced a queued one
    uint64_t otherDropped = 0;                    // anything else that did not fit

    bool Empty() const;
};

class TAsyncList : public TLockable
{
public:
    explicit TAsyncList(AsyncListLimits limits = {});

    // Appends the line; its index, or -1 when it was folded or dropped
    // because the list is full.
    int Add(std::string s);
    // Moves the first entry into out; false (and out empty) when the list is empty.
    bool Pop(std::string& out);
    // Moves up to max entries to the end of out; how many.
    size_t PopBatch(std::vector<std::string>& out, size_t max);
    // What was folded or dropped since the last call, and forgets it.
    AsyncOverflow TakeOverflow();
    // Forgets every entry and what overflowed.
    void Clear();
    int Count();
    size_t Bytes();
    // True when an entry or overflow is there; false on time-out or once interrupted.
    bool WaitNotEmpty(int timeoutMs);
    // Wakes every waiter; later waits return false at once until ClearInterrupt.
    void Interrupt();
    void ClearInterrupt();

    const AsyncListLimits& Limits() const { return limits_; }

private:
    struct Entry {
        std::string line;
        int32_t session = -1;  // a presence report's session; -1 for other lines
    };
    bool Full(size_t adding) const;
    void Overflow(std::string line);
    void Forget(const Entry& entry);

    const AsyncListLimits limits_;
    std::deque<Entry> items_;
    size_t bytes_ = 0;
    uint64_t popped_ = 0;  // entries ever taken: items_[i] has sequence popped_ + i
    // The sequence of the queued presence report of each session.
    std::map<int32_t, uint64_t> presence_;
    AsyncOverflow overflow_;
    bool hasOverflow_ = false;
    bool interrupted_ = false;
    std::condition_variable_any cond_;
};

} // namespace pellar
