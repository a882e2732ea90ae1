// The embeddable Miravo server: listens on an address and port (0 for an
// ephemeral one), serves every session from one poll loop on a background
// thread, and stops cleanly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "core/wire/WireCharset.h"
#include "server/LogonThrottle.h"
#include "server/TokenBucket.h"

namespace miravod {

struct ServerOptions {
    std::string listenAddress = "127.0.0.1";
    int port = 0;
    // The plain listener on port; off for a server that only encrypts.
    bool plain = true;
    // The encrypted listener: its port (0 = an ephemeral one, below 0 =
    // none), the certificate chain and the key (PEM files).
    int tlsPort = -1;
    std::string tlsCertFile;
    std::string tlsKeyFile;
    std::string dbPath; // empty = in-memory
    bool demo = false;
    // The character set of names and texts: how name lookup folds letter case.
    pellar::WireCharset charset = pellar::WireCharset::Latin1;
    bool oldProtocol = false;
    bool demoCompanion = true;
    // Milliseconds between the demo companion's posts; 0 = its own pace (the
    // first after 20 s, then every 45 to 75 s).
    int demoCompanionIntervalMs = 0;
    // Fault switches for tests.
    bool withholdGreeting = false;
    int replyDelayMs = 0;
    bool byteByByte = false;
    int closeAfterRequests = 0;
    bool injectUnknownAsync = false;
    size_t maxTextBytes = 1 << 20;
    // Limits against hostile peers. One request's bytes, strings included:
    // past it the request is refused with "string too long" and what it
    // held is dropped (0 = twice the longest text plus 64 KiB). Before
    // logging on a link may send only small requests.
    size_t maxRequestBytes = 0;
    size_t maxAnonymousRequestBytes = 65536;
    // Unsent bytes of one link: reading its requests pauses from
    // pauseReadingAt on, and the link is dropped past maxPendingOut.
    size_t pauseReadingAt = 256u << 10;
    size_t maxPendingOut = 16u << 20;
    // PBKDF2 rounds for new password hashes; tests lower it for speed.
    int passwordIterations = 100000;
    // A link that has not sent its handshake within handshakeTimeoutMs, or
    // has not logged on and sent no request for anonymousIdleMs, is closed.
    // Logged-on sessions may stay silent.
    int handshakeTimeoutMs = 30000;
    int anonymousIdleMs = 300000;
    // Links at once, in all (0 = what the descriptor limit allows) and from
    // one address. Links over the cap are closed as soon as accepted.
    size_t maxConnections = 0;
    size_t maxConnectionsPerAddress = 256;
    // Threads that hash passwords beside the loop.
    int hashThreads = 2;
    // Delays after failed logons, and the ration of anonymous accounts.
    ThrottleConfig throttle;
    // Messages per second and at once from one session (0 = no limit), to
    // persons and conferences, and to everyone.
    Rate messageRate{20, 100};
    Rate broadcastRate{2, 10};
    // Bytes queued for output on all links together. Past it the links with
    // the most unsent bytes are dropped, those not reading first.
    size_t outputBudget = 96u << 20;
};

class NetworkLoop;

class Server {
public:
    explicit Server(ServerOptions options);
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    bool Start(std::string* error = nullptr);
    int Port() const;
    // The encrypted listener's port, 0 when there is none.
    int TlsPort() const;
    // The SHA-256 fingerprint of the certificate served, empty without TLS.
    std::string TlsFingerprint() const;
    // Times accepting a link failed for want of descriptors or memory.
    uint64_t AcceptFailures() const;
    // Fault switch for tests: the next n commits that change something fail
    // as a full disk would make them.
    void FailNextCommits(int n);
    void Stop();

private:
    ServerOptions options_;
    std::unique_ptr<NetworkLoop> loop_;
    std::thread thread_;
};

} // namespace miravod
