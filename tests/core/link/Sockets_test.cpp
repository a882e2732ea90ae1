#include "core/link/Sockets.h"

#include <cerrno>
#include <utility>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <sys/eventfd.h>

#include <chrono>
#include <dirent.h>
#include <future>
#include <thread>

#include <gtest/gtest.h>

#include "support/ScriptedWaits.h"

namespace pellar {
namespace {

// A known code gives its message, code and name (a row without a message
// starts with the line break); an unknown one says so.
TEST(WinsockErrorText, TextForEachCode)
{
    const std::pair<int, const char*> cases[] = {
        {11001, "Unable to find the address for this host\r\n(11001) WSAHOST_NOT_FOUND"},
        {10061, "The host refused us to connect (on this port)\r\n(10061) WSAECONNREFUSED"},
        {10004, "Winsock provider not initialized\r\n(10004) WSAEINTR"},
        {10050, "\r\n(10050) WSAENETDOWN"},
        {10101, "\r\n(10101) WSAEDISCON"},
        {11004, "\r\n(11004) WSANO_DATA"},
        {10999, "Unknown error (10999)"},
        {0, "Unknown error (0)"},
    };
    for (const auto& [code, text] : cases)
        EXPECT_EQ(WinsockErrorText(code), text) << code;
}

TEST(WinsockErrorText, ExceptionCarriesCodeAndText)
{
    const TWinsockException e(10060);
    EXPECT_EQ(e.Code(), 10060);
    EXPECT_STREQ(e.what(), "Timeout on call\r\n(10060) WSAETIMEDOUT");
}

TEST(WinsockErrorText, ErrnoMapsToWinsockCodes)
{
    EXPECT_EQ(WinsockCodeFromErrno(ECONNREFUSED), 10061);
    EXPECT_EQ(WinsockCodeFromErrno(ECONNRESET), 10054);
    EXPECT_EQ(WinsockCodeFromErrno(ETIMEDOUT), 10060);
    EXPECT_EQ(WinsockCodeFromErrno(ENETDOWN), 10050);
    EXPECT_EQ(WinsockCodeFromErrno(EHOSTUNREACH), 10065);
    EXPECT_EQ(WinsockCodeFromGai(EAI_NONAME), 11001);
    EXPECT_EQ(WinsockCodeFromGai(EAI_AGAIN), 11002);
}

// A listener whose port is known; closed on destruction.
struct Listener {
    explicit Listener(int backlog)
    {
        fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        ::bind(fd, reinterpret_cast<sockaddr*>(&a), len);
        ::listen(fd, backlog);
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
        port = ntohs(a.sin_port);
    }
    ~Listener() { ::close(fd); }
    int fd = -1;
    uint16_t port = 0;
};

TEST(SocketConnect, ConnectsToNumericAddressAndCloses)
{
    Listener l(4);
    int sock = 123;
    SocketConnect(sock, "127.0.0.1", std::to_string(l.port));
    ASSERT_GE(sock, 0);
    pollfd p{l.fd, POLLIN, 0};
    EXPECT_EQ(::poll(&p, 1, 5000), 1) << "the listener never saw the connection";
    EXPECT_EQ(SocketClose(sock), 0);
    EXPECT_EQ(sock, -1);
    EXPECT_EQ(SocketClose(sock), 0);
}

TEST(SocketConnect, RefusedConnectionRaisesMappedCodeAndLeavesNoSocket)
{
    uint16_t port = 0;
    {
        Listener gone(1);
        port = gone.port;
    }
    int sock = 5;
    try {
        SocketConnect(sock, "127.0.0.1", std::to_string(port));
        FAIL() << "connect to a closed port succeeded";
    } catch (const TWinsockException& e) {
        EXPECT_EQ(e.Code(), 10061);
        EXPECT_NE(std::string(e.what()).find("WSAECONNREFUSED"), std::string::npos);
    }
    EXPECT_EQ(sock, -1);
}

TEST(SocketConnect, ServiceThatIsNoNumberConnectsToPortZeroAndFails)
{
    int sock = -1;
    EXPECT_THROW(SocketConnect(sock, "127.0.0.1", "no-such-service-here"), TWinsockException);
    EXPECT_EQ(sock, -1);
}

TEST(SocketConnect, ConnectionThatNeverCompletesTimesOutWithoutEndingTheProgram)
{
    test::UnansweredListener silent;
    if (!silent.Holds())
        GTEST_SKIP() << "this kernel completes every connection";
    int sock = -1;
    try {
        SocketConnect(sock, "127.0.0.1", silent.PortText(), false, 300);
        ADD_FAILURE() << "connect to a full listener completed";
    } catch (const TWinsockException& e) {
        EXPECT_EQ(e.Code(), 10060);
    }
    EXPECT_EQ(sock, -1);
}

TEST(SocketConnect, ACancelSignalEndsAConnectThatNeverCompletes)
{
    test::UnansweredListener silent;
    if (!silent.Holds())
        GTEST_SKIP() << "this kernel completes every connection";
    const int cancel = ::eventfd(0, EFD_CLOEXEC);
    ASSERT_GE(cancel, 0);
    int sock = -1;
    auto attempt = std::async(std::launch::async, [&] {
        try {
            SocketConnect(sock, "127.0.0.1", silent.PortText(), false, 20000, cancel);
        } catch (const TConnectCancelled&) {
            return 1;
        } catch (const TWinsockException&) {
            return 2;
        }
        return 0;
    });
    EXPECT_EQ(attempt.wait_for(std::chrono::milliseconds(100)), std::future_status::timeout)
        << "the connect did not wait at all";
    const uint64_t one = 1;
    ASSERT_EQ(::write(cancel, &one, sizeof one), static_cast<ssize_t>(sizeof one));
    ASSERT_EQ(attempt.wait_for(std::chrono::seconds(5)), std::future_status::ready) << "the cancel was not seen";
    EXPECT_EQ(attempt.get(), 1);
    EXPECT_EQ(sock, -1);
    ::close(cancel);
}

// --- Every address of a name -------------------------------------------------

SocketAddress Loopback4()
{
    SocketAddress a;
    auto* in = reinterpret_cast<sockaddr_in*>(&a.addr);
    in->sin_family = AF_INET;
    in->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.len = sizeof(sockaddr_in);
    return a;
}

SocketAddress Loopback6()
{
    SocketAddress a;
    auto* in = reinterpret_cast<sockaddr_in6*>(&a.addr);
    in->sin6_family = AF_INET6;
    in->sin6_addr = in6addr_loopback;
    a.len = sizeof(sockaddr_in6);
    return a;
}

// Tells addresses apart in the order tests: family and last address byte.
std::string Tag(const SocketAddress& a)
{
    if (a.Family() == AF_INET6)
        return "6." + std::to_string(reinterpret_cast<const sockaddr_in6*>(&a.addr)->sin6_addr.s6_addr[15]);
    return "4." + std::to_string(ntohl(reinterpret_cast<const sockaddr_in*>(&a.addr)->sin_addr.s_addr) & 0xff);
}

SocketAddress Numbered(SocketAddress a, int n)
{
    if (a.Family() == AF_INET6)
        reinterpret_cast<sockaddr_in6*>(&a.addr)->sin6_addr.s6_addr[15] = static_cast<uint8_t>(n);
    else
        reinterpret_cast<sockaddr_in*>(&a.addr)->sin_addr.s_addr = htonl(0x7f000000u | static_cast<uint32_t>(n));
    return a;
}

AddressResolver Resolves(std::vector<SocketAddress> addresses)
{
    return [addresses](const std::string&) { return addresses; };
}

// A listener on ::1 only, on the given port (0: any); invalid without IPv6.
struct Listener6 {
    explicit Listener6(uint16_t wanted)
    {
        fd = ::socket(AF_INET6, SOCK_STREAM | SOCK_CLOEXEC, 0);
        int one = 1;
        setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &one, sizeof one);
        sockaddr_in6 a{};
        a.sin6_family = AF_INET6;
        a.sin6_addr = in6addr_loopback;
        a.sin6_port = htons(wanted);
        socklen_t len = sizeof a;
        if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&a), len) != 0 || ::listen(fd, 4) != 0)
            return;
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
        port = ntohs(a.sin6_port);
    }
    ~Listener6()
    {
        if (fd >= 0)
            ::close(fd);
    }
    int fd = -1;
    uint16_t port = 0;  // 0: could not listen
};

