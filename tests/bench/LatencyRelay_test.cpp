// The latency relay the benchmarks measure through: delay in both directions
// without chunks queueing behind each other's delay, bytes whole and in order
// under a bandwidth limit, several connections, closes passed on, counters.
#include "bench/support/LatencyRelay.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// A loopback server that runs serve(fd) for every connection on a thread of
// its own, then closes it.
class TestServer {
public:
    explicit TestServer(std::function<void(int)> serve) : serve_(std::move(serve))
    {
        listen_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        bind(listen_, reinterpret_cast<sockaddr*>(&a), len);
        listen(listen_, 16);
        getsockname(listen_, reinterpret_cast<sockaddr*>(&a), &len);
        port_ = ntohs(a.sin_port);
        acceptor_ = std::thread([this] {
            for (;;) {
                const int fd = accept(listen_, nullptr, nullptr);
                if (fd < 0)
                    return;
                std::lock_guard lock(mutex_);
                served_.emplace_back([this, fd] {
                    serve_(fd);
                    close(fd);
                });
            }
        });
    }
    ~TestServer()
    {
        shutdown(listen_, SHUT_RDWR);
        acceptor_.join();
        close(listen_);
        std::lock_guard lock(mutex_);
        for (auto& t : served_)
            t.join();
    }
    uint16_t Port() const { return port_; }

private:
    std::function<void(int)> serve_;
    int listen_ = -1;
    uint16_t port_ = 0;
    std::mutex mutex_;
    std::vector<std::thread> served_;
    std::thread acceptor_;
};

// Reads into out until it holds want bytes, the peer closes or timeoutMs pass.
bool ReadBytes(int fd, std::string& out, size_t want, int timeoutMs = 10000)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    char buf[65536];
    while (out.size() < want) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd p{fd, POLLIN, 0};
        if (left <= 0 || poll(&p, 1, static_cast<int>(left)) <= 0)
            return false;
        const ssize_t n = recv(fd, buf, sizeof buf, 0);
        if (n <= 0)
            return false;
        out.append(buf, static_cast<size_t>(n));
    }
    return true;
}

// True when the peer closes within timeoutMs (no more bytes on the way).
bool SeesClose(int fd, int timeoutMs)
{
    pollfd p{fd, POLLIN, 0};
    char c;
    return poll(&p, 1, timeoutMs) == 1 && recv(fd, &c, 1, 0) <= 0;
}

bool SendAll(int fd, const std::string& s)
{
    for (size_t off = 0; off < s.size();) {
        const ssize_t n = send(fd, s.data() + off, s.size() - off, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        off += static_cast<size_t>(n);
    }
    return true;
}

int Connect(uint16_t port)
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        close(fd);
        return -1;
    }
    const int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    return fd;
}

void Echo(int fd)
{
    char buf[65536];
    for (;;) {
        const ssize_t n = recv(fd, buf, sizeof buf, 0);
        if (n <= 0 || !SendAll(fd, std::string(buf, static_cast<size_t>(n))))
            return;
    }
}

std::string RandomBytes(size_t n, unsigned seed)
{
    std::mt19937 gen(seed);
    std::string s(n, '\0');
    for (char& c : s)
        c = static_cast<char>(gen() & 0xff);
    return s;
}

TEST(LatencyRelayDelay, ARoundTripTakesAtLeastTwiceTheDelay)
{
    TestServer echo(Echo);
    bench::LatencyRelay relay(echo.Port(), 60);
    ASSERT_NE(relay.Port(), 0);
    const int fd = Connect(relay.Port());
    ASSERT_GE(fd, 0);
    for (int i = 0; i < 3; ++i) {
        const auto start = Clock::now();
        ASSERT_TRUE(SendAll(fd, "ping\n"));
        std::string got;
        ASSERT_TRUE(ReadBytes(fd, got, 5));
        EXPECT_EQ(got, "ping\n");
        EXPECT_GE(MsSince(start), 120.0) << "round trip " << i;
    }
    close(fd);
}

