#include "core/link/TlsStream.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include "core/link/Sockets.h"

namespace pellar {

namespace {

struct CtxFree {
    void operator()(SSL_CTX* p) const { SSL_CTX_free(p); }
};
struct SslFree {
    void operator()(SSL* p) const { SSL_free(p); }
};
struct X509Free {
    void operator()(X509* p) const { X509_free(p); }
};

std::string HexFingerprint(const unsigned char* md, unsigned len)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned i = 0; i < len; ++i) {
        if (i)
            out += ':';
        out += kHex[md[i] >> 4];
        out += kHex[md[i] & 15];
    }
    return out;
}

// The reason a user can act on, in words rather than library codes.
std::string VerifyProblem(long result, const std::string& host)
{
    switch (result) {
    case X509_V_OK:
        return {};
    case X509_V_ERR_HOSTNAME_MISMATCH:
    case X509_V_ERR_IP_ADDRESS_MISMATCH:
        return "the certificate was issued for another host, not for \"" + host + "\"";
    case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
        return "the certificate is self-signed";
    case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
    case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
        return "the certificate was issued by an authority this system does not trust";
    case X509_V_ERR_CERT_HAS_EXPIRED:
        return "the certificate has expired";
    case X509_V_ERR_CERT_NOT_YET_VALID:
        return "the certificate is not valid yet";
    default:
        return std::string("the certificate failed the check (") + X509_verify_cert_error_string(result) + ")";
    }
}

// The system's CA store. Its hashed directory is read lazily, one file per
// issuer a chain needs; the bundle file would be parsed whole on every
// connect, which takes hundreds of milliseconds. The bundle stands in where
// no hashed directory exists, and the usual environment overrides apply.
void LoadSystemTrust(SSL_CTX* ctx)
{
    const char* fileEnv = std::getenv(X509_get_default_cert_file_env());
    const char* dirEnv = std::getenv(X509_get_default_cert_dir_env());
    if (fileEnv && *fileEnv)
        SSL_CTX_load_verify_file(ctx, fileEnv);
    const std::string dir = dirEnv && *dirEnv ? dirEnv : X509_get_default_cert_dir();
    std::error_code ec;
    const bool hashed = std::filesystem::is_directory(dir, ec) && !std::filesystem::is_empty(dir, ec);
    if (hashed)
        SSL_CTX_load_verify_dir(ctx, dir.c_str());
    else if (!(fileEnv && *fileEnv))
        SSL_CTX_load_verify_file(ctx, X509_get_default_cert_file());
    ERR_clear_error();
}

std::string LastSslError()
{
    const unsigned long e = ERR_get_error();
    ERR_clear_error();
    if (e == 0)
        return {};
    const char* reason = ERR_reason_error_string(e);
    return reason ? reason : "error " + std::to_string(e);
}

[[noreturn]] void HandshakeFailed(int sslError, int savedErrno)
{
    std::string detail = LastSslError();
    // A reset is what a plain server does to bytes it cannot read: it says
    // more about the port than about the network.
    if (sslError == SSL_ERROR_SYSCALL && savedErrno != 0 && savedErrno != ECONNRESET && savedErrno != EPIPE)
        throw TWinsockException(WinsockCodeFromErrno(savedErrno));
    if (sslError == SSL_ERROR_SYSCALL || sslError == SSL_ERROR_ZERO_RETURN || detail.empty())
        throw TTlsError("The server closed the connection during the encrypted handshake. "
                        "Does this port serve encrypted (TLS) connections?");
    throw TTlsError("The encrypted handshake failed (" + detail +
                    "). Does this port serve encrypted (TLS) connections?");
}

// Ciphertext taken from the socket per receive: two full records.
constexpr size_t kCipherChunk = 2 * (16384 + 256);
// Plaintext encrypted per Write: bounds what waits in the stream when the
// socket is full to about this much.
constexpr size_t kPlainPerWrite = 65536;
// Receives per Read while the session still wants the rest of a record; then
// the reader waits in poll like for any other bytes.
constexpr int kReceivesPerRead = 8;

