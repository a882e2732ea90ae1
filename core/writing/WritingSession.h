// What the writing windows and the messages window ask of the session they
// write in: the link state, the person logged on and where, a line for the
// user, the settings, and the services a window's model works through. The
// windows get this port, not the client; whatever needs the server runs in
// the services and the sending they are handed, off the GUI thread.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "core/base/CancellableGuiThread.h"
#include "core/writing/DraftStore.h"
#include "core/writing/MessageSending.h"
#include "core/writing/WritingServices.h"

namespace pellar {

class TMiravoConfiguration;

class WritingSession {
public:
    virtual ~WritingSession() = default;

    virtual bool IsConnected() = 0;
    // 0 while nobody is logged on.
    virtual int32_t CurrentPerson() = 0;
    virtual void PostUserMessage(const std::string& line) = 0;
    virtual TMiravoConfiguration& Config() = 0;
    // Where the session is logged on now: server, port and person; a place
    // that is not known (DraftPlace::Known) while offline.
    virtual DraftPlace Here() = 0;
    // A window's own services; activity, when given, changes the session's
    // activity by key.
    virtual std::unique_ptr<WritingServices> Services(std::function<void(const std::string&)> activity) = 0;
    // A messages window's sending, answering through gui.
    virtual std::unique_ptr<MessageSending> Sending(std::unique_ptr<CancellableGuiThread> gui) = 0;
};

} // namespace pellar
