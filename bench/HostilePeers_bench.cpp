// What hostile peers cost the server and the honest sessions beside them:
// each attack runs against a fresh miravod process while an honest session
// keeps asking; reported are the server's peak memory over its idle size
// and the honest session's longest wait. With MIRAVOD_BEFORE naming an
// older build, the same attacks run against both, side by side.
//   HostilePeers_bench [--benchmark_repetitions=5]   (MIRAVOD = the server)
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <benchmark/benchmark.h>

#include "bench/support/BenchServer.h"
#include "bench/support/Verdict.h"

namespace {

using Clock = std::chrono::steady_clock;

using bench::ConnectTo;
using bench::SendAll;

// Reads until `lines` LFs arrived or `timeoutMs` passed.
bool ReadLines(int fd, size_t lines, int timeoutMs)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    char buf[65536];
    size_t seen = 0;
    while (seen < lines) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd p{fd, POLLIN, 0};
        if (left <= 0 || poll(&p, 1, static_cast<int>(left)) <= 0) return false;
        const ssize_t n = recv(fd, buf, sizeof buf, 0);
        if (n <= 0) return false;
        for (ssize_t i = 0; i < n; ++i) seen += buf[i] == '\n';
    }
    return true;
}

long StatusKb(pid_t pid, const char* field)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string key;
    long value = 0;
    while (in >> key) {
        if (key == field) {
            in >> value;
            return value;
        }
        in.ignore(1 << 20, '\n');
    }
    return 0;
}

