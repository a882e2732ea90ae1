// Per-key locks: serialises work on one key (say one conference in a cache)
// while other keys proceed. Entries exist only while someone holds or waits
// for them. A key is re-entrant for the thread that holds it.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "core/sync/BlockingWait.h"
#include "core/base/TSortedIntegerList.h"

namespace pellar {

class TIntegerResourceLock
{
public:
    TIntegerResourceLock() = default;
    TIntegerResourceLock(const TIntegerResourceLock&) = delete;
    TIntegerResourceLock& operator=(const TIntegerResourceLock&) = delete;

    void LockKey(int32_t key);
    // Takes the key only when no other thread holds it (re-entry counts).
    bool TryLockKey(int32_t key);
    // Waits at most timeoutMs (below 0: no limit) until no thread holds the
    // key; takes nothing. Any thread may ask.
    bool WaitUntilFree(int32_t key, int timeoutMs);
    // An unknown key, or a key held by another thread, does nothing.
    void UnlockKey(int32_t key);

private:
    struct Entry {
        std::thread::id owner;
        int depth = 0;  // re-entry depth of the owner
        int uses = 0;   // holders plus waiters; the entry goes at 0
        std::condition_variable released;
    };

    // The key's entry, made when missing; mutex_ held.
    std::shared_ptr<Entry> EntryFor(int32_t key);

    std::mutex mutex_;
    TSortedIntegerList<std::shared_ptr<Entry>> entries_;
};

// Holds one key for a scope.
class TIntegerResourceGuard
{
public:
    TIntegerResourceGuard(TIntegerResourceLock& locks, int32_t key) : locks_(locks), key_(key) { locks_.LockKey(key_); }
    // While another thread holds the key (loading what this one wants),
    // waits through wait, which may let the user give up: then Held() is
    // false and nothing is held.
    TIntegerResourceGuard(TIntegerResourceLock& locks, int32_t key, BlockingWait& wait, const std::string& what);
    ~TIntegerResourceGuard()
    {
        if (held_)
            locks_.UnlockKey(key_);
    }
    TIntegerResourceGuard(const TIntegerResourceGuard&) = delete;
    TIntegerResourceGuard& operator=(const TIntegerResourceGuard&) = delete;

    bool Held() const { return held_; }

private:
    TIntegerResourceLock& locks_;
    int32_t key_;
    bool held_ = true;
};

} // namespace pellar
