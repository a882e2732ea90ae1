#include "core/protocol/Sockets.h"

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
#include <future>

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

} // namespace
} // namespace pellar
