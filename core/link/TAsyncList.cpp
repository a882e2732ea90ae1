#include "core/link/TAsyncList.h"

#include <chrono>
#include <exception>
#include <mutex>

#include "core/wire/AsyncMessages.h"
#include "core/wire/RecordParsers.h"
#include "core/wire/TMiscInfo.h"
#include "core/wire/TextStatType.h"
#include "core/wire/WireTokens.h"

namespace pellar {

namespace {

// The session of a presence report; -1 for any other line or one that cannot be read.
int32_t PresenceSession(std::string_view line)
{
    try {
        size_t pos = 0;
        if (ReadAsyncNumber(line, pos) != AsyncNumber::IAmOn)
            return -1;
        return ParsePresence(line, pos).session;
    } catch (const std::exception&) {
        return -1;
    }
}

} // namespace

bool AsyncOverflow::Empty() const
{
    return messages.empty() && otherSenders.personal == 0 && otherSenders.broadcast == 0 &&
           refreshConferences.empty() && !refreshAll && newTexts == 0 && presenceReplaced == 0 && otherDropped == 0;
}

TAsyncList::TAsyncList(AsyncListLimits limits) : limits_(limits) {}

bool TAsyncList::Full(size_t adding) const
{
    // An empty list takes any line: the receive thread bounds a line already.
    if (items_.empty())
        return false;
    return items_.size() >= limits_.maxLines || bytes_ + adding > limits_.maxBytes;
}

int TAsyncList::Add(std::string s)
{
    int index = -1;
    {
        std::lock_guard lock(*this);
        const int32_t session = PresenceSession(s);
        if (!Full(s.size())) {
            bytes_ += s.size();
            if (session >= 0)
                presence_[session] = popped_ + items_.size();
            items_.push_back(Entry{std::move(s), session});
            index = static_cast<int>(items_.size()) - 1;
        } else if (auto it = session >= 0 ? presence_.find(session) : presence_.end(); it != presence_.end()) {
            // The last report of a session is the one that counts.
            Entry& queued = items_[static_cast<size_t>(it->second - popped_)];
            bytes_ = bytes_ - queued.line.size() + s.size();
            queued.line = std::move(s);
            ++overflow_.presenceReplaced;
            hasOverflow_ = true;
            return -1;
        } else {
            Overflow(std::move(s));
            hasOverflow_ = true;
        }
    }
    cond_.notify_all();
    return index;
}

void TAsyncList::Overflow(std::string line)
{
    size_t pos = 0;
    try {
        const AsyncNumber number = ReadAsyncNumber(line, pos);
        switch (number) {
        case AsyncNumber::NewTextOld:
        case AsyncNumber::NewText: {
            ++overflow_.newTexts;
            ReadInt(line, pos);  // the text; it is fetched when the conference is read
            TextStatType status;
            ParseTextStat(line, pos, status);
            for (const auto& item : status.MiscInfos()) {
                const auto* normal = dynamic_cast<const TMiscInfoNormal*>(item.get());
                if (!normal || overflow_.refreshAll)
                    continue;
                if (overflow_.refreshConferences.size() >= limits_.maxConferences &&
                    !overflow_.refreshConferences.count(normal->confNo)) {
                    overflow_.refreshAll = true;
                    overflow_.refreshConferences.clear();
                } else {
                    overflow_.refreshConferences.insert(normal->confNo);
                }
            }
            return;
        }
        case AsyncNumber::SendMessage: {
            const int32_t recipient = ReadInt(line, pos);
            const int32_t sender = ReadInt(line, pos);
            DroppedMessages* from = &overflow_.otherSenders;
            if (auto it = overflow_.messages.find(sender); it != overflow_.messages.end())
                from = &it->second;
            else if (overflow_.messages.size() < limits_.maxSenders)
                from = &overflow_.messages[sender];
            ++(recipient == 0 ? from->broadcast : from->personal);
            return;
        }
        default:
            break;
        }
    } catch (const std::exception&) {
        // Unreadable: counted with the rest below.
    }
    ++overflow_.otherDropped;
}

void TAsyncList::Forget(const Entry& entry)
{
    bytes_ -= entry.line.size();
    if (entry.session >= 0) {
        auto it = presence_.find(entry.session);
        if (it != presence_.end() && it->second == popped_)
            presence_.erase(it);
    }
    ++popped_;
}

bool TAsyncList::Pop(std::string& out)
{
    std::lock_guard lock(*this);
    if (items_.empty()) {
        out.clear();
        return false;
    }
    Forget(items_.front());
    out = std::move(items_.front().line);
    items_.pop_front();
    return true;
}

size_t TAsyncList::PopBatch(std::vector<std::string>& out, size_t max)
{
    std::lock_guard lock(*this);
    size_t n = 0;
    while (n < max && !items_.empty()) {
        Forget(items_.front());
        out.push_back(std::move(items_.front().line));
        items_.pop_front();
        ++n;
    }
    return n;
}

AsyncOverflow TAsyncList::TakeOverflow()
{
    std::lock_guard lock(*this);
    hasOverflow_ = false;
    return std::exchange(overflow_, AsyncOverflow{});
}

void TAsyncList::Clear()
{
    std::lock_guard lock(*this);
    popped_ += items_.size();
    items_.clear();
    bytes_ = 0;
    presence_.clear();
    overflow_ = AsyncOverflow{};
    hasOverflow_ = false;
}

int TAsyncList::Count()
{
    std::lock_guard lock(*this);
    return static_cast<int>(items_.size());
}

size_t TAsyncList::Bytes()
{
    std::lock_guard lock(*this);
    return bytes_;
}

bool TAsyncList::WaitNotEmpty(int timeoutMs)
{
    std::unique_lock lock(*this);
    auto ready = [this] { return interrupted_ || !items_.empty() || hasOverflow_; };
    if (timeoutMs < 0)
        cond_.wait(lock, ready);
    else
        cond_.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready);
    return !interrupted_ && (!items_.empty() || hasOverflow_);
}

void TAsyncList::Interrupt()
{
    {
        std::lock_guard lock(*this);
        interrupted_ = true;
    }
    cond_.notify_all();
}

void TAsyncList::ClearInterrupt()
{
    std::lock_guard lock(*this);
    interrupted_ = false;
}

} // namespace pellar
