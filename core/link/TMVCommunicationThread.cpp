#include "core/link/TMVCommunicationThread.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <memory>
#include <vector>

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include "core/link/ConnectAttempt.h"
#include "core/wire/WireTokens.h"
#include "core/base/LocalUserName.h"
#include "core/base/LogFile.h"

namespace pellar {

namespace {

// One argument of a request line starting at pos (just after its blank):
// a Hollerith string is taken whole, blanks and line feeds included.
size_t ArgumentEnd(std::string_view line, size_t pos)
{
    size_t i = pos;
    while (i < line.size() && line[i] >= '0' && line[i] <= '9')
        ++i;
    if (i > pos && i < line.size() && line[i] == 'H') {
        uint64_t n = 0;
        for (size_t k = pos; k < i && n <= line.size(); ++k)
            n = n * 10 + static_cast<uint64_t>(line[k] - '0');
        return static_cast<size_t>(std::min<uint64_t>(line.size(), i + 1 + n));
    }
    const size_t blank = line.find_first_of(" \n", pos);
    return blank == std::string_view::npos ? line.size() : blank;
}

} // namespace

std::string RedactRequestLine(std::string_view line)
{
    // id, request number, then the arguments; which of them are passwords
    // depends on the request.
    size_t pos = 0;
    std::string out;
    std::string number;
    std::vector<int> secret;
    for (int field = 0; pos < line.size(); ++field) {
        const size_t end = ArgumentEnd(line, pos);
        const std::string_view arg = line.substr(pos, end - pos);
        if (field == 1) {
            number = std::string(arg);
            if (number == "62" || number == "5")
                secret = {3};
            else if (number == "8")
                secret = {3, 4};
        }
        const bool hide = std::find(secret.begin(), secret.end(), field) != secret.end();
        out += hide ? std::string_view("*") : arg;
        if (end >= line.size())
            break;
        out += line[end];
        pos = end + 1;
    }
    return out;
}

struct TMVCommunicationThread::Link {
    Link(int s, std::unique_ptr<TlsStream> t) : fd(s), tls(std::move(t)) {}
    ~Link()
    {
        int s = fd;
        SocketClose(s);
    }
    Link(const Link&) = delete;
    Link& operator=(const Link&) = delete;
    const int fd;
    // Null on a plain link. Shared by the writers and the reader; the link
    // outlives every call into it (see EndLink).
    const std::unique_ptr<TlsStream> tls;
};

TMVCommunicationThread::TMVCommunicationThread(TQueue& receiveQueue, ProtocolCounters& counters, LogFile* log)
    : queue_(receiveQueue), counters_(counters), log_(log)
{
    wakeFd_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    readerWakeFd_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (wakeFd_ < 0 || readerWakeFd_ < 0) {
        if (wakeFd_ >= 0)
            ::close(wakeFd_);
        throw std::runtime_error("eventfd failed");
    }
    queue_.SetSource(this);
}

TMVCommunicationThread::~TMVCommunicationThread()
{
    Stop();
    JoinAttempts();
    queue_.SetSource(nullptr);
    {
        std::lock_guard lock(linkMutex_);
        link_.reset();
    }
    ::close(wakeFd_);
    ::close(readerWakeFd_);
}

void TMVCommunicationThread::SetLinkLostHandler(std::function<void()> handler)
{
    onLinkLost_ = std::move(handler);
}

void TMVCommunicationThread::Start()
{
    if (!thread_.joinable())
        thread_ = std::thread([this] { Run(); });
}

void TMVCommunicationThread::Stop()
{
    stop_ = true;
    linkUp_.SetEv(); // lets an idle wait see the stop
    Wake();
    if (thread_.joinable())
        thread_.join();
}

void TMVCommunicationThread::Wake()
{
    // Looked at first: during a burst the flag is mostly set already, and a
    // read leaves the line shared with the thread where an exchange would
    // take it over on every request.
    if (!wakePending_.load(std::memory_order_relaxed) && !wakePending_.exchange(true)) {
        const uint64_t one = 1;
        [[maybe_unused]] ssize_t r = ::write(wakeFd_, &one, sizeof one);
    }
}

void TMVCommunicationThread::KickReader()
{
    const uint64_t one = 1;
    [[maybe_unused]] ssize_t r = ::write(readerWakeFd_, &one, sizeof one);
}

std::string TMVCommunicationThread::Server() const
{
    std::lock_guard lock(stateMutex_);
    return server_;
}

std::string TMVCommunicationThread::Port() const
{
    std::lock_guard lock(stateMutex_);
    return port_;
}

bool TMVCommunicationThread::LinkDown()
{
    return !linkUp_.IsSet();
}

void TMVCommunicationThread::SetLinkDown(bool down)
{
    if (down)
        linkUp_.ResetEv();
    else
        linkUp_.SetEv();
    Wake();
    KickReader();
}

bool TMVCommunicationThread::WaitIdle(int timeoutMs)
{
    std::unique_lock lock(stateMutex_);
    auto isIdle = [this] { return idle_.load(); };
    if (timeoutMs < 0) {
        idleCond_.wait(lock, isIdle);
        return true;
    }
    return idleCond_.wait_for(lock, std::chrono::milliseconds(timeoutMs), isIdle);
}

void TMVCommunicationThread::DropReceived()
{
    // Under the link lock: a reader still holding the old link puts nothing
    // after this (see Receive).
    std::lock_guard lock(linkMutex_);
    queue_.Clear();
}

void TMVCommunicationThread::StartLink(int sock, std::unique_ptr<TlsStream> tls, std::string hello)
{
    auto link = std::make_shared<Link>(sock, std::move(tls));
    {
        // The handshake goes out first, through the thread, so that nothing
        // overtakes it; lines queued before the link came up follow it.
        std::lock_guard lock(sendMutex_);
        pending_.insert(0, hello);
        writeFd_ = sock;
        writeTls_ = link->tls.get();
        writeNeedsRead_ = false;
        directCredit_ = true;
    }
    {
        std::lock_guard lock(linkMutex_);
        link_ = std::move(link);
    }
    SetLinkDown(false);
}

void TMVCommunicationThread::EndLink()
{
    {
        std::lock_guard lock(sendMutex_);
        writeFd_ = -1;
        writeTls_ = nullptr;
        pending_.clear();
        threadWriting_ = false;
    }
    outBuf_.clear();
    outOffset_ = 0;
    {
        std::lock_guard lock(linkMutex_);
        link_.reset();
    }
    KickReader();
}

std::shared_ptr<TMVCommunicationThread::Link> TMVCommunicationThread::CurrentLink()
{
    std::lock_guard lock(linkMutex_);
    return link_;
}

void TMVCommunicationThread::Connect(const std::string& server, const std::string& port,
                                     const ProxySettings& proxy, int timeoutMs, BlockingWait* wait,
                                     const TlsSettings& tls)
{
    // A previous link must be fully closed before its socket is replaced.
    if (!Idle()) {
        SetLinkDown(true);
        WaitIdle(kInfinite);
    }
    {
        std::lock_guard lock(stateMutex_);
        server_ = server;
        port_ = port;
        encryption_.clear();
    }
    {
        // Nothing of an earlier connection may reach the new one.
        std::lock_guard lock(sendMutex_);
        pending_.clear();
    }
    DropReceived();

    ConnectTarget target;
    target.host = proxy.useProxy ? proxy.server : server;
    target.service = proxy.useProxy ? proxy.port : port;
    target.certificateHost = server;
    target.tls = tls;
    {
        std::lock_guard lock(stateMutex_);
        if (tlsContext_ && tlsContext_->CaFile() == tls.caFile)
            target.tlsContext = tlsContext_;
    }
    // Encrypted, the tunnel must be open before the TLS handshake; plain,
    // the CONNECT line simply goes ahead of the handshake line.
    if (proxy.useProxy && tls.enabled)
        target.tunnelTo = server + ":" + port;
    auto attempt = std::make_shared<ConnectAttempt>();
    if (!attempt->Valid())
        throw TWinsockException(WinsockCodeFromErrno(errno));
    StartAttempt(attempt, std::thread([attempt, target, timeoutMs] { attempt->Run(target, timeoutMs); }));
    WaitPlan plan;
    plan.what = "Connecting to " + server + ":" + port + (tls.enabled ? " (encrypted)..." : "...");
    if (proxy.useProxy)
        plan.what += "\n(through " + proxy.server + ":" + proxy.port + ")";
    plan.waitFor = [attempt](int ms) { return attempt->WaitFor(ms); };
    plan.cancel = [attempt] { attempt->Abandon(); };
    plan.showAfterMs = 0;
    PlainBlockingWait plain;
    if ((wait ? wait : &plain)->Wait(plan) == WaitOutcome::Cancelled) {
        attempt->Abandon();
        throw TConnectCancelled();
    }
    int s = -1;
    std::unique_ptr<TlsStream> session;
    attempt->Take(s, session);
    {
        std::lock_guard lock(stateMutex_);
        encryption_ = session ? session->Peer().protocol + ", " + session->Peer().cipher : std::string();
        if (session)
            tlsContext_ = session->Context();
    }

    // The handshake goes out ahead of every request. The proxy's answer is
    // read as free lines.
    std::string hello;
    if (proxy.useProxy && !tls.enabled)
        hello = "CONNECT " + server + ":" + port + " HTTP/1.0\r\n\r\n";
    // Appended piece by piece: one temporary string fewer.
    hello += 'A';
    hello += EncodeHollerith(LocalUserName());
    hello += '\n';
    StartLink(s, std::move(session), std::move(hello));
}

void TMVCommunicationThread::StartAttempt(std::shared_ptr<ConnectAttempt> attempt, std::thread thread)
{
    std::lock_guard lock(attemptsMutex_);
    // Finished ones are joined at once; one given up may still hang in a
    // name look-up and waits for the next reap.
    std::erase_if(attempts_, [](Attempt& a) {
        if (!a.attempt->WaitFor(0))
            return false;
        a.thread.join();
        return true;
    });
    attempts_.push_back(Attempt{std::move(attempt), std::move(thread)});
}

void TMVCommunicationThread::JoinAttempts()
{
    std::lock_guard lock(attemptsMutex_);
    // The encryption library's state must not be torn down under a thread
    // still winding down in it; one stuck in a name look-up is let go.
    for (Attempt& a : attempts_) {
        if (a.attempt->WaitFor(kAttemptJoinMs))
            a.thread.join();
        else
            a.thread.detach();
    }
    attempts_.clear();
}

std::string TMVCommunicationThread::Encryption() const
{
    std::lock_guard lock(stateMutex_);
    return encryption_;
}

void TMVCommunicationThread::Send(std::string line)
{
    if (log_) {
        std::string_view shown(line);
        if (!shown.empty() && shown.back() == '\n')
            shown.remove_suffix(1);
        log_->Log("ComThread.Send", RedactRequestLine(shown));
    }
    {
        std::lock_guard lock(sendMutex_);
        if (pending_.empty() && !threadWriting_ && writeFd_ >= 0 && directCredit_.exchange(false)) {
            // The link is quiet: write it now rather than wake the thread.
            size_t written = 0;
            if (!Write(writeFd_, writeTls_, line.data(), line.size(), written)) {
                // The thread ends the link and fails this request with the rest.
                linkUp_.ResetEv();
            } else if (written == line.size()) {
                // Encrypted, part of it may still wait in the session for
                // room in the socket: the thread sends it then.
                if (!writeTls_ || !writeTls_->HasUnsent())
                    return;
            } else {
                pending_.assign(line, written);
            }
        } else if (line.size() > pending_.capacity()) {
            // A line longer than the buffer holds (a long text): take its
            // storage rather than copy it.
            if (pending_.empty())
                pending_.swap(line);
            else
                pending_ += line;
        } else {
            // Into the buffer the thread handed back: a burst of short lines
            // reuses one allocation instead of growing a fresh one each time
            // the thread took the last.
            pending_ += line;
        }
    }
    Wake();
}

bool TMVCommunicationThread::Write(int fd, TlsStream* tls, const char* data, size_t size, size_t& written)
{
    written = 0;
    while (written < size) {
        size_t n = 0;
        if (tls) {
            const TlsIo io = tls->Write(data + written, size - written, n);
            if (io == TlsIo::WantRead || io == TlsIo::WantWrite) {
                writeNeedsRead_ = io == TlsIo::WantRead;
                return true;
            }
            if (io != TlsIo::Done)
                return false;
        } else {
            const ssize_t r = ::send(fd, data + written, size - written, MSG_NOSIGNAL | MSG_DONTWAIT);
            if (r < 0) {
                if (errno == EINTR)
                    continue;
                return errno == EAGAIN || errno == EWOULDBLOCK;
            }
            n = static_cast<size_t>(r);
        }
        counters_.bytesSent += static_cast<uint64_t>(n);
        written += n;
    }
    return true;
}

bool TMVCommunicationThread::Flush(const Link& link, bool& backlog)
{
    bool haveBytes = false;
    {
        std::lock_guard lock(sendMutex_);
        if (!pending_.empty()) {
            if (outOffset_ == outBuf_.size()) {
                // Take the list whole and hand back the spent buffer, keeping
                // both allocations for the next lines.
                outBuf_.clear();
                outOffset_ = 0;
                outBuf_.swap(pending_);
            } else {
                outBuf_ += pending_;
                pending_.clear();
            }
        }
        threadWriting_ = outOffset_ < outBuf_.size();
        haveBytes = threadWriting_;
    }
    if (!haveBytes) {
        // Only ciphertext may wait: the tail of a write, or what the session
        // answered the peer while reading. Callers may write meanwhile; the
        // session keeps the order.
        backlog = false;
        if (!link.tls || !link.tls->HasUnsent())
            return true;
        const TlsIo io = link.tls->Flush();
        backlog = io == TlsIo::WantWrite;
        return io == TlsIo::Done || io == TlsIo::WantWrite;
    }
    size_t written = 0;
    const bool ok = Write(link.fd, link.tls.get(), outBuf_.data() + outOffset_, outBuf_.size() - outOffset_, written);
    outOffset_ += written;
    if (outOffset_ >= (1u << 20) && outOffset_ * 2 >= outBuf_.size()) {
        // A long backlog: let go of what is sent before appending more.
        outBuf_.erase(0, outOffset_);
        outOffset_ = 0;
    }
    std::lock_guard lock(sendMutex_);
    threadWriting_ = outOffset_ < outBuf_.size();
    backlog = threadWriting_ || !pending_.empty() || (link.tls && link.tls->HasUnsent());
    return ok;
}

void TMVCommunicationThread::Run()
{
    while (!stop_) {
        {
            std::lock_guard lock(stateMutex_);
            idle_ = true;
        }
        idleCond_.notify_all();
        while (!stop_ && linkUp_.WaitFor(1000) == WaitResult::Timeout) {
        }
        if (stop_)
            break;
        idle_ = false;
        if (std::shared_ptr<Link> link = CurrentLink())
            Serve(*link);
        EndLink();
        // However the link ended, nobody may be left waiting for a reply.
        linkUp_.ResetEv();
        if (onLinkLost_)
            onLinkLost_();
    }
    {
        std::lock_guard lock(stateMutex_);
        idle_ = true;
    }
    idleCond_.notify_all();
}

void TMVCommunicationThread::Serve(const Link& link)
{
    while (!stop_ && linkUp_.IsSet()) {
        wakePending_ = false;
        bool backlog = false;
        if (!Flush(link, backlog))
            return;
        // The socket is watched only while bytes wait for room in it; reading
        // it is the receive thread's business. A session that must read
        // before it can write waits for the reader to do so: the incoming
        // bytes may be gone before this thread sees them, hence the short
        // look again.
        const bool needsRead = backlog && writeNeedsRead_.exchange(false);
        pollfd fds[2] = {{wakeFd_, POLLIN, 0},
                         {backlog ? link.fd : -1, static_cast<short>(needsRead ? POLLIN : POLLOUT), 0}};
        const int r = ::poll(fds, 2, needsRead ? 10 : 1000);
        if (r < 0 && errno != EINTR)
            return;
        if (r > 0 && (fds[0].revents & POLLIN)) {
            uint64_t counter = 0;
            [[maybe_unused]] ssize_t n = ::read(wakeFd_, &counter, sizeof counter);
        }
    }
}

void TMVCommunicationThread::WakeFill()
{
    KickReader();
}

void TMVCommunicationThread::Fill(int timeoutMs)
{
    std::shared_ptr<Link> link;
    if (linkUp_.IsSet())
        link = CurrentLink();
    // Bytes the session has taken from the socket already never make it
    // readable again; unless they are the start of a record, which only
    // the socket can complete.
    if (link && link->tls && !readNeedsSocket_ && link->tls->HasBuffered()) {
        Receive(link);
        return;
    }
    const short want = link && readNeedsWrite_ ? POLLOUT : POLLIN;
    pollfd fds[2] = {{readerWakeFd_, POLLIN, 0}, {link ? link->fd : -1, want, 0}};
    const int r = ::poll(fds, 2, timeoutMs);
    if (r <= 0)
        return;
    if (fds[0].revents & POLLIN) {
        uint64_t counter = 0;
        [[maybe_unused]] ssize_t n = ::read(readerWakeFd_, &counter, sizeof counter);
    }
    if (link && (fds[1].revents & (want | POLLHUP | POLLERR)))
        Receive(link);
}

void TMVCommunicationThread::Receive(const std::shared_ptr<Link>& link)
{
    char buf[kReceiveBufferSize];
    ssize_t n = 0;
    readNeedsWrite_ = false;
    readNeedsSocket_ = false;
    if (link->tls) {
        size_t got = 0;
        const TlsIo io = link->tls->Read(buf, sizeof buf, got);
        // The session may have answered the peer while reading (a key
        // update it asked for, a refused renegotiation): the thread sends
        // that unless a writer does first.
        if (link->tls->HasUnsent())
            Wake();
        switch (io) {
        case TlsIo::Done:
            n = static_cast<ssize_t>(got);
            break;
        case TlsIo::WantWrite:
            readNeedsWrite_ = true;
            return;
        case TlsIo::WantRead:
            readNeedsSocket_ = true;
            return;
        default:
            n = 0;  // closed or broken: ends the link below
            break;
        }
    } else {
        n = ::recv(link->fd, buf, sizeof buf, 0);
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
            return;
    }
    std::lock_guard lock(linkMutex_);
    if (link_ != link)
        return; // the link ended meanwhile: its bytes are stale
    if (n <= 0) {
        // Orderly close by the peer, or a broken link: the thread ends it.
        // Under the link lock, so that this can never reset a newer link.
        linkUp_.ResetEv();
        Wake();
        return;
    }
    directCredit_ = true;
    counters_.bytesReceived += static_cast<uint64_t>(n);
    if (log_)
        log_->Log("ComThread.TryReceive", std::string_view(buf, static_cast<size_t>(n)));
    queue_.PutBuffer(buf, static_cast<size_t>(n));
}

} // namespace pellar
