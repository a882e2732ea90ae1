// A long run against a miravod process on a database file: honest sessions
// (the core client, no windows) write, read, mark and message while the
// server is killed and restarted, links are cut and other connections attack
// it. At the end every acknowledged text and mark must be on the server, no
// honest request may have waited longer than the freeze bound, and the
// server's memory must have stayed within its bound over idle. The attacks
// the server defends against by measure (a broadcast flood, parallel password
// guessing, half-closed links, half-finished TLS handshakes) have bounds of
// their own.
//   SoakDriver --miravod PATH --db FILE [--minutes M] [--sessions N]
//              [--restart-every S] [--freeze-ms MS] [--logon-ms MS] [--rss-over-idle-mb MB]
//              [--owner-logon-ms MS] [--tls 0|1] [--tls-ms MS] [--tls-kb-per-link KB]
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "bench/soak/RawLink.h"
#include "bench/soak/SoakAttacks.h"
#include "core/link/MVTransaction.h"
#include "core/wire/RequestCatalogue.h"
#include "core/wire/WireTokens.h"
#include "core/session/Client.h"
#include "bench/support/BenchServer.h"
#include "server/TlsContext.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;
using soak::ReadLine;
using soak::SendAll;

struct Options {
    std::string miravod, db;
    double minutes = 1;
    int sessions = 6;
    int restartEverySeconds = 60;
    int freezeBoundMs = 250;
    int logonBoundMs = 2000;
    long rssOverIdleMb = 100;
    // The owner of a password being guessed logs on within this.
    int ownerLogonBoundMs = 1000;
    bool tls = true;
    // An honest TLS link greets within this while half-finished handshakes
    // hold hundreds of links, each of which may cost the server this much.
    int tlsBoundMs = 1000;
    double tlsKbPerLinkBound = 16;
};

// ------------------------------------------------------------ the server

class ServerProcess {
public:
    ServerProcess(std::string binary, std::string db, int port) : binary_(std::move(binary)), db_(std::move(db)), port_(port) {}
    ~ServerProcess() { Kill(); }

    // TLS beside the plain port, with a certificate made for the run.
    bool ServeTls(int tlsPort)
    {
        const std::filesystem::path dir = std::filesystem::path(db_).parent_path();
        cert_ = (dir / "soak-cert.pem").string();
        key_ = (dir / "soak-key.pem").string();
        std::string error;
        if (!miravod::WriteSelfSignedCertificate(cert_, key_, "localhost", "DNS:localhost,IP:127.0.0.1", 2, &error)) {
            std::fprintf(stderr, "no certificate for the soak: %s\n", error.c_str());
            return false;
        }
        tlsPort_ = tlsPort;
        return true;
    }

    bool Start()
    {
        std::vector<std::string> args = {binary_, "--port", std::to_string(port_), "--db", db_, "--no-companion"};
        if (tlsPort_)
            args.insert(args.end(), {"--tls-cert", cert_, "--tls-key", key_, "--tls-port", std::to_string(tlsPort_)});
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        pid_ = fork();
        if (pid_ == 0) {
            execv(binary_.c_str(), argv.data());
            _exit(127);
        }
        // Up when it greets.
        for (int i = 0; i < 200; ++i) {
            if (Greets())
                return true;
            std::this_thread::sleep_for(50ms);
        }
        return false;
    }
    void Kill()
    {
        if (pid_ <= 0)
            return;
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
    long RssKb() const
    {
        std::ifstream in("/proc/" + std::to_string(pid_) + "/status");
        std::string key;
        long value = 0;
        while (in >> key) {
            if (key == "VmRSS:") {
                in >> value;
                return value;
            }
        }
        return 0;
    }
    int Port() const { return port_; }
    int TlsPort() const { return tlsPort_; }

private:
    bool Greets() const;

    std::string binary_, db_, cert_, key_;
    int port_;
    int tlsPort_ = 0;
    // Read by the attacker's memory samples while the keeper restarts it.
    std::atomic<pid_t> pid_{-1};
};

bool ServerProcess::Greets() const
{
    const int fd = bench::ConnectTo(port_);
    if (fd < 0)
        return false;
    SendAll(fd, "A4Hsoak\n");
    const bool ok = ReadLine(fd, 2000) == "MIRAVO";
    close(fd);
    return ok;
}

int FreePort()
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    inet_pton(AF_INET, "127.0.0.1", &addr.sin_addr);
    bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    socklen_t len = sizeof addr;
    getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    close(fd);
    return ntohs(addr.sin_port);
}

