// The communication thread: after the handshake it alone uses the socket. It
// writes the queued request lines and copies every received byte into the
// receive queue. Send() wakes it at once through an eventfd in its poll set.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "core/protocol/BlockingWait.h"
#include "core/protocol/Dqueue.h"
#include "core/protocol/ProtocolContext.h"
#include "core/protocol/TEvent.h"
#include "core/protocol/WinsockTools.h"

namespace pellar {

class LogFile;

struct ProxySettings {
    bool useProxy = false;
    std::string server;
    std::string port;
};

// The request line as the debug log may show it: password arguments of the
// logon (62), new-account (5) and change-password (8) requests become "*".
std::string RedactRequestLine(std::string_view line);

class TMVCommunicationThread : public RequestSender {
public:
    static constexpr size_t kReceiveBufferSize = 16383;

    TMVCommunicationThread(TQueue& receiveQueue, ProtocolCounters& counters, LogFile* log);
    ~TMVCommunicationThread() override;
    TMVCommunicationThread(const TMVCommunicationThread&) = delete;
    TMVCommunicationThread& operator=(const TMVCommunicationThread&) = delete;

    // Runs on the thread whenever a link ends, however it ended: resets the
    // connected state and fails every outstanding request. Set before Start().
    void SetLinkLostHandler(std::function<void()> handler);
    void Start();
    void Stop();

    // Connects (through the proxy's CONNECT when asked) and queues the
    // handshake. Raises TWinsockException; a connection that does not
    // complete within timeoutMs fails with 10060. The name look-up and the
    // connect run on a thread of their own while the caller waits through
    // wait (null: blocks); a cancelled wait raises TConnectCancelled at once,
    // even while the look-up still hangs.
    void Connect(const std::string& server, const std::string& port, const ProxySettings& proxy = {},
                 int timeoutMs = kDefaultConnectTimeoutMs, BlockingWait* wait = nullptr);

    void Send(std::string line) override;

    bool LinkDown();
    // true closes the link and lets the thread go idle; false marks it up.
    void SetLinkDown(bool down);
    bool Idle() const { return idle_.load(); }
    // Waits until the thread is idle; false on timeout.
    bool WaitIdle(int timeoutMs);
    TEvent& LinkUpEvent() { return linkUp_; }

    std::string Server() const;
    std::string Port() const;

private:
    void Run();
    void Serve();
    void Wake();
    void TakeSendList();
    bool TrySend();
    bool TryReceive();
    void QueueRaw(std::string bytes);

    TQueue& queue_;
    ProtocolCounters& counters_;
    LogFile* log_;
    std::function<void()> onLinkLost_;

    TEvent linkUp_{true, false};
    std::atomic<bool> idle_{true};
    std::atomic<bool> stop_{false};
    std::atomic<int> sock_{-1};
    int wakeFd_ = -1;
    std::atomic<bool> wakePending_{false};

    mutable std::mutex stateMutex_;  // server_, port_, idle waits
    std::condition_variable idleCond_;
    std::string server_;
    std::string port_;

    std::mutex sendMutex_;  // guards sendList_ only
    // The queued request lines, back to back in order. The thread swaps it
    // with outBuf_ when that is spent, so a line is copied once, into here.
    std::string sendList_;
    std::string outBuf_;     // thread-owned: bytes taken from the list, not yet sent
    size_t outOffset_ = 0;
    char recvBuf_[kReceiveBufferSize];

    std::thread thread_;
};

} // namespace pellar
