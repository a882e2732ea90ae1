// Socket helpers: connecting, closing and the socket error texts. Socket
// failures are reported with the Winsock codes and texts users know, whatever
// the platform's own error numbers are.
#pragma once

#include <stdexcept>
#include <string>

namespace pellar {

class TWinsockException : public std::runtime_error {
public:
    explicit TWinsockException(int code);
    int Code() const { return code_; }

private:
    int code_;
};

// The user gave the connect up; nothing is wrong with the host.
class TConnectCancelled : public TWinsockException {
public:
    TConnectCancelled() : TWinsockException(10004) {}
};

// "<message>\r\n(<code>) <name>" for a known code, "Unknown error (<code>)"
// otherwise.
std::string WinsockErrorText(int code);

// Maps an errno value to its Winsock code; unknown values pass unchanged.
int WinsockCodeFromErrno(int err);

// Maps a getaddrinfo() result code to its Winsock code.
int WinsockCodeFromGai(int gaiError);

constexpr int kDefaultConnectTimeoutMs = 30000;

// Resolves host and service and connects a non-blocking stream socket to the
// first address, waiting at most timeoutMs for the connection (10060 when it
// does not complete). On failure raises TWinsockException and leaves sock -1.
// reservedPort binds the local end to a port below 1024 (1023 downwards).
// cancelFd, when not -1, is watched during the wait: once it is readable the
// attempt ends with TConnectCancelled.
void SocketConnect(int& sock, const std::string& host, const std::string& service,
                   bool reservedPort = false, int timeoutMs = kDefaultConnectTimeoutMs, int cancelFd = -1);

// Closes with a zero linger so the peer sees a reset instead of a lingering
// close; sets sock to -1. Returns the close() result, 0 for -1.
int SocketClose(int& sock);

} // namespace pellar
