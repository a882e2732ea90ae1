// The communication thread and the socket of a link. A caller writes its
// request line to the socket itself when the link is quiet; lines that meet a
// backlog or a burst are queued for the thread, which Send() wakes at once
// through an eventfd. The receive thread reads the socket itself whenever its
// queue runs dry (this class is that queue's source). The thread owns the
// link's lifetime: it ends every link and runs the link-lost handling once.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "core/sync/BlockingWait.h"
#include "core/sync/TQueue.h"
#include "core/wire/ProtocolContext.h"
#include "core/sync/TEvent.h"
#include "core/link/TlsStream.h"
#include "core/link/Sockets.h"

namespace pellar {

class LogFile;
class ConnectAttempt;

struct ProxySettings {
    bool useProxy = false;
    std::string server;
    std::string port;
};

// The request line as the debug log may show it: password arguments of the
// logon (62), new-account (5) and change-password (8) requests become "*".
std::string RedactRequestLine(std::string_view line);

class TMVCommunicationThread : public RequestSender, private TQueueSource {
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
    // even while the look-up still hangs. With tls.enabled the link is
    // encrypted before the handshake line, within the same time limit, and
    // a certificate not accepted raises TTlsUntrusted (TTlsError for a peer
    // without TLS).
    void Connect(const std::string& server, const std::string& port, const ProxySettings& proxy = {},
                 int timeoutMs = kDefaultConnectTimeoutMs, BlockingWait* wait = nullptr,
                 const TlsSettings& tls = {});

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
    // "TLSv1.3, <cipher>" for the last encrypted link, empty for a plain one.
    std::string Encryption() const;

private:
    struct Link;

    void Run();
    void Serve(const Link& link);
    // Keeps the thread of a connect attempt so that it is joined, not left
    // running when the client goes.
    void StartAttempt(std::shared_ptr<ConnectAttempt> attempt, std::thread thread);
    void JoinAttempts();
    void Wake();
    void KickReader();
    // Publishes a connected socket with the handshake queued first.
    void StartLink(int sock, std::unique_ptr<TlsStream> tls, std::string hello);
    // Withdraws the link from writers and the reader; the socket closes when
    // the last of them lets go.
    void EndLink();
    void DropReceived();
    std::shared_ptr<Link> CurrentLink();
    // Writes until the socket is full; false when the link failed. tls:
    // the link's session, null on a plain link.
    bool Write(int fd, TlsStream* tls, const char* data, size_t size, size_t& written);
    // On the thread: takes the queued bytes and writes them outside the
    // lock; false when the link failed. backlog: bytes still wait for room.
    bool Flush(const Link& link, bool& backlog);
    void Receive(const std::shared_ptr<Link>& link);

    // TQueueSource, on the receive thread.
    void Fill(int timeoutMs) override;
    void WakeFill() override;

    TQueue& queue_;
    ProtocolCounters& counters_;
    LogFile* log_;
    std::function<void()> onLinkLost_;

    TEvent linkUp_{true, false};
    std::atomic<bool> idle_{true};
    std::atomic<bool> stop_{false};
    int wakeFd_ = -1;
    std::atomic<bool> wakePending_{false};
    int readerWakeFd_ = -1;

    mutable std::mutex stateMutex_;  // server_, port_, encryption_, idle waits
    std::condition_variable idleCond_;
    std::string server_;
    std::string port_;
    std::string encryption_;
    std::shared_ptr<TlsClientContext> tlsContext_;  // kept for the next link

    // Guards the queued lines, the descriptor callers write to and which of
    // caller or thread may write: one writer per socket at a time. A caller
    // writes under it (the socket is non-blocking: the send never waits);
    // the thread writes outside it while threadWriting_ keeps callers off.
    std::mutex sendMutex_;
    std::string pending_;  // queued request lines, back to back
    bool threadWriting_ = false;  // the thread holds bytes it has not written yet
    int writeFd_ = -1;  // the current link's socket; -1 while no link is up
    TlsStream* writeTls_ = nullptr;  // its session, null when plain or down
    // A write found that the session must read first (the thread then
    // waits for the reader rather than for room).
    std::atomic<bool> writeNeedsRead_{false};
    // Receive thread only: the session must write before it can read on.
    bool readNeedsWrite_ = false;
    // Receive thread only: the session holds part of a record at most.
    bool readNeedsSocket_ = false;
    std::string outBuf_;  // thread-owned: bytes taken from pending_, written up to outOffset_
    size_t outOffset_ = 0;
    // A caller may write directly while this is set: cleared by a direct
    // write, set again when bytes arrive. A burst of requests thus goes to
    // the thread after its first line and leaves in few large writes.
    std::atomic<bool> directCredit_{false};

    std::mutex linkMutex_;  // link_, and the receive queue against stale bytes
    std::shared_ptr<Link> link_;

    std::thread thread_;

    static constexpr int kAttemptJoinMs = 5000;
    struct Attempt {
        std::shared_ptr<ConnectAttempt> attempt;
        std::thread thread;
    };
    std::mutex attemptsMutex_;
    std::vector<Attempt> attempts_;
};

} // namespace pellar