TEST(LatencyRelayDelay, ChunksSentApartDoNotWaitForEachOthersDelay)
{
    // Twenty chunks 10 ms apart through 150 ms each way: the last echo is
    // back about 190 + 300 ms after the first was sent. Were each chunk's
    // delay to start only when the one before left, the last would leave
    // after twenty delays (3 s).
    TestServer echo(Echo);
    bench::LatencyRelay relay(echo.Port(), 150);
    const int fd = Connect(relay.Port());
    ASSERT_GE(fd, 0);
    const auto start = Clock::now();
    std::string sent;
    for (int i = 0; i < 20; ++i) {
        const std::string chunk = "chunk " + std::to_string(i) + "\n";
        sent += chunk;
        ASSERT_TRUE(SendAll(fd, chunk));
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::string got;
    ASSERT_TRUE(ReadBytes(fd, got, sent.size()));
    EXPECT_EQ(got, sent);
    const double ms = MsSince(start);
    EXPECT_GE(ms, 480.0);
    EXPECT_LT(ms, 1500.0);
    close(fd);
}

TEST(LatencyRelayDelay, ANewDelayHoldsLaterChunks)
{
    TestServer echo(Echo);
    bench::LatencyRelay relay(echo.Port(), 0);
    const int fd = Connect(relay.Port());
    ASSERT_GE(fd, 0);
    relay.SetDelay(100);
    const auto start = Clock::now();
    ASSERT_TRUE(SendAll(fd, "x"));
    std::string got;
    ASSERT_TRUE(ReadBytes(fd, got, 1));
    EXPECT_GE(MsSince(start), 200.0);
    close(fd);
}

TEST(LatencyRelayBandwidth, BytesArriveWholeAndInOrderBothWays)
{
    // 120,000 bytes each way at 200,000 bytes per second: at least 0.6 s.
    TestServer echo(Echo);
    constexpr int64_t kRate = 200000;
    bench::LatencyRelay relay(echo.Port(), 10, kRate);
    const int fd = Connect(relay.Port());
    ASSERT_GE(fd, 0);
    const std::string data = RandomBytes(120000, 7);
    const auto start = Clock::now();
    std::thread writer([&] { SendAll(fd, data); });
    std::string got;
    const bool whole = ReadBytes(fd, got, data.size(), 30000);
    writer.join();
    const double ms = MsSince(start);
    ASSERT_TRUE(whole) << got.size() << " of " << data.size() << " bytes came back";
    EXPECT_TRUE(got == data) << "the bytes came back changed or out of order";
    EXPECT_GE(ms, 600.0);
    EXPECT_EQ(relay.BytesToServer(), static_cast<int64_t>(data.size()));
    EXPECT_EQ(relay.BytesToClient(), static_cast<int64_t>(data.size()));
    close(fd);
}

TEST(LatencyRelayBandwidth, ServerBytesArriveWholeWhileTheClientSendsNothing)
{
    const std::string data = RandomBytes(50000, 11);
    TestServer talker([&](int fd) { SendAll(fd, data); });
    bench::LatencyRelay relay(talker.Port(), 5, 100000);
    const int fd = Connect(relay.Port());
    ASSERT_GE(fd, 0);
    std::string got;
    ASSERT_TRUE(ReadBytes(fd, got, data.size(), 30000));
    EXPECT_TRUE(got == data);
    // The server closed after its bytes: the close follows them.
    EXPECT_TRUE(SeesClose(fd, 5000));
    close(fd);
}

TEST(LatencyRelayConnections, SeveralAtOnceKeepTheirOwnBytes)
{
    TestServer echo(Echo);
    bench::LatencyRelay relay(echo.Port(), 20, 1000000);
    constexpr int kLinks = 5;
    std::vector<std::thread> clients;
    std::vector<int> ok(kLinks, 0);
    for (int i = 0; i < kLinks; ++i) {
        clients.emplace_back([&, i] {
            const int fd = Connect(relay.Port());
            if (fd < 0)
                return;
            const std::string data = RandomBytes(30000, static_cast<unsigned>(100 + i));
            std::thread writer([&] { SendAll(fd, data); });
            std::string got;
            const bool whole = ReadBytes(fd, got, data.size(), 30000);
            writer.join();
            ok[i] = whole && got == data;
            close(fd);
        });
    }
    for (auto& t : clients)
        t.join();
    for (int i = 0; i < kLinks; ++i)
        EXPECT_TRUE(ok[i]) << "connection " << i;
    EXPECT_EQ(relay.BytesToServer(), kLinks * 30000);
}

TEST(LatencyRelayConnections, ClosesArePassedOnBothWays)
{
    std::atomic<bool> serverSawClose{false};
    TestServer waiter([&](int fd) { serverSawClose = SeesClose(fd, 5000); });
    bench::LatencyRelay relay(waiter.Port(), 30);
    const int fd = Connect(relay.Port());
    ASSERT_GE(fd, 0);
    shutdown(fd, SHUT_WR);
    // The server sees the close, then closes its end, which comes back.
    EXPECT_TRUE(SeesClose(fd, 5000));
    EXPECT_TRUE(serverSawClose);
    close(fd);
}

TEST(LatencyRelayConnections, NoServerBehindItEndsTheClientsLink)
{
    uint16_t unused = 0;
    {
        TestServer gone(Echo);
        unused = gone.Port();
    }
    bench::LatencyRelay relay(unused, 10);
    const int fd = Connect(relay.Port());
    ASSERT_GE(fd, 0);
    SendAll(fd, "anyone?\n");
    EXPECT_TRUE(SeesClose(fd, 5000));
    close(fd);
}

// Answers the handshake with a greeting and every request line "<id> ..." with
// "=<id>", after an asynchronous line that is not a reply.
void Answer(int fd)
{
    std::string pending;
    char buf[4096];
    for (;;) {
        const ssize_t n = recv(fd, buf, sizeof buf, 0);
        if (n <= 0)
            return;
        pending.append(buf, static_cast<size_t>(n));
        std::string out;
        for (size_t lf; (lf = pending.find('\n')) != std::string::npos; pending.erase(0, lf + 1)) {
            if (pending[0] == 'A')
                out += "MIRAVO\n";
            else
                out += ":2 12 1 2\n=" + pending.substr(0, pending.find(' ')) + "\n";
        }
        if (!SendAll(fd, out))
            return;
    }
}

TEST(LatencyRelayCounters, CountRequestLinesAndTheMostInFlight)
{
    TestServer server(Answer);
    bench::LatencyRelay relay(server.Port(), 20);
    const int fd = Connect(relay.Port());
    ASSERT_GE(fd, 0);
    // The handshake and five requests in one go: six lines in flight.
    const std::string burst = "A1Hx\n1 35\n2 35\n3 35\n4 35\n5 35\n";
    ASSERT_TRUE(SendAll(fd, burst));
    std::string got;
    const std::string expected = "MIRAVO\n" + std::string(":2 12 1 2\n=1\n:2 12 1 2\n=2\n:2 12 1 2\n=3\n") +
                                 ":2 12 1 2\n=4\n:2 12 1 2\n=5\n";
    ASSERT_TRUE(ReadBytes(fd, got, expected.size()));
    EXPECT_EQ(got, expected);
    EXPECT_EQ(relay.LinesToServer(), 6);
    EXPECT_EQ(relay.MaxLinesInFlight(), 6);
    EXPECT_EQ(relay.BytesToServer(), static_cast<int64_t>(burst.size()));
    EXPECT_EQ(relay.BytesToClient(), static_cast<int64_t>(expected.size()));

    // Every request answered: after a reset, one at a time is one in flight.
    relay.ResetCounters();
    EXPECT_EQ(relay.MaxLinesInFlight(), 0);
    EXPECT_EQ(relay.LinesToServer(), 0);
    for (int i = 6; i < 9; ++i) {
        ASSERT_TRUE(SendAll(fd, std::to_string(i) + " 35\n"));
        std::string reply;
        const std::string want = ":2 12 1 2\n=" + std::to_string(i) + "\n";
        ASSERT_TRUE(ReadBytes(fd, reply, want.size()));
        EXPECT_EQ(reply, want);
    }
    EXPECT_EQ(relay.LinesToServer(), 3);
    EXPECT_EQ(relay.MaxLinesInFlight(), 1);
    close(fd);
}

TEST(LatencyRelayCounters, AClosedLinkLeavesNothingInFlight)
{
    // The server never answers: the three requests stay in flight until the
    // client goes, and then no longer count.
    TestServer silent([](int fd) { SeesClose(fd, 5000); });
    bench::LatencyRelay relay(silent.Port(), 0);
    const int fd = Connect(relay.Port());
    ASSERT_GE(fd, 0);
    ASSERT_TRUE(SendAll(fd, "1 35\n2 35\n3 35\n"));
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    while (relay.LinesToServer() < 3 && Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(relay.MaxLinesInFlight(), 3);
    close(fd);
    // Once the relay has seen the close, a reset starts from nothing in flight.
    const auto closed = Clock::now() + std::chrono::seconds(5);
    do {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        relay.ResetCounters();
    } while (relay.MaxLinesInFlight() != 0 && Clock::now() < closed);
    EXPECT_EQ(relay.MaxLinesInFlight(), 0);
}

} // namespace