// What the session reads and writes after the handshake, in place of the
// socket: the ciphertext the reader received, and what the session made to be
// sent. Touched by the session under the stream's lock; the reader fills in
// only once the session took all of it.
struct SessionBuffers {
    std::unique_ptr<char[]> in;
    size_t inPos = 0;
    size_t inEnd = 0;
    std::string out;
};

int BufferRead(BIO* bio, char* data, size_t size, size_t* got)
{
    auto* b = static_cast<SessionBuffers*>(BIO_get_data(bio));
    BIO_clear_retry_flags(bio);
    *got = std::min(size, b->inEnd - b->inPos);
    if (*got == 0) {
        BIO_set_retry_read(bio);
        return 0;
    }
    std::memcpy(data, b->in.get() + b->inPos, *got);
    b->inPos += *got;
    return 1;
}

int BufferWrite(BIO* bio, const char* data, size_t size, size_t* put)
{
    auto* b = static_cast<SessionBuffers*>(BIO_get_data(bio));
    BIO_clear_retry_flags(bio);
    b->out.append(data, size);
    *put = size;
    return 1;
}

long BufferCtrl(BIO*, int cmd, long, void*)
{
    return cmd == BIO_CTRL_FLUSH ? 1 : 0;
}

int BufferCreate(BIO* bio)
{
    BIO_set_init(bio, 1);
    return 1;
}

// The buffers belong to the stream; the method lives as long as the program.
const BIO_METHOD* BufferMethod()
{
    static BIO_METHOD* const method = [] {
        BIO_METHOD* m = BIO_meth_new(BIO_get_new_index() | BIO_TYPE_SOURCE_SINK, "session buffer");
        if (m) {
            BIO_meth_set_read_ex(m, BufferRead);
            BIO_meth_set_write_ex(m, BufferWrite);
            BIO_meth_set_ctrl(m, BufferCtrl);
            BIO_meth_set_create(m, BufferCreate);
        }
        return m;
    }();
    return method;
}

} // namespace

struct TlsStream::Handles {
    std::shared_ptr<TlsClientContext> context;
    // Declared before the session, which holds BIOs pointing into it.
    SessionBuffers buffers;
    std::unique_ptr<SSL, SslFree> ssl;
};

