// A conference status plus its local-to-global text map, filled lazily in
// blocks as the reading walks the conference.
#pragma once

#include <cstdint>

#include "core/wire/TMiravoConferenceBase.h"
#include "core/base/TSortedIntegerList.h"

namespace pellar {

class TMiravoMembership;

class TMiravoConference : public TMiravoConferenceBase
{
public:
    using TMiravoConferenceBase::TMiravoConferenceBase;

    // Largest block of the text map asked for at once.
    static constexpr int32_t kTextMapBlock = 80;

    // The global number of a local one; 0 when known to have no text, -1 when
    // unknown. Unless noFetch, a missing entry fetches one block of the map
    // (waits for the server: call without this record's lock held).
    int32_t GlobalOf(int32_t local, bool noFetch);
    // Records a text; a local number beyond the highest one extends the conference.
    void SetGlobal(int32_t local, int32_t global);
    // The first local number in [from, to] that has a text (and, with skipRead,
    // is unread in membership); locals found empty are marked read on the way.
    // -1 when there is none or no membership is given.
    int32_t FindNextText(int32_t from, int32_t to, TMiravoMembership* membership, bool skipRead);

    // Entries of the text map fetched elsewhere (local -> global, 0 for
    // none); entries already known are kept.
    void MergeTextMap(const TSortedIntegerList<int32_t>& block);

    int TextMapCount() const;
    void ClearTextMap();

private:
    bool LookUp(int32_t local, int32_t& global) const;
    // GlobalOf with a fetch; answered false when the server was not heard.
    int32_t FetchGlobalOf(int32_t local, bool& answered);

    TSortedIntegerList<int32_t> textMap_;
};

} // namespace pellar
