#include "core/writing/TextCommands.h"

#include "core/link/MVTransaction.h"
#include "core/session/Client.h"
#include "core/writing/WritingServices.h"

namespace pellar {

namespace {

bool SendAndWait(Client& client, std::string label, const WireRequest& request)
{
    TGenericTrans trans(client.Protocol(), std::move(label), request);
    return client.Transactions().ExecuteAndWait(trans);
}

} // namespace

bool DeleteText(Client& client, int32_t text)
{
    const bool ok = SendAndWait(client, "Delete text", requests::DeleteText(text));
    client.Cache().ForgetText(text);
    return ok;
}

bool SetMark(Client& client, int32_t text, int32_t markType)
{
    return SendAndWait(client, "Set mark", requests::MarkText(text, markType));
}

bool SendMessage(Client& client, int32_t recipient, std::string_view message)
{
    return SendAndWait(client, "Send message", requests::SendMessage(recipient, message));
}

bool DeleteMark(WritingServices& services, int32_t text)
{
    return services.Request("Delete mark", requests::UnmarkText(text)).ok;
}

bool ChangeMarkType(WritingServices& services, int32_t text, int32_t markType)
{
    return services.Request("Change mark type", requests::MarkText(text, markType)).ok;
}

} // namespace pellar
