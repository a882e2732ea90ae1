#include "support/ScriptedPeer.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <stdexcept>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace pellar::test {

namespace {

using Clock = std::chrono::steady_clock;

int MsLeft(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left < 0 ? 0 : static_cast<int>(left);
}

} // namespace

ScriptedPeer::ScriptedPeer()
{
    listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listenFd_ < 0)
        throw std::runtime_error("ScriptedPeer: socket failed");
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), len) != 0 || ::listen(listenFd_, 4) != 0
        || ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&addr), &len) != 0)
        throw std::runtime_error("ScriptedPeer: cannot listen");
    port_ = ntohs(addr.sin_port);
}

ScriptedPeer::~ScriptedPeer()
{
    close();
    if (listenFd_ >= 0)
        ::close(listenFd_);
}

::testing::AssertionResult ScriptedPeer::accept(int timeoutMs)
{
    pollfd p{listenFd_, POLLIN, 0};
    if (::poll(&p, 1, timeoutMs) <= 0)
        return ::testing::AssertionFailure() << "no connection within " << timeoutMs << " ms";
    connFd_ = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (connFd_ < 0)
        return ::testing::AssertionFailure() << "accept failed";
    int one = 1;
    setsockopt(connFd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    return ::testing::AssertionSuccess();
}

std::string ScriptedPeer::receive(size_t count, int timeoutMs)
{
    std::string got;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (got.size() < count && connFd_ >= 0) {
        pollfd p{connFd_, POLLIN, 0};
        const int r = ::poll(&p, 1, MsLeft(deadline));
        if (r <= 0)
            break;
        char buf[4096];
        const size_t want = std::min(sizeof buf, count - got.size());
        const ssize_t n = ::recv(connFd_, buf, want, 0);
        if (n <= 0)
            break;
        got.append(buf, static_cast<size_t>(n));
    }
    return got;
}

::testing::AssertionResult ScriptedPeer::expect(std::string_view bytes, int timeoutMs)
{
    const std::string got = receive(bytes.size(), timeoutMs);
    if (got == bytes)
        return ::testing::AssertionSuccess();
    size_t at = 0;
    while (at < got.size() && at < bytes.size() && got[at] == bytes[at])
        ++at;
    return ::testing::AssertionFailure()
           << "expected \"" << Visible(bytes) << "\"\n     got \"" << Visible(got) << "\""
           << (got.size() < bytes.size() ? " (short)" : "") << "\n  first difference at byte " << at;
}

std::string ScriptedPeer::receiveUntil(std::string_view terminator, int timeoutMs)
{
    std::string got;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (connFd_ >= 0 && (got.size() < terminator.size()
                            || got.compare(got.size() - terminator.size(), terminator.size(), terminator) != 0)) {
        const std::string one = receive(1, MsLeft(deadline));
        if (one.empty())
            break;
        got += one;
    }
    return got;
}

bool ScriptedPeer::quiet(int timeoutMs)
{
    return receive(1, timeoutMs).empty();
}

void ScriptedPeer::send(std::string_view bytes)
{
    while (!bytes.empty() && connFd_ >= 0) {
        const ssize_t n = ::send(connFd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        bytes.remove_prefix(static_cast<size_t>(n));
    }
}

void ScriptedPeer::sendBytewise(std::string_view bytes)
{
    for (char c : bytes)
        send(std::string_view(&c, 1));
}

void ScriptedPeer::close()
{
    if (connFd_ >= 0) {
        ::close(connFd_);
        connFd_ = -1;
    }
}

std::string ScriptedPeer::Visible(std::string_view bytes)
{
    std::string out;
    for (unsigned char c : bytes) {
        if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else if (c == '\\')
            out += "\\\\";
        else if (c < 32 || c >= 127) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", c);
            out += hex;
        } else
            out += static_cast<char>(c);
    }
    return out;
}

} // namespace pellar::test
