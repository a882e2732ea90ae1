// One thread, one poll loop: it accepts, connects onwards without blocking,
// reads whatever arrives, stamps each chunk with the time it may leave and
// sleeps in poll until the earliest such time, a socket or the stop event.
#include "bench/support/LatencyRelay.h"

#include <algorithm>
#include <chrono>
#include <cerrno>
#include <cstdio>
#include <deque>
#include <memory>
#include <optional>
#include <vector>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace bench {

namespace {

using Clock = std::chrono::steady_clock;

void SetNonBlocking(int fd)
{
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    const int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

sockaddr_in Loopback(uint16_t port)
{
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}

// Bytes on their way in one direction; an empty chunk with eof set carries
// the sender's close, so it arrives after the data before it.
struct Chunk {
    Clock::time_point due;
    std::string bytes;
    bool eof = false;
};

struct Direction {
    int from = -1, to = -1;
    std::deque<Chunk> queue;
    size_t queued = 0;   // bytes in queue
    size_t written = 0;  // of the front chunk
    bool readDone = false;
    bool shut = false;          // the close went on to the receiver
    bool blocked = false;       // the receiver's buffer is full: wait for POLLOUT
    Clock::time_point linkFree; // when the slow line has sent what it holds
    Clock::time_point lastDue;
};

} // namespace

struct LatencyRelay::Loop {
    // Where the bytes toward the client stand, to tell reply lines.
    struct ReplyReading {
        bool atLineStart = true;
        bool lineCounted = false;
        bool greeted = false;
    };
    struct Link {
        int client = -1, server = -1;
        bool connecting = true;
        bool dead = false;
        Direction up, down;  // toward the server, toward the client
        ReplyReading reading;
        int64_t inFlight = 0;
    };

    LatencyRelay& relay;
    std::vector<std::unique_ptr<Link>> links;
    std::vector<char> scratch;

    explicit Loop(LatencyRelay& r) : relay(r) {}
    ~Loop()
    {
        for (auto& l : links)
            Close(*l);
    }

    size_t ChunkSize() const
    {
        // On a slow line, small chunks, so that bytes trickle as they would.
        if (relay.bytesPerSecond_ <= 0)
            return 65536;
        return static_cast<size_t>(std::clamp<int64_t>(relay.bytesPerSecond_ / 100, 256, 65536));
    }
    size_t QueueCap() const
    {
        if (relay.bytesPerSecond_ <= 0)
            return 4u << 20;
        // About what a slow line holds while the delay runs, plus a quarter second.
        const int64_t inFlight = relay.bytesPerSecond_ * (relay.delayMs_.load() + 250) / 1000;
        return static_cast<size_t>(std::max<int64_t>(65536, inFlight));
    }

