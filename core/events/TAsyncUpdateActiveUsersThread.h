// The who-is-on updater, owned by ActiveUsers: on request it asks the server
// who is on, fills the table at once with the names the caches already hold,
// then looks up the rest and the session details and fills them in. The table belongs to
// the GUI thread; every change goes through the hand-over.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace pellar {

class ActiveUsersTable;
class Client;
class GuiThread;

class TAsyncUpdateActiveUsersThread {
public:
    // changed runs on the GUI thread after each change of the table.
    TAsyncUpdateActiveUsersThread(Client& client, GuiThread& gui, ActiveUsersTable& table,
                                  std::function<void()> changed);
    ~TAsyncUpdateActiveUsersThread();  // Stop()
    TAsyncUpdateActiveUsersThread(const TAsyncUpdateActiveUsersThread&) = delete;
    TAsyncUpdateActiveUsersThread& operator=(const TAsyncUpdateActiveUsersThread&) = delete;

    void Start();
    void Stop();
    // Ignored while offline.
    void RequestUpdate();
    // One complete update on the calling thread (not the GUI thread).
    void UpdateNow();
    uint32_t CompletedUpdates() const { return completed_.load(); }

private:
    void Loop();

    Client& client_;
    GuiThread& gui_;
    ActiveUsersTable& table_;
    std::function<void()> changed_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool requested_ = false;
    bool stop_ = false;
    std::atomic<uint32_t> completed_{0};
    std::thread thread_;
};

} // namespace pellar
