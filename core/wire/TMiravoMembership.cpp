#include "core/wire/TMiravoMembership.h"

#include <algorithm>
#include <limits>
#include <mutex>

#include "core/wire/RecordServices.h"
#include "core/wire/TMiravoConference.h"

namespace pellar {

bool TMiravoMembership::IsRead(int32_t local) const
{
    std::lock_guard lock(*this);
    int index;
    return local <= lastTextRead_ || readTexts_.Find(local, index);
}

void TMiravoMembership::MarkRead(int32_t local, bool notify)
{
    {
        std::lock_guard lock(*this);
        int index;
        if (local <= lastTextRead_ || readTexts_.Find(local, index))
            return;
        if (local == lastTextRead_ + 1) {
            lastTextRead_ = local;
            Normalize();
        } else {
            readTexts_.Add(local);
        }
    }
    // Reported outside the lock: the queue takes locks of its own.
    if (RecordServices* services = services_.load(); notify && services)
        services->NoteMarkedRead(ConfNo(), local);
    ++readVersion_;
    changed_ = true;
}

void TMiravoMembership::SetLastTextRead(int32_t n)
{
    {
        std::lock_guard lock(*this);
        lastTextRead_ = n;
        Normalize();
    }
    ++readVersion_;
    changed_ = true;
}

void TMiravoMembership::AddReadTexts(const std::vector<int32_t>& locals)
{
    // Sorted first so that a hostile order cannot make the inserts quadratic.
    std::vector<int32_t> sorted(locals);
    std::sort(sorted.begin(), sorted.end());
    std::lock_guard lock(*this);
    for (int32_t local : sorted) {
        if (local > lastTextRead_)
            readTexts_.Add(local);
    }
    Normalize();
    ++readVersion_;
}

void TMiravoMembership::SetReadState(int32_t lastTextRead, const std::vector<int32_t>& readTexts)
{
    {
        std::lock_guard lock(*this);
        readTexts_.Clear();
        SetLastTextRead(lastTextRead);
        AddReadTexts(readTexts);
    }
    changed_ = true;
}

void TMiravoMembership::Normalize()
{
    while (readTexts_.Count() > 0 && readTexts_.FirstKey() <= lastTextRead_)
        readTexts_.Delete(0);
    while (readTexts_.Count() > 0 && lastTextRead_ < std::numeric_limits<int32_t>::max() &&
           readTexts_.FirstKey() == lastTextRead_ + 1) {
        lastTextRead_ = readTexts_.FirstKey();
        readTexts_.Delete(0);
    }
}

int32_t TMiravoMembership::UnreadCount()
{
    RecordServices* services = services_.load();
    if (!mayHaveUnread_ || !services)
        return 0;
    // The look-up and the conference's lazy loading may wait for the server,
    // so no lock is held here.
    const std::shared_ptr<TMiravoConference> conf = services->FindConference(ConfNo());
    if (!conf)
        return 0;
    if (conf->NoOfTexts() == 0) {
        mayHaveUnread_ = false;
        return 0;
    }
    const int64_t highest = conf->HighestLocalNo();
    std::lock_guard lock(*this);
    int64_t unread = highest - lastTextRead_ - readTexts_.Count();
    if (unread <= 0) {
        unread = 0;
        mayHaveUnread_ = false;
    }
    return static_cast<int32_t>(std::min<int64_t>(unread, std::numeric_limits<int32_t>::max()));
}

void TMiravoMembership::Assign(const TMiravoMembership& other)
{
    if (&other == this)
        return;
    // Copy out under the other's lock, then in under ours: never both at once.
    int32_t confNo, priority, lastTextRead;
    TDateTime lastTimeRead;
    std::vector<int32_t> readTexts;
    {
        std::lock_guard lock(other);
        confNo = other.confNo_;
        priority = other.priority_;
        lastTextRead = other.lastTextRead_;
        lastTimeRead = other.lastTimeRead_;
        readTexts.reserve(other.readTexts_.Count());
        for (int i = 0; i < other.readTexts_.Count(); ++i)
            readTexts.push_back(other.readTexts_.Key(i));
    }
    {
        std::lock_guard lock(*this);
        confNo_ = confNo;
        priority_ = priority;
        lastTextRead_ = lastTextRead;
        lastTimeRead_ = lastTimeRead;
        readTexts_.Clear();
        for (int32_t local : readTexts)
            readTexts_.Add(local);
    }
    services_ = other.services_.load();
    mayHaveUnread_ = other.mayHaveUnread_.load();
    changed_ = other.changed_.load();
    removed_ = other.removed_.load();
    ++readVersion_;
}

int32_t TMiravoMembership::ConfNo() const
{
    std::lock_guard lock(*this);
    return confNo_;
}

void TMiravoMembership::SetConfNo(int32_t conf)
{
    std::lock_guard lock(*this);
    confNo_ = conf;
}

TDateTime TMiravoMembership::LastTimeRead() const
{
    std::lock_guard lock(*this);
    return lastTimeRead_;
}

void TMiravoMembership::SetLastTimeRead(TDateTime t)
{
    std::lock_guard lock(*this);
    lastTimeRead_ = t;
}

int32_t TMiravoMembership::Priority() const
{
    std::lock_guard lock(*this);
    return priority_;
}

void TMiravoMembership::SetPriority(int32_t priority)
{
    std::lock_guard lock(*this);
    priority_ = priority;
}

int32_t TMiravoMembership::LastTextRead() const
{
    std::lock_guard lock(*this);
    return lastTextRead_;
}

int TMiravoMembership::ReadTextCount() const
{
    std::lock_guard lock(*this);
    return readTexts_.Count();
}

std::vector<int32_t> TMiravoMembership::ReadTexts() const
{
    std::lock_guard lock(*this);
    std::vector<int32_t> out;
    out.reserve(readTexts_.Count());
    for (int i = 0; i < readTexts_.Count(); ++i)
        out.push_back(readTexts_.Key(i));
    return out;
}

} // namespace pellar