    void Accept()
    {
        for (;;) {
            const int c = accept4(relay.listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
            if (c < 0)
                return;
            SetNonBlocking(c);
            const int s = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
            if (s < 0) {
                close(c);
                continue;
            }
            SetNonBlocking(s);
            const sockaddr_in to = Loopback(relay.targetPort_);
            auto link = std::make_unique<Link>();
            link->client = c;
            link->server = s;
            link->up.from = link->down.to = c;
            link->up.to = link->down.from = s;
            if (connect(s, reinterpret_cast<const sockaddr*>(&to), sizeof to) == 0)
                link->connecting = false;
            else if (errno != EINPROGRESS)
                link->dead = true;
            links.push_back(std::move(link));
        }
    }

    void Read(Link& l, Direction& d, bool towardServer)
    {
        scratch.resize(ChunkSize());
        while (!d.readDone && d.queued < QueueCap()) {
            const ssize_t n = recv(d.from, scratch.data(), scratch.size(), 0);
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
                return;
            if (n < 0) {
                l.dead = true;
                return;
            }
            const auto now = Clock::now();
            Chunk chunk;
            if (n == 0) {
                d.readDone = true;
                chunk.eof = true;
            } else {
                chunk.bytes.assign(scratch.data(), static_cast<size_t>(n));
            }
            // A slow line sends one chunk after another; the delay then runs
            // for every chunk side by side.
            auto sent = now;
            if (relay.bytesPerSecond_ > 0 && n > 0) {
                sent = std::max(now, d.linkFree) +
                       std::chrono::nanoseconds(n * int64_t{1000000000} / relay.bytesPerSecond_);
                d.linkFree = sent;
            }
            chunk.due = std::max(sent + std::chrono::milliseconds(relay.delayMs_.load()), d.lastDue);
            d.lastDue = chunk.due;
            if (towardServer && n > 0) {
                const auto lines = static_cast<int64_t>(std::count(chunk.bytes.begin(), chunk.bytes.end(), '\n'));
                relay.bytesToServer_ += n;
                relay.linesToServer_ += lines;
                l.inFlight += lines;
                AddInFlight(lines);
            }
            d.queued += chunk.bytes.size();
            d.queue.push_back(std::move(chunk));
            if (n == 0)
                return;
        }
    }

    void AddInFlight(int64_t change)
    {
        const int64_t now = relay.inFlight_ += change;
        int64_t max = relay.maxInFlight_.load();
        while (now > max && !relay.maxInFlight_.compare_exchange_weak(max, now)) {
        }
    }

    // What the client got: bytes, and reply lines that end requests; the
    // replies counted.
    int64_t Delivered(Link& l, const char* p, size_t n)
    {
        relay.bytesToClient_ += static_cast<int64_t>(n);
        int64_t replies = 0;
        for (size_t i = 0; i < n; ++i) {
            if (l.reading.atLineStart && (p[i] == '=' || p[i] == '%')) {
                ++replies;
                l.reading.lineCounted = true;
            }
            if (p[i] == '\n') {
                if (!l.reading.greeted && !l.reading.lineCounted)
                    ++replies;  // the greeting answers the handshake line
                l.reading.greeted = true;
                l.reading.lineCounted = false;
                l.reading.atLineStart = true;
            } else {
                l.reading.atLineStart = false;
            }
        }
        replies = std::min(replies, l.inFlight);
        l.inFlight -= replies;
        AddInFlight(-replies);
        return replies;
    }

    // Counted before the send, so that whoever has read the bytes sees them
    // counted; taken back where the send took less.
    ssize_t SendToClient(Link& l, const char* p, size_t n)
    {
        const ReplyReading before = l.reading;
        const int64_t inFlightBefore = l.inFlight;
        const int64_t replies = Delivered(l, p, n);
        const ssize_t sent = send(l.client, p, n, MSG_NOSIGNAL);
        if (sent != static_cast<ssize_t>(n)) {
            relay.bytesToClient_ -= static_cast<int64_t>(n);
            l.reading = before;
            l.inFlight = inFlightBefore;
            relay.inFlight_ += replies;
            if (sent > 0)
                Delivered(l, p, static_cast<size_t>(sent));
        }
        return sent;
    }

    // Sends every chunk that is due; a receiver that is gone ends the link.
    void Deliver(Link& l, Direction& d, bool towardClient, Clock::time_point now)
    {
        while (!d.queue.empty() && d.queue.front().due <= now) {
            Chunk& front = d.queue.front();
            if (front.eof) {
                shutdown(d.to, SHUT_WR);
                d.shut = true;
                d.queue.pop_front();
                continue;
            }
            const char* rest = front.bytes.data() + d.written;
            const size_t size = front.bytes.size() - d.written;
            const ssize_t n = towardClient ? SendToClient(l, rest, size) : send(d.to, rest, size, MSG_NOSIGNAL);
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
                d.blocked = true;
                return;
            }
            if (n <= 0) {
                l.dead = true;
                return;
            }
            d.written += static_cast<size_t>(n);
            if (d.written < front.bytes.size()) {
                d.blocked = true;
                return;
            }
            d.queued -= front.bytes.size();
            d.written = 0;
            d.queue.pop_front();
        }
        d.blocked = false;
    }

    void Close(Link& l)
    {
        if (l.client >= 0)
            close(l.client);
        if (l.server >= 0)
            close(l.server);
        l.client = l.server = -1;
        AddInFlight(-l.inFlight);
        l.inFlight = 0;
    }

    // The earliest time a queued chunk may leave, if any is waiting on time
    // alone.
    std::optional<Clock::time_point> NextDue() const
    {
        std::optional<Clock::time_point> next;
        for (const auto& l : links) {
            for (const Direction* d : {&l->up, &l->down}) {
                if (d->queue.empty() || d->blocked || (l->connecting && d == &l->up))
                    continue;
                if (!next || d->queue.front().due < *next)
                    next = d->queue.front().due;
            }
        }
        return next;
    }