// ------------------------------------------------------------ honest sessions

struct Figures {
    std::atomic<uint64_t> requests{0}, failures{0}, textsAcked{0}, marksAcked{0}, messages{0}, reads{0}, cuts{0};
    // Honest requests refused as over a rate (temporary failure).
    std::atomic<uint64_t> rateRefused{0};
    // Requests that hash a password wait for that on purpose; they are
    // measured apart from the freeze of everything else.
    struct Longest {
        int64_t us = 0;
        std::string what;
    };
    std::mutex mutex;
    Longest freeze, logon;

    void Latency(std::chrono::microseconds d, const std::string& what, bool hashes)
    {
        std::lock_guard lock(mutex);
        Longest& l = hashes ? logon : freeze;
        if (d.count() > l.us)
            l = {d.count(), what};
    }
};

class HonestSession {
public:
    HonestSession(int index, int port, Figures& figures)
        : index_(index), port_(port), figures_(figures), client_(Quiet()), rng_(static_cast<unsigned>(index) * 7919u)
    {
    }

    // Until the deadline: keeps a logged-on link and does one thing after another.
    void Run(Clock::time_point until, const std::atomic<bool>& serverDown)
    {
        while (Clock::now() < until) {
            DrainMessages();
            if (!client_.ConnectedEvent().IsSet() && !Reconnect()) {
                std::this_thread::sleep_for(100ms);
                continue;
            }
            Step(serverDown);
            // A person types and reads: a few milliseconds between requests.
            std::this_thread::sleep_for(std::chrono::milliseconds(2 + rng_() % 8));
        }
        client_.ComThread().SetLinkDown(true);
    }

    int32_t Person() const { return person_; }
    std::map<int32_t, std::string> Texts() const { return texts_; }
    std::set<int32_t> Marks() const { return marks_; }
    const std::string& Password() const { return password_; }

private:
    static pellar::ClientOptions Quiet()
    {
        pellar::ClientOptions o;
        o.debugLog = false;
        o.receiveTrace = false;
        return o;
    }

    void DrainMessages()
    {
        std::string dropped;
        while (client_.AsyncMessages().Pop(dropped))
            ++figures_.messages;
    }

