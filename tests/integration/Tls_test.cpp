// Logons over the encrypted link against an in-process server that serves
// plain and TLS side by side, with certificates the tests make themselves:
// trust through a CA, host names, asking and pinning, wrong ports, stalls.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "core/config/CertificatePin.h"
#include "core/config/ConfigKeys.h"
#include "core/link/MVRequests.h"
#include "support/SessionFixture.h"
#include "support/TestCertificates.h"

namespace pellar::test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

TestCertificates& Certificates()
{
    static TestCertificates certs;
    return certs;
}

LogonOptions TrustingTestCa()
{
    LogonOptions o = QuickLogon();
    o.tlsCaFile = Certificates().CaFile().string();
    return o;
}

// Server options for TLS beside plain with the given certificate.
miravod::ServerOptions TlsOptions(const CertificateFiles& files)
{
    miravod::ServerOptions o;
    o.tlsPort = 0;
    o.tlsCertFile = files.cert.string();
    o.tlsKeyFile = files.key.string();
    o.passwordIterations = 1000;
    return o;
}

bool HasMessageContaining(const std::vector<std::string>& messages, const std::string& part)
{
    for (const auto& m : messages) {
        if (m.find(part) != std::string::npos)
            return true;
    }
    return false;
}

std::string Joined(const std::vector<std::string>& messages)
{
    std::string all;
    for (const auto& m : messages)
        all += m + "\n";
    return all;
}

class TlsLogon : public SessionFixture {
protected:
    void StartWith(const CertificateFiles& files)
    {
        StartServer(TlsOptions(files));
        ASSERT_TRUE(server);
        tlsPort = std::to_string(server->TlsPort());
    }
    LoginChoice TlsChoice(std::string host = "127.0.0.1") const
    {
        LoginChoice c{std::move(host), tlsPort, kDemoUser, kDemoPassword, "", true};
        return c;
    }
    std::string tlsPort;
};

std::string ReadText(Client& client, int32_t text)
{
    TGetTextTrans get(client.Protocol(), text);
    if (!client.Transactions().ExecuteAndWait(get))
        return "<failed>";
    return get.Contents();
}

TEST_F(TlsLogon, LogsOnAndReadsTheSameTextsAsOverPlainTcp)
{
    StartWith(Certificates().Issue("good", "DNS:localhost,IP:127.0.0.1"));
    SessionClient encrypted(TrustingTestCa());
    encrypted.ui.login = TlsChoice();
    ASSERT_TRUE(encrypted.logon.LogOn()) << Joined(encrypted.Messages());
    EXPECT_EQ(encrypted.client.ComThread().Encryption().rfind("TLSv1.", 0), 0u)
        << encrypted.client.ComThread().Encryption();
    EXPECT_TRUE(encrypted.ui.trustAsks.empty()) << "a CA-signed certificate needs no question";

    SessionClient plain;
    ASSERT_TRUE(LogOnDirect(plain));
    EXPECT_EQ(plain.client.ComThread().Encryption(), "");
    for (int32_t text : {1, 2, 3}) {
        const std::string overTls = ReadText(encrypted.client, text);
        EXPECT_EQ(overTls, ReadText(plain.client, text)) << "text " << text;
        EXPECT_NE(overTls, "<failed>");
    }
    // Byte counts are of the protocol, not of the records around it.
    EXPECT_GT(encrypted.client.Counters().bytesReceived.load(), 0u);
}

TEST_F(TlsLogon, AWrongHostNameIsRefusedWithTheReason)
{
    StartWith(Certificates().Issue("elsewhere", "DNS:miravo.elsewhere.example"));
    SessionClient c(TrustingTestCa());
    c.ui.login = TlsChoice("127.0.0.1");
    EXPECT_FALSE(c.logon.LogOn());
    ASSERT_EQ(c.ui.trustAsks.size(), 1u);
    EXPECT_NE(c.ui.trustAsks[0].peer.problem.find("another host"), std::string::npos)
        << c.ui.trustAsks[0].peer.problem;
    EXPECT_NE(c.ui.trustAsks[0].peer.problem.find("127.0.0.1"), std::string::npos);
    EXPECT_TRUE(c.client.ComThread().Idle());
    EXPECT_EQ(c.client.Config().ReadString(ConfigKeys::TlsPinnedCert, ""), "") << "refused: nothing pinned";
}

