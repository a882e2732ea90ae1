#include "core/wire/TMiravoConferenceBase.h"

#include <mutex>

#include "core/wire/RecordServices.h"

namespace pellar {

TMiravoConferenceBase::TMiravoConferenceBase(int32_t confNo, RecordServices* services) : services_(services)
{
    fields_.confNo = confNo;
}

// Whoever loads sets the flag: a status that came, and a refusal too, so a
// missing conference is not asked for again on every access. A wait that
// was cancelled or a link that went leaves it clear, so the next access asks
// again instead of reading the empty record as the conference.
void TMiravoConferenceBase::EnsureFull()
{
    if (fullLoaded_)
        return;
    if (RecordServices* services = services_.load())
        services->LoadFullConfStatus(*this);
    else
        fullLoaded_ = true;
}

void TMiravoConferenceBase::EnsureShort()
{
    if (shortLoaded_)
        return;
    if (RecordServices* services = services_.load())
        services->LoadShortConfStatus(*this);
    else
        shortLoaded_ = true;
}

int32_t TMiravoConferenceBase::ReadField(int32_t ConfStatFields::*field) const
{
    std::lock_guard lock(*this);
    return fields_.*field;
}

int32_t TMiravoConferenceBase::ConfNo() const
{
    return ReadField(&ConfStatFields::confNo);
}

std::string TMiravoConferenceBase::Name()
{
    if (!fullLoaded_ && !shortLoaded_)
        EnsureShort();
    std::lock_guard lock(*this);
    return fields_.name;
}

int32_t TMiravoConferenceBase::Presentation()
{
    EnsureFull();
    return ReadField(&ConfStatFields::presentation);
}

int32_t TMiravoConferenceBase::Supervisor()
{
    EnsureFull();
    return ReadField(&ConfStatFields::supervisor);
}

int32_t TMiravoConferenceBase::SuperConf()
{
    EnsureFull();
    return ReadField(&ConfStatFields::superConf);
}

int32_t TMiravoConferenceBase::MsgOfDay()
{
    EnsureFull();
    return ReadField(&ConfStatFields::msgOfDay);
}

int32_t TMiravoConferenceBase::FirstLocalNo()
{
    EnsureFull();
    return ReadField(&ConfStatFields::firstLocalNo);
}

int32_t TMiravoConferenceBase::NoOfTexts()
{
    EnsureFull();
    return ReadField(&ConfStatFields::noOfTexts);
}

int32_t TMiravoConferenceBase::HighestLocalNo()
{
    EnsureShort();
    return ReadField(&ConfStatFields::highestLocalNo);
}

ConfStatFields TMiravoConferenceBase::Snapshot() const
{
    std::lock_guard lock(*this);
    return fields_;
}

void TMiravoConferenceBase::StoreFullStatus(const ConfStatFields& full)
{
    {
        std::lock_guard lock(*this);
        // The full status neither names the conference number nor carries
        // the highest local number: both stay as they are.
        const int32_t confNo = fields_.confNo;
        const int32_t highest = fields_.highestLocalNo;
        fields_ = full;
        fields_.confNo = confNo;
        fields_.highestLocalNo = highest;
    }
    fullLoaded_ = true;
}

void TMiravoConferenceBase::StoreShortStatus(const std::string& name, const std::string& type, int32_t highestLocalNo,
                                             int32_t extra1)
{
    {
        std::lock_guard lock(*this);
        fields_.name = name;
        fields_.type = type;
        fields_.highestLocalNo = highestLocalNo;
        fields_.extra1 = extra1;
    }
    shortLoaded_ = true;
}

void TMiravoConferenceBase::SetName(std::string name)
{
    std::lock_guard lock(*this);
    fields_.name = std::move(name);
}

void TMiravoConferenceBase::SetType(std::string type)
{
    std::lock_guard lock(*this);
    fields_.type = std::move(type);
}

void TMiravoConferenceBase::SetPresentation(int32_t text)
{
    std::lock_guard lock(*this);
    fields_.presentation = text;
}

void TMiravoConferenceBase::SetMsgOfDay(int32_t text)
{
    std::lock_guard lock(*this);
    fields_.msgOfDay = text;
}

void TMiravoConferenceBase::SetSupervisor(int32_t conf)
{
    std::lock_guard lock(*this);
    fields_.supervisor = conf;
}

void TMiravoConferenceBase::SetSuperConf(int32_t conf)
{
    std::lock_guard lock(*this);
    fields_.superConf = conf;
}

} // namespace pellar
