// The reading window's session port over a running client. It lives with
// writing, not reading, because the article pane it makes sends the text
// commands of writing (ClientArticlePane).
#pragma once

#include "core/reading/ReadingSession.h"

namespace pellar {

class Client;

class ClientReadingSession : public ReadingSession {
public:
    explicit ClientReadingSession(Client& client) : client_(client) {}

    TMiravoConfiguration& Config() override;
    const LocalePort& Locale() override;
    std::unique_ptr<ReadingController> NewController(std::unique_ptr<CancellableGuiThread> gui, ReadingView& view,
                                                     std::unique_ptr<CancellableGuiThread> answers) override;
    std::unique_ptr<ArticlePanePort> NewArticlePane(std::unique_ptr<CancellableGuiThread> gui) override;

private:
    Client& client_;
};

} // namespace pellar
