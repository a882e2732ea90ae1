#include "core/writing/ClientWritingSession.h"

#include "core/config/TMiravoConfiguration.h"
#include "core/session/Client.h"
#include "core/writing/ClientWritingServices.h"

namespace pellar {

bool ClientWritingSession::IsConnected()
{
    return client_.ConnectedEvent().IsSet();
}

int32_t ClientWritingSession::CurrentPerson()
{
    return client_.CurrentPerson();
}

void ClientWritingSession::PostUserMessage(const std::string& line)
{
    client_.UserMessages().PostUserMessage(line);
}

TMiravoConfiguration& ClientWritingSession::Config()
{
    return client_.Config();
}

DraftPlace ClientWritingSession::Here()
{
    DraftPlace here;
    if (!client_.ConnectedEvent().IsSet())
        return here;
    here.server = client_.ComThread().Server();
    here.port = client_.ComThread().Port();
    here.person = client_.CurrentPerson();
    here.personName = client_.CurrentPersonName();
    return here;
}

std::unique_ptr<WritingServices> ClientWritingSession::Services(std::function<void(const std::string&)> activity)
{
    return std::make_unique<ClientWritingServices>(client_, std::move(activity));
}

std::unique_ptr<MessageSending> ClientWritingSession::Sending(std::unique_ptr<CancellableGuiThread> gui)
{
    return std::make_unique<MessageSending>(client_, std::move(gui));
}

} // namespace pellar
