// One conference in a person's membership: what has been read there. Local
// numbers up to last-text-read are read; above it, the read-texts list holds
// the ones read out of order.
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "core/wire/DateTime.h"
#include "core/sync/TLockable.h"
#include "core/base/TSortedIntegerList.h"

namespace pellar {

class RecordServices;

class TMiravoMembership : public TLockable
{
public:
    // services may be null: then nothing is looked up or reported.
    explicit TMiravoMembership(RecordServices* services = nullptr) : services_(services) {}
    TMiravoMembership(int32_t confNo, RecordServices* services) : services_(services), confNo_(confNo) {}

    void SetServices(RecordServices* services) { services_ = services; }
    RecordServices* Services() const { return services_; }

    bool IsRead(int32_t local) const;
    // notify: the server must be told (through the mark-read queue).
    void MarkRead(int32_t local, bool notify);
    // Drops the read-text entries at or below n, then advances over a
    // consecutive run of read texts directly above it.
    void SetLastTextRead(int32_t n);
    // Adds texts read above last-text-read.
    void AddReadTexts(const std::vector<int32_t>& locals);
    // Replaces the whole read state, as a reply from the server states it.
    void SetReadState(int32_t lastTextRead, const std::vector<int32_t>& readTexts);
    // Looks the conference up (may wait for the server): call without this lock held.
    int32_t UnreadCount();
    // Copies every field of other; the read texts are rebuilt.
    void Assign(const TMiravoMembership& other);

    int32_t ConfNo() const;
    void SetConfNo(int32_t conf);
    TDateTime LastTimeRead() const;
    void SetLastTimeRead(TDateTime t);
    int32_t Priority() const;
    void SetPriority(int32_t priority);
    int32_t LastTextRead() const;
    int ReadTextCount() const;
    std::vector<int32_t> ReadTexts() const;

    bool MayHaveUnread() const { return mayHaveUnread_; }
    void SetMayHaveUnread(bool v) { mayHaveUnread_ = v; }
    // Grows with every change of the read state (not reset by SetChanged).
    uint32_t ReadVersion() const { return readVersion_; }
    bool Changed() const { return changed_; }
    void SetChanged(bool v) { changed_ = v; }
    bool Removed() const { return removed_; }
    void SetRemoved(bool v) { removed_ = v; }

private:
    // Under the lock: keeps every read-text entry above last-text-read + 1.
    void Normalize();

    std::atomic<RecordServices*> services_{nullptr};
    int32_t confNo_ = 0;
    TDateTime lastTimeRead_ = 0;
    int32_t priority_ = 0;
    int32_t lastTextRead_ = 0;
    std::atomic<bool> mayHaveUnread_{false};
    std::atomic<bool> changed_{false};
    std::atomic<bool> removed_{false};
    std::atomic<uint32_t> readVersion_{0};
    TSortedIntegerList<> readTexts_;
};

} // namespace pellar
