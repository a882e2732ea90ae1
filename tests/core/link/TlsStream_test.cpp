// The encrypted stream after its handshake, against a TLS server the test
// drives itself through OpenSSL: what miravod never does (key updates, a
// renegotiation request, close_notify with the socket left open, a reader
// that stops reading) and large writes while another thread reads.
#include "core/link/TlsStream.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <string>
#include <thread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <openssl/err.h>
#include <openssl/ssl.h>

#include "core/link/Sockets.h"
#include "core/link/TMVCommunicationThread.h"
#include "support/ClientHarness.h"
#include "support/TestCertificates.h"

namespace pellar {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

test::TestCertificates& Certificates()
{
    static test::TestCertificates certs;
    return certs;
}

// One connection's TLS server on a loopback port. Serve accepts on a thread
// of its own, runs the handshake on a blocking socket and then the test's
// script; the socket stays open until the object goes.
class TlsTestServer {
public:
    explicit TlsTestServer(int maxVersion)
    {
        static const test::CertificateFiles files = Certificates().Issue("stream", "IP:127.0.0.1");
        ctx_ = SSL_CTX_new(TLS_server_method());
        SSL_CTX_set_min_proto_version(ctx_, TLS1_2_VERSION);
        SSL_CTX_set_max_proto_version(ctx_, maxVersion);
        EXPECT_EQ(SSL_CTX_use_certificate_chain_file(ctx_, files.cert.c_str()), 1);
        EXPECT_EQ(SSL_CTX_use_PrivateKey_file(ctx_, files.key.c_str(), SSL_FILETYPE_PEM), 1);
        listen_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        ::bind(listen_, reinterpret_cast<sockaddr*>(&a), len);
        ::listen(listen_, 1);
        ::getsockname(listen_, reinterpret_cast<sockaddr*>(&a), &len);
        port_ = ntohs(a.sin_port);
    }
    ~TlsTestServer()
    {
        release_.set_value();
        if (thread_.joinable())
            thread_.join();
        SSL_free(ssl_);
        if (fd_ >= 0)
            ::close(fd_);
        ::close(listen_);
        SSL_CTX_free(ctx_);
    }

    std::string PortText() const { return std::to_string(port_); }

    // script runs once the handshake is done; true when it passed.
    void Serve(std::function<bool(SSL*)> script)
    {
        thread_ = std::thread([this, script = std::move(script)] {
            fd_ = ::accept(listen_, nullptr, nullptr);
            // Nothing the script waits for may hang the test.
            timeval limit{5, 0};
            ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
            ::setsockopt(fd_, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
            ssl_ = SSL_new(ctx_);
            SSL_set_fd(ssl_, fd_);
            SSL_set_msg_callback(ssl_, &TlsTestServer::Message);
            SSL_set_msg_callback_arg(ssl_, this);
            const bool ok = SSL_accept(ssl_) == 1 && script(ssl_);
            done_.set_value(ok);
            release_future_.wait();
        });
    }
    // The script's outcome; false when it did not end within the time.
    bool Passed()
    {
        auto f = done_.get_future();
        return f.wait_for(10s) == std::future_status::ready && f.get();
    }
    // The client sent a key update (its answer to the server's request).
    bool ClientUpdatedItsKeys() const { return clientKeyUpdate_.load(); }

private:
    static void Message(int write, int, int contentType, const void* buf, size_t len, SSL*, void* arg)
    {
        const auto* bytes = static_cast<const unsigned char*>(buf);
        if (!write && contentType == SSL3_RT_HANDSHAKE && len > 0 && bytes[0] == SSL3_MT_KEY_UPDATE)
            static_cast<TlsTestServer*>(arg)->clientKeyUpdate_ = true;
    }

    SSL_CTX* ctx_ = nullptr;
    SSL* ssl_ = nullptr;
    int listen_ = -1;
    int fd_ = -1;
    uint16_t port_ = 0;
    std::thread thread_;
    std::promise<bool> done_;
    std::promise<void> release_;
    std::shared_future<void> release_future_ = release_.get_future().share();
    std::atomic<bool> clientKeyUpdate_{false};
};

// Blocking helpers for the server's scripts.
bool ServerWrite(SSL* ssl, const std::string& s)
{
    size_t n = 0;
    return s.empty() || (SSL_write_ex(ssl, s.data(), s.size(), &n) == 1 && n == s.size());
}

bool ServerReadLine(SSL* ssl, std::string& line)
{
    line.clear();
    char c = 0;
    size_t n = 0;
    while (SSL_read_ex(ssl, &c, 1, &n) == 1) {
        line += c;
        if (c == '\n')
            return true;
    }
    return false;
}

TlsSettings TrustTestCa()
{
    TlsSettings t;
    t.enabled = true;
    t.caFile = Certificates().CaFile().string();
    return t;
}

// The client's end: a connected socket and its session.
struct ClientEnd {
    explicit ClientEnd(const TlsTestServer& server)
    {
        SocketConnect(fd, "127.0.0.1", server.PortText());
        stream = TlsStream::Handshake(fd, "127.0.0.1", TrustTestCa(), 5000, -1);
    }
    ~ClientEnd()
    {
        stream.reset();
        SocketClose(fd);
    }
    void WaitFor(short events) const
    {
        pollfd p{fd, events, 0};
        ::poll(&p, 1, 100);
    }
    // Reads until want bytes came or the stream ends; the outcome that
    // ended it (Done once want bytes came).
    TlsIo ReadAtLeast(std::string& got, size_t want)
    {
        const auto deadline = Clock::now() + 10s;
        while (got.size() < want && Clock::now() < deadline) {
            char buf[16384];
            size_t n = 0;
            const TlsIo io = stream->Read(buf, sizeof buf, n);
            if (io == TlsIo::Done)
                got.append(buf, n);
            else if (io == TlsIo::WantRead || io == TlsIo::WantWrite)
                WaitFor(io == TlsIo::WantRead ? POLLIN : POLLOUT);
            else
                return io;
        }
        return got.size() >= want ? TlsIo::Done : TlsIo::WantRead;
    }
    // Writes all of data and sends what waits; false when the stream failed.
    bool WriteAll(const std::string& data)
    {
        const auto deadline = Clock::now() + 20s;
        size_t sent = 0;
        while ((sent < data.size() || stream->HasUnsent()) && Clock::now() < deadline) {
            size_t n = 0;
            const TlsIo io = sent < data.size() ? stream->Write(data.data() + sent, data.size() - sent, n)
                                                : stream->Flush();
            sent += n;
            if (io == TlsIo::WantRead || io == TlsIo::WantWrite)
                WaitFor(io == TlsIo::WantRead ? POLLIN : POLLOUT);
            else if (io != TlsIo::Done)
                return false;
        }
        return sent == data.size() && !stream->HasUnsent();
    }

