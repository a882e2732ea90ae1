// What the reading window asks of the session it reads in: the settings, the
// user's locale, and the two core pieces it draws: the reading controller
// (everything the window does with the server goes through it) and the
// article pane's port. The window gets this port, not the client.
#pragma once

#include <memory>

#include "core/base/CancellableGuiThread.h"
#include "core/reading/ArticlePanePort.h"
#include "core/reading/ReadingController.h"

namespace pellar {

class LocalePort;
class TMiravoConfiguration;

class ReadingSession {
public:
    virtual ~ReadingSession() = default;

    virtual TMiravoConfiguration& Config() = 0;
    // How names compare and dates are written for the user.
    virtual const LocalePort& Locale() = 0;
    // See ReadingController's constructor.
    virtual std::unique_ptr<ReadingController> NewController(std::unique_ptr<CancellableGuiThread> gui,
                                                             ReadingView& view,
                                                             std::unique_ptr<CancellableGuiThread> answers) = 0;
    // The article pane's port; its answers come back through gui.
    virtual std::unique_ptr<ArticlePanePort> NewArticlePane(std::unique_ptr<CancellableGuiThread> gui) = 0;
};

} // namespace pellar
