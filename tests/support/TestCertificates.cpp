#include "support/TestCertificates.h"

#include <cstdio>
#include <memory>
#include <random>
#include <stdexcept>
#include <system_error>

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509v3.h>

namespace pellar::test {

namespace {

struct PkeyFree {
    void operator()(EVP_PKEY* p) const { EVP_PKEY_free(p); }
};
struct X509Free {
    void operator()(X509* p) const { X509_free(p); }
};
using Key = std::unique_ptr<EVP_PKEY, PkeyFree>;
using Cert = std::unique_ptr<X509, X509Free>;

void AddExtension(X509* cert, X509* issuer, int nid, const std::string& value)
{
    X509V3_CTX ctx;
    X509V3_set_ctx_nodb(&ctx);
    X509V3_set_ctx(&ctx, issuer, cert, nullptr, nullptr, 0);
    X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value.c_str());
    if (!ext)
        throw std::runtime_error("bad extension " + value);
    X509_add_ext(cert, ext, -1);
    X509_EXTENSION_free(ext);
}

Cert MakeCert(const std::string& commonName, EVP_PKEY* key, X509* issuer)
{
    static std::mt19937_64 serials{std::random_device{}()};
    Cert cert(X509_new());
    X509* x = cert.get();
    X509_set_version(x, 2);
    ASN1_INTEGER_set_int64(X509_get_serialNumber(x), static_cast<int64_t>(serials() >> 2));
    X509_gmtime_adj(X509_getm_notBefore(x), -3600);
    X509_gmtime_adj(X509_getm_notAfter(x), 7 * 24 * 3600);
    X509_set_pubkey(x, key);
    X509_NAME_add_entry_by_txt(X509_get_subject_name(x), "CN", MBSTRING_UTF8,
                               reinterpret_cast<const unsigned char*>(commonName.c_str()), -1, -1, 0);
    X509_set_issuer_name(x, X509_get_subject_name(issuer ? issuer : x));
    return cert;
}

void Write(const std::filesystem::path& path, X509* cert)
{
    std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(path.c_str(), "w"), &std::fclose);
    if (!f || PEM_write_X509(f.get(), cert) != 1)
        throw std::runtime_error("cannot write " + path.string());
}

void Write(const std::filesystem::path& path, EVP_PKEY* key)
{
    std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(path.c_str(), "w"), &std::fclose);
    if (!f || PEM_write_PrivateKey(f.get(), key, nullptr, nullptr, 0, nullptr, nullptr) != 1)
        throw std::runtime_error("cannot write " + path.string());
}

} // namespace

TestCertificates::TestCertificates()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "pellar-certs-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    dir_ = pattern;
    Key key(EVP_EC_gen("P-256"));
    Cert ca = MakeCert("Pellar test CA", key.get(), nullptr);
    AddExtension(ca.get(), ca.get(), NID_basic_constraints, "critical,CA:TRUE");
    AddExtension(ca.get(), ca.get(), NID_key_usage, "critical,keyCertSign,cRLSign");
    AddExtension(ca.get(), ca.get(), NID_subject_key_identifier, "hash");
    X509_sign(ca.get(), key.get(), EVP_sha256());
    ca_ = {dir_ / "ca-cert.pem", dir_ / "ca-key.pem"};
    Write(ca_.cert, ca.get());
    Write(ca_.key, key.get());
}

TestCertificates::~TestCertificates()
{
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
}

CertificateFiles TestCertificates::Issue(const std::string& name, const std::string& altNames, bool selfSigned)
{
    Key key(EVP_EC_gen("P-256"));
    Key caKey;
    Cert caCert;
    if (!selfSigned) {
        std::unique_ptr<FILE, int (*)(FILE*)> kf(std::fopen(ca_.key.c_str(), "r"), &std::fclose);
        std::unique_ptr<FILE, int (*)(FILE*)> cf(std::fopen(ca_.cert.c_str(), "r"), &std::fclose);
        if (!kf || !cf)
            throw std::runtime_error("cannot read the test CA");
        caKey.reset(PEM_read_PrivateKey(kf.get(), nullptr, nullptr, nullptr));
        caCert.reset(PEM_read_X509(cf.get(), nullptr, nullptr, nullptr));
    }
    X509* issuer = selfSigned ? nullptr : caCert.get();
    Cert cert = MakeCert(name, key.get(), issuer);
    X509* signer = issuer ? issuer : cert.get();
    AddExtension(cert.get(), signer, NID_subject_alt_name, altNames);
    AddExtension(cert.get(), signer, NID_basic_constraints, "critical,CA:FALSE");
    AddExtension(cert.get(), signer, NID_ext_key_usage, "serverAuth");
    if (!selfSigned)
        AddExtension(cert.get(), signer, NID_authority_key_identifier, "keyid:always");
    X509_sign(cert.get(), selfSigned ? key.get() : caKey.get(), EVP_sha256());
    CertificateFiles files{dir_ / (name + "-cert.pem"), dir_ / (name + "-key.pem")};
    Write(files.cert, cert.get());
    Write(files.key, key.get());
    return files;
}

std::string TestCertificates::Fingerprint(const std::filesystem::path& certFile)
{
    std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(certFile.c_str(), "r"), &std::fclose);
    if (!f)
        return {};
    Cert cert(PEM_read_X509(f.get(), nullptr, nullptr, nullptr));
    unsigned char md[EVP_MAX_MD_SIZE];
    unsigned len = 0;
    X509_digest(cert.get(), EVP_sha256(), md, &len);
    std::string out;
    char byte[4];
    for (unsigned i = 0; i < len; ++i) {
        std::snprintf(byte, sizeof byte, i ? ":%02X" : "%02X", md[i]);
        out += byte;
    }
    return out;
}

} // namespace pellar::test