TEST_F(TlsLogon, AnUnknownSelfSignedCertificateAsksAndTrustingPinsIt)
{
    const CertificateFiles self = Certificates().Issue("self", "IP:127.0.0.1", /*selfSigned=*/true);
    StartWith(self);
    const std::string fingerprint = TestCertificates::Fingerprint(self.cert);

    SessionClient c(TrustingTestCa());
    c.ui.login = TlsChoice();
    c.ui.trustCertificate = {true};
    ASSERT_TRUE(c.logon.LogOn()) << Joined(c.Messages());
    ASSERT_EQ(c.ui.trustAsks.size(), 1u);
    EXPECT_EQ(c.ui.trustAsks[0].peer.fingerprint, fingerprint);
    EXPECT_NE(c.ui.trustAsks[0].peer.problem.find("self-signed"), std::string::npos);
    EXPECT_EQ(c.ui.trustAsks[0].server, "127.0.0.1:" + tlsPort);
    const auto pin = ParseCertificatePin(c.client.Config().ReadString(ConfigKeys::TlsPinnedCert, ""));
    ASSERT_TRUE(pin);
    EXPECT_EQ(pin->fingerprint, fingerprint);
    EXPECT_EQ(pin->server, "127.0.0.1:" + tlsPort);
    c.logon.LogOff();

    // The pin holds: the next logon asks nothing.
    c.ui.login = TlsChoice();
    ASSERT_TRUE(c.logon.LogOn()) << Joined(c.Messages());
    EXPECT_EQ(c.ui.trustAsks.size(), 1u);
}

TEST_F(TlsLogon, DecliningTheQuestionLeavesNoLinkAndNoPin)
{
    StartWith(Certificates().Issue("declined", "IP:127.0.0.1", /*selfSigned=*/true));
    SessionClient c(TrustingTestCa());
    c.ui.login = TlsChoice();
    c.ui.trustCertificate = {false};
    EXPECT_FALSE(c.logon.LogOn());
    EXPECT_EQ(c.ui.trustAsks.size(), 1u);
    EXPECT_TRUE(c.client.ComThread().Idle());
    EXPECT_EQ(c.client.Config().ReadString(ConfigKeys::TlsPinnedCert, ""), "");
}

TEST_F(TlsLogon, AChangedCertificateIsRefusedWithoutAQuestion)
{
    StartWith(Certificates().Issue("replaced", "IP:127.0.0.1", /*selfSigned=*/true));
    SessionClient c(TrustingTestCa());
    // Pinned earlier: another certificate, for this very server.
    const std::string earlier = TestCertificates::Fingerprint(Certificates().Issue("earlier", "IP:127.0.0.1", true).cert);
    c.client.Config().WriteString(ConfigKeys::TlsPinnedCert, FormatCertificatePin({earlier, "127.0.0.1:" + tlsPort}));
    c.ui.login = TlsChoice();
    c.ui.trustCertificate = {true};  // would click through if asked
    EXPECT_FALSE(c.logon.LogOn());
    EXPECT_TRUE(c.ui.trustAsks.empty());
    const auto messages = c.Messages();
    EXPECT_TRUE(HasMessageContaining(messages, "not the one trusted for this profile")) << Joined(messages);
    EXPECT_EQ(ParseCertificatePin(c.client.Config().ReadString(ConfigKeys::TlsPinnedCert, ""))->fingerprint, earlier)
        << "the pin stays as it was";
}

TEST_F(TlsLogon, APinAcceptsItsCertificateEvenWhenTheCaStoreWouldNot)
{
    const CertificateFiles self = Certificates().Issue("pinned", "DNS:other.example", /*selfSigned=*/true);
    StartWith(self);
    SessionClient c(TrustingTestCa());
    c.client.Config().WriteString(ConfigKeys::TlsPinnedCert,
                                  FormatCertificatePin({TestCertificates::Fingerprint(self.cert), "127.0.0.1:" + tlsPort}));
    c.ui.login = TlsChoice();
    ASSERT_TRUE(c.logon.LogOn()) << Joined(c.Messages());
    EXPECT_TRUE(c.ui.trustAsks.empty());
}

