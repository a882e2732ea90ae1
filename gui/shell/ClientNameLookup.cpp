#include "gui/shell/ClientNameLookup.h"

#include "core/protocol/MVRequests.h"
#include "core/session/Client.h"

namespace pellar {

std::vector<NameMatch> ClientNameLookup::Lookup(const std::string& prefix, bool persons, bool conferences)
{
    std::vector<NameMatch> matches;
    if (!client_.ConnectedEvent().IsSet())
        return matches;
    TNumberFromNameTrans request(client_.Protocol(), prefix, persons, conferences);
    if (!client_.Transactions().ExecuteAndWait(request))
        return matches;
    for (const NameMatchRec& m : request.Results())
        matches.push_back(NameMatch{m.name, m.type, m.number});
    return matches;
}

std::optional<std::string> ClientNameLookup::NameOf(int32_t number)
{
    if (!client_.ConnectedEvent().IsSet())
        return std::nullopt;
    return client_.Cache().GetName(number);
}

} // namespace pellar
