// The encrypted link below the protocol: host-name checks of the handshake,
// the proxy tunnel before it, what crosses the wire, stalls and cancels
// during it, and many requests from several threads over one session.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "core/config/ConfigKeys.h"
#include "core/link/ConnectAttempt.h"
#include "core/link/MVRequests.h"
#include "core/sync/TSyncronizer.h"
#include "core/link/Sockets.h"
#include "support/SessionFixture.h"
#include "support/ScriptedPeer.h"
#include "support/ScriptedWaits.h"
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

// One server for the program: TLS beside plain, a certificate from the test
// CA for localhost and 127.0.0.1.
miravod::Server& TlsServer()
{
    static std::unique_ptr<miravod::Server> server = [] {
        const CertificateFiles files = Certificates().Issue("link", "DNS:localhost,IP:127.0.0.1");
        miravod::ServerOptions o;
        o.demo = true;
        o.demoCompanion = false;
        o.tlsPort = 0;
        o.tlsCertFile = files.cert.string();
        o.tlsKeyFile = files.key.string();
        o.passwordIterations = 1000;
        auto s = std::make_unique<miravod::Server>(o);
        std::string error;
        EXPECT_TRUE(s->Start(&error)) << error;
        return s;
    }();
    return *server;
}

TlsSettings TrustTestCa()
{
    TlsSettings t;
    t.enabled = true;
    t.caFile = Certificates().CaFile().string();
    return t;
}

int ConnectLoopback(int port)
{
    int s = -1;
    SocketConnect(s, "127.0.0.1", std::to_string(port));
    return s;
}

TEST(TlsHandshake, TheCertificateMustNameTheHostAskedFor)
{
    const int port = TlsServer().TlsPort();
    struct Row {
        const char* host;
        bool accepted;
    };
    for (const Row row : {Row{"localhost", true}, Row{"127.0.0.1", true}, Row{"LOCALHOST", true},
                          Row{"miravo.example.org", false}, Row{"127.0.0.2", false}}) {
        SCOPED_TRACE(row.host);
        int s = ConnectLoopback(port);
        auto stream = TlsStream::Handshake(s, row.host, TrustTestCa(), 5000, -1);
        EXPECT_EQ(stream->Peer().problem.empty(), row.accepted) << stream->Peer().problem;
        if (!row.accepted) {
            EXPECT_NE(stream->Peer().problem.find(row.host), std::string::npos);
        }
        EXPECT_EQ(stream->Peer().fingerprint, TlsServer().TlsFingerprint());
        stream.reset();
        SocketClose(s);
    }
}

TEST(TlsHandshake, WithoutTheCaTheSameCertificateIsNotTrusted)
{
    int s = ConnectLoopback(TlsServer().TlsPort());
    TlsSettings systemOnly;
    systemOnly.enabled = true;
    auto stream = TlsStream::Handshake(s, "localhost", systemOnly, 5000, -1);
    EXPECT_NE(stream->Peer().problem.find("authority this system does not trust"), std::string::npos)
        << stream->Peer().problem;
    stream.reset();
    SocketClose(s);
}

TEST(TlsHandshake, APeerThatNeverAnswersRunsIntoTheTimeLimit)
{
    ScriptedPeer silent;
    Client client(QuietClientOptions());
    std::thread accepter([&] { EXPECT_TRUE(silent.accept()); });
    const auto start = Clock::now();
    try {
        client.ComThread().Connect("127.0.0.1", silent.portText(), {}, 300, nullptr, TrustTestCa());
        ADD_FAILURE() << "connected to a peer without TLS";
    } catch (const TWinsockException& e) {
        EXPECT_EQ(e.Code(), 10060);
    }
    EXPECT_LT(Clock::now() - start, 3s);
    accepter.join();
    EXPECT_TRUE(client.ComThread().Idle());
}

