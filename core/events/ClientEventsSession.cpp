#include "core/events/ClientEventsSession.h"

#include "core/config/TMiravoConfiguration.h"
#include "core/session/Client.h"
#include "core/session/Logon.h"

namespace pellar {

bool ClientEventsSession::IsConnected()
{
    return client_.ConnectedEvent().IsSet();
}

TMiravoConfiguration& ClientEventsSession::Config()
{
    return client_.Config();
}

void ClientEventsSession::AcceptPresenceReports(bool on)
{
    if (!client_.ConnectedEvent().IsSet())
        return;
    AcceptAsyncMessages(client_, on);
}

std::unique_ptr<ActiveUsers> ClientEventsSession::NewActiveUsers(std::unique_ptr<CancellableGuiThread> gui,
                                                                 std::function<void()> changed)
{
    return std::make_unique<ActiveUsers>(client_, std::move(gui), std::move(changed));
}

std::shared_ptr<AsyncDispatch> ClientEventsSession::NewDispatch(std::unique_ptr<CancellableGuiThread> gui)
{
    return std::make_shared<AsyncDispatch>(client_, std::move(gui));
}

} // namespace pellar
