#include "server/TlsContext.h"

#include <cerrno>
#include <cstdio>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

namespace miravod {

namespace {

struct PkeyFree {
    void operator()(EVP_PKEY* p) const { EVP_PKEY_free(p); }
};
struct X509Free {
    void operator()(X509* p) const { X509_free(p); }
};
struct FileClose {
    void operator()(FILE* f) const { std::fclose(f); }
};

std::string SslError()
{
    const unsigned long e = ERR_get_error();
    ERR_clear_error();
    if (e == 0) return "unknown error";
    char buf[256];
    ERR_error_string_n(e, buf, sizeof buf);
    return buf;
}

bool Fail(std::string* error, const std::string& what)
{
    if (error) *error = what;
    return false;
}

std::string Sha256Fingerprint(X509* cert)
{
    unsigned char md[EVP_MAX_MD_SIZE];
    unsigned len = 0;
    X509_digest(cert, EVP_sha256(), md, &len);
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned i = 0; i < len; ++i) {
        if (i) out += ':';
        out += kHex[md[i] >> 4];
        out += kHex[md[i] & 15];
    }
    return out;
}

// Opened for writing with the given mode from the start, so that a key is
// never readable by others, not even for a moment.
std::unique_ptr<FILE, FileClose> CreatePrivate(const std::filesystem::path& path, mode_t mode)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
    if (fd < 0) return nullptr;
    ::fchmod(fd, mode);
    FILE* f = ::fdopen(fd, "w");
    if (!f) ::close(fd);
    return std::unique_ptr<FILE, FileClose>(f);
}

} // namespace

TlsContext::~TlsContext()
{
    SSL_CTX_free(ctx_);
}

std::unique_ptr<TlsContext> TlsContext::Load(const std::string& certFile, const std::string& keyFile,
                                             std::string* error)
{
    SSL_CTX* raw = SSL_CTX_new(TLS_server_method());
    if (!raw) {
        Fail(error, "TLS: " + SslError());
        return nullptr;
    }
    std::unique_ptr<TlsContext> ctx(new TlsContext(raw));
    SSL_CTX_set_min_proto_version(raw, TLS1_2_VERSION);
    // A client may not renegotiate: each one would cost a handshake on the
    // one loop thread, for nothing the protocol needs.
    SSL_CTX_set_options(raw, SSL_OP_NO_RENEGOTIATION | SSL_OP_CIPHER_SERVER_PREFERENCE);
    // An idle session gives its read and write buffers back (some 35 KB a
    // link with read-ahead), so thousands of quiet links cost little.
    SSL_CTX_set_mode(raw, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER |
                              SSL_MODE_RELEASE_BUFFERS);
    // One read of the socket per request rather than one for the record's
    // header and another for its body. What it takes beyond a record waits in
    // the session, where epoll cannot see it (see Buffered).
    SSL_CTX_set_read_ahead(raw, 1);
    // AES-128 first: as strong as the protocol needs, and each small record
    // costs less than with the larger key.
    SSL_CTX_set_ciphersuites(raw, "TLS_AES_128_GCM_SHA256:TLS_AES_256_GCM_SHA384:TLS_CHACHA20_POLY1305_SHA256");
    // Clients do not resume sessions; tickets would only cost a write.
    SSL_CTX_set_num_tickets(raw, 0);
    SSL_CTX_set_session_cache_mode(raw, SSL_SESS_CACHE_OFF);
    if (SSL_CTX_use_certificate_chain_file(raw, certFile.c_str()) != 1) {
        Fail(error, "cannot read the certificate " + certFile + ": " + SslError());
        return nullptr;
    }
    if (SSL_CTX_use_PrivateKey_file(raw, keyFile.c_str(), SSL_FILETYPE_PEM) != 1) {
        // The library checks the pair as it reads the key; say which it was.
        const bool mismatch = ERR_GET_REASON(ERR_peek_last_error()) == X509_R_KEY_VALUES_MISMATCH;
        Fail(error, mismatch ? "the key " + keyFile + " does not belong to the certificate " + certFile
                             : "cannot read the key " + keyFile + ": " + SslError());
        ERR_clear_error();
        return nullptr;
    }
    if (SSL_CTX_check_private_key(raw) != 1) {
        Fail(error, "the key " + keyFile + " does not belong to the certificate " + certFile);
        return nullptr;
    }
    ctx->fingerprint_ = Sha256Fingerprint(SSL_CTX_get0_certificate(raw));
    return ctx;
}

