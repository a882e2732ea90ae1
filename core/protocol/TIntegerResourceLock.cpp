#include "core/protocol/TIntegerResourceLock.h"

namespace pellar {

void TIntegerResourceLock::LockKey(int32_t key)
{
    std::unique_lock lock(mutex_);
    int index;
    std::shared_ptr<Entry> entry;
    if (entries_.Find(key, index)) {
        entry = entries_.Object(index);
    } else {
        entry = std::make_shared<Entry>();
        entries_.SetObject(entries_.Add(key), entry);
    }
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
    int index;
    std::shared_ptr<Entry> entry;
    if (entries_.Find(key, index)) {
        entry = entries_.Object(index);
    } else {
        entry = std::make_shared<Entry>();
        entries_.SetObject(entries_.Add(key), entry);
    }
    const auto self = std::this_thread::get_id();
    if (entry->depth > 0 && entry->owner != self)
        return false;
    ++entry->uses;
    entry->owner = self;
    ++entry->depth;
    return true;
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
        entry->released.notify_one();
    }
    if (entry->uses == 0)
        entries_.Delete(index);
}

} // namespace pellar
