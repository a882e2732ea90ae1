// What a request needs from the running client: the request-id counter, the
// way out to the communication thread, the statistics counters, the
// user-message queue and the server's protocol version.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "core/wire/UserMessageSink.h"

namespace pellar {

// Shown by the statistics window.
struct ProtocolCounters {
    std::atomic<uint64_t> bytesSent{0};
    std::atomic<uint64_t> bytesReceived{0};
    std::atomic<uint64_t> requestsSent{0};
};

// Takes complete request lines; never blocks on the network.
class RequestSender {
public:
    virtual ~RequestSender() = default;
    virtual void Send(std::string line) = 0;
};

// Protocol versions from this one on use the newer request forms.
constexpr int32_t kNewerProtocolVersion = 10;

class ProtocolContext {
public:
    ProtocolContext(RequestSender& sender, UserMessageSink& userMessages, ProtocolCounters& counters)
        : sender_(sender), userMessages_(userMessages), counters_(counters)
    {
    }
    ProtocolContext(const ProtocolContext&) = delete;
    ProtocolContext& operator=(const ProtocolContext&) = delete;

    // Ids start at 1 and are never reused during a run.
    int32_t NextRequestId() { return nextId_.fetch_add(1, std::memory_order_relaxed) + 1; }
    void Send(std::string line) { sender_.Send(std::move(line)); }
    ProtocolCounters& Counters() { return counters_; }
    UserMessageSink& UserMessages() { return userMessages_; }

    int32_t ProtocolVersion() const { return protocolVersion_.load(std::memory_order_relaxed); }
    void SetProtocolVersion(int32_t v) { protocolVersion_.store(v, std::memory_order_relaxed); }
    bool UseNewerForms() const { return ProtocolVersion() >= kNewerProtocolVersion; }

private:
    RequestSender& sender_;
    UserMessageSink& userMessages_;
    ProtocolCounters& counters_;
    std::atomic<int32_t> nextId_{0};
    std::atomic<int32_t> protocolVersion_{0};
};

} // namespace pellar
