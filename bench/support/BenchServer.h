// What the benchmarks share to stand up a server: a miravod in a child
// process (so its loop never shares a core's scheduling with the client
// being measured), seeded texts that comment each other, and raw sockets
// for the peers that talk to it by hand.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/session/Client.h"
#include "server/Server.h"
#include "server/Store.h"

namespace bench {

// The server in a child process, stopped when this object goes. Its ports
// (and its certificate's fingerprint when it serves TLS) come back through a
// pipe once it listens; 0 where it failed.
class ForkedServer {
public:
    ForkedServer(const std::string& db, int delayMs) : ForkedServer(DatabaseOptions(db, delayMs)) {}

    // niceness: the server's scheduling priority, raised where it stands for
    // a machine of its own beside a client whose pauses are measured.
    explicit ForkedServer(miravod::ServerOptions o, int niceness = 0)
    {
        int portPipe[2], stopPipe[2];
        if (pipe(portPipe) != 0 || pipe(stopPipe) != 0)
            return;
        pid_ = fork();
        if (pid_ == 0) {
            // Only this server's own pipe ends stay open: an inherited write
            // end of another server's stop pipe would keep that one running.
            for (int fd = 3; fd < 1024; ++fd) {
                if (fd != portPipe[1] && fd != stopPipe[0])
                    close(fd);
            }
            if (niceness != 0)
                (void)!setpriority(PRIO_PROCESS, 0, niceness);
            miravod::Server server(o);
            Listening l;
            if (server.Start()) {
                l.port = server.Port();
                l.tlsPort = server.TlsPort();
                std::snprintf(l.fingerprint, sizeof l.fingerprint, "%s", server.TlsFingerprint().c_str());
            }
            (void)!write(portPipe[1], &l, sizeof l);
            char c;
            (void)!read(stopPipe[0], &c, 1);
            server.Stop();
            _exit(0);
        }
        close(portPipe[1]);
        close(stopPipe[0]);
        stop_ = stopPipe[1];
        if (read(portPipe[0], &listening_, sizeof listening_) != sizeof listening_)
            listening_ = {};
        close(portPipe[0]);
    }
    ~ForkedServer()
    {
        if (stop_ >= 0)
            close(stop_);
        if (pid_ > 0)
            waitpid(pid_, nullptr, 0);
    }
    ForkedServer(const ForkedServer&) = delete;
    ForkedServer& operator=(const ForkedServer&) = delete;
    int Port() const { return listening_.port; }
    int TlsPort() const { return listening_.tlsPort; }
    std::string Fingerprint() const { return listening_.fingerprint; }

private:
    struct Listening {
        int port = 0;
        int tlsPort = 0;
        char fingerprint[128] = {};
    };
    static miravod::ServerOptions DatabaseOptions(const std::string& db, int delayMs)
    {
        miravod::ServerOptions o;
        o.dbPath = db;
        o.demoCompanion = false;
        o.replyDelayMs = delayMs;
        return o;
    }

    pid_t pid_ = -1;
    int stop_ = -1;
    Listening listening_;
};

// A text by author in conf, a comment to parent unless parent is 0; its
// number.
inline int32_t SeedText(miravod::Store& store, int32_t author, int32_t conf, const std::string& subject,
                        int32_t parent, pellar::TDateTime now)
{
    miravod::Text& t = store.NewText(author, now);
    t.body = subject + "\nA line or two of text to read.\nAnd another.";
    const int32_t n = t.number;
    miravod::MiscItem r;
    r.number = conf;
    r.local = store.AppendToConference(conf, n, now);
    store.EditText(n).misc.push_back(r);
    if (parent) {
        miravod::MiscItem up;
        up.kind = miravod::MiscKind::CommentTo;
        up.number = parent;
        store.EditText(n).misc.push_back(up);
        miravod::MiscItem down;
        down.kind = miravod::MiscKind::CommentIn;
        down.number = n;
        store.EditText(parent).misc.push_back(down);
    }
    return n;
}

// A loopback connection to port (from a given local address when asked),
// without Nagle's delay; -1 when it fails.
inline int ConnectTo(int port, const char* from = nullptr)
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (from) {
        sockaddr_in local{};
        local.sin_family = AF_INET;
        inet_pton(AF_INET, from, &local.sin_addr);
        bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local);
    }
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    inet_pton(AF_INET, "127.0.0.1", &addr.sin_addr);
    if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        close(fd);
        return -1;
    }
    const int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    return fd;
}

inline bool SendAll(int fd, const std::string& s)
{
    size_t off = 0;
    while (off < s.size()) {
        const ssize_t n = send(fd, s.data() + off, s.size() - off, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        off += static_cast<size_t>(n);
    }
    return true;
}

// A database file and SQLite's side files next to it.
inline void RemoveDatabase(const std::string& path)
{
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
        std::filesystem::remove(path + suffix);
}

// A client that writes no log or trace files while it is measured.
inline pellar::ClientOptions QuietClientOptions()
{
    pellar::ClientOptions o;
    o.debugLog = false;
    o.receiveTrace = false;
    return o;
}

} // namespace bench
