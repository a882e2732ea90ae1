// The server's encrypted listener: what it refuses to start with, the demo
// certificate that must outlive a restart (clients pin it), and the file
// modes of what it writes.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <cerrno>
#include <cstring>
#include <string>
#include <thread>
#include <chrono>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <openssl/ssl.h>

#include "server/Server.h"
#include "server/TlsContext.h"
#include "support/TestCertificates.h"

namespace miravod {
namespace {

namespace fs = std::filesystem;

struct ScratchDir {
    ScratchDir()
    {
        std::string pattern = (fs::temp_directory_path() / "miravod-tls-XXXXXX").string();
        path = ::mkdtemp(pattern.data()) ? fs::path(pattern) : fs::path();
    }
    ~ScratchDir()
    {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
    fs::path path;
};

ServerOptions TlsOnly(const fs::path& cert, const fs::path& key)
{
    ServerOptions o;
    o.plain = false;
    o.tlsPort = 0;
    o.tlsCertFile = cert.string();
    o.tlsKeyFile = key.string();
    return o;
}

mode_t ModeOf(const fs::path& p)
{
    struct stat st{};
    ::stat(p.c_str(), &st);
    return st.st_mode & 0777;
}

TEST(TlsServe, StartsOnlyWithACertificateAndItsOwnKey)
{
    pellar::test::TestCertificates certs;
    const auto a = certs.Issue("a", "IP:127.0.0.1");
    const auto b = certs.Issue("b", "IP:127.0.0.1");
    struct Row {
        const char* name;
        fs::path cert, key;
        const char* error;
    };
    const Row rows[] = {
        {"missing certificate", a.cert.string() + ".gone", a.key, "cannot read the certificate"},
        {"missing key", a.cert, a.key.string() + ".gone", "cannot read the key"},
        {"key of another certificate", a.cert, b.key, "does not belong"},
    };
    for (const Row& row : rows) {
        Server server(TlsOnly(row.cert, row.key));
        std::string error;
        EXPECT_FALSE(server.Start(&error)) << row.name;
        EXPECT_NE(error.find(row.error), std::string::npos) << row.name << ": " << error;
    }
    Server good(TlsOnly(a.cert, a.key));
    std::string error;
    ASSERT_TRUE(good.Start(&error)) << error;
    EXPECT_NE(good.TlsPort(), 0);
    EXPECT_EQ(good.Port(), 0) << "no plain listener asked for";
    EXPECT_EQ(good.TlsFingerprint(), pellar::test::TestCertificates::Fingerprint(a.cert));
}

TEST(TlsServe, TheDemoCertificateIsMadeOnceAndKeptPrivate)
{
    ScratchDir dir;
    const fs::path data = dir.path / "data";
    fs::path cert, key;
    std::string error;
    ASSERT_TRUE(EnsureDemoCertificate(data, &cert, &key, &error)) << error;
    EXPECT_EQ(ModeOf(key), 0600u);
    EXPECT_EQ(ModeOf(cert), 0600u);
    const std::string first = pellar::test::TestCertificates::Fingerprint(cert);
    ASSERT_FALSE(first.empty());

    // A restart finds it: the demo profile's pin stays good.
    fs::path cert2, key2;
    ASSERT_TRUE(EnsureDemoCertificate(data, &cert2, &key2, &error)) << error;
    EXPECT_EQ(cert2, cert);
    EXPECT_EQ(pellar::test::TestCertificates::Fingerprint(cert2), first);

    Server server(TlsOnly(cert, key));
    ASSERT_TRUE(server.Start(&error)) << error;
    EXPECT_EQ(server.TlsFingerprint(), first);

    // Another data directory gets a certificate of its own.
    fs::path other, otherKey;
    ASSERT_TRUE(EnsureDemoCertificate(dir.path / "elsewhere", &other, &otherKey, &error)) << error;
    EXPECT_NE(pellar::test::TestCertificates::Fingerprint(other), first);
}

TEST(TlsServe, ADemoCertificateThatCannotBeWrittenIsAnError)
{
    ScratchDir dir;
    fs::path cert, key;
    std::string error;
    // A file where the directory should be: nothing can be made there.
    std::ofstream(dir.path / "blocked") << "x";
    EXPECT_FALSE(EnsureDemoCertificate(dir.path / "blocked", &cert, &key, &error));
    EXPECT_FALSE(error.empty());
}

// Many requests, each in a record of its own, reach the server in one write:
// the server takes several records per read of the socket and must answer
// every one, although no further bytes will wake it for those it holds.
TEST(TlsServe, RequestsThatArriveTogetherAreAllAnswered)
{
    pellar::test::TestCertificates certs;
    const auto files = certs.Issue("burst", "IP:127.0.0.1");
    Server server(TlsOnly(files.cert, files.key));
    std::string error;
    ASSERT_TRUE(server.Start(&error)) << error;

    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(server.TlsPort()));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    timeval limit{10, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    SSL_CTX* ctx = SSL_CTX_new(TLS_client_method());
    SSL* ssl = SSL_new(ctx);
    SSL_set_fd(ssl, fd);
    ASSERT_EQ(SSL_connect(ssl), 1);

    // Read until the wanted number of lines has come, or the socket's time
    // limit ends the wait.
    std::string in;
    auto readLines = [&](size_t lines) {
        char buf[4096];
        size_t n = 0;
        while (static_cast<size_t>(std::count(in.begin(), in.end(), '\n')) < lines &&
               SSL_read_ex(ssl, buf, sizeof buf, &n) == 1)
            in.append(buf, n);
        return static_cast<size_t>(std::count(in.begin(), in.end(), '\n'));
    };
    const std::string hello = "A5Hburst\n";
    size_t n = 0;
    ASSERT_EQ(SSL_write_ex(ssl, hello.data(), hello.size(), &n), 1);
    ASSERT_EQ(readLines(1), 1u) << in;

    // Encrypt the burst into memory and send it with one write.
    BIO* memory = BIO_new(BIO_s_mem());
    SSL_set0_wbio(ssl, memory);
    constexpr int kRequests = 300;
    for (int i = 1; i <= kRequests; ++i) {
        const std::string request = std::to_string(i) + " 35\n";
        ASSERT_EQ(SSL_write_ex(ssl, request.data(), request.size(), &n), 1);
    }
    char* bytes = nullptr;
    const long size = BIO_get_mem_data(memory, &bytes);
    ASSERT_EQ(::send(fd, bytes, static_cast<size_t>(size), MSG_NOSIGNAL), size);

    in.clear();
    EXPECT_EQ(readLines(kRequests), static_cast<size_t>(kRequests)) << "answers stopped after: " << in.substr(0, 200);
    EXPECT_EQ(in.rfind("=300 ", std::string::npos) != std::string::npos, true);
    SSL_free(ssl);
    SSL_CTX_free(ctx);
    ::close(fd);
}

// The server makes a TLS session only once the client's first record is
// whole; until then the bytes wait in the socket. A hello that trickles in
// still completes, and one that ends half-way ends the link at once.
TEST(TlsServe, AHelloThatComesInPiecesCompletesAndAHalfOneThatEndsIsClosed)
{
    pellar::test::TestCertificates certs;
    const auto files = certs.Issue("pieces", "IP:127.0.0.1");
    Server server(TlsOnly(files.cert, files.key));
    std::string error;
    ASSERT_TRUE(server.Start(&error)) << error;
    auto connectTls = [&] {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(static_cast<uint16_t>(server.TlsPort()));
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        EXPECT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
        timeval limit{10, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
        return fd;
    };
    SSL_CTX* ctx = SSL_CTX_new(TLS_client_method());

    // The hello, made in memory.
    SSL* ssl = SSL_new(ctx);
    BIO* rbio = BIO_new(BIO_s_mem());
    BIO* wbio = BIO_new(BIO_s_mem());
    SSL_set_bio(ssl, rbio, wbio);
    ASSERT_NE(SSL_connect(ssl), 1);
    char* bytes = nullptr;
    const long size = BIO_get_mem_data(wbio, &bytes);
    const std::string hello(bytes, static_cast<size_t>(size));
    ASSERT_GT(hello.size(), 40u);

    // Three bytes, half, the rest; then the handshake goes on over the socket.
    const int fd = connectTls();
    for (size_t cut : {size_t{3}, hello.size() / 2, hello.size()}) {
        static size_t sent = 0;
        ASSERT_EQ(::send(fd, hello.data() + sent, cut - sent, MSG_NOSIGNAL), static_cast<ssize_t>(cut - sent));
        sent = cut;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    SSL_set_fd(ssl, fd);
    ASSERT_EQ(SSL_connect(ssl), 1);
    const std::string greeting = "A6Hpieces\n";
    size_t n = 0;
    ASSERT_EQ(SSL_write_ex(ssl, greeting.data(), greeting.size(), &n), 1);
    char buf[64] = {};
    ASSERT_EQ(SSL_read_ex(ssl, buf, sizeof buf - 1, &n), 1);
    EXPECT_EQ(std::string(buf, n), "MIRAVO\n");
    SSL_free(ssl);
    ::close(fd);

    // Half a hello, then the end: the server closes well before its
    // handshake timeout.
    const int half = connectTls();
    ASSERT_EQ(::send(half, hello.data(), hello.size() / 2, MSG_NOSIGNAL), static_cast<ssize_t>(hello.size() / 2));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ::shutdown(half, SHUT_WR);
    const auto start = std::chrono::steady_clock::now();
    // Closed with the half hello unread, the link may end in a reset.
    const ssize_t got = ::recv(half, buf, sizeof buf, 0);
    EXPECT_TRUE(got == 0 || (got < 0 && errno == ECONNRESET)) << got << " " << std::strerror(errno);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    ::close(half);
    SSL_CTX_free(ctx);
}

} // namespace
} // namespace miravod
