// The server's single thread: an epoll loop over the listening socket, every
// client link and a wake-up descriptor, feeding requests to the dispatcher
// and driving the demo companion's timer. Each turn costs in proportion to
// the links that had something happen, not to the number of links: only
// links touched since the last turn are re-armed, written and reaped, and
// delayed replies wake the loop through a small heap of due times. Once a
// second at most, a sweep closes links past their handshake or idle time,
// and gives memory freed since the last sweep back to the system. The bytes
// queued on all links together have a budget: past it the links with the
// most unsent bytes are dropped, those that do not read first.
#pragma once

#include <atomic>
#include <map>
#include <memory>
#include <queue>
#include <string>
#include <vector>

#include "server/AsyncDelivery.h"
#include "server/Connection.h"
#include "server/Dispatcher.h"
#include "server/HashPool.h"
#include "server/LinkAdmission.h"
#include "server/Server.h"
#include "server/SessionTable.h"
#include "server/Store.h"

struct epoll_event;

namespace miravod {

class DemoCompanion;

class NetworkLoop {
public:
    explicit NetworkLoop(const ServerOptions& options);
    ~NetworkLoop();
    NetworkLoop(const NetworkLoop&) = delete;
    NetworkLoop& operator=(const NetworkLoop&) = delete;

    // Loads the state, seeds the demo, binds and listens.
    bool Open(std::string* error);
    int Port() const { return port_; }
    int TlsPort() const { return tlsPort_; }
    std::string TlsFingerprint() const { return tls_ ? tls_->Fingerprint() : std::string(); }
    void Run();
    // Any thread.
    void RequestStop();
    uint64_t AcceptFailures() const { return acceptFailures_; }
    void FailNextCommits(int n) { store_.FailNextCommits(n); }

private:
    // Binds and listens on the options' address; -1 with error set.
    int Listen(int port, int* boundPort, std::string* error);
    void Accept(int listenFd, bool encrypted);
    void Admit(int fd, bool encrypted);
    // The handshake line and requests in what a link just read.
    void Consume(Connection& c, std::string data);
    // Stops watching the listening socket until `until`.
    void PauseAccepting(Connection::Clock::time_point until);
    void ResumeAccepting();
    // Closes links past their handshake or anonymous idle time.
    void Sweep(Connection::Clock::time_point now);
    void Read(Connection& c);
    // Serves the link's unserved requests while its output allows.
    void Serve(Connection& c);
    void Dispatch(Connection& c, Session& s, const Request& r);
    void AfterRequest(Connection& c, const Session& s);
    void Close(Connection& c);
    // Marks the link dead and frees its output at once.
    void Drop(Connection& c);
    // Drops links until the output queued on all of them fits the budget.
    void CheckBudget();
    void Trim();
    void Wake();

    // A password request on its way through the hash pool.
    struct Job {
        int fd;
        Connection* link; // compared only until found among the live links
        PasswordJob job;
        bool submitted = false; // handed to the hash pool
    };
    struct Parked {
        Connection::Clock::time_point due;
        uint64_t id;
        bool operator>(const Parked& o) const { return due > o.due; }
    };
    void StartParkedJobs(Connection::Clock::time_point now);
    void FinishJobs();
    // The live link still waiting for this job, or null.
    Connection* LinkOf(uint64_t id, const Job& job);
    void Reply(Connection& c, std::string reply);
    void Watch(Connection& c, uint32_t events);
    // Puts the link on this turn's list of links with activity.
    void Touch(Connection& c);
    // Whether the link's requests are read now or held back (requests read
    // but not yet served, a job running, output backed up, closing).
    bool ReadsNow(const Connection& c) const;
    // Sets what epoll waits for on the link and asks for a wake-up when its
    // next output lies in the future.
    void Rearm(Connection& c, Connection::Clock::time_point now);
    void WakeDueTimers(Connection::Clock::time_point now);
    void ReapDead();
    // One turn's parts: how long epoll may wait (ms, -1 for ever), one
    // ready descriptor, and the writes and held-back requests of the links
    // touched in the turn.
    int WaitTimeout(Connection::Clock::time_point now) const;
    void OnReady(const epoll_event& event);
    void WriteAndServeTouched();

    struct Timer {
        Connection::Clock::time_point due;
        int fd;
        Connection* link; // compared only, never followed: the fd may be reused
        bool operator>(const Timer& o) const { return due > o.due; }
    };

    ServerOptions options_;
    Store store_;
    SessionTable sessions_;
    AsyncDelivery async_;
    Dispatcher dispatcher_;
    std::unique_ptr<DemoCompanion> companion_;
    std::map<int, std::unique_ptr<Connection>> connections_;
    std::vector<Connection*> touched_;
    // Links whose encrypted session holds bytes already taken from the socket.
    std::vector<Connection*> buffered_;
    std::priority_queue<Timer, std::vector<Timer>, std::greater<Timer>> timers_;
    int listenFd_ = -1;
    int tlsListenFd_ = -1;
    int tlsPort_ = 0;
    std::unique_ptr<TlsContext> tls_;
    int wakeFd_ = -1;
    int epollFd_ = -1;
    int port_ = 0;
    size_t maxRequestBytes_;
    std::map<uint64_t, Job> jobs_;
    std::priority_queue<Parked, std::vector<Parked>, std::greater<Parked>> parked_;
    uint64_t nextJob_ = 1;
    // Made once the wake-up descriptor exists; stopped first on the way out.
    std::unique_ptr<HashPool> hashPool_;
    std::atomic<bool> stop_{false};
    std::atomic<uint64_t> acceptFailures_{0};
    LinkAdmission admission_;
    Connection::Clock::time_point acceptPausedUntil_ = Connection::Clock::time_point::max();
    Connection::Clock::duration sweepEvery_;
    // Bytes queued on all links, kept by the links themselves.
    size_t outputTotal_ = 0;
    size_t peakSinceTrim_ = 0;
    size_t closedSinceTrim_ = 0;
    uint64_t budgetDrops_ = 0;
    Connection::Clock::time_point nextSweep_;
};

} // namespace miravod
