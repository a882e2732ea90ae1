// A re-entrant lock that records and lists shared between threads derive from
// or carry. It is re-entrant because record operations call each other while
// already holding the record's lock.
#pragma once

#include <mutex>

namespace pellar {

class TLockable
{
public:
    TLockable() = default;
    TLockable(const TLockable&) = delete;
    TLockable& operator=(const TLockable&) = delete;
    virtual ~TLockable() = default;

    // Const, so that read-only accessors of derived records can lock too.
    void Lock() const { mutex_.lock(); }
    void Unlock() const { mutex_.unlock(); }

    // BasicLockable spelling, so std::lock_guard / std::unique_lock work.
    void lock() const { mutex_.lock(); }
    void unlock() const { mutex_.unlock(); }
    bool try_lock() const { return mutex_.try_lock(); }

private:
    mutable std::recursive_mutex mutex_;
};

} // namespace pellar
