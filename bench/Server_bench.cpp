// How fast the server answers text-status requests over loopback, set
// against a raw socket ping-pong measured in the same run; and whether the
// rate holds with a 100,000-text conference and 200 sessions connected.
// Prints the ratios after the benchmark table.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <benchmark/benchmark.h>

#include "bench/support/BenchServer.h"
#include "bench/support/Verdict.h"

#include "server/Server.h"

namespace {

using bench::ConnectTo;
using bench::SendAll;

// Reads until `lines` LFs have arrived.
bool ReadLines(int fd, std::string& buf, size_t lines)
{
    char tmp[65536];
    size_t seen = 0;
    for (char c : buf) seen += c == '\n';
    while (seen < lines) {
        const ssize_t n = recv(fd, tmp, sizeof tmp, 0);
        if (n <= 0) return false;
        for (ssize_t i = 0; i < n; ++i) seen += tmp[i] == '\n';
        buf.append(tmp, static_cast<size_t>(n));
    }
    buf.clear();
    return true;
}

// A loopback echo peer: the floor any request-reply exchange stands on.
class EchoPeer {
public:
    EchoPeer()
    {
        listen_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        inet_pton(AF_INET, "127.0.0.1", &addr.sin_addr);
        bind(listen_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
        listen(listen_, 1);
        socklen_t len = sizeof addr;
        getsockname(listen_, reinterpret_cast<sockaddr*>(&addr), &len);
        port_ = ntohs(addr.sin_port);
        thread_ = std::thread([this] {
            const int fd = accept(listen_, nullptr, nullptr);
            const int on = 1;
            setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
            char buf[4096];
            for (;;) {
                const ssize_t n = recv(fd, buf, sizeof buf, 0);
                if (n <= 0) break;
                SendAll(fd, std::string(buf, static_cast<size_t>(n)));
            }
            close(fd);
        });
    }
    ~EchoPeer()
    {
        thread_.join();
        close(listen_);
    }
    int Port() const { return port_; }

private:
    int listen_ = -1;
    int port_ = 0;
    std::thread thread_;
};

// A server with a person, a small conference and one of 100,000 texts.
class Fixture {
public:
    static Fixture& Get()
    {
        static Fixture f;
        return f;
    }
    // A second server with the same data, for measurements side by side.
    static Fixture& Twin()
    {
        static Fixture f;
        return f;
    }
    int Port() const { return server_->Port(); }
    int bigFirst = 0, smallFirst = 0;

