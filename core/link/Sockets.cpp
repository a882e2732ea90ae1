#include "core/link/Sockets.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace pellar {

namespace {

struct WinsockErrorRow {
    int code;
    const char* name;
    const char* message;
};

// Searched in this order; 10101 deliberately stands before 10091.
constexpr std::array<WinsockErrorRow, 51> kWinsockErrors{{
    {10004, "WSAEINTR", "Winsock provider not initialized"},
    {10009, "WSAEBADF", ""},
    {10013, "WSAEACCES", ""},
    {10014, "WSAEFAULT", ""},
    {10022, "WSAEINVAL", ""},
    {10024, "WSAEMFILE", ""},
    {10035, "WSAEWOULDBLOCK", "Operation would lock up the computer"},
    {10036, "WSAEINPROGRESS", "Winsock operation already in progress"},
    {10037, "WSAEALREADY", ""},
    {10038, "WSAENOTSOCK", "Non socket handle used"},
    {10039, "WSAEDESTADDRREQ", ""},
    {10040, "WSAEMSGSIZE", ""},
    {10041, "WSAEPROTOTYPE", ""},
    {10042, "WSAENOPROTOOPT", "Invalid protocol option"},
    {10043, "WSAEPROTONOSUPPORT", "Protocol not supported"},
    {10044, "WSAESOCKTNOSUPPORT", "Socket type not supported"},
    {10045, "WSAEOPNOTSUPP", ""},
    {10046, "WSAEPFNOSUPPORT", ""},
    {10047, "WSAEAFNOSUPPORT", ""},
    {10048, "WSAEADDRINUSE", "Address already in use"},
    {10049, "WSAEADDRNOTAVAIL", "Address not available"},
    {10050, "WSAENETDOWN", ""},
    {10051, "WSAENETUNREACH", "Network is unreachable"},
    {10052, "WSAENETRESET", "Network reset"},
    {10053, "WSAECONNABORTED", "Connection aborted"},
    {10054, "WSAECONNRESET", "Connection reset"},
    {10055, "WSAENOBUFS", "Out of buffers"},
    {10056, "WSAEISCONN", ""},
    {10057, "WSAENOTCONN", ""},
    {10058, "WSAESHUTDOWN", ""},
    {10059, "WSAETOOMANYREFS", ""},
    {10060, "WSAETIMEDOUT", "Timeout on call"},
    {10061, "WSAECONNREFUSED", "The host refused us to connect (on this port)"},
    {10062, "WSAELOOP", ""},
    {10063, "WSAENAMETOOLONG", "Name too long"},
    {10064, "WSAEHOSTDOWN", "The host is down"},
    {10065, "WSAEHOSTUNREACH", "Host is unreachable"},
    {10066, "WSAENOTEMPTY", ""},
    {10067, "WSAEPROCLIM", ""},
    {10068, "WSAEUSERS", ""},
    {10069, "WSAEDQUOT", ""},
    {10070, "WSAESTALE", ""},
    {10071, "WSAEREMOTE", ""},
    {10101, "WSAEDISCON", ""},
    {10091, "WSASYSNOTREADY", ""},
    {10092, "WSAVERNOTSUPPORTED", ""},
    {10093, "WSANOTINITIALISED", ""},
    {11001, "WSAHOST_NOT_FOUND", "Unable to find the address for this host"},
    {11002, "WSATRY_AGAIN", "Host not found. Try again."},
    {11003, "WSANO_RECOVERY", "Unrecoverable error"},
    {11004, "WSANO_DATA", ""},
}};

struct AddrInfoDeleter {
    void operator()(addrinfo* p) const { freeaddrinfo(p); }
};

// A known service name, otherwise the leading decimal digits (sign skipped).
int ServicePort(const std::string& service)
{
    if (const servent* se = getservbyname(service.c_str(), nullptr))
        return ntohs(static_cast<uint16_t>(se->s_port));
    size_t i = 0;
    if (i < service.size() && (service[i] == '+' || service[i] == '-'))
        ++i;
    long port = 0;
    for (; i < service.size() && service[i] >= '0' && service[i] <= '9'; ++i) {
        port = port * 10 + (service[i] - '0');
        if (port > 65535)
            return 0; // out of range: connects to port 0 and fails there
    }
    return static_cast<int>(port);
}

void BindReservedPort(int sock, const sockaddr* target)
{
    int off = 0;
    setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &off, sizeof off);
    for (int port = 1023;; --port) {
        sockaddr_storage local{};
        socklen_t len = 0;
        if (target->sa_family == AF_INET6) {
            auto* a = reinterpret_cast<sockaddr_in6*>(&local);
            a->sin6_family = AF_INET6;
            a->sin6_port = htons(static_cast<uint16_t>(port));
            len = sizeof(sockaddr_in6);
        } else {
            auto* a = reinterpret_cast<sockaddr_in*>(&local);
            a->sin_family = AF_INET;
            a->sin_port = htons(static_cast<uint16_t>(port));
            len = sizeof(sockaddr_in);
        }
        if (::bind(sock, reinterpret_cast<sockaddr*>(&local), len) == 0)
            return;
        const int code = WinsockCodeFromErrno(errno);
        if (code != 10048 || port <= 513)
            throw TWinsockException(code);
    }
}

