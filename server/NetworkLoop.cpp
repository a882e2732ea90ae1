#include "server/NetworkLoop.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <algorithm>
#include <cstring>
#include <variant>
#include <vector>

#include "core/base/FreeMemory.h"
#include "server/DemoCompanion.h"
#include "server/DemoSeed.h"

namespace miravod {

namespace {

constexpr size_t kReadChunk = 16384;
// Freed memory goes back to the system once this much output has drained
// or been dropped since the last time, or this many links have closed.
constexpr size_t kTrimAfterBytes = 8u << 20;
constexpr size_t kTrimAfterLinks = 256;

DispatchConfig ConfigFrom(const ServerOptions& o)
{
    DispatchConfig cfg;
    cfg.oldProtocol = o.oldProtocol;
    cfg.maxTextBytes = o.maxTextBytes;
    cfg.passwordIterations = o.passwordIterations;
    cfg.throttle = o.throttle;
    cfg.messageRate = o.messageRate;
    cfg.broadcastRate = o.broadcastRate;
    return cfg;
}

std::string PeerAddress(int fd)
{
    sockaddr_storage addr{};
    socklen_t len = sizeof addr;
    if (getpeername(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) return "unknown";
    char buf[INET6_ADDRSTRLEN] = {};
    if (addr.ss_family == AF_INET) {
        inet_ntop(AF_INET, &reinterpret_cast<sockaddr_in*>(&addr)->sin_addr, buf, sizeof buf);
    } else if (addr.ss_family == AF_INET6) {
        inet_ntop(AF_INET6, &reinterpret_cast<sockaddr_in6*>(&addr)->sin6_addr, buf, sizeof buf);
    }
    return buf[0] ? buf : "unknown";
}

} // namespace

NetworkLoop::NetworkLoop(const ServerOptions& options)
    : options_(options), async_(store_, sessions_, options.oldProtocol),
      dispatcher_(store_, sessions_, async_, ConfigFrom(options)),
      maxRequestBytes_(options.maxRequestBytes != 0 ? options.maxRequestBytes : 2 * options.maxTextBytes + 65536),
      admission_(options.maxConnections != 0 ? options.maxConnections : LinkCapFromDescriptorLimit(),
                 options.maxConnectionsPerAddress)
{
    // Often enough that a link outlives its time by a quarter of it at most.
    const auto shortest = std::chrono::milliseconds(std::min(options.handshakeTimeoutMs, options.anonymousIdleMs));
    sweepEvery_ = std::clamp<Connection::Clock::duration>(shortest / 4, std::chrono::milliseconds(10),
                                                          std::chrono::seconds(1));
    nextSweep_ = Connection::Clock::now() + sweepEvery_;
}

NetworkLoop::~NetworkLoop()
{
    hashPool_.reset();
    connections_.clear();
    if (listenFd_ >= 0) ::close(listenFd_);
    if (tlsListenFd_ >= 0) ::close(tlsListenFd_);
    if (wakeFd_ >= 0) ::close(wakeFd_);
    if (epollFd_ >= 0) ::close(epollFd_);
}

bool NetworkLoop::Open(std::string* error)
{
    auto fail = [&](const std::string& what) {
        if (error) *error = what;
        return false;
    };
    store_.SetCharset(options_.charset);
    if (!store_.Open(options_.dbPath, error)) return false;
    if (options_.demo && store_.Conferences().empty()) {
        DemoSeed::Fill(store_, options_.passwordIterations);
        std::string e;
        if (!store_.Commit(&e)) return fail("cannot store the demo data: " + e);
    }
    if (options_.demo && options_.demoCompanion)
        companion_ = std::make_unique<DemoCompanion>(store_, sessions_, dispatcher_, async_,
                                                     std::chrono::milliseconds(options_.demoCompanionIntervalMs));

    wakeFd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (wakeFd_ < 0) return fail(std::string("eventfd: ") + std::strerror(errno));
    hashPool_ = std::make_unique<HashPool>(options_.hashThreads, [this] { Wake(); });
    if (options_.tlsPort >= 0) {
        tls_ = TlsContext::Load(options_.tlsCertFile, options_.tlsKeyFile, error);
        if (!tls_) return false;
        tlsListenFd_ = Listen(options_.tlsPort, &tlsPort_, error);
        if (tlsListenFd_ < 0) return false;
    }
    if (options_.plain) {
        listenFd_ = Listen(options_.port, &port_, error);
        if (listenFd_ < 0) return false;
    }
    if (listenFd_ < 0 && tlsListenFd_ < 0) return fail("no port to listen on");
    epollFd_ = epoll_create1(EPOLL_CLOEXEC);
    if (epollFd_ < 0) return fail(std::string("epoll: ") + std::strerror(errno));
    for (int fd : {wakeFd_, listenFd_, tlsListenFd_}) {
        if (fd < 0) continue;
        epoll_event ev{};
        ev.events = EPOLLIN;
        ev.data.fd = fd;
        epoll_ctl(epollFd_, EPOLL_CTL_ADD, fd, &ev);
    }
    return true;
}

int NetworkLoop::Listen(int port, int* boundPort, std::string* error)
{
    auto fail = [&](const std::string& what) {
        if (error) *error = what;
        return -1;
    };
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    if (inet_pton(AF_INET, options_.listenAddress.c_str(), &addr.sin_addr) != 1)
        return fail("not an IPv4 address: " + options_.listenAddress);
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return fail(std::string("socket: ") + std::strerror(errno));
    const int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(fd, 256) != 0) {
        const std::string why = std::string(port == options_.port ? "bind: " : "bind TLS port: ") + std::strerror(errno);
        ::close(fd);
        return fail(why);
    }
    socklen_t len = sizeof addr;
    getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    *boundPort = ntohs(addr.sin_port);
    return fd;
}

void NetworkLoop::RequestStop()
{
    stop_ = true;
    Wake();
}

void NetworkLoop::Wake()
{
    const uint64_t one = 1;
    if (wakeFd_ >= 0) (void)!::write(wakeFd_, &one, sizeof one);
}

void NetworkLoop::Watch(Connection& c, uint32_t events)
{
    if (c.watched == events) return;
    epoll_event ev{};
    ev.events = events;
    ev.data.fd = c.Fd();
    epoll_ctl(epollFd_, EPOLL_CTL_MOD, c.Fd(), &ev);
    c.watched = events;
}

void NetworkLoop::Touch(Connection& c)
{
    if (c.touched) return;
    c.touched = true;
    touched_.push_back(&c);
}

bool NetworkLoop::ReadsNow(const Connection& c) const
{
    // Bytes wait in the socket while requests already read wait to be served.
    return !c.HasUnserved() && c.job == 0 && c.PendingBytes() < options_.pauseReadingAt && !c.closeWhenFlushed &&
           !c.inputEnded;
}

void NetworkLoop::Rearm(Connection& c, Connection::Clock::time_point now)
{
    uint32_t events = 0;
    if (ReadsNow(c)) {
        events |= EPOLLIN;
        // Its next requests are in hand already: read them this turn.
        if (c.Buffered()) buffered_.push_back(&c);
    }
    if (c.WantsOut()) events |= EPOLLOUT;
    const auto due = c.NextDue();
    if (due <= now) {
        events |= EPOLLOUT;
    } else if (due != Connection::Clock::time_point::max() && due != c.timerDue) {
        // Queued bytes keep their order, so the front's due time only grows
        // until the queue drains; one heap entry per distinct front is enough.
        timers_.push(Timer{due, c.Fd(), &c});
        c.timerDue = due;
    }
    Watch(c, events);
}

void NetworkLoop::WakeDueTimers(Connection::Clock::time_point now)
{
    while (!timers_.empty() && timers_.top().due <= now) {
        const Timer t = timers_.top();
        timers_.pop();
        auto it = connections_.find(t.fd);
        // An entry of a closed link, or of an older link on a reused fd, at
        // worst touches a live link once for nothing.
        if (it == connections_.end()) continue;
        Connection& c = *it->second;
        if (&c == t.link && c.timerDue == t.due) c.timerDue = Connection::Clock::time_point::max();
        Touch(c);
    }
}

void NetworkLoop::ReapDead()
{
    // Every way a link dies goes through a touch (its own event, a write, a
    // queued message), so the dead are all on the list.
    std::vector<int> dead;
    for (Connection* c : touched_) {
        if (c->dead) dead.push_back(c->Fd());
    }
    if (dead.empty()) return;
    std::erase_if(touched_, [](Connection* c) { return c->dead; });
    for (int fd : dead) {
        auto it = connections_.find(fd);
        if (it == connections_.end()) continue;
        Close(*it->second);
        connections_.erase(it);
    }
}

void NetworkLoop::Run()
{
    // epoll rather than poll: the cost of a wake-up must not grow with the
    // number of idle sessions, and neither may the rest of a turn.
    std::vector<epoll_event> ready(64);
    while (!stop_) {
        // A link can die after the last reap (a message it cannot take).
        ReapDead();
        async_.Flush();
        const auto now = Connection::Clock::now();
        // Only links touched since the last turn can want other events.
        for (Connection* c : touched_) {
            c->touched = false;
            Rearm(*c, now);
        }
        touched_.clear();
        const int n = epoll_wait(epollFd_, ready.data(), static_cast<int>(ready.size()), WaitTimeout(now));
        if (n < 0 && errno != EINTR) break;
        if (stop_) break;
        for (int i = 0; i < n; ++i)
            OnReady(ready[static_cast<size_t>(i)]);
        // Links touched since the last turn are all still open: only a reap
        // closes one, and the rearm came after it.
        for (Connection* c : buffered_) {
            if (!c->dead && c->Buffered()) {
                Touch(*c);
                Read(*c);
            }
        }
        buffered_.clear();
        FinishJobs();
        const auto turn = Connection::Clock::now();
        StartParkedJobs(turn);
        if (turn >= nextSweep_) Sweep(turn);
        if (turn >= acceptPausedUntil_) ResumeAccepting();
        WriteAndServeTouched();
        if (companion_ && companion_->NextDue() <= Connection::Clock::now()) {
            companion_->Tick();
            async_.Flush();
        }
        ReapDead();
        // Log-off notices of closed links go out with the next writes.
        async_.Flush();
    }
}

int NetworkLoop::WaitTimeout(Connection::Clock::time_point now) const
{
    if (!buffered_.empty()) return 0;
    auto nextWake = companion_ ? companion_->NextDue() : Connection::Clock::time_point::max();
    if (!timers_.empty() && timers_.top().due < nextWake) nextWake = timers_.top().due;
    if (!parked_.empty() && parked_.top().due < nextWake) nextWake = parked_.top().due;
    nextWake = std::min({nextWake, nextSweep_, acceptPausedUntil_});
    if (nextWake == Connection::Clock::time_point::max()) return -1;
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(nextWake - now).count();
    return static_cast<int>(std::max<int64_t>(0, std::min<int64_t>(ms + 1, 60000)));
}

void NetworkLoop::OnReady(const epoll_event& event)
{
    const int fd = event.data.fd;
    if (fd == wakeFd_) {
        uint64_t v;
        (void)!::read(wakeFd_, &v, sizeof v);
        return;
    }
    if (fd == listenFd_ || fd == tlsListenFd_) {
        Accept(fd, fd == tlsListenFd_);
        return;
    }
    auto it = connections_.find(fd);
    if (it == connections_.end()) return;
    Connection& c = *it->second;
    Touch(c);
    // Hung up both ways after it ended its input: no reply can arrive.
    if (c.inputEnded && (event.events & (EPOLLHUP | EPOLLERR))) {
        c.dead = true;
        return;
    }
    // An encrypted session that had to write first goes on reading once
    // there is room.
    if (!c.dead && ((event.events & (EPOLLIN | EPOLLHUP | EPOLLERR)) || (c.WantsOut() && (event.events & EPOLLOUT))))
        Read(c);
}

void NetworkLoop::WriteAndServeTouched()
{
    // Replies due now go out at once rather than after another wait.
    const auto after = Connection::Clock::now();
    WakeDueTimers(after);
    for (Connection* c : touched_) {
        if (!c->dead && c->NextDue() <= after && !c->Write(options_.byteByByte)) c->dead = true;
        if (!c->dead && c->closeWhenFlushed && c->PendingBytes() == 0) c->dead = true;
        // A peer that sent its last request closes once every reply is out.
        if (!c->dead && c->inputEnded && !c->HasUnserved() && c->job == 0 && c->PendingBytes() == 0) c->dead = true;
    }
    // Requests held back while output was backed up go on as it drains.
    // By index: serving may touch other links.
    for (size_t i = 0; i < touched_.size(); ++i) {
        if (!touched_[i]->dead && touched_[i]->HasUnserved()) Serve(*touched_[i]);
    }
}

void NetworkLoop::Accept(int listenFd, bool encrypted)
{
    for (;;) {
        const int fd = accept4(listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd >= 0) {
            admission_.Accepted();
            Admit(fd, encrypted);
            continue;
        }
        if (errno == EAGAIN || errno == EWOULDBLOCK) return;
        // A link that died in the backlog, or a signal: the next may be fine.
        if (errno == ECONNABORTED || errno == EINTR || errno == EPROTO) continue;
        // Out of descriptors (or memory): the waiting link stays in the
        // backlog, so the socket stays readable; stop watching it a while.
        ++acceptFailures_;
        PauseAccepting(admission_.Backoff(Connection::Clock::now()));
        return;
    }
}

void NetworkLoop::PauseAccepting(Connection::Clock::time_point until)
{
    for (int fd : {listenFd_, tlsListenFd_}) {
        if (fd < 0) continue;
        epoll_event ev{};
        ev.events = 0;
        ev.data.fd = fd;
        epoll_ctl(epollFd_, EPOLL_CTL_MOD, fd, &ev);
    }
    acceptPausedUntil_ = until;
}

void NetworkLoop::ResumeAccepting()
{
    for (int fd : {listenFd_, tlsListenFd_}) {
        if (fd < 0) continue;
        epoll_event ev{};
        ev.events = EPOLLIN;
        ev.data.fd = fd;
        epoll_ctl(epollFd_, EPOLL_CTL_MOD, fd, &ev);
    }
    acceptPausedUntil_ = Connection::Clock::time_point::max();
}

void NetworkLoop::Admit(int fd, bool encrypted)
{
    std::string address = PeerAddress(fd);
    if (!admission_.Admit(address)) {
        ::close(fd);
        return;
    }
    const int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    RequestParser::Limits limits;
    limits.maxString = options_.maxTextBytes;
    limits.maxRequestBytes = options_.maxAnonymousRequestBytes;
    auto c = std::make_unique<Connection>(fd, address, limits, encrypted ? tls_->Get() : nullptr, &outputTotal_);
    Session& s = sessions_.Create(pellar::NowLocal());
    s.host = std::move(address);
    Connection* raw = c.get();
    s.sink = [this, raw](const std::string& bytes) {
        // A dropped link takes nothing more.
        if (raw->dead) return;
        raw->Queue(bytes, Connection::Clock::now());
        if (raw->PendingBytes() > options_.maxPendingOut) Drop(*raw);
        Touch(*raw);
        CheckBudget();
    };
    c->session = s.number;
    epoll_event ev{};
    ev.events = EPOLLIN;
    ev.data.fd = fd;
    epoll_ctl(epollFd_, EPOLL_CTL_ADD, fd, &ev);
    c->watched = EPOLLIN;
    connections_[fd] = std::move(c);
    Touch(*raw);
}

void NetworkLoop::Sweep(Connection::Clock::time_point now)
{
    nextSweep_ = now + sweepEvery_;
    if (peakSinceTrim_ > outputTotal_ + kTrimAfterBytes || closedSinceTrim_ >= kTrimAfterLinks) Trim();
    const auto handshake = std::chrono::milliseconds(options_.handshakeTimeoutMs);
    const auto idle = std::chrono::milliseconds(options_.anonymousIdleMs);
    for (auto& [fd, c] : connections_) {
        if (c->dead) continue;
        bool expired = false;
        if (!c->Handshaken()) {
            expired = now - c->opened >= handshake;
        } else if (c->job == 0 && now - c->lastRequest >= idle) {
            const Session* s = sessions_.Find(c->session);
            expired = !s || s->person == 0;
        }
        if (expired) {
            c->dead = true;
            Touch(*c);
        }
    }
}

void NetworkLoop::Read(Connection& c)
{
    char buf[kReadChunk];
    // A session may hold decrypted bytes past one read; a few rounds empty
    // it without letting one link hold the loop.
    for (int round = 0; round < 4; ++round) {
        const long n = c.Receive(buf, sizeof buf);
        if (n == Connection::kEnded) {
            // What it sent is still answered; its logon attempt no longer
            // holds a place among its address's.
            c.inputEnded = true;
            if (auto it = jobs_.find(c.job); it != jobs_.end() && it->second.job.ticket) it->second.job.ticket->Release();
            Touch(c);
            return;
        }
        if (n < 0) {
            c.dead = true;
            return;
        }
        if (n == 0) return;
        Consume(c, std::string(buf, static_cast<size_t>(n)));
        if (c.dead || !c.Buffered()) return;
    }
    Touch(c);
}

void NetworkLoop::Consume(Connection& c, std::string data)
{
    if (!c.Handshaken()) {
        const auto h = c.ReadHandshake(data);
        if (h == Connection::Handshake::Bad) {
            c.dead = true;
            return;
        }
        if (h == Connection::Handshake::NeedMore) return;
        if (Session* s = sessions_.Find(c.session)) s->userName = c.UserName();
        c.lastRequest = Connection::Clock::now();
        if (!options_.withholdGreeting) c.Queue("MIRAVO\n", Connection::Clock::now());
    }
    c.Take(data);
    Serve(c);
}

void NetworkLoop::Serve(Connection& c)
{
    Session* s = sessions_.Find(c.session);
    if (!s) {
        c.dead = true;
        return;
    }
    // One request at a time, so that the output check sees each reply: a
    // chunk of small requests can ask for a great deal.
    while (!c.dead && !c.closeWhenFlushed && c.job == 0 && c.HasUnserved() &&
           c.PendingBytes() < options_.pauseReadingAt) {
        const size_t used = c.Parser().FeedSome(c.Unserved(), [&](Request& r) {
            Dispatch(c, *s, r);
            return false;
        });
        c.Served(used);
        if (c.Parser().Failed()) {
            c.dead = true;
            return;
        }
    }
}

void NetworkLoop::Dispatch(Connection& c, Session& s, const Request& r)
{
    c.lastRequest = Connection::Clock::now();
    auto step = dispatcher_.Begin(s, r);
    if (auto* reply = std::get_if<std::string>(&step)) {
        Reply(c, std::move(*reply));
        async_.Flush();
        AfterRequest(c, s);
        return;
    }
    // The link's later requests wait until this one is answered.
    const uint64_t id = nextJob_++;
    c.job = id;
    PasswordJob& job = std::get<PasswordJob>(step);
    const bool startNow = job.notBefore <= Connection::Clock::now();
    if (startNow) {
        hashPool_->Submit(id, job.work, job.urgent);
    } else {
        parked_.push(Parked{job.notBefore, id});
    }
    jobs_.emplace(id, Job{c.Fd(), &c, std::move(job), startNow});
}

void NetworkLoop::StartParkedJobs(Connection::Clock::time_point now)
{
    while (!parked_.empty() && parked_.top().due <= now) {
        const uint64_t id = parked_.top().id;
        parked_.pop();
        auto it = jobs_.find(id);
        if (it == jobs_.end()) continue;
        // Nobody waits for the answer any more: no hash.
        if (!LinkOf(id, it->second)) {
            jobs_.erase(it);
            continue;
        }
        // Attempts that failed meanwhile may have put it further off.
        PasswordJob& job = it->second.job;
        if (job.recheck) {
            const auto due = job.recheck(now);
            if (due > now) {
                parked_.push(Parked{due, id});
                continue;
            }
        }
        it->second.submitted = true;
        hashPool_->Submit(id, job.work, job.urgent);
    }
}

Connection* NetworkLoop::LinkOf(uint64_t id, const Job& job)
{
    auto c = connections_.find(job.fd);
    if (c == connections_.end() || c->second.get() != job.link || job.link->job != id || job.link->dead) return nullptr;
    return job.link;
}

void NetworkLoop::FinishJobs()
{
    for (uint64_t id : hashPool_->TakeDone()) {
        auto node = jobs_.extract(id);
        if (node.empty()) continue;
        Connection* c = LinkOf(id, node.mapped());
        Session* s = c ? sessions_.Find(c->session) : nullptr;
        if (!s) continue;
        c->job = 0;
        Reply(*c, dispatcher_.Finish(*s, node.mapped().job));
        async_.Flush();
        AfterRequest(*c, *s);
        Touch(*c);
        Serve(*c);
    }
}

void NetworkLoop::AfterRequest(Connection& c, const Session& s)
{
    c.Parser().SetMaxRequestBytes(s.person != 0 ? maxRequestBytes_ : options_.maxAnonymousRequestBytes);
    if (options_.closeAfterRequests > 0 && ++c.requestsServed >= options_.closeAfterRequests)
        c.closeWhenFlushed = true;
}

void NetworkLoop::Reply(Connection& c, std::string reply)
{
    if (c.dead) return;
    auto due = Connection::Clock::now() + std::chrono::milliseconds(options_.replyDelayMs);
    if (options_.injectUnknownAsync) c.Queue(":2 99 0 0\n", due);
    c.Queue(std::move(reply), due);
    // Serving pauses long before this; only a link that reads nothing while
    // notices pile up, or one enormous reply, gets here.
    if (c.PendingBytes() > options_.maxPendingOut) Drop(c);
    CheckBudget();
}

void NetworkLoop::Drop(Connection& c)
{
    c.dead = true;
    c.DropOutput();
    Touch(c);
}

void NetworkLoop::CheckBudget()
{
    peakSinceTrim_ = std::max(peakSinceTrim_, outputTotal_);
    if (outputTotal_ <= options_.outputBudget) return;
    // Down to seven eighths, so that the next pass is not one message away.
    const size_t target = options_.outputBudget / 8 * 7;
    std::vector<Connection*> links;
    for (auto& [fd, c] : connections_) {
        if (!c->dead && c->PendingBytes() > 0) links.push_back(c.get());
    }
    // Links that do not read go first, the largest of them first; links
    // that read only if that was not enough.
    std::sort(links.begin(), links.end(), [](const Connection* a, const Connection* b) {
        if (a->Blocked() != b->Blocked()) return a->Blocked();
        return a->PendingBytes() > b->PendingBytes();
    });
    size_t dropped = 0;
    for (Connection* c : links) {
        if (outputTotal_ <= target) break;
        Drop(*c);
        ++dropped;
    }
    if (dropped == 0) return;
    budgetDrops_ += dropped;
    Trim();
}

void NetworkLoop::Trim()
{
    // The allocator keeps what a burst freed; give it back.
    pellar::ReturnFreeMemory();
    closedSinceTrim_ = 0;
    peakSinceTrim_ = outputTotal_;
}

void NetworkLoop::Close(Connection& c)
{
    epoll_ctl(epollFd_, EPOLL_CTL_DEL, c.Fd(), nullptr);
    // A logon attempt still waiting for its turn is not hashed at all.
    if (auto it = jobs_.find(c.job); it != jobs_.end() && !it->second.submitted) jobs_.erase(it);
    ++closedSinceTrim_;
    admission_.Left(c.Address());
    if (Session* s = sessions_.Find(c.session)) {
        dispatcher_.SessionClosed(*s);
        sessions_.Remove(c.session);
    }
}

} // namespace miravod
