// The encrypted link against the plain one on loopback, side by side in one
// run against one miravod (in a child process) that serves both: the
// engine's ExecuteAndWait round trip over TLS divided by the same over plain
// TCP, and the time a connect takes with and without the TLS handshake.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include "core/link/MVTransaction.h"
#include "core/session/Client.h"
#include "bench/support/BenchServer.h"
#include "bench/support/Verdict.h"
#include "server/Server.h"
#include "server/TlsContext.h"

namespace {

using Clock = std::chrono::steady_clock;

// miravod with plain and TLS listeners on a self-signed certificate in dir.
std::unique_ptr<bench::ForkedServer> StartTlsServer(const std::filesystem::path& dir)
{
    const auto cert = dir / "bench-cert.pem";
    const auto key = dir / "bench-key.pem";
    std::string error;
    if (!miravod::WriteSelfSignedCertificate(cert, key, "bench", "IP:127.0.0.1", 1, &error)) {
        std::fprintf(stderr, "certificate: %s\n", error.c_str());
        return nullptr;
    }
    miravod::ServerOptions o;
    o.demoCompanion = false;
    o.tlsPort = 0;
    o.tlsCertFile = cert.string();
    o.tlsKeyFile = key.string();
    return std::make_unique<bench::ForkedServer>(o);
}

pellar::ClientOptions Quiet()
{
    pellar::ClientOptions o = bench::QuietClientOptions();
    o.stateDir = std::filesystem::temp_directory_path();
    return o;
}

pellar::TlsSettings Pinned(const bench::ForkedServer& p)
{
    pellar::TlsSettings t;
    t.enabled = true;
    t.pinnedFingerprint = p.Fingerprint();
    return t;
}

// A connected, greeted client; encrypted when tls.enabled.
std::unique_ptr<pellar::Client> Connected(int port, const pellar::TlsSettings& tls)
{
    auto c = std::make_unique<pellar::Client>(Quiet());
    c->ComThread().Connect("127.0.0.1", std::to_string(port), {}, 5000, nullptr, tls);
    c->ConnectedEvent().WaitFor(5000);
    return c;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double Us(Clock::duration d)
{
    return std::chrono::duration<double, std::micro>(d).count();
}

// Requests and connects that failed: one that fails at once would look fast.
int failedRequests = 0;

double TimeRequest(pellar::Client& c)
{
    pellar::TGenericTrans t(c.Protocol(), "Get the time", pellar::requests::GetTime());
    const auto t0 = Clock::now();
    if (!c.Transactions().ExecuteAndWait(t))
        ++failedRequests;
    return Us(Clock::now() - t0);
}

constexpr int kRounds = 5;
constexpr int kWarmUp = 200;
constexpr int kSamples = 2000;
constexpr int kConnects = 40;
// The encrypted round trip may cost this much more than the plain one.
constexpr double kRoundTripLimit = 1.15;

struct Round {
    double ratio, tlsUs, plainUs;
};

Round RoundTripRound(const bench::ForkedServer& p)
{
    auto plain = Connected(p.Port(), {});
    auto tls = Connected(p.TlsPort(), Pinned(p));
    std::vector<double> a, b;
    for (int i = 0; i < kWarmUp + kSamples; ++i) {
        // Interleaved, so both see the same machine.
        const double tu = TimeRequest(*tls);
        const double pu = TimeRequest(*plain);
        if (i >= kWarmUp) {
            a.push_back(tu);
            b.push_back(pu);
        }
    }
    const double tm = Median(a), pm = Median(b);
    return {tm / pm, tm, pm};
}

// Connect until greeted: TCP connect, TLS handshake (when on), handshake
// line and greeting; then the link is taken down again. One client for all
// rounds, as a user reconnecting has: its trust store is read once.
double ConnectUs(pellar::Client& c, int port, const pellar::TlsSettings& tls)
{
    const auto t0 = Clock::now();
    c.ComThread().Connect("127.0.0.1", std::to_string(port), {}, 5000, nullptr, tls);
    if (c.ConnectedEvent().WaitFor(5000) != pellar::WaitResult::Signaled)
        ++failedRequests;
    const double us = Us(Clock::now() - t0);
    c.ComThread().SetLinkDown(true);
    c.ComThread().WaitIdle(5000);
    c.ConnectedEvent().ResetEv();
    return us;
}

} // namespace

int main(int argc, char** argv)
{
    // Flags only: the figures below are measured side by side by hand.
    benchmark::Initialize(&argc, argv);
    bench::Verdicts verdicts;

    std::string pattern = (std::filesystem::temp_directory_path() / "pellar-tls-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        return 1;
    {
        const std::unique_ptr<bench::ForkedServer> server = StartTlsServer(pattern);
        if (!server || server->Port() == 0 || server->TlsPort() == 0) {
            std::fprintf(stderr, "server did not start\n");
            return 1;
        }
        const bench::ForkedServer& p = *server;
        std::vector<Round> rounds;
        for (int r = 0; r < kRounds; ++r) {
            rounds.push_back(RoundTripRound(p));
            std::printf("round trip, round %d: TLS %.1f us, plain %.1f us, ratio %.3f\n", r + 1, rounds.back().tlsUs,
                        rounds.back().plainUs, rounds.back().ratio);
        }
        std::sort(rounds.begin(), rounds.end(), [](const Round& a, const Round& b) { return a.ratio < b.ratio; });
        const Round& mid = rounds[rounds.size() / 2];
        std::printf("ExecuteAndWait TLS / plain (median of %d rounds): %.3f, spread %.3f..%.3f (limit %.2f) %s\n",
                    kRounds, mid.ratio, rounds.front().ratio, rounds.back().ratio, kRoundTripLimit,
                    verdicts.AtMost(mid.ratio, kRoundTripLimit));
        if (failedRequests > 0)
            verdicts.Fail(std::to_string(failedRequests) + " timed requests failed");
        failedRequests = 0;

        pellar::Client tlsClient(Quiet()), plainClient(Quiet());
        // The first encrypted connect of a run makes the client's TLS
        // context; with a pinned certificate the system's trust store is
        // not read for it.
        const double first = ConnectUs(tlsClient, p.TlsPort(), Pinned(p));
        std::printf("first TLS connect of the run (pinned): %.0f us\n", first);
        std::vector<double> plainConnect, tlsConnect;
        for (int i = 0; i < kConnects; ++i) {
            tlsConnect.push_back(ConnectUs(tlsClient, p.TlsPort(), Pinned(p)));
            plainConnect.push_back(ConnectUs(plainClient, p.Port(), {}));
        }
        std::sort(tlsConnect.begin(), tlsConnect.end());
        std::sort(plainConnect.begin(), plainConnect.end());
        std::printf("connect until greeted (median of %d, 10th..90th percentile): TLS %.0f us (%.0f..%.0f), "
                    "plain %.0f us (%.0f..%.0f); the TLS handshake adds %.0f us\n",
                    kConnects, Median(tlsConnect), tlsConnect[kConnects / 10], tlsConnect[kConnects * 9 / 10],
                    Median(plainConnect), plainConnect[kConnects / 10], plainConnect[kConnects * 9 / 10],
                    Median(tlsConnect) - Median(plainConnect));
        if (failedRequests > 0)
            verdicts.Fail(std::to_string(failedRequests) + " timed connects failed");
    }
    std::filesystem::remove_all(pattern);
    benchmark::Shutdown();
    return verdicts.ExitStatus();
}