using Clock = std::chrono::steady_clock;

int MsUntil(Clock::time_point when)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(when - Clock::now()).count();
    return static_cast<int>(std::max<decltype(left)>(0, left));
}

// The attempts of one connect: every socket opened is closed again unless
// it is handed out as the winner.
class ConnectRace {
public:
    ConnectRace(const std::string& service, bool reservedPort)
        : port_(htons(static_cast<uint16_t>(ServicePort(service)))), reservedPort_(reservedPort)
    {
    }
    ~ConnectRace()
    {
        for (int& fd : pending_)
            ::close(fd);
    }
    ConnectRace(const ConnectRace&) = delete;
    ConnectRace& operator=(const ConnectRace&) = delete;

    bool Racing() const { return !pending_.empty(); }
    size_t Count() const { return pending_.size(); }
    int LastError() const { return lastError_; }

    // Starts connecting to address; returns the socket when it connected at
    // once, else -1 (racing, or failed: see LastError).
    int Start(const SocketAddress& address)
    {
        sockaddr_storage target = address.addr;
        if (target.ss_family == AF_INET6)
            reinterpret_cast<sockaddr_in6*>(&target)->sin6_port = port_;
        else
            reinterpret_cast<sockaddr_in*>(&target)->sin_port = port_;
        int fd = ::socket(target.ss_family, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (fd < 0) {
            lastError_ = WinsockCodeFromErrno(errno);
            return -1;
        }
        try {
            if (reservedPort_)
                BindReservedPort(fd, reinterpret_cast<const sockaddr*>(&target));
        } catch (const TWinsockException& e) {
            ::close(fd);
            lastError_ = e.Code();
            return -1;
        }
        int one = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&target), address.len) == 0)
            return fd;
        if (errno != EINPROGRESS && errno != EINTR) {
            lastError_ = WinsockCodeFromErrno(errno);
            ::close(fd);
            return -1;
        }
        pending_.push_back(fd);
        return -1;
    }

    // Waits up to waitMs for an attempt to finish. Returns the connected
    // socket, else -1 (attempts that failed meanwhile are closed; failed
    // tells whether one did). Raises on cancel and on a failed poll.
    int Wait(int waitMs, int cancelFd, bool& failed)
    {
        failed = false;
        std::vector<pollfd> fds;
        for (const int fd : pending_)
            fds.push_back({fd, POLLOUT, 0});
        fds.push_back({cancelFd, POLLIN, 0});
        const int r = ::poll(fds.data(), static_cast<nfds_t>(cancelFd < 0 ? fds.size() - 1 : fds.size()), waitMs);
        if (r < 0 && errno == EINTR)
            return -1;
        if (r < 0)
            throw TWinsockException(WinsockCodeFromErrno(errno));
        if (cancelFd >= 0 && (fds.back().revents & POLLIN))
            throw TConnectCancelled();
        for (size_t i = 0; i + 1 < fds.size(); ++i) {
            if (fds[i].revents == 0)
                continue;
            int err = 0;
            socklen_t len = sizeof err;
            if (getsockopt(fds[i].fd, SOL_SOCKET, SO_ERROR, &err, &len) != 0)
                err = errno;
            if (err == 0)
                return Take(fds[i].fd);
            lastError_ = WinsockCodeFromErrno(err);
            failed = true;
            ::close(Take(fds[i].fd));
        }
        return -1;
    }

private:
    int Take(int fd)
    {
        std::erase(pending_, fd);
        return fd;
    }

    const uint16_t port_;
    const bool reservedPort_;
    std::vector<int> pending_;
    int lastError_ = 10061;
};

} // namespace

std::vector<SocketAddress> ResolveHost(const std::string& host)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* raw = nullptr;
    // A numeric address is taken as it stands; only names are looked up.
    const int gai = getaddrinfo(host.c_str(), nullptr, &hints, &raw);
    if (gai != 0)
        throw TWinsockException(WinsockCodeFromGai(gai));
    std::unique_ptr<addrinfo, AddrInfoDeleter> result(raw);
    std::vector<SocketAddress> out;
    for (const addrinfo* a = result.get(); a; a = a->ai_next) {
        if ((a->ai_family != AF_INET && a->ai_family != AF_INET6) || a->ai_addrlen > sizeof(sockaddr_storage))
            continue;
        SocketAddress address;
        std::memcpy(&address.addr, a->ai_addr, a->ai_addrlen);
        address.len = a->ai_addrlen;
        out.push_back(address);
    }
    if (out.empty())
        throw TWinsockException(11004);
    return out;
}

