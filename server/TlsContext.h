// The server's side of the encrypted link: the certificate and key it shows
// (read from files, or a self-signed pair it makes for the demo), and one
// non-blocking TLS session per client link that the epoll loop drives.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

typedef struct ssl_ctx_st SSL_CTX;
typedef struct ssl_st SSL;

namespace miravod {

class TlsContext {
public:
    ~TlsContext();
    TlsContext(const TlsContext&) = delete;
    TlsContext& operator=(const TlsContext&) = delete;

    // Reads a PEM certificate (chain) and its private key; null with error
    // set when they cannot be read or do not belong together.
    static std::unique_ptr<TlsContext> Load(const std::string& certFile, const std::string& keyFile,
                                            std::string* error);
    SSL_CTX* Get() const { return ctx_; }
    // SHA-256 of the certificate, "AB:CD:...": what a client pins.
    const std::string& Fingerprint() const { return fingerprint_; }

private:
    explicit TlsContext(SSL_CTX* ctx) : ctx_(ctx) {}
    SSL_CTX* ctx_;
    std::string fingerprint_;
};

// Makes a self-signed certificate for 127.0.0.1 and localhost in dir
// (demo-cert.pem, demo-key.pem, the key private to the user) unless both
// files are there already. False with error set on failure.
bool EnsureDemoCertificate(const std::filesystem::path& dir, std::filesystem::path* certFile,
                           std::filesystem::path* keyFile, std::string* error);

// Writes a new self-signed certificate and key, valid for days, for the
// given host names and addresses (subjectAltName entries such as
// "DNS:localhost,IP:127.0.0.1"). Tests and the demo use it.
bool WriteSelfSignedCertificate(const std::filesystem::path& certFile, const std::filesystem::path& keyFile,
                                const std::string& commonName, const std::string& altNames, int days,
                                std::string* error);

class TlsSession {
public:
    // Ended: the peer said it sends no more (it may still read).
    enum class Io { Done, WantRead, WantWrite, Closed, Ended };

    TlsSession(SSL_CTX* ctx, int fd);
    ~TlsSession();
    TlsSession(const TlsSession&) = delete;
    TlsSession& operator=(const TlsSession&) = delete;

    bool Valid() const { return ssl_ != nullptr; }
    bool Established() const { return established_; }
    // One step of the handshake; Done once it is complete.
    Io Accept();
    Io Read(char* buf, size_t size, size_t& n);
    // Partial writes allowed; after WantWrite offer the same bytes again.
    Io Write(const char* data, size_t size, size_t& n);
    // Decrypted bytes the socket no longer shows.
    bool Buffered() const;

private:
    Io Classify(int result) const;

    SSL* ssl_;
    bool established_ = false;
};

} // namespace miravod
