// The status of one text: its header numbers, misc-info items and aux items.
// Shared between threads through std::shared_ptr; every access takes the
// record's own lock.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "core/wire/AuxItemRec.h"
#include "core/wire/DateTime.h"
#include "core/sync/TLockable.h"
#include "core/wire/TMiscInfo.h"

namespace pellar {

class TextStatType : public TLockable
{
public:
    // A null item is ignored.
    void AddMiscInfo(std::shared_ptr<TMiscInfo> item);
    // Null when index is outside the list.
    std::shared_ptr<const TMiscInfo> MiscInfo(int index) const;
    int MiscInfoCount() const;
    // A copy of the list, to walk without holding the lock.
    std::vector<std::shared_ptr<const TMiscInfo>> MiscInfos() const;
    // Replaces the whole list (a parsed reply replaces what was there).
    void SetMiscInfos(std::vector<std::shared_ptr<TMiscInfo>> items);

    // Calls fn(const Item&) for every item of class Item or a subclass, in
    // order, under the lock: fn must not wait for anything.
    template <typename Item, typename Fn>
    void ForEachMiscInfo(Fn&& fn) const
    {
        std::lock_guard lock(*this);
        for (const auto& item : misc_) {
            if (const auto* typed = dynamic_cast<const Item*>(item.get()))
                fn(*typed);
        }
    }

    void AddAuxItem(const AuxItemRec& rec);
    std::optional<AuxItemRec> AuxItem(int index) const;
    int AuxItemCount() const;
    std::vector<AuxItemRec> AuxItems() const;
    void SetAuxItems(std::vector<AuxItemRec> items);

    TDateTime CreationTime() const;
    int32_t Author() const;
    int32_t NoOfLines() const;
    int32_t NoOfChars() const;
    int32_t NoOfMarks() const;
    void SetHeader(TDateTime creationTime, int32_t author, int32_t lines, int32_t chars, int32_t marks);
    void SetNoOfMarks(int32_t marks);

private:
    std::vector<std::shared_ptr<TMiscInfo>> misc_;
    std::vector<AuxItemRec> aux_;
    TDateTime creationTime_ = 0;
    int32_t author_ = 0;
    int32_t lines_ = 0;
    int32_t chars_ = 0;
    int32_t marks_ = 0;
};

} // namespace pellar
