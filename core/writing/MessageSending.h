// The messages windows' sending in core: each message goes out on a worker,
// in the order given, and the window hears on the GUI thread when the server
// answered, with the recipient's name for its log. So a window never waits on
// the server to send a message or to name whom it went to.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "core/base/GuiAnswers.h"

namespace pellar {

class Client;

class MessageSending {
public:
    // recipient 0: everyone. sent: whether the server took it (a refusal
    // has posted its reason); name: whom it went to, for the log.
    using Done = std::function<void(bool sent, const std::string& name)>;

    // gui: the hand-over answers arrive through; cancelled by Stop.
    MessageSending(Client& client, std::unique_ptr<CancellableGuiThread> gui);
    // Stop().
    ~MessageSending();
    MessageSending(const MessageSending&) = delete;
    MessageSending& operator=(const MessageSending&) = delete;

    // knownName: the name the window already shows for the recipient; when
    // empty it is looked up on the worker ("all users" for everyone).
    void Send(int32_t recipient, std::string text, std::string knownName, Done done = {});
    // Messages given and not yet answered.
    size_t Pending() const { return answers_.Outstanding(); }
    // The window goes: unsent messages are dropped, an answer in flight too.
    void Stop() { answers_.Stop(); }

    // The name of the log entry: everyone, the name known, or the one the
    // caches give (which may ask the server).
    static std::string RecipientName(Client& client, int32_t recipient, const std::string& knownName);

private:
    Client& client_;
    GuiAnswers answers_;
};

} // namespace pellar