// A miravod child process on its own port, with a descriptor limit of 1024.
class ServerProcess {
public:
    ServerProcess(const std::string& binary, int port) : port_(port)
    {
        pid_ = fork();
        if (pid_ == 0) {
            rlimit r{1024, 1024};
            setrlimit(RLIMIT_NOFILE, &r);
            if (!std::freopen("/dev/null", "w", stdout)) _exit(127);
            const std::string p = std::to_string(port);
            execl(binary.c_str(), binary.c_str(), "--port", p.c_str(), "--max-text", "1048576",
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        for (int i = 0; i < 200; ++i) {
            const int fd = ConnectTo(port_);
            if (fd >= 0) {
                close(fd);
                // Ours, not another program's on the same port.
                up_ = waitpid(pid_, nullptr, WNOHANG) == 0;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    ~ServerProcess()
    {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    int Port() const { return port_; }
    pid_t Pid() const { return pid_; }
    // It took a connection: without that every figure would be a flattering zero.
    bool Up() const { return up_; }

private:
    pid_t pid_ = -1;
    int port_;
    bool up_ = false;
};

// A logged-on session that asks for the time again and again and keeps its
// longest wait for an answer.
class HonestSession {
public:
    explicit HonestSession(int port)
    {
        fd_ = ConnectTo(port);
        SendAll(fd_, "A6Hhonest\n1 5 6HHonest 2Hpw\n");
        loggedOn_ = ReadLines(fd_, 2, 60000);
        thread_ = std::thread([this] {
            while (!stop_) {
                const auto start = Clock::now();
                if (!SendAll(fd_, "1 35\n") || !ReadLines(fd_, 1, 120000)) break;
                const int64_t waited = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count();
                if (waited > longestUs_) longestUs_ = waited;
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        });
    }
    ~HonestSession()
    {
        stop_ = true;
        thread_.join();
        close(fd_);
    }
    double LongestMs() const { return static_cast<double>(longestUs_.load()) / 1000.0; }
    bool LoggedOn() const { return loggedOn_; }

private:
    int fd_ = -1;
    bool loggedOn_ = false;
    std::atomic<bool> stop_{false};
    std::atomic<int64_t> longestUs_{0};
    std::thread thread_;
};

int NextPort()
{
    static int port = 20000 + static_cast<int>(getpid() % 20000);
    return port++;
}

struct Outcome {
    double rssOverIdleMb = 0;
    double longestWaitMs = 0;
    double extra = 0;
};

// Three links that send a request in 1 MiB strings and never its LF.
void EndlessRequest(ServerProcess& server, Outcome& out)
{
    const std::string piece = " 1048576H" + std::string(1 << 20, 'x');
    std::vector<std::thread> links;
    for (int l = 0; l < 3; ++l) {
        links.emplace_back([&] {
            const int fd = ConnectTo(server.Port());
            SendAll(fd, "A1Hx\n1 5");
            for (int i = 0; i < 128; ++i) {
                if (!SendAll(fd, piece)) break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            close(fd);
        });
    }
    for (auto& t : links) t.join();
    (void)out;
}

// Anonymously made accounts that pipeline 700 reads of a 1 MiB text and
// never read an answer.
void UnreadOutput(ServerProcess& server, Outcome& out)
{
    const int setup = ConnectTo(server.Port());
    // Honest is person 1, Anna 2, the conference 3.
    SendAll(setup, "A1Hx\n1 5 4HAnna 2Hpw\n2 62 2 2Hpw 0\n3 10 7HGeneral 00000000\n4 86 1048576H" +
                       std::string(1 << 20, 't') + " 1 { 0 3 } 0 *\n");
    ReadLines(setup, 5, 60000);
    std::string reqs;
    for (int i = 0; i < 700; ++i) reqs += "9 25 1 0 1048575\n";
    const int greedy = ConnectTo(server.Port());
    SendAll(greedy, "A1Hx\n1 62 2 2Hpw 0\n" + reqs);
    std::this_thread::sleep_for(std::chrono::seconds(3));
    close(greedy);
    close(setup);
    (void)out;
}

// 200 wrong passwords pipelined from another address; the honest side also
// logs on meanwhile, and that wait is reported too.
void WrongPasswords(ServerProcess& server, Outcome& out)
{
    const int setup = ConnectTo(server.Port());
    SendAll(setup, "A1Hx\n1 5 4HAnna 2Hpw\n2 5 4HBert 2Hpw\n");
    ReadLines(setup, 3, 60000);
    const int attacker = ConnectTo(server.Port(), "127.0.0.2");
    std::string guesses = "A1Hx\n";
    for (int i = 0; i < 200; ++i) guesses += std::to_string(i) + " 62 2 5Hguess 0\n";
    SendAll(attacker, guesses);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const auto start = Clock::now();
    SendAll(setup, "3 62 3 2Hpw 0\n");
    ReadLines(setup, 1, 120000);
    out.extra = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    std::this_thread::sleep_for(std::chrono::seconds(2));
    close(attacker);
    close(setup);
}

// 1,100 links that never say a word; then can a new client still get in,
// and how much processor time does the server burn meanwhile (ms per s)?
void IdleLinks(ServerProcess& server, Outcome& out)
{
    std::vector<int> idle;
    for (int i = 0; i < 1100; ++i) {
        const int fd = ConnectTo(server.Port());
        if (fd >= 0) idle.push_back(fd);
    }
    auto cpuMs = [&] {
        std::ifstream in("/proc/" + std::to_string(server.Pid()) + "/stat");
        std::string s;
        std::getline(in, s);
        s = s.substr(s.rfind(')') + 2);
        std::vector<std::string> f;
        size_t pos = 0;
        while (pos < s.size()) {
            const size_t sp = s.find(' ', pos);
            f.push_back(s.substr(pos, sp - pos));
            if (sp == std::string::npos) break;
            pos = sp + 1;
        }
        return (std::stol(f[11]) + std::stol(f[12])) * 1000.0 / static_cast<double>(sysconf(_SC_CLK_TCK));
    };
    const double before = cpuMs();
    std::this_thread::sleep_for(std::chrono::seconds(2));
    out.extra = (cpuMs() - before) / 2;
    // From elsewhere: one address may not take every place.
    const int fresh = ConnectTo(server.Port(), "127.0.0.2");
    const bool greeted = fresh >= 0 && SendAll(fresh, "A1Hx\n") && ReadLines(fresh, 1, 2000);
    if (fresh >= 0) close(fresh);
    for (int fd : idle) close(fd);
    if (!greeted) out.extra = -out.extra; // a negative figure: the newcomer was not greeted
}

void RunAttack(benchmark::State& state, const std::string& binary, void (*attack)(ServerProcess&, Outcome&),
               const char* extraName)
{
    Outcome out;
    for (auto _ : state) {
        ServerProcess server(binary, NextPort());
        if (!server.Up()) {
            state.SkipWithError(("the server did not start: " + binary).c_str());
            return;
        }
        HonestSession honest(server.Port());
        if (!honest.LoggedOn()) {
            state.SkipWithError("the honest session did not log on");
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        const long idleKb = StatusKb(server.Pid(), "VmRSS:");
        attack(server, out);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        out.rssOverIdleMb = static_cast<double>(StatusKb(server.Pid(), "VmHWM:") - idleKb) / 1024.0;
        out.longestWaitMs = honest.LongestMs();
    }
    state.counters["rss_over_idle_MB"] = out.rssOverIdleMb;
    state.counters["longest_wait_ms"] = out.longestWaitMs;
    if (extraName) state.counters[extraName] = out.extra;
}

std::string Here(const char* argv0)
{
    std::string s = argv0;
    const size_t slash = s.rfind('/');
    return slash == std::string::npos ? std::string(".") : s.substr(0, slash);
}

} // namespace

int main(int argc, char** argv)
{
    signal(SIGPIPE, SIG_IGN);
    rlimit r{};
    getrlimit(RLIMIT_NOFILE, &r);
    r.rlim_cur = r.rlim_max;
    setrlimit(RLIMIT_NOFILE, &r);
    std::vector<std::pair<std::string, std::string>> servers;
    const char* now = std::getenv("MIRAVOD");
    servers.emplace_back("now", now ? now : Here(argv[0]) + "/../server/miravod");
    if (const char* before = std::getenv("MIRAVOD_BEFORE")) servers.emplace_back("before", before);
    for (const auto& [label, binary] : servers) {
        if (access(binary.c_str(), X_OK) != 0) {
            std::fprintf(stderr, "no server to attack (%s): %s is missing or not executable\n", label.c_str(),
                         binary.c_str());
            return 1;
        }
    }
    struct Attack {
        const char* name;
        void (*run)(ServerProcess&, Outcome&);
        const char* extra;
    };
    const Attack attacks[] = {{"EndlessRequest", EndlessRequest, nullptr},
                              {"UnreadOutput", UnreadOutput, nullptr},
                              {"WrongPasswords", WrongPasswords, "honest_logon_ms"},
                              {"IdleLinks", IdleLinks, "server_cpu_ms_per_s"}};
    for (const Attack& a : attacks) {
        for (const auto& [label, binary] : servers) {
            benchmark::RegisterBenchmark((std::string(a.name) + "/" + label).c_str(),
                                         [binary = binary, a](benchmark::State& st) { RunAttack(st, binary, a.run, a.extra); })
                ->Iterations(1)
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime();
        }
    }
    benchmark::Initialize(&argc, argv);
    bench::Verdicts verdicts;
    bench::CountingReporter reporter(verdicts);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return verdicts.ExitStatus();
}