    int LoggedOn()
    {
        const int fd = ConnectTo(Port());
        std::string buf;
        SendAll(fd, "A5Hbench\n1 62 1 2Hpw 0\n");
        ReadLines(fd, buf, 2);
        return fd;
    }

private:
    Fixture()
    {
        miravod::ServerOptions o;
        o.demoCompanion = false;
        o.passwordIterations = 1000;
        server_ = std::make_unique<miravod::Server>(o);
        server_->Start();
        const int fd = ConnectTo(Port());
        std::string buf;
        SendAll(fd, "A5Hbench\n1 5 5HBench 2Hpw\n2 62 1 2Hpw 0\n3 10 3HBig 00000000\n4 10 5HSmall 00000000\n");
        ReadLines(fd, buf, 5);
        smallFirst = 1;
        for (int i = 0; i < 100; ++i) SendAll(fd, "5 86 12HSmall\nthread 1 { 0 3 } 0 *\n");
        ReadLines(fd, buf, 100);
        bigFirst = 101;
        const int total = 100000, batch = 2000;
        for (int done = 0; done < total; done += batch) {
            std::string reqs;
            for (int i = 0; i < batch; ++i) reqs += "6 86 12HBig\nthread!! 1 { 0 2 } 0 *\n";
            SendAll(fd, reqs);
            ReadLines(fd, buf, batch);
        }
        close(fd);
    }
    std::unique_ptr<miravod::Server> server_;
};

void BM_RawPingPong(benchmark::State& state)
{
    EchoPeer peer;
    const int fd = ConnectTo(peer.Port());
    std::string buf;
    for (auto _ : state) {
        SendAll(fd, "1 90 1\n");
        if (!ReadLines(fd, buf, 1)) {
            state.SkipWithError("the echo peer closed the link");
            break;
        }
    }
    close(fd);
    state.SetItemsProcessed(state.iterations());
}

void GetTextStat(benchmark::State& state, int first, int count)
{
    Fixture& f = Fixture::Get();
    const int fd = f.LoggedOn();
    std::string buf;
    uint32_t seed = 1;
    for (auto _ : state) {
        seed = seed * 1103515245u + 12345u;
        const int text = first + static_cast<int>((seed >> 8) % static_cast<uint32_t>(count));
        SendAll(fd, "7 90 " + std::to_string(text) + "\n");
        // A server that went away answers nothing, fast: that is no rate.
        if (!ReadLines(fd, buf, 1)) {
            state.SkipWithError("the server closed the link");
            break;
        }
    }
    close(fd);
    state.SetItemsProcessed(state.iterations());
}

void BM_GetTextStatSmallConference(benchmark::State& state)
{
    GetTextStat(state, Fixture::Get().smallFirst, 100);
}

void BM_GetTextStatBigConference(benchmark::State& state)
{
    GetTextStat(state, Fixture::Get().bigFirst, 100000);
}

void BM_GetTextStat200Sessions(benchmark::State& state)
{
    Fixture& f = Fixture::Get();
    std::vector<int> others;
    for (int i = 0; i < 199; ++i) others.push_back(f.LoggedOn());
    GetTextStat(state, f.bigFirst, 100000);
    for (int fd : others) close(fd);
}

void BM_TextMapOfBigConference(benchmark::State& state)
{
    Fixture& f = Fixture::Get();
    const int fd = f.LoggedOn();
    std::string buf;
    int local = 1;
    for (auto _ : state) {
        SendAll(fd, "8 103 2 " + std::to_string(local) + " 80\n");
        if (!ReadLines(fd, buf, 1)) {
            state.SkipWithError("the server closed the link");
            break;
        }
        local = local + 80 > 100000 ? 1 : local + 80;
    }
    close(fd);
    state.SetItemsProcessed(state.iterations());
}

// The same requests against two servers with the same data, one with 199
// other sessions connected, in alternating blocks: load on the machine that
// comes and goes hits both sides alike. Returns the median over the rounds
// of quiet time / busy time, so that a burst of load in one block does not
// decide the figure.
double PairedSessionsRatio(bench::Verdicts& verdicts)
{
    Fixture& quiet = Fixture::Get();
    Fixture& busy = Fixture::Twin();
    std::vector<int> others;
    for (int i = 0; i < 199; ++i) others.push_back(busy.LoggedOn());
    const int a = quiet.LoggedOn(), b = busy.LoggedOn();
    std::string buf;
    bool linkLost = false;
    auto block = [&](int fd, int first, uint32_t& seed) {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < 300; ++i) {
            seed = seed * 1103515245u + 12345u;
            SendAll(fd, "7 90 " + std::to_string(first + static_cast<int>((seed >> 8) % 100000u)) + "\n");
            linkLost = linkLost || !ReadLines(fd, buf, 1);
        }
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    uint32_t seedA = 1, seedB = 1;
    std::vector<double> ratios;
    for (int round = 0; round < 41; ++round) {
        // Which side goes first alternates too.
        double q, t;
        if (round % 2 == 0) {
            q = block(a, quiet.bigFirst, seedA);
            t = block(b, busy.bigFirst, seedB);
        } else {
            t = block(b, busy.bigFirst, seedB);
            q = block(a, quiet.bigFirst, seedA);
        }
        ratios.push_back(q / t);
    }
    std::sort(ratios.begin(), ratios.end());
    if (linkLost)
        verdicts.Fail("a server closed a link during the paired sessions");
    close(a);
    close(b);
    for (int fd : others) close(fd);
    return ratios[ratios.size() / 2];
}

BENCHMARK(BM_RawPingPong)->UseRealTime();
BENCHMARK(BM_GetTextStatSmallConference)->UseRealTime();
BENCHMARK(BM_GetTextStatBigConference)->UseRealTime();
BENCHMARK(BM_GetTextStat200Sessions)->UseRealTime();
BENCHMARK(BM_TextMapOfBigConference)->UseRealTime();

// Keeps the rates to print the ratios at the end.
class RateReporter : public bench::CountingReporter {
public:
    using CountingReporter::CountingReporter;
    void ReportRuns(const std::vector<Run>& runs) override
    {
        CountingReporter::ReportRuns(runs);
        for (const Run& r : runs) {
            auto it = r.counters.find("items_per_second");
            if (it != r.counters.end()) rates[r.benchmark_name()] = it->second.value;
        }
    }
    std::map<std::string, double> rates;
};

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    bench::Verdicts verdicts;
    RateReporter reporter(verdicts);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto rate = [&](const char* name) {
        for (const auto& [k, v] : reporter.rates) {
            if (k.rfind(name, 0) == 0) return v;
        }
        return 0.0;
    };
    const double ping = rate("BM_RawPingPong");
    const double small = rate("BM_GetTextStatSmallConference");
    const double big = rate("BM_GetTextStatBigConference");
    const double many = rate("BM_GetTextStat200Sessions");
    if (ping > 0 && small > 0) {
        std::printf("\nget-text-stat: %.0f requests/s; raw ping-pong: %.0f round trips/s\n", big, ping);
        std::printf("get-text-stat / ping-pong            = %.2f\n", big / ping);
        std::printf("100,000-text / 100-text conference   = %.2f (1.00 = no slow-down)\n", big / small);
        std::printf("200 sessions / 1 session             = %.2f (1.00 = no slow-down)\n", many / big);
        std::printf("200 sessions / 1 session, paired     = %.2f (1.00 = no slow-down)\n", PairedSessionsRatio(verdicts));
    }
    benchmark::Shutdown();
    return verdicts.ExitStatus();
}
