// Socket helpers: connecting, closing and the socket error texts. Socket
// failures are reported with the Winsock codes and texts users know, whatever
// the platform's own error numbers are.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include <sys/socket.h>

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
// How long one address has to connect before the next one joins the race.
constexpr int kConnectAttemptDelayMs = 250;

// One address of a host, its port still unset.
struct SocketAddress {
    sockaddr_storage addr{};
    socklen_t len = 0;
    int Family() const { return addr.ss_family; }
};

// Turns a host name or numeric address into its addresses, in the order
// they should be tried. Raises TWinsockException when there are none.
using AddressResolver = std::function<std::vector<SocketAddress>(const std::string& host)>;

// The system resolver: every stream address getaddrinfo() gives, in its
// order (the preferred destination first).
std::vector<SocketAddress> ResolveHost(const std::string& host);

// The resolver's order with the families taking turns, starting with the
// family of the first address: one family that does not answer cannot keep
// the other waiting behind all of its addresses.
std::vector<SocketAddress> InterleaveFamilies(const std::vector<SocketAddress>& addresses);

// Resolves host and service and connects a non-blocking stream socket. Every
// address is tried: the first at once, the next after attemptDelayMs or as
// soon as the one before failed, the attempts racing until one connects; the
// others are then closed. The whole waits at most timeoutMs (10060 when
// nothing connected by then). When every address failed, the last failure's
// TWinsockException is raised. sock is -1 on any failure. reservedPort binds
// the local end to a port below 1024 (1023 downwards). cancelFd, when not -1,
// is watched during the wait: once it is readable every attempt is closed and
// TConnectCancelled raised. resolver: null for ResolveHost.
void SocketConnect(int& sock, const std::string& host, const std::string& service,
                   bool reservedPort = false, int timeoutMs = kDefaultConnectTimeoutMs, int cancelFd = -1,
                   const AddressResolver& resolver = {}, int attemptDelayMs = kConnectAttemptDelayMs);

// Closes with a zero linger so the peer sees a reset instead of a lingering
// close; sets sock to -1. Returns the close() result, 0 for -1.
int SocketClose(int& sock);

} // namespace pellar