    // A socket with nothing to wait for stays out of the poll set (fd -1):
    // a hung-up socket would otherwise wake poll again and again.
    pollfd Watch(int fd, const Direction& in, const Direction& out) const
    {
        short events = 0;
        if (!in.readDone && in.queued < QueueCap())
            events |= POLLIN;
        if (out.blocked)
            events |= POLLOUT;
        return {events ? fd : -1, events, 0};
    }

    void Step()
    {
        std::vector<pollfd> fds;
        fds.push_back({relay.wakeFd_, POLLIN, 0});
        fds.push_back({relay.listenFd_, POLLIN, 0});
        for (const auto& l : links) {
            fds.push_back(Watch(l->client, l->up, l->down));
            fds.push_back(l->connecting ? pollfd{l->server, POLLOUT, 0} : Watch(l->server, l->down, l->up));
        }
        int timeout = -1;
        if (const auto next = NextDue()) {
            const auto wait = std::chrono::ceil<std::chrono::milliseconds>(*next - Clock::now()).count();
            timeout = static_cast<int>(std::clamp<int64_t>(wait, 0, 60000));
        }
        if (poll(fds.data(), fds.size(), timeout) < 0 && errno != EINTR)
            return;
        if (fds[0].revents) {
            uint64_t v;
            (void)!read(relay.wakeFd_, &v, sizeof v);
        }
        if (relay.stop_)
            return;
        const size_t known = links.size();
        for (size_t i = 0; i < known; ++i) {
            Link& l = *links[i];
            const short c = fds[2 + 2 * i].revents, s = fds[3 + 2 * i].revents;
            if (l.connecting && s) {
                int error = 0;
                socklen_t len = sizeof error;
                getsockopt(l.server, SOL_SOCKET, SO_ERROR, &error, &len);
                if (error != 0)
                    l.dead = true;
                l.connecting = false;
            } else if (!l.connecting) {
                if (s & (POLLOUT | POLLERR | POLLHUP))
                    l.up.blocked = false;
                if (s & (POLLIN | POLLERR | POLLHUP))
                    Read(l, l.down, false);
            }
            if (c & (POLLOUT | POLLERR | POLLHUP))
                l.down.blocked = false;
            if (c & (POLLIN | POLLERR | POLLHUP))
                Read(l, l.up, true);
        }
        if (fds[1].revents)
            Accept();
        const auto now = Clock::now();
        for (auto& l : links) {
            if (!l->dead && !l->connecting && !l->up.blocked)
                Deliver(*l, l->up, false, now);
            if (!l->dead && !l->down.blocked)
                Deliver(*l, l->down, true, now);
            if (l->dead || (l->up.shut && l->down.shut))
                Close(*l);
        }
        std::erase_if(links, [](const auto& l) { return l->client < 0; });
    }
};

LatencyRelay::LatencyRelay(uint16_t targetPort, int oneWayDelayMs, int64_t bytesPerSecond)
    : targetPort_(targetPort), delayMs_(oneWayDelayMs), bytesPerSecond_(bytesPerSecond)
{
    listenFd_ = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    wakeFd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    sockaddr_in a = Loopback(0);
    socklen_t len = sizeof a;
    if (listenFd_ < 0 || wakeFd_ < 0 || bind(listenFd_, reinterpret_cast<sockaddr*>(&a), len) != 0 ||
        listen(listenFd_, 64) != 0 || getsockname(listenFd_, reinterpret_cast<sockaddr*>(&a), &len) != 0) {
        std::perror("latency relay");
        return;
    }
    port_ = ntohs(a.sin_port);
    thread_ = std::thread([this] { Run(); });
}

LatencyRelay::~LatencyRelay()
{
    stop_ = true;
    if (wakeFd_ >= 0) {
        const uint64_t one = 1;
        (void)!write(wakeFd_, &one, sizeof one);
    }
    if (thread_.joinable())
        thread_.join();
    if (listenFd_ >= 0)
        close(listenFd_);
    if (wakeFd_ >= 0)
        close(wakeFd_);
}

void LatencyRelay::ResetCounters()
{
    bytesToServer_ = 0;
    bytesToClient_ = 0;
    linesToServer_ = 0;
    maxInFlight_ = inFlight_.load();
}

void LatencyRelay::Run()
{
    Loop loop(*this);
    while (!stop_)
        loop.Step();
}

} // namespace bench