TEST(TlsHandshake, CancellingDuringTheHandshakeReleasesTheCallerAtOnce)
{
    ScriptedPeer silent;
    Client client(QuietClientOptions());
    std::thread accepter([&] { EXPECT_TRUE(silent.accept()); });
    CancelAfterWait impatient(150);
    const auto start = Clock::now();
    EXPECT_THROW(client.ComThread().Connect("127.0.0.1", silent.portText(), {}, 30000, &impatient, TrustTestCa()),
                 TConnectCancelled);
    EXPECT_LT(Clock::now() - start, 2s);
    EXPECT_EQ(impatient.Cancelled(), 1);
    ASSERT_EQ(impatient.Shown().size(), 1u);
    EXPECT_NE(impatient.Shown()[0].find("encrypted"), std::string::npos);
    accepter.join();
}

// One connect attempt to the TLS port, its session handed back.
std::unique_ptr<TlsStream> AttemptTls(const TlsSettings& tls, std::shared_ptr<TlsClientContext> context = nullptr)
{
    ConnectAttempt attempt;
    ConnectTarget target;
    target.host = "127.0.0.1";
    target.service = std::to_string(TlsServer().TlsPort());
    target.certificateHost = "127.0.0.1";
    target.tls = tls;
    target.tlsContext = std::move(context);
    attempt.Run(target, 5000);
    int s = -1;
    std::unique_ptr<TlsStream> stream;
    attempt.Take(s, stream);
    SocketClose(s);
    return stream;
}

TEST(TlsTrustStore, APinnedCertificateNeverReadsTheSystemStoreAndAnUnpinnedOneDoes)
{
    TlsSettings pinned = TrustTestCa();  // the same anchors: its context may serve both
    pinned.pinnedFingerprint = TlsServer().TlsFingerprint();
    const auto first = AttemptTls(pinned);
    ASSERT_TRUE(first);
    EXPECT_FALSE(first->Context()->TrustsSystemStore());
    // The same context serves the next link; one without a pin needs the
    // store, and its chain is judged by it (the test CA is in the file).
    const auto again = AttemptTls(pinned, first->Context());
    EXPECT_FALSE(again->Context()->TrustsSystemStore());
    const auto unpinned = AttemptTls(TrustTestCa(), first->Context());
    EXPECT_TRUE(unpinned->Context()->TrustsSystemStore());
    EXPECT_EQ(unpinned->Peer().problem, "");
    const auto fresh = AttemptTls(TrustTestCa());
    EXPECT_TRUE(fresh->Context()->TrustsSystemStore());
}

// A web proxy that answers CONNECT as told and then relays both ways.
class TunnelProxy {
public:
    TunnelProxy(int targetPort, std::string answer) : targetPort_(targetPort), answer_(std::move(answer))
    {
        thread_ = std::thread([this] { Run(); });
    }
    ~TunnelProxy()
    {
        stop_ = true;
        thread_.join();
    }
    std::string PortText() const { return peer_.portText(); }
    std::string Request()
    {
        std::lock_guard lock(mutex_);
        return request_;
    }
    // Bytes the client sent after the CONNECT request.
    std::string Relayed()
    {
        std::lock_guard lock(mutex_);
        return relayed_;
    }

private:
    void Run()
    {
        if (!peer_.accept(5000))
            return;
        const std::string request = peer_.receiveUntil("\r\n\r\n");
        {
            std::lock_guard lock(mutex_);
            request_ = request;
        }
        peer_.send(answer_);
        if (answer_.find(" 200 ") == std::string::npos)
            return;
        // From here on the peer's socket is relayed by hand.
        int target = ConnectLoopback(targetPort_);
        while (!stop_) {
            std::string fromClient = peer_.receiveCount(1 << 16, 20);
            if (!fromClient.empty()) {
                {
                    std::lock_guard lock(mutex_);
                    relayed_ += fromClient;
                }
                [[maybe_unused]] ssize_t n = ::send(target, fromClient.data(), fromClient.size(), MSG_NOSIGNAL);
            }
            char buf[65536];
            const ssize_t got = ::recv(target, buf, sizeof buf, MSG_DONTWAIT);
            if (got > 0)
                peer_.send(std::string_view(buf, static_cast<size_t>(got)));
        }
        SocketClose(target);
    }

