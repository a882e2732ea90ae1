#include "core/protocol/OrvThread.h"

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

#include "core/protocol/WireTokens.h"
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

// One connect attempt, shared by the caller and the thread that makes it, so
// that a caller who gives up can leave the thread behind (a name look-up
// cannot be interrupted).
struct ConnectAttempt {
    ConnectAttempt() : cancelFd(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}
    ~ConnectAttempt()
    {
        if (cancelFd >= 0)
            ::close(cancelFd);
    }
    ConnectAttempt(const ConnectAttempt&) = delete;
    ConnectAttempt& operator=(const ConnectAttempt&) = delete;

    void Run(const std::string& host, const std::string& service, int timeoutMs)
    {
        int s = -1;
        // The failure is kept as values, not as the exception itself: the
        // caller raises its own copy and shares no object with this thread.
        int code = 0;
        std::string other;
        try {
            SocketConnect(s, host, service, false, timeoutMs, cancelFd);
        } catch (const TWinsockException& e) {
            code = e.Code();
        } catch (const std::exception& e) {
            other = e.what();
            if (other.empty())
                other = "connect failed";
        }
        {
            std::lock_guard lock(mutex);
            finished = true;
            if (abandoned)
                SocketClose(s);
            sock = s;
            errorCode = code;
            errorText = std::move(other);
        }
        done.SetEv();
    }

    // The caller gives up: a socket that still comes is closed by whoever
    // sees it last.
    void Abandon()
    {
        const uint64_t one = 1;
        [[maybe_unused]] ssize_t r = ::write(cancelFd, &one, sizeof one);
        std::lock_guard lock(mutex);
        abandoned = true;
        if (finished)
            SocketClose(sock);
    }

    const int cancelFd;
    TEvent done{true, false};
    std::mutex mutex;  // the fields below
    bool finished = false;
    bool abandoned = false;
    int sock = -1;
    int errorCode = 0;      // a socket error, 0 for none
    std::string errorText;  // any other failure
};

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
    explicit Link(int s) : fd(s) {}
    ~Link()
    {
        int s = fd;
        SocketClose(s);
    }
    Link(const Link&) = delete;
    Link& operator=(const Link&) = delete;
    const int fd;
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
    if (!wakePending_.exchange(true)) {
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

void TMVCommunicationThread::StartLink(int sock, std::string hello)
{
    auto link = std::make_shared<Link>(sock);
    {
        // The handshake goes out first, through the thread, so that nothing
        // overtakes it; lines queued before the link came up follow it.
        std::lock_guard lock(sendMutex_);
        pending_.insert(0, hello);
        writeFd_ = sock;
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
                                     const ProxySettings& proxy, int timeoutMs, BlockingWait* wait)
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
    }
    {
        // Nothing of an earlier connection may reach the new one.
        std::lock_guard lock(sendMutex_);
        pending_.clear();
    }
    DropReceived();

    const std::string& host = proxy.useProxy ? proxy.server : server;
    const std::string& service = proxy.useProxy ? proxy.port : port;
    auto attempt = std::make_shared<ConnectAttempt>();
    if (attempt->cancelFd < 0)
        throw TWinsockException(WinsockCodeFromErrno(errno));
    std::thread([attempt, host, service, timeoutMs] { attempt->Run(host, service, timeoutMs); }).detach();
    WaitPlan plan;
    plan.what = "Connecting to " + server + ":" + port + "...";
    if (proxy.useProxy)
        plan.what += "\n(through " + proxy.server + ":" + proxy.port + ")";
    plan.waitFor = [attempt](int ms) { return attempt->done.WaitFor(ms) == WaitResult::Signaled; };
    plan.cancel = [attempt] { attempt->Abandon(); };
    plan.showAfterMs = 0;
    PlainBlockingWait plain;
    if ((wait ? wait : &plain)->Wait(plan) == WaitOutcome::Cancelled) {
        attempt->Abandon();
        throw TConnectCancelled();
    }
    int s = -1;
    {
        std::lock_guard lock(attempt->mutex);
        if (attempt->errorCode != 0)
            throw TWinsockException(attempt->errorCode);
        if (!attempt->errorText.empty())
            throw std::runtime_error(attempt->errorText);
        s = attempt->sock;
    }

    // The handshake goes out ahead of every request. The proxy's answer is
    // read as free lines.
    std::string hello;
    if (proxy.useProxy)
        hello = "CONNECT " + server + ":" + port + " HTTP/1.0\r\n\r\n";
    // Appended piece by piece: one temporary string fewer.
    hello += 'A';
    hello += EncodeHollerith(LocalUserName());
    hello += '\n';
    StartLink(s, std::move(hello));
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
            if (!Write(writeFd_, line.data(), line.size(), written)) {
                // The thread ends the link and fails this request with the rest.
                linkUp_.ResetEv();
            } else if (written == line.size()) {
                return;
            } else {
                pending_.assign(line, written);
            }
        } else if (pending_.empty()) {
            pending_.swap(line);
        } else {
            pending_ += line;
        }
    }
    Wake();
}

bool TMVCommunicationThread::Write(int fd, const char* data, size_t size, size_t& written)
{
    written = 0;
    while (written < size) {
        const ssize_t n = ::send(fd, data + written, size - written, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno == EAGAIN || errno == EWOULDBLOCK;
        }
        counters_.bytesSent += static_cast<uint64_t>(n);
        written += static_cast<size_t>(n);
    }
    return true;
}

bool TMVCommunicationThread::Flush(int fd, bool& backlog)
{
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
        if (!threadWriting_) {
            backlog = false;
            return true;
        }
    }
    size_t written = 0;
    const bool ok = Write(fd, outBuf_.data() + outOffset_, outBuf_.size() - outOffset_, written);
    outOffset_ += written;
    if (outOffset_ >= (1u << 20) && outOffset_ * 2 >= outBuf_.size()) {
        // A long backlog: let go of what is sent before appending more.
        outBuf_.erase(0, outOffset_);
        outOffset_ = 0;
    }
    std::lock_guard lock(sendMutex_);
    threadWriting_ = outOffset_ < outBuf_.size();
    backlog = threadWriting_ || !pending_.empty();
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
        if (!Flush(link.fd, backlog))
            return;
        // The socket is watched only while bytes wait for room in it; reading
        // it is the receive thread's business.
        pollfd fds[2] = {{wakeFd_, POLLIN, 0}, {backlog ? link.fd : -1, POLLOUT, 0}};
        const int r = ::poll(fds, 2, 1000);
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
    pollfd fds[2] = {{readerWakeFd_, POLLIN, 0}, {link ? link->fd : -1, POLLIN, 0}};
    const int r = ::poll(fds, 2, timeoutMs);
    if (r <= 0)
        return;
    if (fds[0].revents & POLLIN) {
        uint64_t counter = 0;
        [[maybe_unused]] ssize_t n = ::read(readerWakeFd_, &counter, sizeof counter);
    }
    if (link && (fds[1].revents & (POLLIN | POLLHUP | POLLERR)))
        Receive(link);
}

void TMVCommunicationThread::Receive(const std::shared_ptr<Link>& link)
{
    char buf[kReceiveBufferSize];
    const ssize_t n = ::recv(link->fd, buf, sizeof buf, 0);
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
        return;
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