std::vector<SocketAddress> InterleaveFamilies(const std::vector<SocketAddress>& addresses)
{
    if (addresses.empty())
        return {};
    const int first = addresses.front().Family();
    std::vector<SocketAddress> mine, other;
    for (const SocketAddress& a : addresses)
        (a.Family() == first ? mine : other).push_back(a);
    std::vector<SocketAddress> out;
    for (size_t i = 0; i < std::max(mine.size(), other.size()); ++i) {
        if (i < mine.size())
            out.push_back(mine[i]);
        if (i < other.size())
            out.push_back(other[i]);
    }
    return out;
}

TWinsockException::TWinsockException(int code)
    : std::runtime_error(WinsockErrorText(code)), code_(code)
{
}

std::string WinsockErrorText(int code)
{
    for (const auto& row : kWinsockErrors) {
        if (row.code == code)
            return std::string(row.message) + "\r\n(" + std::to_string(code) + ") " + row.name;
    }
    return "Unknown error (" + std::to_string(code) + ")";
}

int WinsockCodeFromErrno(int err)
{
    switch (err) {
    case EINTR: return 10004;
    case EBADF: return 10009;
    case EACCES: return 10013;
    case EFAULT: return 10014;
    case EINVAL: return 10022;
    case EMFILE: case ENFILE: return 10024;
    case EWOULDBLOCK: return 10035;
    case EINPROGRESS: return 10036;
    case EALREADY: return 10037;
    case ENOTSOCK: return 10038;
    case EDESTADDRREQ: return 10039;
    case EMSGSIZE: return 10040;
    case EPROTOTYPE: return 10041;
    case ENOPROTOOPT: return 10042;
    case EPROTONOSUPPORT: return 10043;
    case ESOCKTNOSUPPORT: return 10044;
    case EOPNOTSUPP: return 10045;
    case EPFNOSUPPORT: return 10046;
    case EAFNOSUPPORT: return 10047;
    case EADDRINUSE: return 10048;
    case EADDRNOTAVAIL: return 10049;
    case ENETDOWN: return 10050;
    case ENETUNREACH: return 10051;
    case ENETRESET: return 10052;
    case ECONNABORTED: return 10053;
    case ECONNRESET: return 10054;
    case ENOBUFS: case ENOMEM: return 10055;
    case EISCONN: return 10056;
    case ENOTCONN: return 10057;
    case ESHUTDOWN: case EPIPE: return 10058;
    case ETOOMANYREFS: return 10059;
    case ETIMEDOUT: return 10060;
    case ECONNREFUSED: return 10061;
    case ELOOP: return 10062;
    case ENAMETOOLONG: return 10063;
    case EHOSTDOWN: return 10064;
    case EHOSTUNREACH: return 10065;
    case ENOTEMPTY: return 10066;
    case EUSERS: return 10068;
    case EDQUOT: return 10069;
    case ESTALE: return 10070;
    case EREMOTE: return 10071;
    default: return err;
    }
}

int WinsockCodeFromGai(int gaiError)
{
    switch (gaiError) {
    case EAI_NONAME: return 11001;
#ifdef EAI_NODATA
    case EAI_NODATA: return 11004;
#endif
    case EAI_AGAIN: return 11002;
    case EAI_FAIL: return 11003;
    case EAI_MEMORY: return 10055;
    case EAI_FAMILY: return 10047;
    case EAI_SYSTEM: return WinsockCodeFromErrno(errno);
    default: return 11003;
    }
}

void SocketConnect(int& sock, const std::string& host, const std::string& service, bool reservedPort,
                   int timeoutMs, int cancelFd, const AddressResolver& resolver, int attemptDelayMs)
{
    sock = -1;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    const std::vector<SocketAddress> addresses = InterleaveFamilies(resolver ? resolver(host) : ResolveHost(host));
    if (addresses.empty())
        throw TWinsockException(11004);
    ConnectRace race(service, reservedPort);
    size_t next = 0;
    auto nextStart = Clock::now();
    for (;;) {
        // The next address joins when the last one started had its time or
        // has failed already; with none racing there is nothing to wait for.
        if (next < addresses.size() && (!race.Racing() || Clock::now() >= nextStart)) {
            const size_t before = race.Count();
            if (const int fd = race.Start(addresses[next++]); fd >= 0) {
                sock = fd;
                return;
            }
            // One that failed on the spot hands over to the next at once.
            nextStart = Clock::now() + std::chrono::milliseconds(race.Count() > before ? attemptDelayMs : 0);
            continue;
        }
        if (!race.Racing())
            throw TWinsockException(race.LastError());
        int waitMs = MsUntil(deadline);
        if (waitMs <= 0)
            throw TWinsockException(10060);
        if (next < addresses.size())
            waitMs = std::min(waitMs, MsUntil(nextStart));
        bool failed = false;
        if (const int fd = race.Wait(waitMs, cancelFd, failed); fd >= 0) {
            sock = fd;
            return;
        }
        if (failed)
            nextStart = Clock::now();
    }
}

int SocketClose(int& sock)
{
    if (sock == -1)
        return 0;
    linger lin{1, 0};
    setsockopt(sock, SOL_SOCKET, SO_LINGER, &lin, sizeof lin);
    const int r = ::close(sock);
    sock = -1;
    return r;
}

} // namespace pellar
