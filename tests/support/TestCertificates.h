// Certificates made by the tests themselves: a private CA, server
// certificates it signs and self-signed ones, as PEM files in a temporary
// directory that goes away with the object.
#pragma once

#include <filesystem>
#include <string>

namespace pellar::test {

struct CertificateFiles {
    std::filesystem::path cert;
    std::filesystem::path key;
};

class TestCertificates {
public:
    TestCertificates();
    ~TestCertificates();
    TestCertificates(const TestCertificates&) = delete;
    TestCertificates& operator=(const TestCertificates&) = delete;

    // The CA's certificate: what a client must trust to accept Issue()'s.
    const std::filesystem::path& CaFile() const { return ca_.cert; }
    // A server certificate for altNames ("DNS:localhost,IP:127.0.0.1"),
    // signed by the CA, or by its own key when selfSigned.
    CertificateFiles Issue(const std::string& name, const std::string& altNames, bool selfSigned = false);
    // "AB:CD:..." SHA-256 of a PEM certificate file.
    static std::string Fingerprint(const std::filesystem::path& certFile);

private:
    std::filesystem::path dir_;
    CertificateFiles ca_;
};

} // namespace pellar::test
