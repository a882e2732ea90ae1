// The encrypted link under the protocol: a client TLS session over a
// connected non-blocking socket. The handshake runs once on the connecting
// thread, on the socket itself; afterwards the session works on memory
// buffers only, so that its lock covers encrypting and decrypting and never
// a system call: a writer sends its ciphertext and the reader receives the
// peer's outside it, and neither waits for the other's trip to the kernel.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>

typedef struct ssl_ctx_st SSL_CTX;

namespace pellar {

// What a profile asks of the link's encryption.
struct TlsSettings {
    bool enabled = false;
    // The SHA-256 fingerprint the user trusted for this profile ("AB:CD:..."),
    // empty when none is pinned. A pinned profile accepts that certificate
    // only, whatever the CA store says.
    std::string pinnedFingerprint;
    // Trust anchors beside the system store (a private CA); empty for none.
    std::string caFile;
};

// What the handshake learned about the server's certificate.
struct TlsPeer {
    std::string fingerprint;  // SHA-256 of the DER form, "AB:CD:..."
    std::string subject;      // one line, for the user
    std::string problem;      // why the CA store or the host name check failed; empty when both passed
    std::string protocol;     // "TLSv1.3"
    std::string cipher;
};

// The encrypted handshake failed, or the server answered without TLS.
class TTlsError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The certificate is not accepted as it stands. pinMismatch: the profile
// pinned another certificate, and nothing may be offered on the spot;
// otherwise the user may look at the fingerprint and trust it.
class TTlsUntrusted : public TTlsError {
public:
    TTlsUntrusted(TlsPeer peer, bool pinMismatch);
    const TlsPeer& Peer() const { return peer_; }
    bool PinMismatch() const { return pinMismatch_; }

private:
    TlsPeer peer_;
    bool pinMismatch_;
};

// Accepts the peer or raises TTlsUntrusted: a pin decides alone; without
// one the CA store and the host name do.
void CheckTrust(const TlsPeer& peer, const std::string& pinnedFingerprint);

// A fingerprint as the user types or pastes it: case, blanks and colons do
// not matter. Empty when it is not 32 bytes of hex.
std::string NormalizeFingerprint(const std::string& text);

enum class TlsIo { Done, WantRead, WantWrite, Closed, Failed };

// The client's TLS settings and trust anchors, made once and shared by the
// links that follow: reading a CA bundle costs far more than a handshake.
class TlsClientContext {
public:
    // Raises TTlsError when the extra trust anchors cannot be read. The
    // system's store is not read yet: a pinned certificate never needs it.
    static std::shared_ptr<TlsClientContext> Make(const std::string& caFile);
    ~TlsClientContext();
    TlsClientContext(const TlsClientContext&) = delete;
    TlsClientContext& operator=(const TlsClientContext&) = delete;
    const std::string& CaFile() const { return caFile_; }

    // Adds the system's CA store to the trust anchors, once; before the
    // handshake of a link whose chain is judged by it (no pin).
    void TrustSystemStore();
    bool TrustsSystemStore() const { return systemTrusted_.load(); }

private:
    friend class TlsStream;
    TlsClientContext(SSL_CTX* ctx, std::string caFile) : ctx_(ctx), caFile_(std::move(caFile)) {}
    SSL_CTX* ctx_;
    std::string caFile_;
    std::once_flag systemOnce_;
    std::atomic<bool> systemTrusted_{false};
};

class TlsStream {
public:
    ~TlsStream();
    TlsStream(const TlsStream&) = delete;
    TlsStream& operator=(const TlsStream&) = delete;

    // Runs the handshake on fd for host (the name the certificate must
    // carry) until deadlineMs from now; the system's CA store is read for
    // it unless settings pin a certificate. Raises TWinsockException (10060 on
    // timeout), TConnectCancelled once cancelFd is readable, TTlsError when
    // the peer does not speak TLS. Trust is not judged here (see CheckTrust).
    static std::unique_ptr<TlsStream> Handshake(int fd, const std::string& host, const TlsSettings& settings,
                                                int timeoutMs, int cancelFd);
    // The same with a context made earlier (its CaFile stands in for
    // settings.caFile).
    static std::unique_ptr<TlsStream> Handshake(int fd, const std::string& host,
                                                std::shared_ptr<TlsClientContext> context, int timeoutMs,
                                                int cancelFd);

    const TlsPeer& Peer() const { return peer_; }
    const std::shared_ptr<TlsClientContext>& Context() const;

    // Never block. Done: n bytes were taken (Write) or came (Read). A Write
    // sends earlier ciphertext first and takes nothing while any of it is
    // still waiting (WantWrite); what it took is encrypted at once, and
    // whatever of that the socket had no room for waits in the stream
    // (HasUnsent) for the next Write or Flush. After WantRead/WantWrite, wait
    // for the socket and call again; a Write must then offer the same bytes
    // again (more may follow them). One writer and one reader may call at the
    // same time, from two threads.
    TlsIo Write(const char* data, size_t size, size_t& n);
    TlsIo Read(char* buf, size_t size, size_t& n);
    // Sends the ciphertext that waits: Done when none is left, WantWrite
    // while the socket is full.
    TlsIo Flush();
    // Bytes wait inside the session, decrypted or not: poll would not see
    // them. They may be part of a record only; Read then wants more. Only
    // Read leaves bytes behind, so this is what the last Read left, known
    // without the session's lock: asking must not make a writer wait.
    bool HasBuffered() const;
    // Ciphertext waits to be sent: what a Write could not send yet, or what
    // the session answered to the peer while reading (a key update, an
    // alert); a Flush or the next Write sends it.
    bool HasUnsent() const;

private:
    struct Handles;
    explicit TlsStream(std::unique_ptr<Handles> handles);
    TlsIo Classify(int result);
    // Hands the session's output over to out_; under mutex_ and outMutex_.
    void TakeOutputLocked();
    // Sends out_ from outSent_; under outMutex_.
    TlsIo SendOutLocked();
    // One SSL_read under mutex_, what it left behind noted.
    TlsIo Decrypt(char* buf, size_t size, size_t& n);

    std::unique_ptr<Handles> h_;
    int fd_ = -1;
    // One call into the session at a time; held for the library's work on
    // memory only.
    std::mutex mutex_;
    // The writer's side: out_ holds ciphertext taken from the session, in the
    // order it was made, and is sent under this lock, outside mutex_.
    std::mutex outMutex_;
    std::string out_;
    size_t outSent_ = 0;
    std::atomic<bool> outWaiting_{false};  // out_ holds unsent bytes
    std::atomic<bool> readerMadeOutput_{false};  // set by Read, taken by writers, under mutex_
    std::atomic<bool> buffered_{false};  // set by Read, under mutex_
    TlsPeer peer_;
};

} // namespace pellar
