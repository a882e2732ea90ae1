// Per-key locks: serialises work on one key (say one conference in a cache)
// while other keys proceed. Entries exist only while someone holds or waits
// for them. A key is re-entrant for the thread that holds it.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

#include "core/protocol/TSortedIntegerList.h"

namespace pellar {

class TIntegerResourceLock
{
public:
    TIntegerResourceLock() = default;
    TIntegerResourceLock(const TIntegerResourceLock&) = delete;
    TIntegerResourceLock& operator=(const TIntegerResourceLock&) = delete;

    void LockKey(int32_t key);
    // Takes the key only when nobody else holds it (re-entry counts as free);
    // for batch work that leaves a key to whoever is already busy with it.
    bool TryLockKey(int32_t key);
    // An unknown key, or a key held by another thread, does nothing.
    void UnlockKey(int32_t key);

private:
    struct Entry {
        std::thread::id owner;
        int depth = 0;  // re-entry depth of the owner
        int uses = 0;   // holders plus waiters; the entry goes at 0
        std::condition_variable released;
    };

    std::mutex mutex_;
    TSortedIntegerList<std::shared_ptr<Entry>> entries_;
};

// Holds one key for a scope.
class TIntegerResourceGuard
{
public:
    TIntegerResourceGuard(TIntegerResourceLock& locks, int32_t key) : locks_(locks), key_(key) { locks_.LockKey(key_); }
    ~TIntegerResourceGuard() { locks_.UnlockKey(key_); }
    TIntegerResourceGuard(const TIntegerResourceGuard&) = delete;
    TIntegerResourceGuard& operator=(const TIntegerResourceGuard&) = delete;

private:
    TIntegerResourceLock& locks_;
    int32_t key_;
};

} // namespace pellar
