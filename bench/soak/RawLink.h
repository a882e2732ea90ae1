// Plain protocol links for the soak's attackers and its final check: lines
// written by hand, replies read through a buffer, every wait bounded so that a
// server that stops answering cannot hang the soak.
#pragma once

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <string>

#include "bench/support/BenchServer.h"

namespace soak {

using Clock = std::chrono::steady_clock;

// False when the server stopped reading for 2 s (as it should from a peer it
// throttles) or the link went.
inline bool SendAll(int fd, const std::string& s)
{
    size_t off = 0;
    while (off < s.size()) {
        pollfd p{fd, POLLOUT, 0};
        if (poll(&p, 1, 2000) <= 0)
            return false;
        const ssize_t n = send(fd, s.data() + off, s.size() - off, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n <= 0 && errno != EAGAIN)
            return false;
        if (n > 0)
            off += static_cast<size_t>(n);
    }
    return true;
}

// One link's incoming bytes, cut into lines.
class LineReader {
public:
    explicit LineReader(int fd) : fd_(fd) {}

    // The next line without its LF; nullopt-like false when none came in
    // time or the link ended (Ended() tells which).
    bool Next(std::string& line, int timeoutMs)
    {
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            if (TakeLine(line))
                return true;
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (ended_ || left <= 0)
                return false;
            if (!Fill(static_cast<int>(left)))
                continue;
        }
    }
    // Reads what has arrived, waiting at most timeoutMs for the first byte;
    // false when nothing came.
    bool Fill(int timeoutMs)
    {
        pollfd p{fd_, POLLIN, 0};
        if (poll(&p, 1, timeoutMs) <= 0)
            return false;
        char chunk[65536];
        const ssize_t n = recv(fd_, chunk, sizeof chunk, 0);
        if (n <= 0) {
            ended_ = true;
            return false;
        }
        buffer_.append(chunk, static_cast<size_t>(n));
        return true;
    }
    bool TakeLine(std::string& line)
    {
        const size_t lf = buffer_.find('\n', scanned_);
        if (lf == std::string::npos) {
            scanned_ = buffer_.size();
            return false;
        }
        line.assign(buffer_, 0, lf);
        buffer_.erase(0, lf + 1);
        scanned_ = 0;
        return true;
    }
    bool Ended() const { return ended_; }
    int Fd() const { return fd_; }

private:
    int fd_;
    std::string buffer_;
    size_t scanned_ = 0;
    bool ended_ = false;
};

// Reads one line within the time, a byte at a time so that nothing after it
// is taken from the socket; empty when none came.
inline std::string ReadLine(int fd, int timeoutMs)
{
    std::string line;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    char c;
    while (Clock::now() < deadline) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 50) <= 0)
            continue;
        if (recv(fd, &c, 1, 0) != 1 || c == '\n')
            return line;
        line += c;
    }
    return line;
}

// A link from the given loopback address that has had the greeting; -1 when
// the server did not greet.
inline int GreetedLink(int port, const char* from)
{
    const int fd = bench::ConnectTo(port, from);
    if (fd < 0)
        return -1;
    if (!SendAll(fd, "A4Hsoak\n") || ReadLine(fd, 5000) != "MIRAVO") {
        close(fd);
        return -1;
    }
    return fd;
}

} // namespace soak
