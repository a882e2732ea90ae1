// The asynchronous-message thread as a worker of the session: it brings its
// own cancellable hand-over to the GUI thread and its reading services, and
// the windows that act on messages attach to it and leave again. While none
// is attached, window effects are dropped; cache updates still happen.
#pragma once

#include <memory>

#include "core/events/EventPorts.h"
#include "core/session/Session.h"

namespace pellar {

class CancellableGuiThread;
class Client;
class ClientReadingServices;
class TAsyncMsgThread;

class AsyncDispatch : public SessionWorker {
public:
    // Starts the thread, disabled.
    AsyncDispatch(Client& client, std::unique_ptr<CancellableGuiThread> gui);
    // Stop().
    ~AsyncDispatch() override;
    AsyncDispatch(const AsyncDispatch&) = delete;
    AsyncDispatch& operator=(const AsyncDispatch&) = delete;

    // GUI thread. ports: where window effects go; null detaches.
    void Attach(EventPorts* ports) { relay_.target = ports; }
    EventPorts* Attached() const { return relay_.target; }
    TAsyncMsgThread& Thread() { return *thread_; }

    void SetEnabled(bool on) override;
    void Stop() override;
    // Shown where the server's notices go: the status bar.
    void LogonFailed(const std::string& notice) override;

private:
    // Forwards to the attached window, on the GUI thread where every
    // EventPorts call comes; attach and detach happen there too.
    struct Relay : EventPorts {
        EventPorts* target = nullptr;
        void DeliverMessage(const IncomingMessage& message) override;
        void AddSession(int32_t person, int32_t session, const std::string& personName, const std::string& client,
                        const std::string& account, const std::string& host, const std::string& ident) override;
        void RemoveSession(int32_t person, int32_t session, const std::string& personName) override;
        void UpdatePresence(const std::string& personName, const std::string& confName, int32_t session,
                            const std::string& doing, const std::string& userName) override;
        void ShowTray(TrayAlert state) override;
        void Notify(const AlertNotice& notice) override;
        void SetStatusText(const std::string& text) override;
        void BringToFront() override;
        void Beep() override;
        void RefreshConferenceList() override;
        void MessagesDropped(const std::string& notice) override;
    };

    Relay relay_;
    std::unique_ptr<CancellableGuiThread> gui_;
    std::unique_ptr<ClientReadingServices> reading_;
    std::unique_ptr<TAsyncMsgThread> thread_;
};

} // namespace pellar
