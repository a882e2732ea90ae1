#include "core/admin/ConferenceAttributes.h"

#include "core/wire/TMiravoConference.h"
#include "core/wire/WireTokens.h"
#include "core/writing/WritingServices.h"

namespace pellar {

ConferenceAttributes::ConferenceAttributes(WritingServices& services, int32_t conf) : services_(services), conf_(conf)
{
}

std::optional<ConferenceAttributesView> ConferenceAttributes::Load(std::string& error)
{
    auto record = services_.GetConference(conf_);
    if (!record) {
        error = "Unable to get conf stat!";
        return std::nullopt;
    }
    ConferenceAttributesView view;
    view.superConf = record->SuperConf();
    view.supervisor = record->Supervisor();
    const RequestReply reply = services_.Request("Set uconf stat", requests::GetUConfStat(conf_));
    if (!reply.ok) {
        error = "Unable to get conference info";
        return std::nullopt;
    }
    size_t pos = 0;
    ReadHollerith(reply.line, pos);  // the name
    view.checks = ConferenceTypeFlags::ToChecks(ReadToken(reply.line, pos));
    view.name = services_.GetName(conf_);
    return view;
}

std::vector<std::string> ConferenceAttributes::Save(const ConferenceTypeChecks& checks,
                                                    std::optional<int32_t> superConf,
                                                    std::optional<int32_t> supervisor)
{
    std::vector<std::string> errors;
    const std::string flags = ConferenceTypeFlags::FromChecks(checks);
    const int32_t super = superConf.value_or(-1);
    const int32_t boss = supervisor.value_or(-1);
    // Keep the cached record in step with what the server accepted, so the
    // reload after Apply shows the new values.
    auto record = services_.GetConference(conf_);
    if (services_.Request("Set conf type", requests::SetConferenceType(conf_, flags)).ok) {
        if (record)
            record->SetType(flags);
    } else {
        errors.push_back("Unable to set conference type");
    }
    if (services_.Request("Set super conf", requests::SetSuperConference(conf_, super)).ok) {
        if (record)
            record->SetSuperConf(super);
    } else {
        errors.push_back("Unable to set Super Conf");
    }
    if (services_.Request("Set supervisor", requests::SetSupervisor(conf_, boss)).ok) {
        if (record)
            record->SetSupervisor(boss);
    } else {
        errors.push_back("Unable to set Supervisor");
    }
    return errors;
}

} // namespace pellar
