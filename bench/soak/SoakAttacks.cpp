#include "bench/soak/SoakAttacks.h"

#include "bench/soak/RawLink.h"
#include "core/wire/RequestCatalogue.h"
#include "core/wire/WireTokens.h"

#include <openssl/ssl.h>
#include <sys/time.h>

#include <algorithm>
#include <cstdlib>
#include <thread>

namespace soak {

using namespace std::chrono_literals;
namespace rq = pellar::requests;

namespace {

double MsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// A reply line's id and, for an error, its code; false for anything else
// (an asynchronous message, or a continuation of a text with line feeds).
bool ParseReply(const std::string& line, int& id, int& error)
{
    if (line.size() < 2 || (line[0] != '=' && line[0] != '%'))
        return false;
    id = std::atoi(line.c_str() + 1);
    error = 0;
    if (line[0] == '%') {
        const size_t space = line.find(' ');
        error = space == std::string::npos ? -1 : std::atoi(line.c_str() + space + 1);
    }
    return true;
}

std::string Address(int net, int host)
{
    return "127.0." + std::to_string(net) + "." + std::to_string(host);
}

// A link logged on as person; -1 when the greeting or the logon failed.
int LoggedOn(int port, int32_t person, const std::string& password, const char* from)
{
    const int fd = GreetedLink(port, from);
    if (fd < 0)
        return -1;
    if (!SendAll(fd, rq::Login(person, password, false).Line(1)) || ReadLine(fd, 10000) != "=1") {
        close(fd);
        return -1;
    }
    return fd;
}

// How long an honest TLS link takes from connect to the greeting; negative
// when it fails.
double TlsGreetingMs(int port)
{
    SSL_CTX* ctx = SSL_CTX_new(TLS_client_method());
    if (!ctx)
        return -1;
    SSL_CTX_set_verify(ctx, SSL_VERIFY_NONE, nullptr);
    const auto start = Clock::now();
    double ms = -1;
    const int fd = bench::ConnectTo(port, "127.0.0.9");
    if (fd >= 0) {
        timeval limit{5, 0};
        setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
        setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
        SSL* ssl = SSL_new(ctx);
        SSL_set_fd(ssl, fd);
        std::string got;
        if (SSL_connect(ssl) == 1 && SSL_write(ssl, "A4Hsoak\n", 8) == 8) {
            char buf[64];
            while (got.find('\n') == std::string::npos) {
                const int n = SSL_read(ssl, buf, sizeof buf);
                if (n <= 0)
                    break;
                got.append(buf, static_cast<size_t>(n));
            }
        }
        if (got.rfind("MIRAVO\n", 0) == 0)
            ms = MsSince(start);
        SSL_free(ssl);
        close(fd);
    }
    SSL_CTX_free(ctx);
    return ms;
}

} // namespace

void Attacker::Run(Clock::time_point until, std::atomic<uint64_t>& rounds)
{
    int kind = 0;
    const int kinds = t_.tlsPort ? 8 : 7;
    while (Clock::now() + 8s < until) {
        const uint64_t restartsBefore = t_.restarts->load();
        AttackFigures f = f_;
        switch (kind++ % kinds) {
        case 0: current_ = "unread replies"; UnreadReplies(); break;
        case 1: current_ = "broadcast flood"; BroadcastFlood(f); break;
        case 2: current_ = "idle links"; IdleLinks(); break;
        case 3: current_ = "password guessing"; GuessWhileOwnerLogsOn(f); break;
        case 4: current_ = "endless request"; EndlessRequest(); break;
        case 5: current_ = "half-closed links"; HalfClosedLinks(f); break;
        case 6: current_ = "wrong passwords"; WrongPasswords(); break;
        default: current_ = "half TLS handshakes"; HalfTlsHandshakes(f); break;
        }
        current_ = "none";
        // A kill of the server in the middle says nothing about its defence.
        if (t_.restarts->load() == restartsBefore)
            f_ = f;
        else
            ++f_.voidedRounds;
        ++rounds;
        std::this_thread::sleep_for(1s);
    }
}

void Attacker::Hold(std::vector<int>& fds)
{
    std::this_thread::sleep_for(4s);
    for (int fd : fds)
        if (fd >= 0)
            close(fd);
    fds.clear();
}

int32_t Attacker::MakePerson(const std::string& name, const std::string& password, const char* from)
{
    const int fd = GreetedLink(t_.port, from);
    if (fd < 0)
        return 0;
    SendAll(fd, rq::CreatePerson(name + " " + std::to_string(getpid()), password).Line(1));
    const std::string reply = ReadLine(fd, 10000);
    close(fd);
    return reply.rfind("=1 ", 0) == 0 ? std::atoi(reply.c_str() + 3) : 0;
}

int Attacker::GreedyLink(const char* from)
{
    if (person_ == 0)
        person_ = MakePerson("Greedy", "pw", "127.0.0.6");
    return person_ ? LoggedOn(t_.port, person_, "pw", from) : -1;
}

// ------------------------------------------------------------ older attacks

void Attacker::IdleLinks()
{
    std::vector<int> fds;
    for (int i = 0; i < 300; ++i)
        fds.push_back(bench::ConnectTo(t_.port, "127.0.0.3"));
    Hold(fds);
}

void Attacker::EndlessRequest()
{
    std::vector<int> fds{bench::ConnectTo(t_.port, "127.0.0.4")};
    if (fds[0] >= 0) {
        SendAll(fds[0], "A4Hevil\n1 76 ");
        const std::string piece = "1048576H" + std::string(1 << 20, 'z') + " ";
        for (int i = 0; i < 64 && SendAll(fds[0], piece); ++i) {
        }
    }
    Hold(fds);
}

// Against the attackers' own person: the honest ones are not to be
// throttled by it.
void Attacker::WrongPasswords()
{
    std::vector<int> fds{bench::ConnectTo(t_.port, "127.0.0.5")};
    if (fds[0] >= 0 && person_ != 0) {
        std::string flood = "A4Hevil\n";
        for (int i = 1; i <= 200; ++i)
            flood += std::to_string(i) + " 62 " + std::to_string(person_) + " 5Hwrong 0\n";
        SendAll(fds[0], flood);
    }
    Hold(fds);
}

// Logs on as a person of its own with one big text, then asks for it
// hundreds of times without reading a byte of the answers.
void Attacker::UnreadReplies()
{
    std::vector<int> fds{GreedyLink("127.0.0.6")};
    const int fd = fds[0];
    if (fd >= 0) {
        if (conf_ == 0) {
            SendAll(fd, "3 10 " + pellar::EncodeHollerith("Greed " + std::to_string(getpid())) + " 00000000\n");
            const std::string r = ReadLine(fd, 5000);
            conf_ = r.rfind("=3 ", 0) == 0 ? std::atoi(r.c_str() + 3) : 0;
        }
        if (bigText_ == 0) {
            SendAll(fd, "4 86 " + pellar::EncodeHollerith(std::string(1000000, 'b')) + " 1 { 0 " +
                            std::to_string(conf_) + " } 0 *\n");
            const std::string r = ReadLine(fd, 10000);
            bigText_ = r.rfind("=4 ", 0) == 0 ? std::atoi(r.c_str() + 3) : 0;
        }
        std::string flood;
        for (int i = 10; i < 710; ++i)
            flood += std::to_string(i) + " 25 " + std::to_string(bigText_) + " 0 1048576\n";
        SendAll(fd, flood);
    }
    Hold(fds);
}

// ------------------------------------------------------------ newer attacks

// A session floods messages to everyone; past the burst and the rate the
// server must refuse them (temporary failure), while two honest sessions'
// messages to each other and to all still arrive.
void Attacker::BroadcastFlood(AttackFigures& f)
{
    constexpr int kFlood = 300, kWitness = 20;
    if (witnessFrom_ == 0)
        witnessFrom_ = MakePerson("Witness A", "wa", "127.0.0.7");
    if (witnessTo_ == 0)
        witnessTo_ = MakePerson("Witness B", "wb", "127.0.0.7");
    const int flood = GreedyLink("127.0.0.6");
    const int from = witnessFrom_ ? LoggedOn(t_.port, witnessFrom_, "wa", "127.0.0.7") : -1;
    const int to = witnessTo_ ? LoggedOn(t_.port, witnessTo_, "wb", "127.0.0.7") : -1;
    const pellar::AsyncNumber messages[] = {pellar::AsyncNumber::SendMessage};
    const bool listening = to >= 0 && SendAll(to, rq::AcceptAsync(messages).Line(2)) && ReadLine(to, 5000) == "=2";
    ++f.floodRounds;

    std::thread flooder([&] {
        if (flood < 0)
            return;
        const auto start = Clock::now();
        std::string burst;
        for (int i = 1; i <= kFlood; ++i)
            burst += rq::SendMessage(0, "flood " + std::to_string(i)).Line(i);
        SendAll(flood, burst);
        f.floodSent += kFlood;
        LineReader replies(flood);
        std::string line;
        uint64_t accepted = 0;
        for (int got = 0; got < kFlood && replies.Next(line, 5000);) {
            int id = 0, error = 0;
            if (!ParseReply(line, id, error))
                continue;
            ++got;
            if (error == 0)
                ++accepted;
            else if (error == 45)
                ++f.floodRefused;
            else
                ++f.floodOther;
        }
        const double seconds = MsSince(start) / 1000.0;
        const auto allowed = static_cast<uint64_t>(t_.broadcastBurst + t_.broadcastRate * seconds + 1);
        f.floodAccepted += accepted;
        f.floodOverRate += accepted > allowed ? accepted - allowed : 0;
    });

    // The honest pair, while the flood runs: personal messages within their
    // rate, and two to everyone.
    std::this_thread::sleep_for(100ms);
    const std::string tag = "witness " + std::to_string(f.floodRounds) + " ";
    uint64_t acked = 0;
    if (from >= 0 && listening) {
        LineReader replies(from);
        for (int i = 1; i <= kWitness; ++i) {
            const int32_t recipient = i == 5 || i == 15 ? 0 : witnessTo_;
            SendAll(from, rq::SendMessage(recipient, tag + std::to_string(i) + " end").Line(i));
            std::string line;
            int id = 0, error = 0;
            while (replies.Next(line, 5000))
                if (ParseReply(line, id, error) && id == i)
                    break;
            if (id == i && error == 0)
                ++acked;
            std::this_thread::sleep_for(50ms);
        }
    }
    f.witnessSent += from >= 0 && listening ? kWitness : 0;
    uint64_t seen = 0;
    if (to >= 0 && listening) {
        LineReader incoming(to);
        std::string line;
        while (seen < acked && incoming.Next(line, 3000))
            if (line.find(tag) != std::string::npos)
                ++seen;
    }
    f.witnessArrived += seen;
    flooder.join();
    for (int fd : {flood, from, to})
        if (fd >= 0)
            close(fd);
}

// Twenty links, each from an address of its own, guess one person's password
// one attempt after another; meanwhile the person logs on from elsewhere.
void Attacker::GuessWhileOwnerLogsOn(AttackFigures& f)
{
    constexpr int kGuessers = 20, kOwnLogons = 3;
    if (victim_ == 0)
        victim_ = MakePerson("Victim", "right", "127.0.0.8");
    if (victim_ == 0)
        return;
    ++f.guessRounds;
    std::atomic<bool> stop{false};
    std::thread guessers([&] {
        std::vector<LineReader> links;
        int next = 1;
        for (int k = 0; k < kGuessers; ++k) {
            const int fd = GreetedLink(t_.port, Address(1, k + 1).c_str());
            if (fd >= 0 && SendAll(fd, rq::Login(victim_, "guess" + std::to_string(next), false).Line(next)))
                links.emplace_back(fd);
            ++next;
        }
        std::vector<pollfd> polled;
        for (const LineReader& link : links)
            polled.push_back({link.Fd(), POLLIN, 0});
        while (!stop && !polled.empty()) {
            if (poll(polled.data(), polled.size(), 50) <= 0)
                continue;
            for (size_t i = 0; i < polled.size(); ++i) {
                if (!(polled[i].revents & (POLLIN | POLLHUP)))
                    continue;
                links[i].Fill(0);
                std::string line;
                int id = 0, error = 0;
                while (links[i].TakeLine(line)) {
                    if (!ParseReply(line, id, error))
                        continue;
                    ++f.guesses;
                    f.guessesRefused += error == 45 ? 1 : 0;
                    SendAll(links[i].Fd(), rq::Login(victim_, "guess" + std::to_string(next), false).Line(next));
                    ++next;
                }
            }
        }
        for (const LineReader& link : links)
            close(link.Fd());
    });

    std::this_thread::sleep_for(500ms);
    for (int i = 0; i < kOwnLogons; ++i) {
        const int fd = GreetedLink(t_.port, "127.0.0.8");
        const auto start = Clock::now();
        const bool ok = fd >= 0 && SendAll(fd, rq::Login(victim_, "right", false).Line(1)) && ReadLine(fd, 10000) == "=1";
        f.victimLongestMs = std::max(f.victimLongestMs, MsSince(start));
        ++f.victimLogons;
        f.victimFailed += ok ? 0 : 1;
        if (fd >= 0)
            close(fd);
        std::this_thread::sleep_for(700ms);
    }
    stop = true;
    guessers.join();
}

// Links that write their requests, some with big replies, and end their side
// at once: every reply must still come.
void Attacker::HalfClosedLinks(AttackFigures& f)
{
    constexpr int kLinks = 8, kRequests = 40, kFirstId = 100;
    ++f.halfCloseRounds;
    std::vector<LineReader> links;
    for (int k = 0; k < kLinks; ++k) {
        // A link that did not log on sent nothing and waits for nothing.
        const int fd = GreedyLink(Address(2, k + 1).c_str());
        if (fd < 0) {
            ++f.halfCloseNotLoggedOn;
            continue;
        }
        f.halfCloseExpected += kRequests;
        std::string batch;
        for (int j = 0; j < kRequests; ++j)
            batch += (j % 4 == 0 && bigText_ ? rq::GetText(bigText_, 0, 65535) : rq::GetTime()).Line(kFirstId + j);
        SendAll(fd, batch);
        shutdown(fd, SHUT_WR);
        links.emplace_back(fd);
    }
    const auto deadline = Clock::now() + 20s;
    size_t ended = 0;
    std::vector<bool> done(links.size(), false);
    while (ended < links.size() && Clock::now() < deadline) {
        for (size_t i = 0; i < links.size(); ++i) {
            if (done[i])
                continue;
            links[i].Fill(10);
            std::string line;
            int id = 0, error = 0;
            while (links[i].TakeLine(line))
                if (ParseReply(line, id, error) && id >= kFirstId && id < kFirstId + kRequests)
                    ++f.halfCloseArrived;
            if (links[i].Ended()) {
                done[i] = true;
                ++ended;
            }
        }
    }
    for (const LineReader& link : links)
        close(link.Fd());
}

// Hundreds of links that send the start of a TLS record and no more. The
// server must not spend a TLS session on each, and an honest TLS link must
// still get through.
void Attacker::HalfTlsHandshakes(AttackFigures& f)
{
    constexpr int kLinks = 400, kPerAddress = 200;
    ++f.tlsRounds;
    const long before = t_.rssKb(t_.server);
    // A handshake record that says 16 KiB follow, and 100 bytes of them.
    const std::string start = std::string("\x16\x03\x01\x40\x00", 5) + std::string(100, '\x01');
    std::vector<int> fds;
    for (int k = 0; k < kLinks; ++k) {
        const int fd = bench::ConnectTo(t_.tlsPort, Address(3, k / kPerAddress + 1).c_str());
        if (fd >= 0 && SendAll(fd, start))
            fds.push_back(fd);
        else if (fd >= 0)
            close(fd);
    }
    std::this_thread::sleep_for(1s);
    const long after = t_.rssKb(t_.server);
    f.tlsHalfLinks += fds.size();
    if (!fds.empty())
        f.tlsKbPerHalfLink = std::max(f.tlsKbPerHalfLink, static_cast<double>(std::max(0L, after - before)) /
                                                               static_cast<double>(fds.size()));
    const double ms = TlsGreetingMs(t_.tlsPort);
    if (ms < 0)
        ++f.tlsFailed;
    else
        f.tlsHandshakeLongestMs = std::max(f.tlsHandshakeLongestMs, ms);
    Hold(fds);
}

} // namespace soak
