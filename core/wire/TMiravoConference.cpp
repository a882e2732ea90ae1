#include "core/wire/TMiravoConference.h"

#include <algorithm>
#include <mutex>

#include "core/wire/RecordServices.h"
#include "core/wire/TMiravoMembership.h"

namespace pellar {

bool TMiravoConference::LookUp(int32_t local, int32_t& global) const
{
    std::lock_guard lock(*this);
    int index;
    if (!textMap_.Find(local, index))
        return false;
    global = textMap_.Object(index);
    return true;
}

int32_t TMiravoConference::GlobalOf(int32_t local, bool noFetch)
{
    int32_t global;
    if (LookUp(local, global))
        return global;
    if (noFetch)
        return -1;
    bool answered = true;
    return FetchGlobalOf(local, answered);
}

int32_t TMiravoConference::FetchGlobalOf(int32_t local, bool& answered)
{
    answered = true;
    int32_t global;
    if (LookUp(local, global))
        return global;
    RecordServices* services = services_.load();
    if (!services)
        return -1;
    const int64_t left = int64_t{FirstLocalNo()} + NoOfTexts() - local;
    const int32_t count = static_cast<int32_t>(std::min<int64_t>(kTextMapBlock, left));
    if (count <= 0) {
        // Not even the conference's status came: nothing is known.
        answered = FullLoaded();
        return -1;
    }
    TSortedIntegerList<int32_t> block;
    answered = services->LoadTextMap(ConfNo(), local, count, block);
    MergeTextMap(block);
    return LookUp(local, global) ? global : -1;
}

void TMiravoConference::MergeTextMap(const TSortedIntegerList<int32_t>& block)
{
    std::lock_guard lock(*this);
    for (int i = 0; i < block.Count(); ++i) {
        const int index = textMap_.Add(block.Key(i));
        if (index >= 0)
            textMap_.SetObject(index, block.Object(i));
    }
}

void TMiravoConference::SetGlobal(int32_t local, int32_t global)
{
    std::lock_guard lock(*this);
    if (local > fields_.highestLocalNo) {
        fields_.highestLocalNo = local;
        fields_.noOfTexts = static_cast<int32_t>(
            std::clamp<int64_t>(int64_t{local} - fields_.firstLocalNo + 1, 0, INT32_MAX));
    }
    int index;
    if (!textMap_.Find(local, index))
        index = textMap_.Add(local);
    textMap_.SetObject(index, global);
}

int32_t TMiravoConference::FindNextText(int32_t from, int32_t to, TMiravoMembership* membership, bool skipRead)
{
    if (!membership)
        return -1;
    for (int64_t local = from; local <= to; ++local) {
        const auto l = static_cast<int32_t>(local);
        if (skipRead && membership->IsRead(l))
            continue;
        bool answered = true;
        if (FetchGlobalOf(l, answered) > 0)
            return l;
        // Unknown, not gone: a map that never came (the link is down, the
        // wait was cancelled) must not mark every text of the conference read.
        if (!answered)
            return -1;
        // No text there any more: count it as read, here and on the server.
        membership->MarkRead(l, true);
    }
    return -1;
}

int TMiravoConference::TextMapCount() const
{
    std::lock_guard lock(*this);
    return textMap_.Count();
}

void TMiravoConference::ClearTextMap()
{
    std::lock_guard lock(*this);
    textMap_.Clear();
}

} // namespace pellar
