// The who-is-on window's side in core: the rows (ActiveUsersTable) and the
// updater that fills them on request, with the updater's hand-over and its
// end. The window draws the table and asks for updates.
#pragma once

#include <functional>
#include <memory>

#include "core/events/ActiveUsersTable.h"
#include "core/events/TAsyncUpdateActiveUsersThread.h"

namespace pellar {

class CancellableGuiThread;
class Client;

class ActiveUsers {
public:
    // gui: the updater's hand-over, cancelled by Shutdown; changed runs on
    // the GUI thread after the updater changed the table. The updater starts
    // at once and waits for requests.
    ActiveUsers(Client& client, std::unique_ptr<CancellableGuiThread> gui, std::function<void()> changed);
    // Shutdown().
    ~ActiveUsers();
    ActiveUsers(const ActiveUsers&) = delete;
    ActiveUsers& operator=(const ActiveUsers&) = delete;

    // GUI thread only, like every change of it.
    ActiveUsersTable& Table() { return table_; }
    const ActiveUsersTable& Table() const { return table_; }
    TAsyncUpdateActiveUsersThread& Updater() { return updater_; }

    // A complete update on the updater; ignored while offline or shut down.
    void Refresh();
    // A fill waiting for the GUI thread is released and dropped, then the
    // updater ends its update and is joined. Nothing runs after it.
    void Shutdown();
    bool IsShutDown() const { return shutDown_; }

private:
    ActiveUsersTable table_;
    std::unique_ptr<CancellableGuiThread> gui_;
    TAsyncUpdateActiveUsersThread updater_;
    bool shutDown_ = false;
};

} // namespace pellar
