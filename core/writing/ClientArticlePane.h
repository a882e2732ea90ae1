// The article pane's port over a running client: bindings from the profile,
// and on a worker of their own, in the order given, the context menu's tests
// against the caches and the delete and mark commands.
#pragma once

#include <cstddef>
#include <memory>

#include "core/base/GuiAnswers.h"
#include "core/reading/ArticlePanePort.h"
#include "core/reading/ContextWords.h"

namespace pellar {

class Client;

class ClientArticlePane : public ArticlePanePort {
public:
    // gui: the hand-over the commands' ends come back through; cancelled by
    // Stop (and the destructor).
    ClientArticlePane(Client& client, std::unique_ptr<CancellableGuiThread> gui);
    ~ClientArticlePane() override;

    bool IsConnected() override;
    std::vector<std::string> Shortcuts() override;
    void OfferFor(std::string word, std::function<void(const ContextMenuOffer&)> answer) override;
    void PostUserMessage(const std::string& line) override;
    void DeleteText(int32_t text) override;
    void MarkText(int32_t text) override;

    // Commands and menu questions given and not yet done.
    size_t Pending() const { return commands_.Outstanding(); }
    void Stop() override { commands_.Stop(); }

private:
    Client& client_;
    CacheContextWordSource words_;
    GuiAnswers commands_;
};

} // namespace pellar
