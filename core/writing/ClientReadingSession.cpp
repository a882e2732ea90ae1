#include "core/writing/ClientReadingSession.h"

#include "core/config/TMiravoConfiguration.h"
#include "core/session/Client.h"
#include "core/writing/ClientArticlePane.h"

namespace pellar {

TMiravoConfiguration& ClientReadingSession::Config()
{
    return client_.Config();
}

const LocalePort& ClientReadingSession::Locale()
{
    return client_.Locale();
}

std::unique_ptr<ReadingController> ClientReadingSession::NewController(std::unique_ptr<CancellableGuiThread> gui,
                                                                       ReadingView& view,
                                                                       std::unique_ptr<CancellableGuiThread> answers)
{
    return std::make_unique<ReadingController>(client_, std::move(gui), view, std::move(answers));
}

std::unique_ptr<ArticlePanePort> ClientReadingSession::NewArticlePane(std::unique_ptr<CancellableGuiThread> gui)
{
    return std::make_unique<ClientArticlePane>(client_, std::move(gui));
}

} // namespace pellar