std::shared_ptr<TlsClientContext> TlsClientContext::Make(const std::string& caFile)
{
    std::unique_ptr<SSL_CTX, CtxFree> ctx(SSL_CTX_new(TLS_client_method()));
    if (!ctx)
        throw TTlsError("Cannot set up encryption: " + LastSslError());
    SSL_CTX* raw = ctx.get();
    SSL_CTX_set_min_proto_version(raw, TLS1_2_VERSION);
    // Renegotiation would let a write need a read that the receive thread
    // takes first; the protocol never needs it.
    SSL_CTX_set_options(raw, SSL_OP_NO_RENEGOTIATION);
    SSL_CTX_set_mode(raw, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
    // One read of the socket per wake-up, not one for each record's header
    // and another for its body; what it takes beyond a record waits in the
    // session (see HasBuffered).
    SSL_CTX_set_read_ahead(raw, 1);
    // Verification is judged after the handshake so that the user can be
    // told why it failed and shown the fingerprint.
    SSL_CTX_set_verify(raw, SSL_VERIFY_NONE, nullptr);
    if (!caFile.empty() && SSL_CTX_load_verify_locations(raw, caFile.c_str(), nullptr) != 1)
        throw TTlsError("Cannot read the trusted certificates in " + caFile + ": " + LastSslError());
    return std::shared_ptr<TlsClientContext>(new TlsClientContext(ctx.release(), caFile));
}

TlsClientContext::~TlsClientContext()
{
    SSL_CTX_free(ctx_);
}

void TlsClientContext::TrustSystemStore()
{
    std::call_once(systemOnce_, [this] {
        LoadSystemTrust(ctx_);
        systemTrusted_ = true;
    });
}

TTlsUntrusted::TTlsUntrusted(TlsPeer peer, bool pinMismatch)
    : TTlsError(pinMismatch
                    ? "The server's certificate is not the one trusted for this profile. It may have been "
                      "replaced, or someone may be listening in. Its SHA-256 fingerprint is " +
                          peer.fingerprint +
                          ". If the server's owner confirms the change, forget the trusted certificate in "
                          "the profile's connection settings and connect again."
                    : "The server's certificate is not trusted: " + peer.problem + ". Its SHA-256 fingerprint is " +
                          peer.fingerprint + "."),
      peer_(std::move(peer)),
      pinMismatch_(pinMismatch)
{
}

void CheckTrust(const TlsPeer& peer, const std::string& pinnedFingerprint)
{
    const std::string pin = NormalizeFingerprint(pinnedFingerprint);
    if (!pinnedFingerprint.empty()) {
        if (pin.empty() || pin != peer.fingerprint)
            throw TTlsUntrusted(peer, true);
        return;
    }
    if (!peer.problem.empty())
        throw TTlsUntrusted(peer, false);
}

std::string NormalizeFingerprint(const std::string& text)
{
    std::string hex;
    for (const char c : text) {
        if (c == ':' || c == ' ' || c == '\t')
            continue;
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return {};
        hex += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    if (hex.size() != 64)
        return {};
    std::string out;
    for (size_t i = 0; i < hex.size(); i += 2) {
        if (i)
            out += ':';
        out.append(hex, i, 2);
    }
    return out;
}

TlsStream::TlsStream(std::unique_ptr<Handles> handles) : h_(std::move(handles)) {}

TlsStream::~TlsStream() = default;

std::unique_ptr<TlsStream> TlsStream::Handshake(int fd, const std::string& host, const TlsSettings& settings,
                                                int timeoutMs, int cancelFd)
{
    auto context = TlsClientContext::Make(settings.caFile);
    if (settings.pinnedFingerprint.empty())
        context->TrustSystemStore();
    return Handshake(fd, host, std::move(context), timeoutMs, cancelFd);
}

const std::shared_ptr<TlsClientContext>& TlsStream::Context() const
{
    return h_->context;
}

std::unique_ptr<TlsStream> TlsStream::Handshake(int fd, const std::string& host,
                                                std::shared_ptr<TlsClientContext> context, int timeoutMs,
                                                int cancelFd)
{
    auto h = std::make_unique<Handles>();
    h->context = std::move(context);
    SSL_CTX* ctx = h->context->ctx_;
    h->ssl.reset(SSL_new(ctx));
    SSL* ssl = h->ssl.get();
    if (!ssl || SSL_set_fd(ssl, fd) != 1)
        throw TTlsError("Cannot set up encryption: " + LastSslError());
    in6_addr probe{};
    const bool numeric = inet_pton(AF_INET, host.c_str(), &probe) == 1 || inet_pton(AF_INET6, host.c_str(), &probe) == 1;
    X509_VERIFY_PARAM* param = SSL_get0_param(ssl);
    if (numeric) {
        X509_VERIFY_PARAM_set1_ip_asc(param, host.c_str());
    } else {
        X509_VERIFY_PARAM_set_hostflags(param, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
        X509_VERIFY_PARAM_set1_host(param, host.c_str(), host.size());
        SSL_set_tlsext_host_name(ssl, host.c_str());
    }

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        ERR_clear_error();
        errno = 0;
        const int r = SSL_connect(ssl);
        if (r == 1)
            break;
        const int err = SSL_get_error(ssl, r);
        const int savedErrno = errno;
        if (err != SSL_ERROR_WANT_READ && err != SSL_ERROR_WANT_WRITE)
            HandshakeFailed(err, savedErrno);
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0)
            throw TWinsockException(10060);
        pollfd p[2] = {{fd, static_cast<short>(err == SSL_ERROR_WANT_READ ? POLLIN : POLLOUT), 0},
                       {cancelFd, POLLIN, 0}};
        const int n = ::poll(p, cancelFd < 0 ? 1 : 2, static_cast<int>(left));
        if (n < 0 && errno != EINTR)
            throw TWinsockException(WinsockCodeFromErrno(errno));
        if (n > 0 && (p[1].revents & POLLIN))
            throw TConnectCancelled();
    }

    TlsPeer peer;
    std::unique_ptr<X509, X509Free> cert(SSL_get1_peer_certificate(ssl));
    if (!cert)
        throw TTlsError("The server showed no certificate.");
    unsigned char md[EVP_MAX_MD_SIZE];
    unsigned mdLen = 0;
    X509_digest(cert.get(), EVP_sha256(), md, &mdLen);
    peer.fingerprint = HexFingerprint(md, mdLen);
    char subject[512] = {};
    X509_NAME_oneline(X509_get_subject_name(cert.get()), subject, sizeof subject);
    peer.subject = subject;
    peer.problem = VerifyProblem(SSL_get_verify_result(ssl), host);
    peer.protocol = SSL_get_version(ssl);
    peer.cipher = SSL_get_cipher_name(ssl);

    // From here on the session sees the stream's buffers only; the socket is
    // read and written by Read and Write themselves, outside its lock. Bytes
    // the handshake read ahead stay inside the session.
    const BIO_METHOD* method = BufferMethod();
    BIO* in = method ? BIO_new(method) : nullptr;
    BIO* out = method ? BIO_new(method) : nullptr;
    if (!in || !out) {
        BIO_free(in);
        BIO_free(out);
        throw TTlsError("Cannot set up encryption: " + LastSslError());
    }
    h->buffers.in = std::make_unique<char[]>(kCipherChunk);
    BIO_set_data(in, &h->buffers);
    BIO_set_data(out, &h->buffers);
    SSL_set_bio(ssl, in, out);

    std::unique_ptr<TlsStream> stream(new TlsStream(std::move(h)));
    stream->fd_ = fd;
    // A server may have sent more right behind its last handshake message.
    stream->buffered_ = SSL_has_pending(ssl) == 1;
    stream->peer_ = std::move(peer);
    return stream;
}

TlsIo TlsStream::Classify(int result)
{
    switch (SSL_get_error(h_->ssl.get(), result)) {
    case SSL_ERROR_WANT_READ:
        return TlsIo::WantRead;
    case SSL_ERROR_WANT_WRITE:
        return TlsIo::WantWrite;
    case SSL_ERROR_ZERO_RETURN:
        return TlsIo::Closed;
    case SSL_ERROR_SYSCALL:
        // EOF without a close_notify, or a broken socket: the link is gone
        // either way; a retry would never succeed.
        return TlsIo::Closed;
    default:
        return TlsIo::Failed;
    }
}

void TlsStream::TakeOutputLocked()
{
    readerMadeOutput_.store(false, std::memory_order_relaxed);
    std::string& made = h_->buffers.out;
    if (made.empty())
        return;
    if (outSent_ == out_.size()) {
        // The usual case: nothing waits, so the two buffers trade places.
        out_.clear();
        outSent_ = 0;
        out_.swap(made);
    } else {
        out_ += made;
        made.clear();
    }
    outWaiting_.store(true, std::memory_order_relaxed);
}

TlsIo TlsStream::SendOutLocked()
{
    while (outSent_ < out_.size()) {
        const ssize_t r = ::send(fd_, out_.data() + outSent_, out_.size() - outSent_, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (r < 0) {
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK)
                return TlsIo::WantWrite;
            return TlsIo::Closed;
        }
        outSent_ += static_cast<size_t>(r);
    }
    out_.clear();
    outSent_ = 0;
    outWaiting_.store(false, std::memory_order_relaxed);
    return TlsIo::Done;
}

TlsIo TlsStream::Write(const char* data, size_t size, size_t& n)
{
    n = 0;
    std::lock_guard outLock(outMutex_);
    if (readerMadeOutput_.load(std::memory_order_relaxed)) {
        // What the session answered the peer goes ahead of what follows.
        std::lock_guard lock(mutex_);
        TakeOutputLocked();
    }
    TlsIo io = SendOutLocked();
    if (io != TlsIo::Done || size == 0)
        return io;
    int r = 0;
    {
        std::lock_guard lock(mutex_);
        ERR_clear_error();
        errno = 0;
        size_t taken = 0;
        r = SSL_write_ex(h_->ssl.get(), data, std::min(size, kPlainPerWrite), &taken);
        if (r == 1) {
            n = taken;
        } else {
            io = Classify(r);
            ERR_clear_error();
        }
        // An alert on failure goes out too.
        TakeOutputLocked();
    }
    const TlsIo sent = SendOutLocked();
    if (r != 1)
        return io;
    // Taken and encrypted: a tail the socket had no room for waits here.
    return sent == TlsIo::WantWrite ? TlsIo::Done : sent;
}

TlsIo TlsStream::Flush()
{
    std::lock_guard outLock(outMutex_);
    if (readerMadeOutput_.load(std::memory_order_relaxed)) {
        std::lock_guard lock(mutex_);
        TakeOutputLocked();
    }
    return SendOutLocked();
}

TlsIo TlsStream::Decrypt(char* buf, size_t size, size_t& n)
{
    SSL* ssl = h_->ssl.get();
    ERR_clear_error();
    errno = 0;
    const int r = SSL_read_ex(ssl, buf, size, &n);
    // Still under the lock, while the session cannot change.
    const SessionBuffers& b = h_->buffers;
    buffered_.store(SSL_has_pending(ssl) == 1 || b.inPos < b.inEnd, std::memory_order_relaxed);
    // Reading may make the session answer (a refused renegotiation, an
    // alert): a writer or Flush sends it.
    if (!b.out.empty())
        readerMadeOutput_.store(true, std::memory_order_relaxed);
    if (r == 1)
        return TlsIo::Done;
    n = 0;
    const TlsIo io = Classify(r);
    ERR_clear_error();
    return io;
}

TlsIo TlsStream::Read(char* buf, size_t size, size_t& n)
{
    n = 0;
    if (buffered_.load(std::memory_order_relaxed)) {
        std::lock_guard lock(mutex_);
        const TlsIo io = Decrypt(buf, size, n);
        if (io != TlsIo::WantRead)
            return io;
    }
    // The session wants more: it took everything received so far, so the
    // buffer is the reader's until the lock is taken again.
    SessionBuffers& b = h_->buffers;
    for (int i = 0; i < kReceivesPerRead; ++i) {
        const ssize_t got = ::recv(fd_, b.in.get(), kCipherChunk, MSG_DONTWAIT);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK)
                return TlsIo::WantRead;
            return TlsIo::Closed;
        }
        // The end of the stream without a close_notify: nothing more can
        // complete a record, and the link is gone either way.
        if (got == 0)
            return TlsIo::Closed;
        std::lock_guard lock(mutex_);
        b.inPos = 0;
        b.inEnd = static_cast<size_t>(got);
        const TlsIo io = Decrypt(buf, size, n);
        if (io != TlsIo::WantRead)
            return io;
    }
    return TlsIo::WantRead;
}

bool TlsStream::HasBuffered() const
{
    return buffered_.load(std::memory_order_relaxed);
}

bool TlsStream::HasUnsent() const
{
    return outWaiting_.load(std::memory_order_relaxed) || readerMadeOutput_.load(std::memory_order_relaxed);
}

} // namespace pellar
