#include "support/LoopbackRelay.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <sstream>
#include <stdexcept>

namespace pellar::test {

namespace {

int ConnectTo(uint16_t port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool WriteAll(int fd, const char* data, size_t n)
{
    while (n > 0) {
        const ssize_t w = ::send(fd, data, n, MSG_NOSIGNAL);
        if (w <= 0)
            return false;
        data += w;
        n -= static_cast<size_t>(w);
    }
    return true;
}

} // namespace

LoopbackRelay::LoopbackRelay(uint16_t targetPort) : targetPort_(targetPort)
{
    listenFd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    int one = 1;
    ::setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(listenFd_, 4) != 0)
        throw std::runtime_error("relay cannot listen");
    socklen_t len = sizeof addr;
    ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&addr), &len);
    port_ = ntohs(addr.sin_port);
    if (::pipe(wakePipe_) != 0)
        throw std::runtime_error("relay cannot make a pipe");
    thread_ = std::thread([this] { Run(); });
}

LoopbackRelay::~LoopbackRelay()
{
    stop_ = true;
    Wake();
    thread_.join();
    ::close(listenFd_);
    ::close(wakePipe_[0]);
    ::close(wakePipe_[1]);
}

void LoopbackRelay::Wake()
{
    const char c = 1;
    [[maybe_unused]] const ssize_t n = ::write(wakePipe_[1], &c, 1);
}

void LoopbackRelay::Cut()
{
    cut_ = true;
    Wake();
}

std::vector<std::string> LoopbackRelay::SentLines()
{
    std::lock_guard lock(mutex_);
    std::vector<std::string> lines;
    std::istringstream in(sent_);
    std::string line;
    while (std::getline(in, line)) {
        if (!in.eof())
            lines.push_back(line);
    }
    return lines;
}

void LoopbackRelay::ClearSent()
{
    std::lock_guard lock(mutex_);
    sent_.clear();
}

void LoopbackRelay::Run()
{
    int client = -1;
    int server = -1;
    auto closePair = [&] {
        if (client >= 0)
            ::close(client);
        if (server >= 0)
            ::close(server);
        client = server = -1;
    };
    char buf[16384];
    while (!stop_) {
        pollfd fds[3] = {{wakePipe_[0], POLLIN, 0}, {client >= 0 ? client : listenFd_, POLLIN, 0}, {server, POLLIN, 0}};
        const nfds_t count = server >= 0 ? 3 : 2;
        if (::poll(fds, count, 1000) < 0)
            continue;
        if (fds[0].revents & POLLIN) {
            char drain[64];
            [[maybe_unused]] const ssize_t n = ::read(wakePipe_[0], drain, sizeof drain);
        }
        if (cut_.exchange(false))
            closePair();
        if (stop_)
            break;
        if (client < 0) {
            if (fds[1].revents & POLLIN) {
                client = ::accept(listenFd_, nullptr, nullptr);
                server = client >= 0 ? ConnectTo(targetPort_) : -1;
                if (server < 0)
                    closePair();
                else
                    ++connections_;
            }
            continue;
        }
        if (fds[1].revents & (POLLIN | POLLHUP | POLLERR)) {
            const ssize_t n = ::recv(client, buf, sizeof buf, 0);
            if (n <= 0 || !WriteAll(server, buf, static_cast<size_t>(n))) {
                closePair();
                continue;
            }
            std::lock_guard lock(mutex_);
            sent_.append(buf, static_cast<size_t>(n));
        }
        if (server >= 0 && (fds[2].revents & (POLLIN | POLLHUP | POLLERR))) {
            const ssize_t n = ::recv(server, buf, sizeof buf, 0);
            if (n <= 0 || !WriteAll(client, buf, static_cast<size_t>(n)))
                closePair();
        }
    }
    closePair();
}

} // namespace pellar::test