bool WriteSelfSignedCertificate(const std::filesystem::path& certFile, const std::filesystem::path& keyFile,
                                const std::string& commonName, const std::string& altNames, int days,
                                std::string* error)
{
    std::unique_ptr<EVP_PKEY, PkeyFree> key(EVP_EC_gen("P-256"));
    std::unique_ptr<X509, X509Free> cert(X509_new());
    if (!key || !cert) return Fail(error, "cannot make a key: " + SslError());
    X509* x = cert.get();
    X509_set_version(x, 2);
    // A random serial: a client that saw an earlier demo certificate must
    // not mistake this one for it.
    unsigned char serial[16];
    std::FILE* rnd = std::fopen("/dev/urandom", "rb");
    const bool gotRandom = rnd && std::fread(serial, 1, sizeof serial, rnd) == sizeof serial;
    if (rnd) std::fclose(rnd);
    if (!gotRandom) return Fail(error, "cannot read /dev/urandom");
    serial[0] &= 0x7f;
    BIGNUM* bn = BN_bin2bn(serial, sizeof serial, nullptr);
    BN_to_ASN1_INTEGER(bn, X509_get_serialNumber(x));
    BN_free(bn);
    X509_gmtime_adj(X509_getm_notBefore(x), -3600);
    X509_gmtime_adj(X509_getm_notAfter(x), static_cast<long>(days) * 24 * 3600);
    X509_set_pubkey(x, key.get());
    X509_NAME* name = X509_get_subject_name(x);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_UTF8, reinterpret_cast<const unsigned char*>(commonName.c_str()),
                               -1, -1, 0);
    X509_set_issuer_name(x, name);
    X509V3_CTX v3;
    X509V3_set_ctx_nodb(&v3);
    X509V3_set_ctx(&v3, x, x, nullptr, nullptr, 0);
    for (const auto& [nid, value] : {std::pair{NID_subject_alt_name, altNames},
                                     std::pair{NID_basic_constraints, std::string("critical,CA:FALSE")},
                                     std::pair{NID_ext_key_usage, std::string("serverAuth")}}) {
        X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, &v3, nid, value.c_str());
        if (!ext) return Fail(error, "bad certificate extension " + value + ": " + SslError());
        X509_add_ext(x, ext, -1);
        X509_EXTENSION_free(ext);
    }
    if (X509_sign(x, key.get(), EVP_sha256()) == 0) return Fail(error, "cannot sign: " + SslError());

    auto keyOut = CreatePrivate(keyFile, 0600);
    if (!keyOut || PEM_write_PrivateKey(keyOut.get(), key.get(), nullptr, nullptr, 0, nullptr, nullptr) != 1)
        return Fail(error, "cannot write " + keyFile.string());
    keyOut.reset();
    // Public by nature, yet private like every file written here.
    auto certOut = CreatePrivate(certFile, 0600);
    if (!certOut || PEM_write_X509(certOut.get(), x) != 1) return Fail(error, "cannot write " + certFile.string());
    return true;
}

bool EnsureDemoCertificate(const std::filesystem::path& dir, std::filesystem::path* certFile,
                           std::filesystem::path* keyFile, std::string* error)
{
    const auto cert = dir / "demo-cert.pem";
    const auto key = dir / "demo-key.pem";
    *certFile = cert;
    *keyFile = key;
    std::error_code ec;
    if (std::filesystem::exists(cert, ec) && std::filesystem::exists(key, ec)) return true;
    std::filesystem::create_directories(dir, ec);
    if (ec) return Fail(error, "cannot create " + dir.string() + ": " + ec.message());
    return WriteSelfSignedCertificate(cert, key, "Miravo demo server", "DNS:localhost,IP:127.0.0.1,IP:::1",
                                      3650, error);
}

TlsSession::TlsSession(SSL_CTX* ctx, int fd) : ssl_(SSL_new(ctx))
{
    if (ssl_ && SSL_set_fd(ssl_, fd) != 1) {
        SSL_free(ssl_);
        ssl_ = nullptr;
    }
    if (ssl_) SSL_set_accept_state(ssl_);
}

TlsSession::~TlsSession()
{
    SSL_free(ssl_);
}

TlsSession::Io TlsSession::Classify(int result) const
{
    switch (SSL_get_error(ssl_, result)) {
    case SSL_ERROR_WANT_READ: return Io::WantRead;
    case SSL_ERROR_WANT_WRITE: return Io::WantWrite;
    case SSL_ERROR_ZERO_RETURN: return Io::Ended;
    default: return Io::Closed;
    }
}

TlsSession::Io TlsSession::Accept()
{
    if (established_) return Io::Done;
    ERR_clear_error();
    const int r = SSL_do_handshake(ssl_);
    if (r == 1) {
        established_ = true;
        return Io::Done;
    }
    const Io io = Classify(r);
    ERR_clear_error();
    return io;
}

TlsSession::Io TlsSession::Read(char* buf, size_t size, size_t& n)
{
    n = 0;
    ERR_clear_error();
    const int r = SSL_read_ex(ssl_, buf, size, &n);
    if (r == 1) return Io::Done;
    n = 0;
    const Io io = Classify(r);
    ERR_clear_error();
    return io;
}

TlsSession::Io TlsSession::Write(const char* data, size_t size, size_t& n)
{
    n = 0;
    ERR_clear_error();
    const int r = SSL_write_ex(ssl_, data, size, &n);
    if (r == 1) return Io::Done;
    n = 0;
    const Io io = Classify(r);
    ERR_clear_error();
    return io;
}

bool TlsSession::Buffered() const
{
    return SSL_has_pending(ssl_) == 1;
}

} // namespace miravod
