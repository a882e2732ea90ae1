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
#include "core/shell/LocalUserName.h"
#include "core/shell/LogFile.h"

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

TMVCommunicationThread::TMVCommunicationThread(TQueue& receiveQueue, ProtocolCounters& counters, LogFile* log)
    : queue_(receiveQueue), counters_(counters), log_(log)
{
    wakeFd_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (wakeFd_ < 0)
        throw std::runtime_error("eventfd failed");
}

TMVCommunicationThread::~TMVCommunicationThread()
{
    Stop();
    int s = sock_.exchange(-1);
    SocketClose(s);
    ::close(wakeFd_);
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

void TMVCommunicationThread::QueueRaw(std::string bytes)
{
    std::lock_guard lock(sendMutex_);
    if (sendList_.empty())
        sendList_.swap(bytes);
    else
        sendList_ += bytes;
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
        sendList_.clear();
    }
    queue_.Clear();

    const std::string& host = proxy.useProxy ? proxy.server : server;
    const std::string& service = proxy.useProxy ? proxy.port : port;
    auto attempt = std::make_shared<ConnectAttempt>();
    if (attempt->cancelFd < 0)
        throw TWinsockException(WinsockCodeFromErrno(errno));
    std::thread([attempt, host, service, timeoutMs] { attempt->Run(host, service, timeoutMs); }).detach();
    WaitSpec spec;
    spec.what = "Connecting to " + server + ":" + port + "...";
    if (proxy.useProxy)
        spec.what += "\n(through " + proxy.server + ":" + proxy.port + ")";
    spec.waitFor = [attempt](int ms) { return attempt->done.WaitFor(ms) == WaitResult::Signaled; };
    spec.cancel = [attempt] { attempt->Abandon(); };
    spec.showAfterMs = 0;
    PlainBlockingWait plain;
    if ((wait ? wait : &plain)->Wait(spec) == WaitOutcome::Cancelled) {
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
    sock_ = s;

    // The handshake goes out first through the send list, so that the socket
    // has a single writer. The proxy's answer is read as free lines.
    std::string hello;
    if (proxy.useProxy)
        hello = "CONNECT " + server + ":" + port + " HTTP/1.0\r\n\r\n";
    // Appended piece by piece: one temporary string fewer.
    hello += 'A';
    hello += EncodeHollerith(LocalUserName());
    hello += '\n';
    {
        std::lock_guard lock(sendMutex_);
        sendList_.insert(0, hello);
    }
    SetLinkDown(false);
}

void TMVCommunicationThread::Send(std::string line)
{
    if (log_) {
        std::string_view shown(line);
        if (!shown.empty() && shown.back() == '\n')
            shown.remove_suffix(1);
        log_->Log("ComThread.Send", RedactRequestLine(shown));
    }
    QueueRaw(std::move(line));
    Wake();
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
        Serve();
        int s = sock_.exchange(-1);
        SocketClose(s);
        outBuf_.clear();
        outOffset_ = 0;
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

void TMVCommunicationThread::TakeSendList()
{
    wakePending_ = false;
    std::lock_guard lock(sendMutex_);
    if (sendList_.empty())
        return;
    if (outOffset_ == outBuf_.size()) {
        // Nothing left to send: take the list whole and hand back the old
        // buffer, keeping both allocations for the next lines.
        outBuf_.clear();
        outOffset_ = 0;
        outBuf_.swap(sendList_);
    } else {
        outBuf_ += sendList_;
        sendList_.clear();
    }
}

void TMVCommunicationThread::Serve()
{
    const int sock = sock_.load();
    while (!stop_ && linkUp_.IsSet()) {
        TakeSendList();
        const bool wantWrite = outOffset_ < outBuf_.size();
        // Try the write at once: the socket is nearly always writable.
        if (wantWrite && !TrySend())
            return;
        pollfd fds[2] = {{sock, static_cast<short>(POLLIN | (outOffset_ < outBuf_.size() ? POLLOUT : 0)), 0},
                         {wakeFd_, POLLIN, 0}};
        const int r = ::poll(fds, 2, 1000);
        if (r < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (fds[1].revents & POLLIN) {
            uint64_t counter = 0;
            [[maybe_unused]] ssize_t n = ::read(wakeFd_, &counter, sizeof counter);
        }
        if (!linkUp_.IsSet())
            return;
        if ((fds[0].revents & POLLOUT) && !TrySend())
            return;
        if ((fds[0].revents & (POLLIN | POLLHUP | POLLERR)) && !TryReceive())
            return;
    }
}

bool TMVCommunicationThread::TrySend()
{
    while (outOffset_ < outBuf_.size()) {
        const ssize_t n = ::send(sock_.load(), outBuf_.data() + outOffset_, outBuf_.size() - outOffset_, MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno == EAGAIN || errno == EWOULDBLOCK;
        }
        counters_.bytesSent += static_cast<uint64_t>(n);
        outOffset_ += static_cast<size_t>(n);
    }
    outBuf_.clear();
    outOffset_ = 0;
    return true;
}

bool TMVCommunicationThread::TryReceive()
{
    const ssize_t n = ::recv(sock_.load(), recvBuf_, sizeof recvBuf_, 0);
    if (n == 0)
        return false; // orderly close by the peer
    if (n < 0)
        return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
    counters_.bytesReceived += static_cast<uint64_t>(n);
    if (log_)
        log_->Log("ComThread.TryReceive", std::string_view(recvBuf_, static_cast<size_t>(n)));
    queue_.PutBuffer(recvBuf_, static_cast<size_t>(n));
    return true;
}

} // namespace pellar
