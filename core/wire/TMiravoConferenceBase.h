// One conference's status. Most fields come from the full status request and
// the highest local number from the short one; the accessors load what they
// need on first use, through RecordServices, without holding the record lock.
// Never call a loading accessor on the receive thread or while holding this
// record's lock: the reply that the load waits for could not be parsed.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "core/wire/DateTime.h"
#include "core/sync/TLockable.h"

namespace pellar {

class RecordServices;

// The fields as the status replies carry them.
struct ConfStatFields {
    int32_t confNo = 0;
    std::string name;
    std::string type; // bit string as sent
    TDateTime creationTime = 0;
    TDateTime lastTextTime = 0;
    int32_t personNo = 0;     // kept, not used
    int32_t presentation = 0; // text number
    int32_t supervisor = 0;   // conference number
    int32_t otherConfNo = 0;  // kept, not used
    int32_t superConf = 0;
    int32_t msgOfDay = 0;     // text number
    int32_t extra1 = 0;       // kept, not used; the short status sets it too
    int32_t extra2 = 0;       // kept, not used
    int32_t firstLocalNo = 0;
    int32_t highestLocalNo = 0;
    int32_t noOfTexts = 0;
};

class TMiravoConferenceBase : public TLockable
{
public:
    explicit TMiravoConferenceBase(int32_t confNo = 0, RecordServices* services = nullptr);

    void SetServices(RecordServices* services) { services_ = services; }
    RecordServices* Services() const { return services_; }

    int32_t ConfNo() const;
    // Loads the short status only when no status has been loaded at all.
    std::string Name();
    // These load the full status first.
    int32_t Presentation();
    int32_t Supervisor();
    int32_t SuperConf();
    int32_t MsgOfDay();
    int32_t FirstLocalNo();
    int32_t NoOfTexts();
    // Loads the short status first.
    int32_t HighestLocalNo();

    // Without loading anything.
    ConfStatFields Snapshot() const;

    // Parsers store through these; they also set the matching loaded flag.
    void StoreFullStatus(const ConfStatFields& full);
    void StoreShortStatus(const std::string& name, const std::string& type, int32_t highestLocalNo, int32_t extra1);

    void SetName(std::string name);
    void SetType(std::string type);
    void SetPresentation(int32_t text);
    void SetMsgOfDay(int32_t text);
    void SetSupervisor(int32_t conf);
    void SetSuperConf(int32_t conf);

    bool FullLoaded() const { return fullLoaded_; }
    bool ShortLoaded() const { return shortLoaded_; }
    void SetFullLoaded(bool v) { fullLoaded_ = v; }
    void SetShortLoaded(bool v) { shortLoaded_ = v; }

protected:
    void EnsureFull();
    void EnsureShort();
    int32_t ReadField(int32_t ConfStatFields::*field) const;

    std::atomic<RecordServices*> services_{nullptr};
    ConfStatFields fields_;

private:
    std::atomic<bool> shortLoaded_{false};
    std::atomic<bool> fullLoaded_{false};
};

} // namespace pellar
