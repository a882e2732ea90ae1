// A loopback relay between a client and a server: it forwards bytes both ways,
// records what the client sent, and can cut the link on demand (the client
// then sees an ordinary link loss). Used to check request order and link loss
// against the real server.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace pellar::test {

class LoopbackRelay {
public:
    explicit LoopbackRelay(uint16_t targetPort);
    ~LoopbackRelay();
    LoopbackRelay(const LoopbackRelay&) = delete;
    LoopbackRelay& operator=(const LoopbackRelay&) = delete;

    std::string portText() const { return std::to_string(port_); }

    // Every complete line the client sent, in order, since start or ClearSent().
    std::vector<std::string> SentLines();
    void ClearSent();
    // Closes both ends of the current connection; the next one is relayed again.
    void Cut();
    int Connections() const { return connections_.load(); }

private:
    void Run();
    void Wake();

    int listenFd_ = -1;
    int wakePipe_[2] = {-1, -1};
    uint16_t port_ = 0;
    uint16_t targetPort_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> cut_{false};
    std::atomic<int> connections_{0};
    std::mutex mutex_;
    std::string sent_;
    std::thread thread_;
};

} // namespace pellar::test
