// The open messages windows in creation order, and the two-pass delivery of
// an incoming message: first only to a chat window with the sender, then, if
// none took it, to every window that shows it.
#pragma once

#include "core/events/EventPorts.h"

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace pellar {

class MessageTarget {
public:
    virtual ~MessageTarget() = default;
    // True when the window showed the message. The message comes with its
    // names resolved: a window never waits on the server to show one.
    virtual bool Deliver(const IncomingMessage& message, bool chatOnly) = 0;
};

// Whether a window (chat or plain, bound to partner) takes a message.
bool AcceptsMessage(bool isChat, int32_t partner, int32_t sender, int32_t recipient, int32_t currentPerson,
                    bool chatOnly);

class MessageRouter {
public:
    void Add(MessageTarget* target);
    void Remove(MessageTarget* target);
    int Count() const;
    // Returns how many windows showed the message. Call on the GUI thread.
    int Deliver(const IncomingMessage& message);

private:
    mutable std::mutex mutex_;
    std::vector<MessageTarget*> targets_;
};

} // namespace pellar