TEST_F(TlsLogon, APlainClientOnTheTlsPortFailsClearlyWithinTheLimit)
{
    StartWith(Certificates().Issue("plainclient", "IP:127.0.0.1"));
    SessionClient c(TrustingTestCa());
    c.ui.login = TlsChoice();
    c.ui.login->tls = false;
    const auto start = Clock::now();
    EXPECT_FALSE(c.logon.LogOn());
    EXPECT_LT(Clock::now() - start, 4s) << "must not wait for the greeting timeout";
    const auto messages = c.Messages();
    EXPECT_TRUE(HasMessageContaining(messages, "Encrypted connection (TLS)")) << Joined(messages);
    EXPECT_TRUE(c.client.ComThread().WaitIdle(5000));
}

TEST_F(TlsLogon, ATlsClientOnThePlainPortFailsClearlyWithinTheLimit)
{
    StartWith(Certificates().Issue("tlsclient", "IP:127.0.0.1"));
    SessionClient c(TrustingTestCa());
    c.ui.login = TlsChoice();
    c.ui.login->port = std::to_string(server->Port());
    const auto start = Clock::now();
    EXPECT_FALSE(c.logon.LogOn());
    EXPECT_LT(Clock::now() - start, 4s);
    const auto messages = c.Messages();
    EXPECT_TRUE(HasMessageContaining(messages, "encrypted handshake")) << Joined(messages);
    EXPECT_TRUE(c.client.ComThread().Idle());
}

// A raw TCP peer that connects and sends nothing: the handshake never starts.
int StalledPeer(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

TEST_F(TlsLogon, APeerStalledInTheHandshakeHoldsNobodyUpAndIsDropped)
{
    miravod::ServerOptions options = TlsOptions(Certificates().Issue("stall", "IP:127.0.0.1"));
    // Long enough for a logon under a sanitizer, short for a test.
    options.handshakeTimeoutMs = 2000;
    StartServer(options);
    ASSERT_TRUE(server);
    tlsPort = std::to_string(server->TlsPort());
    const int stalled = StalledPeer(server->TlsPort());
    ASSERT_GE(stalled, 0);

    // Half a ClientHello: the server must not sit in a blocking read.
    const char partial[] = {0x16, 0x03, 0x01, 0x02, 0x00, 0x01};
    ASSERT_EQ(::send(stalled, partial, sizeof partial, 0), static_cast<ssize_t>(sizeof partial));
    SessionClient c(TrustingTestCa());
    c.ui.login = TlsChoice();
    ASSERT_TRUE(c.logon.LogOn()) << Joined(c.Messages());

    // The stalled link is closed once its handshake time is up.
    pollfd p{stalled, POLLIN, 0};
    ASSERT_EQ(::poll(&p, 1, 15000), 1);
    char byte = 0;
    EXPECT_LE(::recv(stalled, &byte, 1, 0), 0);
    ::close(stalled);
}

TEST_F(TlsLogon, LinkLossOverTlsReleasesTheWaitingCaller)
{
    miravod::ServerOptions options = TlsOptions(Certificates().Issue("loss", "IP:127.0.0.1"));
    options.replyDelayMs = 250;
    StartServer(options);
    ASSERT_TRUE(server);
    tlsPort = std::to_string(server->TlsPort());
    SessionClient c(TrustingTestCa());
    c.ui.login = TlsChoice();
    ASSERT_TRUE(c.logon.LogOn()) << Joined(c.Messages());

    std::thread stopper([this] {
        std::this_thread::sleep_for(50ms);
        server->Stop();
    });
    const auto start = Clock::now();
    // The reply is still on its way when the server goes.
    TGetTextTrans get(c.client.Protocol(), 1);
    EXPECT_FALSE(c.client.Transactions().ExecuteAndWait(get));
    stopper.join();
    EXPECT_LT(Clock::now() - start, 5s);
    EXPECT_TRUE(c.client.ComThread().WaitIdle(5000));
    EXPECT_FALSE(c.client.ConnectedEvent().IsSet());
}

} // namespace
} // namespace pellar::test