int PeerFamily(int sock)
{
    sockaddr_storage peer{};
    socklen_t len = sizeof peer;
    if (::getpeername(sock, reinterpret_cast<sockaddr*>(&peer), &len) != 0)
        return -1;
    return peer.ss_family;
}

size_t Entries(const char* dir)
{
    size_t n = 0;
    if (DIR* d = ::opendir(dir)) {
        while (::readdir(d))
            ++n;
        ::closedir(d);
    }
    return n;
}

size_t OpenDescriptors() { return Entries("/proc/self/fd"); }
size_t Threads() { return Entries("/proc/self/task"); }

// A port nothing listens on, in either family.
uint16_t ClosedPort()
{
    Listener l(1);
    const uint16_t port = l.port;
    return port;  // closed with l
}

TEST(AddressOrder, FamiliesTakeTurnsStartingWithTheResolversFirst)
{
    const SocketAddress v4 = Loopback4(), v6 = Loopback6();
    struct Row {
        std::vector<SocketAddress> in;
        std::vector<std::string> out;
    };
    const Row rows[] = {
        {{Numbered(v6, 1), Numbered(v6, 2), Numbered(v6, 3), Numbered(v4, 1), Numbered(v4, 2)},
         {"6.1", "4.1", "6.2", "4.2", "6.3"}},
        {{Numbered(v4, 1), Numbered(v6, 1), Numbered(v6, 2), Numbered(v4, 2)}, {"4.1", "6.1", "4.2", "6.2"}},
        {{Numbered(v4, 3), Numbered(v4, 1), Numbered(v4, 2)}, {"4.3", "4.1", "4.2"}},
        {{Numbered(v6, 1)}, {"6.1"}},
        {{}, {}},
    };
    for (const Row& row : rows) {
        std::vector<std::string> got;
        for (const SocketAddress& a : InterleaveFamilies(row.in))
            got.push_back(Tag(a));
        EXPECT_EQ(got, row.out);
    }
}

