#include "support/ScriptedWaits.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace pellar::test {

namespace {

int ConnectNonBlocking(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    [[maybe_unused]] int r = ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    return fd;
}

bool Completes(int fd, int timeoutMs)
{
    pollfd p{fd, POLLOUT, 0};
    return ::poll(&p, 1, timeoutMs) == 1;
}

} // namespace

UnansweredListener::UnansweredListener()
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
    // The first connection fills the queue (it is never accepted); a probe
    // shows whether the next one is left hanging.
    fillerFd_ = ConnectNonBlocking(port_);
    Completes(fillerFd_, 1000);
    const int probe = ConnectNonBlocking(port_);
    holds_ = !Completes(probe, 200);
    ::close(probe);
}

UnansweredListener::~UnansweredListener()
{
    if (fillerFd_ >= 0)
        ::close(fillerFd_);
    if (listenFd_ >= 0)
        ::close(listenFd_);
}

} // namespace pellar::test
