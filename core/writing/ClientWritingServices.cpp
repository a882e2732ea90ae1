#include "core/writing/ClientWritingServices.h"

#include "core/commands/MiravoTables.h"
#include "core/wire/TMiravoConference.h"
#include "core/session/SessionCommands.h"
#include "core/session/Client.h"

namespace pellar {

ClientWritingServices::ClientWritingServices(Client& client, std::function<void(const std::string&)> activity)
    : client_(client), activity_(std::move(activity))
{
}

std::function<void(const std::string&)> ClientWritingServices::ActivityVia(SessionCommands& commands)
{
    return [&commands](const std::string& key) {
        for (size_t i = 0; i < MiravoActivities.size(); ++i) {
            if (key == MiravoActivities[i].key) {
                commands.ChangeActivity(static_cast<int>(i));
                return;
            }
        }
    };
}

std::string ClientWritingServices::GetName(int32_t number)
{
    return client_.Cache().GetName(number);
}

std::shared_ptr<TextStatType> ClientWritingServices::GetTextStat(int32_t text)
{
    return client_.Cache().GetTextStat(text);
}

void ClientWritingServices::ForgetTextStat(int32_t text)
{
    client_.Cache().ForgetTextStat(text);
}

std::shared_ptr<TMiravoText> ClientWritingServices::GetText(int32_t text)
{
    return client_.Cache().GetText(text);
}

std::shared_ptr<TMiravoConference> ClientWritingServices::GetConference(int32_t conf)
{
    auto record = client_.Cache().GetConference(conf);
    if (!record)
        return nullptr;
    record->Presentation();  // loads the full status
    // A load that failed leaves the record empty; every real conference has
    // a type.
    return record->Snapshot().type.empty() ? nullptr : record;
}

RequestReply ClientWritingServices::Request(const std::string& label, const WireRequest& request)
{
    TGenericTrans trans(client_.Protocol(), label, request);
    RequestReply reply;
    reply.ok = client_.Transactions().ExecuteAndWait(trans);
    if (reply.ok)
        reply.line = trans.ReplyLine();
    return reply;
}

int32_t ClientWritingServices::ProtocolVersion()
{
    return client_.ServerVersionInfo().ProtocolVersion;
}

int32_t ClientWritingServices::CurrentPerson()
{
    return client_.CurrentPerson();
}

WritingServerInfo ClientWritingServices::ServerInfo()
{
    const ServerInfoRec info = client_.ServerInfo();
    return WritingServerInfo{info.ConfPresentationConf, info.PersonPresentationConf, info.MotdConf};
}

void ClientWritingServices::PostUserMessage(std::string text)
{
    client_.UserMessages().PostUserMessage(std::move(text));
}

void ClientWritingServices::ChangeActivity(const std::string& key)
{
    if (activity_)
        activity_(key);
}

} // namespace pellar