    int fd = -1;
    std::unique_ptr<TlsStream> stream;
};

std::string Pattern(size_t size)
{
    std::string s(size, '\0');
    // No line feed: a reader may take one for the end.
    for (size_t i = 0; i < size; ++i)
        s[i] = static_cast<char>(11 + (i * 7 + i / 4099) % 240);
    return s;
}

class TlsStreamIo : public ::testing::TestWithParam<int> {};

INSTANTIATE_TEST_SUITE_P(Versions, TlsStreamIo, ::testing::Values(TLS1_2_VERSION, TLS1_3_VERSION),
                         [](const auto& info) { return info.param == TLS1_3_VERSION ? "Tls13" : "Tls12"; });

TEST_P(TlsStreamIo, ALargeWriteArrivesWholeAndInOrderWhileAnotherThreadReadsTheEcho)
{
    // More than the socket buffers on both sides hold: the writer can only
    // finish while the reader takes the echo, both in the session at once.
    constexpr size_t kBytes = 12u << 20;
    TlsTestServer server(GetParam());
    server.Serve([](SSL* ssl) {
        std::string buf(65536, '\0');
        for (size_t echoed = 0; echoed < kBytes;) {
            size_t n = 0;
            if (SSL_read_ex(ssl, buf.data(), buf.size(), &n) != 1 || !ServerWrite(ssl, buf.substr(0, n)))
                return false;
            echoed += n;
        }
        return true;
    });
    ClientEnd client(server);
    const std::string data = Pattern(kBytes);
    std::atomic<bool> wrote{false};
    std::thread writer([&] { wrote = client.WriteAll(data); });
    std::string echo;
    EXPECT_EQ(client.ReadAtLeast(echo, kBytes), TlsIo::Done);
    writer.join();
    EXPECT_TRUE(wrote.load());
    ASSERT_EQ(echo.size(), data.size());
    EXPECT_TRUE(echo == data) << "first difference at byte "
                              << std::mismatch(echo.begin(), echo.end(), data.begin()).first - echo.begin();
    EXPECT_TRUE(server.Passed());
}

TEST_P(TlsStreamIo, AWriteTheSocketHasNoRoomForKeepsItsTailAndTakesNothingMoreUntilItIsSent)
{
    std::promise<void> startReading;
    auto start = startReading.get_future();
    std::atomic<size_t> serverGot{0};
    std::string received;
    TlsTestServer server(GetParam());
    server.Serve([&](SSL* ssl) {
        start.wait();
        std::string buf(65536, '\0');
        for (;;) {
            size_t n = 0;
            if (SSL_read_ex(ssl, buf.data(), buf.size(), &n) != 1)
                return false;
            received.append(buf, 0, n);
            if (received.back() == '\n')
                return true;
        }
    });
    ClientEnd client(server);
    const std::string data = Pattern(32u << 20);
    size_t taken = 0;
    bool sawTail = false;
    TlsIo io = TlsIo::Done;
    // The server reads nothing yet: the socket fills up.
    while (taken < data.size()) {
        size_t n = 0;
        io = client.stream->Write(data.data() + taken, data.size() - taken, n);
        if (io != TlsIo::Done) {
            EXPECT_EQ(n, 0u) << "a write that took nothing reported bytes";
            break;
        }
        EXPECT_GT(n, 0u);
        taken += n;
        sawTail = sawTail || client.stream->HasUnsent();
    }
    ASSERT_EQ(io, TlsIo::WantWrite) << "32 MB fitted into the socket";
    EXPECT_TRUE(sawTail);
    EXPECT_TRUE(client.stream->HasUnsent());
    size_t n = 1;
    EXPECT_EQ(client.stream->Write(data.data() + taken, 1, n), TlsIo::WantWrite);
    EXPECT_EQ(n, 0u);
    startReading.set_value();
    // Exactly what was taken arrives, then the line's end.
    ASSERT_TRUE(client.WriteAll("\n"));
    ASSERT_TRUE(server.Passed());
    ASSERT_EQ(received.size(), taken + 1);
    EXPECT_TRUE(received.compare(0, taken, data, 0, taken) == 0);
}

TEST_P(TlsStreamIo, WhatCameBeforeCloseNotifyIsReadAndThenTheStreamIsClosed)
{
    TlsTestServer server(GetParam());
    server.Serve([](SSL* ssl) {
        // The socket stays open: only the session says it is over.
        return ServerWrite(ssl, "last words\n") && SSL_shutdown(ssl) >= 0;
    });
    ClientEnd client(server);
    ASSERT_TRUE(server.Passed());
    std::string got;
    EXPECT_EQ(client.ReadAtLeast(got, 11), TlsIo::Done);
    EXPECT_EQ(got, "last words\n");
    EXPECT_EQ(client.ReadAtLeast(got, 12), TlsIo::Closed);
    EXPECT_FALSE(client.stream->HasBuffered());
}

TEST(TlsStreamIo13, AKeyUpdateThePeerAsksForIsAnsweredAndTheNewKeysAreUsed)
{
    TlsTestServer server(TLS1_3_VERSION);
    std::string line;
    server.Serve([&](SSL* ssl) {
        return SSL_key_update(ssl, SSL_KEY_UPDATE_REQUESTED) == 1 && ServerWrite(ssl, "after the update\n") &&
               ServerReadLine(ssl, line);
    });
    ClientEnd client(server);
    std::string got;
    ASSERT_EQ(client.ReadAtLeast(got, 17), TlsIo::Done);
    EXPECT_EQ(got, "after the update\n");
    // The session answers with the next record it writes, never from the
    // reader's side.
    ASSERT_TRUE(client.WriteAll("next\n"));
    EXPECT_TRUE(server.Passed());
    EXPECT_TRUE(server.ClientUpdatedItsKeys());
    EXPECT_EQ(line, "next\n");
}

TEST(TlsStreamIo12, ARenegotiationThePeerAsksForIsRefusedAndTheDataBehindItArrives)
{
    TlsTestServer server(TLS1_2_VERSION);
    unsigned long refusal = 0;
    server.Serve([&](SSL* ssl) {
        if (SSL_renegotiate(ssl) != 1 || SSL_do_handshake(ssl) != 1 || !ServerWrite(ssl, "still here\n"))
            return false;
        // The client's refusal (a warning) ends the server's read.
        char c = 0;
        size_t n = 0;
        const bool read = SSL_read_ex(ssl, &c, 1, &n) == 1;
        refusal = ERR_GET_REASON(ERR_peek_error());
        ERR_clear_error();
        return !read;
    });
    ClientEnd client(server);
    std::string got;
    ASSERT_EQ(client.ReadAtLeast(got, 11), TlsIo::Done);
    EXPECT_EQ(got, "still here\n");
    EXPECT_TRUE(client.stream->HasUnsent());
    EXPECT_EQ(client.stream->Flush(), TlsIo::Done);
    EXPECT_TRUE(server.Passed());
    EXPECT_EQ(refusal, static_cast<unsigned long>(SSL_R_NO_RENEGOTIATION));
}

// A client linked through its communication thread to server, greeted.
void Link(test::ClientHarness& h, TlsTestServer& server)
{
    h.client.ComThread().Connect("127.0.0.1", server.PortText(), {}, 5000, nullptr, TrustTestCa());
    ASSERT_EQ(h.client.ConnectedEvent().WaitFor(5000), WaitResult::Signaled);
}

TEST(TlsLinkThread, ARefusedRenegotiationReachesThePeerWithoutARequestToCarryIt)
{
    TlsTestServer server(TLS1_2_VERSION);
    std::string hello;
    unsigned long refusal = 0;
    server.Serve([&](SSL* ssl) {
        if (!ServerReadLine(ssl, hello) || !ServerWrite(ssl, "MIRAVO\n") || SSL_renegotiate(ssl) != 1 ||
            SSL_do_handshake(ssl) != 1)
            return false;
        char c = 0;
        size_t n = 0;
        const bool read = SSL_read_ex(ssl, &c, 1, &n) == 1;
        refusal = ERR_GET_REASON(ERR_peek_error());
        ERR_clear_error();
        return !read;
    });
    test::ClientHarness h;
    Link(h, server);
    // The receive thread made the refusal; the communication thread sends
    // it when woken, not when its idle wait of a second runs out.
    const auto greeted = Clock::now();
    EXPECT_TRUE(server.Passed());
    EXPECT_LT(Clock::now() - greeted, 800ms) << "the refusal waited for the thread's idle wait";
    EXPECT_EQ(refusal, static_cast<unsigned long>(SSL_R_NO_RENEGOTIATION));
    EXPECT_EQ(hello, test::HandshakeLine());
}

TEST(TlsLinkThread, AfterAKeyUpdateThePeerAskedForRequestsGoOutUnderTheNewKeys)
{
    TlsTestServer server(TLS1_3_VERSION);
    std::string hello, request;
    server.Serve([&](SSL* ssl) {
        return ServerReadLine(ssl, hello) && ServerWrite(ssl, "MIRAVO\n") &&
               SSL_key_update(ssl, SSL_KEY_UPDATE_REQUESTED) == 1 && SSL_do_handshake(ssl) == 1 &&
               ServerWrite(ssl, "after the update\n") && ServerReadLine(ssl, request);
    });
    test::ClientHarness h;
    Link(h, server);
    // Once the line behind the update was read, the session has taken it in.
    ASSERT_TRUE(test::WaitUntil([&] { return h.client.Counters().bytesReceived.load() >= 24; }));
    h.client.ComThread().Send("1 35\n");
    EXPECT_TRUE(server.Passed());
    EXPECT_TRUE(server.ClientUpdatedItsKeys());
    EXPECT_EQ(request, "1 35\n");
}

TEST(TlsLinkThread, ALineLargerThanTheSocketHoldsArrivesWholeWhileRepliesComeBack)
{
    // The caller's write leaves most of the line to the thread, whose
    // writes keep ending on a full socket, while the receive thread reads
    // what the server sends back meanwhile.
    const std::string line = "1 " + Pattern(8u << 20) + "\n";
    std::string hello, got;
    TlsTestServer server(TLS1_3_VERSION);
    server.Serve([&](SSL* ssl) {
        if (!ServerReadLine(ssl, hello) || !ServerWrite(ssl, "MIRAVO\n"))
            return false;
        std::string buf(16384, '\0');
        while (got.size() < line.size()) {
            size_t n = 0;
            if (SSL_read_ex(ssl, buf.data(), buf.size(), &n) != 1 || !ServerWrite(ssl, "still reading\n"))
                return false;
            got.append(buf, 0, n);
        }
        return true;
    });
    test::ClientHarness h;
    Link(h, server);
    h.client.ComThread().Send(line);
    ASSERT_TRUE(server.Passed());
    ASSERT_EQ(got.size(), line.size());
    EXPECT_TRUE(got == line) << "first difference at byte "
                             << std::mismatch(got.begin(), got.end(), line.begin()).first - got.begin();
    EXPECT_TRUE(test::WaitUntil([&] { return h.client.Counters().bytesReceived.load() > 7 + 14 * 100; }));
}

} // namespace
} // namespace pellar
