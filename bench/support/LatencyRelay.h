// A TCP relay on loopback that makes a fast link look like a distant one:
// every chunk read from either side is held for the one-way delay before it
// goes on, and an optional bandwidth limit spaces the chunks as a slow line
// would. Benchmarks put it between the client and miravod to count round
// trips and requests in flight; tests use it to check behaviour over latency.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

namespace bench {

class LatencyRelay {
public:
    // Relays every connection to 127.0.0.1:targetPort. bytesPerSecond 0 means
    // no bandwidth limit. Port() is 0 when the relay could not listen.
    LatencyRelay(uint16_t targetPort, int oneWayDelayMs, int64_t bytesPerSecond = 0);
    ~LatencyRelay();  // closes everything, joins
    LatencyRelay(const LatencyRelay&) = delete;
    LatencyRelay& operator=(const LatencyRelay&) = delete;

    uint16_t Port() const { return port_; }  // where clients connect (127.0.0.1)
    std::string PortText() const { return std::to_string(port_); }

    // Counted where the client sees them: what it sent, when the relay reads
    // it; what it got, when the relay hands it over. Totals since start or
    // ResetCounters, over every connection.
    int64_t BytesToServer() const { return bytesToServer_.load(); }
    int64_t BytesToClient() const { return bytesToClient_.load(); }
    // Request lines the client sent (line feeds toward the server).
    int64_t LinesToServer() const { return linesToServer_.load(); }
    // The most request lines ever outstanding at once, summed over the live
    // connections: lines the client sent minus the reply lines it got (lines
    // from the server that start with '=' or '%'; the greeting answers the
    // handshake). A rough gauge: a line feed inside a string counts too.
    int64_t MaxLinesInFlight() const { return maxInFlight_.load(); }
    void ResetCounters();

    // For chunks read from now on, on new and open connections.
    void SetDelay(int oneWayDelayMs) { delayMs_.store(oneWayDelayMs); }

private:
    struct Loop;
    void Run();

    uint16_t targetPort_;
    std::atomic<int> delayMs_;
    int64_t bytesPerSecond_;
    int listenFd_ = -1;
    int wakeFd_ = -1;
    uint16_t port_ = 0;

    std::atomic<int64_t> bytesToServer_{0};
    std::atomic<int64_t> bytesToClient_{0};
    std::atomic<int64_t> linesToServer_{0};
    std::atomic<int64_t> inFlight_{0};
    std::atomic<int64_t> maxInFlight_{0};
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

} // namespace bench
