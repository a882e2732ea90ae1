#include "core/writing/MessageSending.h"

#include "core/session/Client.h"
#include "core/session/MVCache.h"
#include "core/writing/TextCommands.h"

namespace pellar {

MessageSending::MessageSending(Client& client, std::unique_ptr<CancellableGuiThread> gui)
    : client_(client), answers_(std::move(gui))
{
}

MessageSending::~MessageSending()
{
    Stop();
}

std::string MessageSending::RecipientName(Client& client, int32_t recipient, const std::string& knownName)
{
    if (recipient == 0)
        return "all users";
    if (!knownName.empty())
        return knownName;
    return client.Cache().GetName(recipient);
}

void MessageSending::Send(int32_t recipient, std::string text, std::string knownName, Done done)
{
    answers_.Ask([this, recipient, text = std::move(text), knownName = std::move(knownName),
                  done = std::move(done)]() -> std::function<void()> {
        const bool sent = SendMessage(client_, recipient, text);
        std::string name = RecipientName(client_, recipient, knownName);
        if (!done)
            return {};
        return [done, sent, name = std::move(name)] { done(sent, name); };
    });
}

} // namespace pellar
