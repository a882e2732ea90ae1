#include "core/session/ClientNameLookup.h"

#include "core/link/MVRequests.h"
#include "core/session/Client.h"

namespace pellar {

NameLookupResult ClientNameLookup::Lookup(const std::string& prefix, bool persons, bool conferences)
{
    NameLookupResult result;
    if (!client_.ConnectedEvent().IsSet()) {
        result.failed = true;
        result.error = "Not connected to a server";
        return result;
    }
    TNumberFromNameTrans request(client_.Protocol(), prefix, persons, conferences);
    if (!client_.Transactions().ExecuteAndWait(request)) {
        result.failed = true;
        // A refusal or an unreadable reply was shown when it came; without a
        // reply while still connected, the user gave up waiting. What is left
        // is a lost link.
        const bool told = request.Malformed() || !request.ErrorText().empty();
        if (!told && !client_.ConnectedEvent().IsSet())
            result.error = request.FailureText();
        return result;
    }
    for (const NameMatchRec& m : request.Results())
        result.matches.push_back(NameMatch{m.name, m.type, m.number});
    return result;
}

std::optional<std::string> ClientNameLookup::NameOf(int32_t number)
{
    if (!client_.ConnectedEvent().IsSet())
        return std::nullopt;
    return client_.Cache().GetName(number);
}

} // namespace pellar
