#include "core/events/MessageRouter.h"

#include <algorithm>

namespace pellar {

bool AcceptsMessage(bool isChat, int32_t partner, int32_t sender, int32_t recipient, int32_t currentPerson,
                    bool chatOnly)
{
    if (chatOnly)
        return isChat && partner == sender && recipient == currentPerson;
    return !isChat || partner == sender;
}

void MessageRouter::Add(MessageTarget* target)
{
    std::lock_guard lock(mutex_);
    if (target && std::find(targets_.begin(), targets_.end(), target) == targets_.end())
        targets_.push_back(target);
}

void MessageRouter::Remove(MessageTarget* target)
{
    std::lock_guard lock(mutex_);
    targets_.erase(std::remove(targets_.begin(), targets_.end(), target), targets_.end());
}

int MessageRouter::Count() const
{
    std::lock_guard lock(mutex_);
    return static_cast<int>(targets_.size());
}

int MessageRouter::Deliver(const IncomingMessage& message)
{
    // A window may open or close while another shows the message (the away
    // reply waits for the server), so walk a copy and skip the departed.
    for (bool chatOnly : {true, false}) {
        std::vector<MessageTarget*> targets;
        {
            std::lock_guard lock(mutex_);
            targets = targets_;
        }
        int shown = 0;
        for (MessageTarget* t : targets) {
            {
                std::lock_guard lock(mutex_);
                if (std::find(targets_.begin(), targets_.end(), t) == targets_.end())
                    continue;
            }
            if (t->Deliver(message, chatOnly))
                ++shown;
        }
        if (shown > 0)
            return shown;
    }
    return 0;
}

} // namespace pellar