    bool Call(const pellar::WireRequest& request, std::string* reply, const std::atomic<bool>* serverDown,
              const char* what)
    {
        const bool hashes = request.Number() == pellar::RequestNumber::CreatePerson ||
                            request.Number() == pellar::RequestNumber::Login;
        pellar::TGenericTrans t(client_.Protocol(), what, request);
        t.SetShowErrors(false);
        const bool downBefore = serverDown && serverDown->load();
        const auto start = Clock::now();
        const bool ok = client_.Transactions().ExecuteAndWait(t);
        const auto took = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start);
        ++figures_.requests;
        // A wait across a kill of the server is the server's absence, not a freeze.
        if (ok && !downBefore && !(serverDown && serverDown->load()))
            figures_.Latency(took, what, hashes);
        if (!ok)
            ++figures_.failures;
        if (!ok && t.ErrorText().rfind("45 ", 0) == 0)
            ++figures_.rateRefused;
        if (ok && reply)
            *reply = t.ReplyLine();
        return ok;
    }

    static int32_t FirstInt(const std::string& reply)
    {
        size_t pos = 0;
        return pellar::ReadInt(reply, pos);
    }

    bool Reconnect()
    {
        try {
            client_.ComThread().Connect("127.0.0.1", std::to_string(port_), {}, 2000);
        } catch (const std::exception&) {
            return false;
        }
        if (client_.ConnectedEvent().WaitFor(3000) != pellar::WaitResult::Signaled)
            return false;
        std::string reply;
        // Names are new at every attempt: an attempt whose answer was lost
        // with the link may still have made its person or conference.
        const std::string tag = std::to_string(index_) + " " + std::to_string(getpid()) + " " + std::to_string(++attempts_);
        if (person_ == 0) {
            const std::string name = "Soak " + tag;
            password_ = "pw" + std::to_string(index_);
            if (!Call(pellar::requests::CreatePerson(name, password_), &reply, nullptr, "create person"))
                return false;
            person_ = FirstInt(reply);
        }
        if (!Call(pellar::requests::Login(person_, password_, false), nullptr, nullptr, "log on"))
            return false;
        // Personal messages, whose text may hold line feeds, come in too.
        const pellar::AsyncNumber messages[] = {pellar::AsyncNumber::SendMessage};
        Call(pellar::requests::AcceptAsync(messages), nullptr, nullptr, "accept messages");
        if (conf_ == 0) {
            const std::string name = "Soak room " + tag;
            if (!Call(pellar::requests::CreateConference(name, "00000000"), &reply, nullptr, "create conference"))
                return false;
            conf_ = FirstInt(reply);
            Call(pellar::requests::AddMember(conf_, person_, 100, 0), nullptr, nullptr, "join");
        }
        return true;
    }

    void Step(const std::atomic<bool>& serverDown)
    {
        const int roll = static_cast<int>(rng_() % 1000);
        std::string reply;
        if (roll < 2) {
            // The link goes; the next round reconnects.
            client_.ComThread().SetLinkDown(true);
            ++figures_.cuts;
            std::this_thread::sleep_for(20ms);
        } else if (roll < 350) {
            const std::string body = "Soak " + std::to_string(index_) + "." + std::to_string(++written_) + "\nline " +
                                     std::string(static_cast<size_t>(rng_() % 400), 'x');
            const std::string misc = "1 { 0 " + std::to_string(conf_) + " }";
            if (Call(pellar::requests::CreateText(body, misc, "0 *"), &reply, &serverDown, "create text")) {
                texts_[FirstInt(reply)] = body;
                ++figures_.textsAcked;
            }
        } else if (roll < 550 && !texts_.empty()) {
            const int32_t text = AnyText();
            const auto type = static_cast<int32_t>(1 + rng_() % 250);
            if (Call(pellar::requests::MarkText(text, type), nullptr, &serverDown, "mark")) {
                marks_.insert(text);
                ++figures_.marksAcked;
            }
        } else if (roll < 850 && !texts_.empty()) {
            if (Call(pellar::requests::GetText(AnyText(), 0, 65535), nullptr, &serverDown, "get text"))
                ++figures_.reads;
        } else if (roll < 945) {
            // To the person's own sessions, within the rate a person types at.
            Call(pellar::requests::SendMessage(person_, "a note to self\nwith a line feed"), nullptr, &serverDown,
                 "send message");
        } else if (roll < 950) {
            Call(pellar::requests::SendMessage(0, "a note to all\nwith a line feed"), nullptr, &serverDown,
                 "send message to all");
        } else {
            Call(pellar::requests::WhoIsOn(false, 0, false), nullptr, &serverDown, "who is on");
        }
    }

    int32_t AnyText()
    {
        auto it = texts_.begin();
        std::advance(it, static_cast<long>(rng_() % texts_.size()));
        return it->first;
    }

    int index_;
    int port_;
    Figures& figures_;
    pellar::Client client_;
    std::mt19937 rng_;
    int32_t person_ = 0, conf_ = 0;
    std::string password_;
    int written_ = 0;
    int attempts_ = 0;
    std::map<int32_t, std::string> texts_;
    std::set<int32_t> marks_;
};

// ------------------------------------------------------------ the final check

struct Lost {
    uint64_t texts = 0, marks = 0;
};

