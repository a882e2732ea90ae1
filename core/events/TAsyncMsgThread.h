// The asynchronous-message thread: takes the server's ":" lines from the
// client's list and acts on them (new texts, messages, presence, log-on and
// log-off notices, server notices). Cache updates and read marks happen here;
// window effects are gathered and handed to the GUI thread in one go per
// batch of lines, at most once a frame, so a flood costs the GUI thread one
// short hand-over per frame instead of a blocking one per message.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/wire/AsyncMessages.h"
#include "core/link/TAsyncList.h"
#include "core/events/MessageRouter.h"

namespace pellar {

struct AlertNotice;

class Client;
class EventPorts;
class GuiThread;
class ReadingServices;
class TLogOnOffThread;

// The lines the messages window shows for messages that a flood made the
// client drop: one per kind (to everyone, to the user), with the count.
std::vector<std::string> DroppedMessagesNotices(const std::string& senderName, const DroppedMessages& dropped);

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

    // One line on the calling thread, its window effects handed over at once.
    void DispatchLine(const std::string& line);
    // What the loop does per pass: the lines, then what the list folded or
    // dropped, then one hand-over of every window effect.
    void DispatchBatch(const std::vector<std::string>& lines, const AsyncOverflow& overflow);
    // Notice threads started; they may still run. Waits for each to end.
    void JoinNoticeThreads();

    uint32_t MessageCount() const { return messageCount_.load(); }
    PresenceReport LastPresence() const;

    // Lines and bytes taken from the list per pass, and the shortest time
    // between two hand-overs to the GUI thread: at most 12,500 lines and
    // ~1 MB a second reach the windows, so that laying them out keeps the GUI
    // thread within a frame; a flood beyond that is folded or dropped (and
    // told) in the list.
    static constexpr size_t kBatchLines = 200;
    static constexpr size_t kBatchBytes = 16 * 1024;
    static constexpr std::chrono::milliseconds kFrame{16};
    // Log-on and log-off notice threads running at once; more wait.
    static constexpr size_t kMaxNoticeThreads = 16;

private:
    // Window effects of the lines handled since the last hand-over.
    struct PendingEffects {
        std::vector<std::function<void()>> steps;
        std::map<int32_t, std::function<void()>> presence;  // by session: the last report counts
        bool refresh = false;
        // New texts by others, fetched ahead after the alerts are out; the
        // notices of those that alerted are built once they are fetched.
        std::vector<int32_t> prefetch;
        bool alerted = false;
        std::vector<std::pair<int32_t, int32_t>> notices;  // text, author
    };

    void Loop();
    void Handle(const std::string& line);
    void HandleOverflow(const AsyncOverflow& overflow);
    // Everything pending to the windows; with texts to fetch ahead, an alert
    // goes out before them and the rest after them.
    void FlushEffects();
    void HandOver(PendingEffects& effects);
    // Sleeps out the rest of the frame since the last hand-over; false when
    // the thread is to stop or pause.
    bool PaceHandOver();
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
    PendingEffects pending_;  // the dispatching thread's own
    std::chrono::steady_clock::time_point lastHandOver_{};
    std::thread thread_;
};

} // namespace pellar
