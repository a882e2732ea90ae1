// The asynchronous-message thread: takes the server's ":" lines from the
// client's list and acts on them (new texts, messages, presence, log-on and
// log-off notices, server notices). Window effects go through EventPorts on
// the GUI thread; cache updates and read marks happen here.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "core/protocol/AsyncMessages.h"
#include "core/events/MessageRouter.h"

namespace pellar {

struct AlertNotice;

class Client;
class EventPorts;
class GuiThread;
class ReadingServices;
class TLogOnOffThread;

class TAsyncMsgThread {
public:
    TAsyncMsgThread(Client& client, GuiThread& gui, EventPorts& ports, ReadingServices& reading);
    ~TAsyncMsgThread();  // Stop()
    TAsyncMsgThread(const TAsyncMsgThread&) = delete;
    TAsyncMsgThread& operator=(const TAsyncMsgThread&) = delete;

    void Start();
    // Asks the thread to end and waits for it and its notice threads. Whoever
    // calls it from the GUI thread must first release hand-overs in flight
    // (CancellableGuiThread::Cancel).
    void Stop();

    // Lines are handled only while enabled: Connect sets it, Disconnect clears it.
    void SetEnabled(bool on);
    bool Enabled() const { return enabled_.load(); }

    // The open messages windows.
    MessageRouter& Router() { return router_; }

    // One line on the calling thread (what the loop does per pass).
    void DispatchLine(const std::string& line);
    // Notice threads started; they may still run. Waits for each to end.
    void JoinNoticeThreads();

    uint32_t MessageCount() const { return messageCount_.load(); }
    PresenceReport LastPresence() const;

private:
    void Loop();
    void NewText(int32_t text, const std::string& line, size_t& pos, bool withAux);
    void Message(int32_t recipient, int32_t sender, std::string text);
    AlertNotice TextNotice(int32_t text, int32_t author);
    void Presence(const PresenceReport& report);
    void LogOnOff(int32_t person, int32_t session, bool loggedIn);
    void ReapNoticeThreads(bool all);
    void Status(const std::string& text);

    Client& client_;
    GuiThread& gui_;
    EventPorts& ports_;
    ReadingServices& reading_;
    MessageRouter router_;

    std::atomic<bool> enabled_{false};
    std::atomic<bool> terminate_{false};
    std::atomic<uint32_t> messageCount_{0};
    mutable std::mutex presenceMutex_;
    PresenceReport lastPresence_;
    std::mutex noticeMutex_;
    std::list<std::unique_ptr<TLogOnOffThread>> notices_;
    std::mutex wakeMutex_;
    std::condition_variable wake_;
    std::thread thread_;
};

} // namespace pellar