TEST(AddressOrder, TheSystemResolverGivesLoopbackForANumericAddress)
{
    const std::vector<SocketAddress> v4 = ResolveHost("127.0.0.1");
    ASSERT_EQ(v4.size(), 1u);
    EXPECT_EQ(Tag(v4[0]), "4.1");
    const std::vector<SocketAddress> v6 = ResolveHost("::1");
    ASSERT_EQ(v6.size(), 1u);
    EXPECT_EQ(Tag(v6[0]), "6.1");
    try {
        ResolveHost("no-such-host.invalid");
        ADD_FAILURE() << "a name that does not exist resolved";
    } catch (const TWinsockException& e) {
        EXPECT_TRUE(e.Code() == 11001 || e.Code() == 11002 || e.Code() == 11004) << e.Code();
    }
}

TEST(EveryAddress, AnAddressThatRefusesIsPassedForOneThatAccepts)
{
    // As with "::1 localhost" first in the hosts file and a server on
    // 127.0.0.1 only; and the other way round.
    Listener v4(1);
    Listener6 v6probe(0);
    if (v6probe.port == 0)
        GTEST_SKIP() << "no IPv6 loopback here";
    {
        int sock = -1;
        SocketConnect(sock, "localhost", std::to_string(v4.port), false, 5000, -1,
                      Resolves({Loopback6(), Loopback4()}));
        ASSERT_GE(sock, 0);
        EXPECT_EQ(PeerFamily(sock), AF_INET);
        SocketClose(sock);
    }
    {
        int sock = -1;
        SocketConnect(sock, "localhost", std::to_string(v6probe.port), false, 5000, -1,
                      Resolves({Loopback4(), Loopback6()}));
        ASSERT_GE(sock, 0);
        EXPECT_EQ(PeerFamily(sock), AF_INET6);
        SocketClose(sock);
    }
}