    ScriptedPeer peer_;
    int targetPort_;
    std::string answer_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::string request_;
    std::string relayed_;
    std::thread thread_;
};

TEST(TlsThroughProxy, TheTunnelOpensFirstAndOnlyCiphertextFollows)
{
    TunnelProxy proxy(TlsServer().TlsPort(), "HTTP/1.0 200 Connection established\r\n\r\n");
    SessionClient c;
    c.client.Config().WriteFlag(ConfigKeys::UseProxy, true);
    c.client.Config().WriteString(ConfigKeys::ProxyServer, "127.0.0.1");
    c.client.Config().WriteString(ConfigKeys::ProxyPort, proxy.PortText());
    LogonOptions options = QuickLogon();
    options.tlsCaFile = Certificates().CaFile().string();
    Logon logon(c.client, c.ui, c.commands, options);
    // The certificate is checked against the server's name, not the proxy's.
    c.ui.login = LoginChoice{"localhost", std::to_string(TlsServer().TlsPort()), kDemoUser, kDemoPassword, "", true};
    ASSERT_TRUE(logon.LogOn());
    EXPECT_EQ(proxy.Request(), "CONNECT localhost:" + std::to_string(TlsServer().TlsPort()) + " HTTP/1.0\r\n\r\n");
    const std::string wire = proxy.Relayed();
    ASSERT_FALSE(wire.empty());
    EXPECT_EQ(wire[0], '\x16') << "a TLS record, not the handshake line";
    EXPECT_EQ(wire.find(kDemoPassword), std::string::npos);
    EXPECT_EQ(wire.find(kDemoUser), std::string::npos);
    logon.LogOff();
}

