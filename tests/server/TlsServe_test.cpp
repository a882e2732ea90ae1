// The server's encrypted listener: what it refuses to start with, the demo
// certificate that must outlive a restart (clients pin it), and the file
// modes of what it writes.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <sys/stat.h>

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

} // namespace
} // namespace miravod
