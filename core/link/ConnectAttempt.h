// One connect attempt, shared by the caller and the thread that makes it, so
// that a caller who gives up can leave the thread behind (a name look-up
// cannot be interrupted). With encryption on it also opens the proxy's
// tunnel and runs the TLS handshake, all within the one time limit.
#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "core/sync/TEvent.h"
#include "core/link/TlsStream.h"

namespace pellar {

struct ConnectTarget {
    std::string host;     // where the socket connects: the server or the proxy
    std::string service;
    // With a proxy and encryption, the tunnel's far end ("server:port"); the
    // handshake then starts after the proxy's answer. Empty: no tunnel here.
    std::string tunnelTo;
    std::string certificateHost;  // the name the certificate must carry
    TlsSettings tls;
    // Made by an earlier link for the same trust anchors; null: make one.
    std::shared_ptr<TlsClientContext> tlsContext;
};

class ConnectAttempt {
public:
    ConnectAttempt();
    ~ConnectAttempt();
    ConnectAttempt(const ConnectAttempt&) = delete;
    ConnectAttempt& operator=(const ConnectAttempt&) = delete;

    bool Valid() const { return cancelFd_ >= 0; }
    void Run(const ConnectTarget& target, int timeoutMs);
    // The caller gives up: a socket that still comes is closed by whoever
    // sees it last.
    void Abandon();
    // Blocks up to timeoutMs; true once Run has finished.
    bool WaitFor(int timeoutMs);
    // After Run: raises the failure, if any, as the caller's own exception,
    // or hands over the socket and the session (null without encryption).
    void Take(int& sock, std::unique_ptr<TlsStream>& tls);

private:
    const int cancelFd_;
    TEvent done_{true, false};
    // The failure is kept as values, not as the exception itself: the
    // caller raises its own copy and shares no object with this thread.
    std::mutex mutex_;  // the fields below
    bool finished_ = false;
    bool abandoned_ = false;
    int sock_ = -1;
    std::unique_ptr<TlsStream> tls_;
    int errorCode_ = 0;        // a socket error, 0 for none
    bool cancelled_ = false;
    std::string errorText_;    // any other failure
    bool tlsError_ = false;    // errorText_ is about the encrypted handshake
    std::optional<TlsPeer> untrusted_;
    bool pinMismatch_ = false;
};

// Asks the proxy on sock to open a tunnel to "server:port" and reads its
// answer up to the blank line, nothing beyond. Raises TTlsError when the
// proxy refuses, TWinsockException on socket trouble or timeout.
void OpenProxyTunnel(int sock, const std::string& to, int timeoutMs, int cancelFd);

} // namespace pellar