TEST(TlsThroughProxy, AProxyThatRefusesIsReportedWithItsAnswer)
{
    TunnelProxy proxy(TlsServer().TlsPort(), "HTTP/1.0 403 Forbidden\r\n\r\n");
    Client client(QuietClientOptions());
    ProxySettings settings{true, "127.0.0.1", proxy.PortText()};
    try {
        client.ComThread().Connect("localhost", "4896", settings, 5000, nullptr, TrustTestCa());
        ADD_FAILURE() << "connected through a refusing proxy";
    } catch (const TTlsError& e) {
        EXPECT_NE(std::string(e.what()).find("403 Forbidden"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("localhost:4896"), std::string::npos) << e.what();
    }
}

class TlsWire : public SessionFixture {};

TEST_F(TlsWire, NothingOfTheSessionCrossesTheWireInClearAndACutIsALinkLoss)
{
    relay = std::make_unique<LoopbackRelay>(static_cast<uint16_t>(TlsServer().TlsPort()));
    LogonOptions options = QuickLogon();
    options.tlsCaFile = Certificates().CaFile().string();
    SessionClient c(options);
    c.ui.login = LoginChoice{"127.0.0.1", relay->portText(), kDemoUser, kDemoPassword, "", true};
    ASSERT_TRUE(c.logon.LogOn());
    std::string wire;
    for (const auto& line : relay->SentLines())
        wire += line;
    EXPECT_EQ(wire.find(kDemoPassword), std::string::npos);
    EXPECT_EQ(wire.find(HandshakeLine()), std::string::npos) << "the handshake line readable on the wire";
    EXPECT_EQ(wire.find("Pellar"), std::string::npos) << "the client name readable on the wire";

    relay->Cut();
    EXPECT_TRUE(c.client.ComThread().WaitIdle(5000));
    TGetTextTrans get(c.client.Protocol(), 1);
    EXPECT_FALSE(c.client.Transactions().ExecuteAndWait(get));
}

// Reads through the session until want bytes came; false when it failed.
bool ReadAtLeast(int fd, TlsStream& stream, std::string& got, size_t want, size_t chunk)
{
    const auto deadline = Clock::now() + 5s;
    while (got.size() < want && Clock::now() < deadline) {
        char buf[64];
        size_t n = 0;
        const TlsIo io = stream.Read(buf, std::min(chunk, sizeof buf), n);
        if (io == TlsIo::Done) {
            got.append(buf, n);
            continue;
        }
        if (io != TlsIo::WantRead && io != TlsIo::WantWrite)
            return false;
        pollfd p{fd, static_cast<short>(io == TlsIo::WantRead ? POLLIN : POLLOUT), 0};
        ::poll(&p, 1, 100);
    }
    return got.size() >= want;
}

TEST(TlsSession, WhatAReadLeftInTheSessionIsReportedUntilItIsTaken)
{
    // poll never sees bytes the session holds already: the reader relies on
    // HasBuffered, which must say what the last Read left behind.
    int s = ConnectLoopback(TlsServer().TlsPort());
    auto stream = TlsStream::Handshake(s, "localhost", TrustTestCa(), 5000, -1);
    EXPECT_FALSE(stream->HasBuffered());
    const std::string hello = "A3Hbob\n";
    size_t n = 0;
    ASSERT_EQ(stream->Write(hello.data(), hello.size(), n), TlsIo::Done);
    ASSERT_EQ(n, hello.size());
    std::string got;
    ASSERT_TRUE(ReadAtLeast(s, *stream, got, 2, 2));
    EXPECT_EQ(got, "MI");
    EXPECT_TRUE(stream->HasBuffered()) << "the rest of the greeting is in the session";
    ASSERT_TRUE(ReadAtLeast(s, *stream, got, 7, 64));
    EXPECT_EQ(got, "MIRAVO\n");
    EXPECT_FALSE(stream->HasBuffered());
    stream.reset();
    SocketClose(s);
}

TEST(TlsSession, ManyRequestsFromSeveralThreadsShareOneSession)
{
    Client client(QuietClientOptions());
    client.ComThread().Connect("127.0.0.1", std::to_string(TlsServer().TlsPort()), {}, 5000, nullptr, TrustTestCa());
    ASSERT_EQ(client.ConnectedEvent().WaitFor(5000), WaitResult::Signaled);
    constexpr int kThreads = 4;
    constexpr int kEach = 150;
    std::atomic<int> ok{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&] {
            // Bursts: most lines queue for the thread, some go out directly.
            std::vector<std::unique_ptr<TGenericTrans>> batch;
            auto sync = std::make_shared<TSyncronizer>();
            std::vector<int32_t> ids;
            for (int i = 0; i < kEach; ++i) {
                // Every other one finds the demo person: a reply given to
                // the wrong request shows.
                const std::string name = i % 2 ? "Demo User" : "Nobody at all";
                batch.push_back(std::make_unique<TGenericTrans>(
                    client.Protocol(), "Look up", requests::LookupName(name, true, true)));
                sync->Acquire();
                client.Transactions().Execute(*batch.back(), sync);
                ids.push_back(batch.back()->Id());
            }
            client.Transactions().WaitFor(sync, ids, "look-ups");
            // Every reply where it belongs: " 0 *" for nobody, one match
            // for the demo person.
            for (size_t i = 0; i < batch.size(); ++i) {
                const bool found = batch[i]->ReplyLine().find("Demo User") != std::string::npos;
                ok += batch[i]->Success() && found == (i % 2 == 1);
            }
        });
    }
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(ok.load(), kThreads * kEach);
    client.ComThread().SetLinkDown(true);
    EXPECT_TRUE(client.ComThread().WaitIdle(5000));
}

} // namespace
} // namespace pellar::test
