// What the message and who-is-on windows and their controller ask of the
// session: the link state, the settings, whether presence reports come, and
// the core workers they drive (the asynchronous-message dispatch, the
// who-is-on updater). The windows get this port, not the client.
#pragma once

#include <functional>
#include <memory>

#include "core/base/CancellableGuiThread.h"
#include "core/events/ActiveUsers.h"
#include "core/events/AsyncDispatch.h"

namespace pellar {

class TMiravoConfiguration;

class EventsSession {
public:
    virtual ~EventsSession() = default;

    virtual bool IsConnected() = 0;
    virtual TMiravoConfiguration& Config() = 0;
    // Asks the server for log-on, log-off and presence messages, or not; the
    // request goes without waiting for its answer. Nothing while offline.
    virtual void AcceptPresenceReports(bool on) = 0;
    // The who-is-on rows and their updater; see ActiveUsers.
    virtual std::unique_ptr<ActiveUsers> NewActiveUsers(std::unique_ptr<CancellableGuiThread> gui,
                                                        std::function<void()> changed) = 0;
    // A dispatch of the window's own, started disabled; see AsyncDispatch.
    virtual std::shared_ptr<AsyncDispatch> NewDispatch(std::unique_ptr<CancellableGuiThread> gui) = 0;
};

} // namespace pellar
