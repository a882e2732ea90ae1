#include "core/sync/TIntegerResourceLock.h"

#include <chrono>

namespace pellar {

std::shared_ptr<TIntegerResourceLock::Entry> TIntegerResourceLock::EntryFor(int32_t key)
{
    int index;
    if (entries_.Find(key, index))
        return entries_.Object(index);
    auto entry = std::make_shared<Entry>();
    entries_.SetObject(entries_.Add(key), entry);
    return entry;
}

void TIntegerResourceLock::LockKey(int32_t key)
{
    std::unique_lock lock(mutex_);
    const std::shared_ptr<Entry> entry = EntryFor(key);
    ++entry->uses;
    const auto self = std::this_thread::get_id();
    if (entry->depth > 0 && entry->owner == self) {
        ++entry->depth;
        return;
    }
    // The wait releases the table lock, so other keys are not held up.
    entry->released.wait(lock, [&] { return entry->depth == 0; });
    entry->owner = self;
    entry->depth = 1;
}

bool TIntegerResourceLock::TryLockKey(int32_t key)
{
    std::lock_guard lock(mutex_);
    const std::shared_ptr<Entry> entry = EntryFor(key);
    const auto self = std::this_thread::get_id();
    // Held elsewhere: the holder's use keeps the entry in the table.
    if (entry->depth > 0 && entry->owner != self)
        return false;
    ++entry->uses;
    entry->owner = self;
    ++entry->depth;
    return true;
}

bool TIntegerResourceLock::WaitUntilFree(int32_t key, int timeoutMs)
{
    std::unique_lock lock(mutex_);
    int index;
    if (!entries_.Find(key, index))
        return true;
    // Kept alive by this reference even if the table lets it go meanwhile.
    const std::shared_ptr<Entry> entry = entries_.Object(index);
    const auto isFree = [&] { return entry->depth == 0; };
    if (timeoutMs < 0) {
        entry->released.wait(lock, isFree);
        return true;
    }
    return entry->released.wait_for(lock, std::chrono::milliseconds(timeoutMs), isFree);
}

TIntegerResourceGuard::TIntegerResourceGuard(TIntegerResourceLock& locks, int32_t key, BlockingWait& wait,
                                             const std::string& what)
    : locks_(locks), key_(key)
{
    while (!locks_.TryLockKey(key_)) {
        WaitPlan plan;
        plan.what = "Waiting for " + what + "...";
        plan.waitFor = [this](int timeoutMs) { return locks_.WaitUntilFree(key_, timeoutMs); };
        // Giving up takes nothing more than leaving the loop.
        plan.cancel = [] {};
        if (wait.Wait(plan) == WaitOutcome::Cancelled) {
            held_ = false;
            return;
        }
    }
}

void TIntegerResourceLock::UnlockKey(int32_t key)
{
    std::unique_lock lock(mutex_);
    int index;
    if (!entries_.Find(key, index))
        return;
    std::shared_ptr<Entry> entry = entries_.Object(index);
    if (entry->depth == 0 || entry->owner != std::this_thread::get_id())
        return;
    --entry->uses;
    if (--entry->depth == 0) {
        entry->owner = std::thread::id();
        // All: a thread that only waits for the key to be free may be
        // among the sleepers, and must not take the one wake.
        entry->released.notify_all();
    }
    if (entry->uses == 0)
        entries_.Delete(index);
}

} // namespace pellar
