// RecordServices without caches: every call runs its request and waits. The
// session layer's caches replace it; until then the client context uses this.
#pragma once

#include "core/link/MVTransaction.h"
#include "core/wire/RecordServices.h"

namespace pellar {

class DirectRecordServices : public RecordServices {
public:
    DirectRecordServices(ProtocolContext& context, TMiravoActiveTransactions& transactions)
        : context_(context), transactions_(transactions)
    {
    }

    void LoadFullConfStatus(TMiravoConferenceBase& conf) override;
    void LoadShortConfStatus(TMiravoConferenceBase& conf) override;
    bool LoadTextMap(int32_t conf, int32_t firstLocal, int32_t count, TSortedIntegerList<int32_t>& into) override;
    std::shared_ptr<TMiravoConference> FindConference(int32_t conf) override;
    std::shared_ptr<TextStatType> FindTextStat(int32_t text) override;
    // Tells the server at once (no mark-read queue without the caches).
    void NoteMarkedRead(int32_t conf, int32_t local) override;

private:
    ProtocolContext& context_;
    TMiravoActiveTransactions& transactions_;
};

} // namespace pellar
