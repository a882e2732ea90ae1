#include "core/writing/ClientArticlePane.h"

#include "core/config/TMiravoConfiguration.h"
#include "core/session/Client.h"
#include "core/session/MVCache.h"
#include "core/writing/TextCommands.h"

namespace pellar {

ClientArticlePane::ClientArticlePane(Client& client, std::unique_ptr<CancellableGuiThread> gui)
    : client_(client), words_(client.Cache()), commands_(std::move(gui))
{
}

ClientArticlePane::~ClientArticlePane()
{
    Stop();
}

bool ClientArticlePane::IsConnected()
{
    return client_.ConnectedEvent().IsSet();
}

std::vector<std::string> ClientArticlePane::Shortcuts()
{
    return client_.Config().ShortcutMap();
}

void ClientArticlePane::PostUserMessage(const std::string& line)
{
    client_.UserMessages().PostUserMessage(line);
}

void ClientArticlePane::OfferFor(std::string word, std::function<void(const ContextMenuOffer&)> answer)
{
    commands_.Ask([this, word = std::move(word), answer = std::move(answer)]() -> std::function<void()> {
        ContextMenuOffer offer = ContextWords::Offer(word, words_);
        if (!answer)
            return {};
        return [answer, offer] { answer(offer); };
    });
}

void ClientArticlePane::DeleteText(int32_t text)
{
    commands_.Ask([this, text]() -> std::function<void()> {
        pellar::DeleteText(client_, text);
        return {};
    });
}

void ClientArticlePane::MarkText(int32_t text)
{
    commands_.Ask([this, text]() -> std::function<void()> {
        SetMark(client_, text, kDefaultMarkType);
        return {};
    });
}

} // namespace pellar
