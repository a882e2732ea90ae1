#include "core/events/ActiveUsers.h"

#include "core/session/Client.h"

#include "core/base/CancellableGuiThread.h"

namespace pellar {

ActiveUsers::ActiveUsers(Client& client, std::unique_ptr<CancellableGuiThread> gui, std::function<void()> changed)
    : table_(client.Locale()), gui_(std::move(gui)), updater_(client, *gui_, table_, std::move(changed))
{
    updater_.Start();
}

ActiveUsers::~ActiveUsers()
{
    Shutdown();
}

void ActiveUsers::Refresh()
{
    if (!shutDown_)
        updater_.RequestUpdate();
}

void ActiveUsers::Shutdown()
{
    if (shutDown_)
        return;
    shutDown_ = true;
    gui_->Cancel();
    updater_.Stop();
}

} // namespace pellar