TEST(EveryAddress, AnAddressThatNeverAnswersIsRacedByTheNextAfterTheDelay)
{
    test::UnansweredListener silent;
    if (!silent.Holds())
        GTEST_SKIP() << "this kernel completes every connection";
    Listener6 v6(static_cast<uint16_t>(std::stoi(silent.PortText())));
    if (v6.port == 0)
        GTEST_SKIP() << "no IPv6 loopback on the silent port";
    int sock = -1;
    const auto start = std::chrono::steady_clock::now();
    SocketConnect(sock, "localhost", silent.PortText(), false, 20000, -1, Resolves({Loopback4(), Loopback6()}), 50);
    const auto took = std::chrono::steady_clock::now() - start;
    ASSERT_GE(sock, 0);
    EXPECT_EQ(PeerFamily(sock), AF_INET6);
    // It waited for the first address its delay, not its whole time limit.
    EXPECT_GE(took, std::chrono::milliseconds(50));
    EXPECT_LT(took, std::chrono::seconds(10));
    SocketClose(sock);
}

TEST(EveryAddress, EveryAddressFailingGivesTheFailureAndLeavesNothingOpen)
{
    const uint16_t port = ClosedPort();
    const size_t before = OpenDescriptors();
    int sock = 7;
    try {
        SocketConnect(sock, "localhost", std::to_string(port), false, 5000, -1,
                      Resolves({Loopback4(), Numbered(Loopback4(), 1), Loopback4()}));
        ADD_FAILURE() << "connected to a closed port";
    } catch (const TWinsockException& e) {
        EXPECT_EQ(e.Code(), 10061);
        EXPECT_STREQ(e.what(), "The host refused us to connect (on this port)\r\n(10061) WSAECONNREFUSED");
    }
    EXPECT_EQ(sock, -1);
    EXPECT_EQ(OpenDescriptors(), before);
    // A resolver that finds nothing says so, and nothing is tried.
    EXPECT_THROW(SocketConnect(sock, "x", "1", false, 1000, -1, Resolves({})), TWinsockException);
    EXPECT_EQ(OpenDescriptors(), before);
}

TEST(EveryAddress, CancelDuringTheRaceClosesEveryAttemptAndLeavesNoThread)
{
    test::UnansweredListener silent;
    if (!silent.Holds())
        GTEST_SKIP() << "this kernel completes every connection";
    const int cancel = ::eventfd(0, EFD_CLOEXEC);
    ASSERT_GE(cancel, 0);
    // A runtime may start a helper thread of its own at the first thread
    // the program makes (ThreadSanitizer does): let that happen before the
    // count, so that only the attempt's threads are counted.
    std::thread([] {}).join();
    const size_t descriptors = OpenDescriptors();
    const size_t threads = Threads();
    int sock = -1;
    auto attempt = std::async(std::launch::async, [&] {
        try {
            // Three addresses that never answer, 20 ms apart: all race.
            SocketConnect(sock, "localhost", silent.PortText(), false, 20000, cancel,
                          Resolves({Loopback4(), Loopback4(), Loopback4()}), 20);
        } catch (const TConnectCancelled&) {
            return 1;
        } catch (const TWinsockException&) {
            return 2;
        }
        return 0;
    });
    // Wait until all three sockets are open (the async thread adds one
    // entry of its own to the task list, none to the descriptors).
    for (int i = 0; i < 200 && OpenDescriptors() < descriptors + 3; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(OpenDescriptors(), descriptors + 3) << "not every address joined the race";
    const uint64_t one = 1;
    ASSERT_EQ(::write(cancel, &one, sizeof one), static_cast<ssize_t>(sizeof one));
    ASSERT_EQ(attempt.wait_for(std::chrono::seconds(5)), std::future_status::ready) << "the cancel was not seen";
    EXPECT_EQ(attempt.get(), 1);
    EXPECT_EQ(sock, -1);
    EXPECT_EQ(OpenDescriptors(), descriptors);
    for (int i = 0; i < 100 && Threads() != threads; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(Threads(), threads);
    ::close(cancel);
}

} // namespace
} // namespace pellar