Lost Check(int port, const std::vector<std::unique_ptr<HonestSession>>& sessions)
{
    Lost lost;
    for (const auto& s : sessions) {
        if (s->Person() == 0)
            continue;
        const int fd = bench::ConnectTo(port);
        SendAll(fd, "A5Hcheck\n");
        ReadLine(fd, 5000);
        SendAll(fd, pellar::requests::Login(s->Person(), s->Password(), false).Line(1));
        ReadLine(fd, 10000);
        int id = 2;
        for (const auto& [text, body] : s->Texts()) {
            // The body comes back with the LF of its first line: read by count.
            SendAll(fd, pellar::requests::GetText(text, 0, 65535).Line(id++));
            std::string reply = ReadLine(fd, 10000);
            const size_t h = reply.find('H');
            if (reply[0] != '=' || h == std::string::npos) {
                ++lost.texts;
                continue;
            }
            std::string got = reply.substr(h + 1);
            const size_t want = static_cast<size_t>(std::atol(reply.c_str() + reply.find(' ') + 1));
            while (got.size() < want)
                got += "\n" + ReadLine(fd, 10000);
            if (got != body)
                ++lost.texts;
        }
        SendAll(fd, pellar::requests::GetMarks().Line(id));
        const std::string marks = ReadLine(fd, 10000);
        std::set<int32_t> onServer;
        size_t pos = marks.find(' ');
        pellar::ReadInt(marks, pos);
        pellar::ReadToken(marks, pos);
        while (pellar::NextIsInt(marks, pos)) {
            onServer.insert(pellar::ReadInt(marks, pos));
            pellar::ReadInt(marks, pos);
        }
        for (int32_t m : s->Marks())
            lost.marks += onServer.count(m) ? 0 : 1;
        close(fd);
    }
    return lost;
}

// One line per figure with its bound and verdict; true when every figure
// met its bound and each measuring attack ran at least once.
bool PrintAttackFigures(const soak::AttackFigures& f, const Options& o, bool tls)
{
    using ull = unsigned long long;
    bool ok = true;
    const auto verdict = [&ok](bool met) {
        ok = ok && met;
        return met ? "ok" : "MISSED";
    };
    std::printf("attack rounds voided by a server kill: %llu\n", static_cast<ull>(f.voidedRounds));
    std::printf("broadcast flood: %llu rounds, %llu sent, %llu accepted, %llu refused as over the rate, %llu other "
                "errors; accepted past the burst and rate %llu, bound 0: %s\n",
                static_cast<ull>(f.floodRounds), static_cast<ull>(f.floodSent), static_cast<ull>(f.floodAccepted),
                static_cast<ull>(f.floodRefused), static_cast<ull>(f.floodOther), static_cast<ull>(f.floodOverRate),
                verdict(f.floodRounds > 0 && f.floodOverRate == 0 && f.floodRefused > 0 && f.floodOther == 0));
    std::printf("honest messages during the flood: %llu sent, %llu arrived: %s\n", static_cast<ull>(f.witnessSent),
                static_cast<ull>(f.witnessArrived), verdict(f.witnessSent > 0 && f.witnessArrived == f.witnessSent));
    std::printf("password guessing from 20 addresses: %llu rounds, %llu guesses answered (%llu refused at once); "
                "the owner's logons %llu, failed %llu, longest %.1f ms, bound %d ms: %s\n",
                static_cast<ull>(f.guessRounds), static_cast<ull>(f.guesses), static_cast<ull>(f.guessesRefused),
                static_cast<ull>(f.victimLogons), static_cast<ull>(f.victimFailed), f.victimLongestMs,
                o.ownerLogonBoundMs,
                verdict(f.victimLogons > 0 && f.victimFailed == 0 && f.victimLongestMs <= o.ownerLogonBoundMs));
    std::printf("half-closed links: %llu rounds, replies %llu of %llu (%llu links did not log on): %s\n",
                static_cast<ull>(f.halfCloseRounds), static_cast<ull>(f.halfCloseArrived),
                static_cast<ull>(f.halfCloseExpected), static_cast<ull>(f.halfCloseNotLoggedOn),
                verdict(f.halfCloseExpected > 0 && f.halfCloseArrived == f.halfCloseExpected));
    if (!tls) {
        std::printf("half-finished TLS handshakes: not run, the soak serves no TLS\n");
        return ok;
    }
    std::printf("half-finished TLS handshakes: %llu rounds, %llu links; server memory per link at most %.1f KB, "
                "bound %.0f KB; an honest TLS greeting beside them %.1f ms (failed %llu), bound %d ms: %s\n",
                static_cast<ull>(f.tlsRounds), static_cast<ull>(f.tlsHalfLinks), f.tlsKbPerHalfLink,
                o.tlsKbPerLinkBound, f.tlsHandshakeLongestMs, static_cast<ull>(f.tlsFailed), o.tlsBoundMs,
                verdict(f.tlsRounds > 0 && f.tlsFailed == 0 && f.tlsKbPerHalfLink <= o.tlsKbPerLinkBound &&
                        f.tlsHandshakeLongestMs <= o.tlsBoundMs));
    return ok;
}

