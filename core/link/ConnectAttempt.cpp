#include "core/link/ConnectAttempt.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include "core/link/Sockets.h"

namespace pellar {

namespace {

using Clock = std::chrono::steady_clock;

constexpr size_t kMaxProxyAnswer = 8192;

int MsLeft(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::max<decltype(left)>(0, left));
}

// Waits for events on sock until the deadline; raises on timeout or cancel.
void Await(int sock, short events, Clock::time_point deadline, int cancelFd)
{
    for (;;) {
        const int left = MsLeft(deadline);
        if (left <= 0)
            throw TWinsockException(10060);
        pollfd p[2] = {{sock, events, 0}, {cancelFd, POLLIN, 0}};
        const int r = ::poll(p, cancelFd < 0 ? 1 : 2, left);
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0)
            throw TWinsockException(WinsockCodeFromErrno(errno));
        if (r == 0)
            throw TWinsockException(10060);
        if (p[1].revents & POLLIN)
            throw TConnectCancelled();
        return;
    }
}

} // namespace

void OpenProxyTunnel(int sock, const std::string& to, int timeoutMs, int cancelFd)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    const std::string request = "CONNECT " + to + " HTTP/1.0\r\n\r\n";
    size_t sent = 0;
    while (sent < request.size()) {
        const ssize_t n = ::send(sock, request.data() + sent, request.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n >= 0) {
            sent += static_cast<size_t>(n);
            continue;
        }
        if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
            throw TWinsockException(WinsockCodeFromErrno(errno));
        Await(sock, POLLOUT, deadline, cancelFd);
    }
    // Byte by byte: what follows the blank line belongs to the handshake.
    std::string answer;
    while (answer.size() < 4 || answer.compare(answer.size() - 4, 4, "\r\n\r\n") != 0) {
        if (answer.size() >= kMaxProxyAnswer)
            throw TTlsError("The proxy's answer is too long.");
        char c = 0;
        const ssize_t n = ::recv(sock, &c, 1, MSG_DONTWAIT);
        if (n == 1) {
            answer += c;
            continue;
        }
        if (n == 0)
            throw TTlsError("The proxy closed the connection instead of opening a tunnel to " + to + ".");
        if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
            throw TWinsockException(WinsockCodeFromErrno(errno));
        Await(sock, POLLIN, deadline, cancelFd);
    }
    const std::string status = answer.substr(0, answer.find("\r\n"));
    // "HTTP/1.x 200 ..."
    const size_t blank = status.find(' ');
    if (status.rfind("HTTP/", 0) != 0 || blank == std::string::npos || status.compare(blank + 1, 3, "200") != 0)
        throw TTlsError("The proxy would not open a tunnel to " + to + ": " + status);
}

ConnectAttempt::ConnectAttempt() : cancelFd_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

ConnectAttempt::~ConnectAttempt()
{
    tls_.reset();
    SocketClose(sock_);
    if (cancelFd_ >= 0)
        ::close(cancelFd_);
}

void ConnectAttempt::Run(const ConnectTarget& target, int timeoutMs)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    int s = -1;
    std::unique_ptr<TlsStream> tls;
    int code = 0;
    bool cancelled = false;
    bool tlsError = false;
    std::string other;
    std::optional<TlsPeer> untrusted;
    bool pinMismatch = false;
    try {
        // The trust store is read before the connect: the server's clock for
        // the handshake must not run while a CA bundle is parsed. A pinned
        // certificate is judged by its fingerprint alone, so the system's
        // store is not read for it at all.
        std::shared_ptr<TlsClientContext> context;
        if (target.tls.enabled) {
            context = target.tlsContext ? target.tlsContext : TlsClientContext::Make(target.tls.caFile);
            if (target.tls.pinnedFingerprint.empty())
                context->TrustSystemStore();
        }
        SocketConnect(s, target.host, target.service, false, timeoutMs, cancelFd_);
        if (target.tls.enabled) {
            if (!target.tunnelTo.empty())
                OpenProxyTunnel(s, target.tunnelTo, MsLeft(deadline), cancelFd_);
            tls = TlsStream::Handshake(s, target.certificateHost, std::move(context), MsLeft(deadline), cancelFd_);
            CheckTrust(tls->Peer(), target.tls.pinnedFingerprint);
        }
    } catch (const TConnectCancelled&) {
        cancelled = true;
    } catch (const TWinsockException& e) {
        code = e.Code();
    } catch (const TTlsUntrusted& e) {
        untrusted = e.Peer();
        pinMismatch = e.PinMismatch();
    } catch (const TTlsError& e) {
        tlsError = true;
        other = e.what();
    } catch (const std::exception& e) {
        other = e.what();
        if (other.empty())
            other = "connect failed";
    }
    const bool failed = cancelled || code != 0 || !other.empty() || untrusted;
    if (failed) {
        tls.reset();
        SocketClose(s);
    }
    {
        std::lock_guard lock(mutex_);
        finished_ = true;
        if (abandoned_) {
            tls.reset();
            SocketClose(s);
        }
        sock_ = s;
        tls_ = std::move(tls);
        errorCode_ = code;
        cancelled_ = cancelled;
        errorText_ = std::move(other);
        tlsError_ = tlsError;
        untrusted_ = std::move(untrusted);
        pinMismatch_ = pinMismatch;
    }
    done_.SetEv();
}

void ConnectAttempt::Abandon()
{
    const uint64_t one = 1;
    [[maybe_unused]] ssize_t r = ::write(cancelFd_, &one, sizeof one);
    std::lock_guard lock(mutex_);
    abandoned_ = true;
    if (finished_) {
        tls_.reset();
        SocketClose(sock_);
    }
}

bool ConnectAttempt::WaitFor(int timeoutMs)
{
    return done_.WaitFor(timeoutMs) == WaitResult::Signaled;
}

void ConnectAttempt::Take(int& sock, std::unique_ptr<TlsStream>& tls)
{
    std::lock_guard lock(mutex_);
    if (cancelled_)
        throw TConnectCancelled();
    if (errorCode_ != 0)
        throw TWinsockException(errorCode_);
    if (untrusted_)
        throw TTlsUntrusted(*untrusted_, pinMismatch_);
    if (tlsError_)
        throw TTlsError(errorText_);
    if (!errorText_.empty())
        throw std::runtime_error(errorText_);
    sock = sock_;
    sock_ = -1;
    tls = std::move(tls_);
}

} // namespace pellar
