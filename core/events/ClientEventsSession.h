// The message windows' session port over a running client.
#pragma once

#include "core/events/EventsSession.h"

namespace pellar {

class Client;

class ClientEventsSession : public EventsSession {
public:
    explicit ClientEventsSession(Client& client) : client_(client) {}

    bool IsConnected() override;
    TMiravoConfiguration& Config() override;
    void AcceptPresenceReports(bool on) override;
    std::unique_ptr<ActiveUsers> NewActiveUsers(std::unique_ptr<CancellableGuiThread> gui,
                                                std::function<void()> changed) override;
    std::shared_ptr<AsyncDispatch> NewDispatch(std::unique_ptr<CancellableGuiThread> gui) override;

private:
    Client& client_;
};

} // namespace pellar