bool ParseArgs(int argc, char** argv, Options& o)
{
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string a = argv[i];
        const char* v = argv[i + 1];
        if (a == "--miravod") o.miravod = v;
        else if (a == "--db") o.db = v;
        else if (a == "--minutes") o.minutes = std::atof(v);
        else if (a == "--sessions") o.sessions = std::atoi(v);
        else if (a == "--restart-every") o.restartEverySeconds = std::atoi(v);
        else if (a == "--freeze-ms") o.freezeBoundMs = std::atoi(v);
        else if (a == "--logon-ms") o.logonBoundMs = std::atoi(v);
        else if (a == "--rss-over-idle-mb") o.rssOverIdleMb = std::atol(v);
        else if (a == "--owner-logon-ms") o.ownerLogonBoundMs = std::atoi(v);
        else if (a == "--tls") o.tls = std::atoi(v) != 0;
        else if (a == "--tls-ms") o.tlsBoundMs = std::atoi(v);
        else if (a == "--tls-kb-per-link") o.tlsKbPerLinkBound = std::atof(v);
        else return false;
    }
    return !o.miravod.empty() && !o.db.empty() && o.sessions > 0;
}

} // namespace

int main(int argc, char** argv)
{
    Options o;
    if (!ParseArgs(argc, argv, o)) {
        std::fprintf(stderr, "usage: SoakDriver --miravod PATH --db FILE [--minutes M] [--sessions N]\n"
                             "       [--restart-every S] [--freeze-ms MS] [--logon-ms MS] [--rss-over-idle-mb MB]\n"
                             "       [--owner-logon-ms MS] [--tls 0|1] [--tls-ms MS] [--tls-kb-per-link KB]\n");
        return 2;
    }
    signal(SIGPIPE, SIG_IGN);
    for (const char* suffix : {"", "-wal", "-shm"})
        std::filesystem::remove(o.db + suffix);

    ServerProcess server(o.miravod, o.db, FreePort());
    int tlsPort = FreePort();
    while (tlsPort == server.Port())
        tlsPort = FreePort();
    if (o.tls && !server.ServeTls(tlsPort))
        return 2;
    if (!server.Start()) {
        std::fprintf(stderr, "miravod did not start\n");
        return 2;
    }
    std::this_thread::sleep_for(500ms);
    // The server holds all its data in memory, so what it needs idle grows with
    // what the sessions write: each start sets the idle its peak is measured
    // from (taken when it greets, its data loaded).
    const long idleKb = server.RssKb();
    long lifeIdleKb = idleKb, overKb = 0, peakKb = idleKb;
    std::string overWhat = "none";
    std::atomic<bool> serverDown{false};
    std::atomic<uint64_t> restarts{0}, attackRounds{0};

    Figures figures;
    const auto until = Clock::now() + std::chrono::milliseconds(static_cast<int64_t>(o.minutes * 60000));
    std::vector<std::unique_ptr<HonestSession>> sessions;
    for (int i = 0; i < o.sessions; ++i)
        sessions.push_back(std::make_unique<HonestSession>(i, server.Port(), figures));
    std::vector<std::thread> threads;
    for (auto& s : sessions)
        threads.emplace_back([&s, &until, &serverDown] { s->Run(until, serverDown); });
    soak::AttackTargets targets;
    targets.port = server.Port();
    targets.tlsPort = server.TlsPort();
    targets.restarts = &restarts;
    targets.server = &server;
    targets.rssKb = [](const void* s) { return static_cast<const ServerProcess*>(s)->RssKb(); };
    soak::Attacker attacker(targets);
    threads.emplace_back([&] { attacker.Run(until, attackRounds); });

    // The keeper: memory samples, and a kill -9 and restart now and then.
    auto nextRestart = Clock::now() + std::chrono::seconds(o.restartEverySeconds);
    while (Clock::now() < until) {
        std::this_thread::sleep_for(200ms);
        const long rss = server.RssKb();
        peakKb = std::max(peakKb, rss);
        if (rss - lifeIdleKb > overKb) {
            overKb = rss - lifeIdleKb;
            overWhat = attacker.Current();
        }
        if (Clock::now() >= nextRestart && Clock::now() + 10s < until) {
            serverDown = true;
            server.Kill();
            if (!server.Start()) {
                std::fprintf(stderr, "miravod did not come back\n");
                return 2;
            }
            lifeIdleKb = server.RssKb();
            serverDown = false;
            ++restarts;
            nextRestart = Clock::now() + std::chrono::seconds(o.restartEverySeconds);
        }
    }
    for (auto& t : threads)
        t.join();

    // What was acknowledged must survive one more kill.
    server.Kill();
    if (!server.Start()) {
        std::fprintf(stderr, "miravod did not come back for the check\n");
        return 2;
    }
    const Lost lost = Check(server.Port(), sessions);

    const double freezeMs = static_cast<double>(figures.freeze.us) / 1000.0;
    const double logonMs = static_cast<double>(figures.logon.us) / 1000.0;
    const double idleMb = static_cast<double>(idleKb) / 1024.0;
    const double peakMb = static_cast<double>(peakKb) / 1024.0;
    const double lastIdleMb = static_cast<double>(lifeIdleKb) / 1024.0;
    const double overMb = static_cast<double>(overKb) / 1024.0;
    std::printf("soak: %.1f min, %d sessions, %llu server kills, %llu link cuts, %llu attack rounds\n", o.minutes,
                o.sessions, static_cast<unsigned long long>(restarts.load()),
                static_cast<unsigned long long>(figures.cuts.load()),
                static_cast<unsigned long long>(attackRounds.load()));
    std::printf("requests %llu (failed %llu: link cuts and kills), reads %llu, messages received %llu\n",
                static_cast<unsigned long long>(figures.requests.load()),
                static_cast<unsigned long long>(figures.failures.load()),
                static_cast<unsigned long long>(figures.reads.load()),
                static_cast<unsigned long long>(figures.messages.load()));
    std::printf("acknowledged texts %llu, lost %llu\n", static_cast<unsigned long long>(figures.textsAcked.load()),
                static_cast<unsigned long long>(lost.texts));
    std::printf("acknowledged marks %llu (on %zu texts), lost %llu\n",
                static_cast<unsigned long long>(figures.marksAcked.load()),
                [&] {
                    size_t n = 0;
                    for (const auto& s : sessions)
                        n += s->Marks().size();
                    return n;
                }(),
                static_cast<unsigned long long>(lost.marks));
    std::printf("longest freeze %.1f ms (%s), bound %d ms\n", freezeMs, figures.freeze.what.c_str(),
                o.freezeBoundMs);
    std::printf("longest logon or account creation %.1f ms (%s), bound %d ms\n", logonMs, figures.logon.what.c_str(),
                o.logonBoundMs);
    std::printf("server memory: idle %.1f MB at the first start, %.1f MB at the last (its data), peak %.1f MB; "
                "at most %.1f MB over its start's idle (during %s), bound %ld MB\n",
                idleMb, lastIdleMb, peakMb, overMb, overWhat.c_str(), o.rssOverIdleMb);
    std::printf("honest requests refused as over a rate %llu, bound 0\n",
                static_cast<unsigned long long>(figures.rateRefused.load()));
    bool ok = lost.texts == 0 && lost.marks == 0 && freezeMs <= o.freezeBoundMs && logonMs <= o.logonBoundMs &&
              overMb <= static_cast<double>(o.rssOverIdleMb) && figures.textsAcked > 0 &&
              figures.rateRefused == 0;
    ok = PrintAttackFigures(attacker.Figures(), o, server.TlsPort() != 0) && ok;
    std::printf("%s\n", ok ? "soak passed" : "SOAK FAILED");
    return ok ? 0 : 1;
}
