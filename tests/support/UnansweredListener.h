// A local address whose connects never complete, without any outside
// network: a listener with a backlog of one that is already taken, so the
// kernel drops further handshakes. Header-only: the window tests use it too.
#pragma once

#include <cstdint>
#include <string>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace pellar::test {

class UnansweredListener {
public:
    UnansweredListener()
    {
        listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(listenFd_, 0) != 0)
            return;
        socklen_t len = sizeof a;
        ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&a), &len);
        port_ = ntohs(a.sin_port);
        // The first connection fills the queue (it is never accepted); a
        // probe shows whether the next one is left hanging.
        fillerFd_ = ConnectNonBlocking(port_);
        Completes(fillerFd_, 1000);
        const int probe = ConnectNonBlocking(port_);
        holds_ = !Completes(probe, 200);
        ::close(probe);
    }
    ~UnansweredListener()
    {
        if (fillerFd_ >= 0)
            ::close(fillerFd_);
        if (listenFd_ >= 0)
            ::close(listenFd_);
    }
    UnansweredListener(const UnansweredListener&) = delete;
    UnansweredListener& operator=(const UnansweredListener&) = delete;

    std::string PortText() const { return std::to_string(port_); }
    // False when this system completes connects anyway (a test then has
    // nothing to show).
    bool Holds() const { return holds_; }

private:
    static int ConnectNonBlocking(int port)
    {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<uint16_t>(port));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        [[maybe_unused]] int r = ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
        return fd;
    }
    static bool Completes(int fd, int timeoutMs)
    {
        pollfd p{fd, POLLOUT, 0};
        return ::poll(&p, 1, timeoutMs) == 1;
    }

    int listenFd_ = -1;
    int fillerFd_ = -1;
    int port_ = 0;
    bool holds_ = false;
};

} // namespace pellar::test
