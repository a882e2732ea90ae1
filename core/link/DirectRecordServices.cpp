#include "core/link/DirectRecordServices.h"

#include "core/link/MVRequests.h"
#include "core/wire/TMiravoConference.h"
#include "core/wire/TextStatType.h"

namespace pellar {

void DirectRecordServices::LoadFullConfStatus(TMiravoConferenceBase& conf)
{
    TGetConfStatTrans request(context_, conf, conf.ConfNo());
    // A refusal is an answer too; a cancel or a lost link is not.
    if (!transactions_.ExecuteAndWait(request) && !request.ErrorText().empty())
        conf.SetFullLoaded(true);
}

void DirectRecordServices::LoadShortConfStatus(TMiravoConferenceBase& conf)
{
    TGetUConfStatTrans request(context_, conf, conf.ConfNo());
    if (!transactions_.ExecuteAndWait(request) && !request.ErrorText().empty())
        conf.SetShortLoaded(true);
}

bool DirectRecordServices::LoadTextMap(int32_t conf, int32_t firstLocal, int32_t count,
                                       TSortedIntegerList<int32_t>& into)
{
    TGetTextMap request(context_, into, conf, firstLocal, count);
    return transactions_.ExecuteAndWait(request) || !request.ErrorText().empty();
}

std::shared_ptr<TMiravoConference> DirectRecordServices::FindConference(int32_t conf)
{
    auto record = std::make_shared<TMiravoConference>(conf, this);
    TGetConfStatTrans request(context_, *record, conf);
    if (!transactions_.ExecuteAndWait(request))
        return nullptr;
    return record;
}

std::shared_ptr<TextStatType> DirectRecordServices::FindTextStat(int32_t text)
{
    auto record = std::make_shared<TextStatType>();
    TGetTextStatTrans request(context_, text, *record);
    if (!transactions_.ExecuteAndWait(request))
        return nullptr;
    return record;
}

void DirectRecordServices::NoteMarkedRead(int32_t conf, int32_t local)
{
    const int32_t locals[] = {local};
    transactions_.Execute(
        std::make_unique<TGenericTrans>(context_, "Mark texts read", requests::MarkAsRead(conf, locals)));
}

} // namespace pellar
