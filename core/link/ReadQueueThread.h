// The receive thread: reads the byte queue, splits the stream into messages by
// their first character and hands each to its consumer: replies to the
// transaction table, asynchronous messages to the asynchronous-message list,
// free lines to the greeting check. What a server announces is never trusted:
// a message that cannot be completed is dropped and the stream read on.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include "core/sync/TQueue.h"
#include "core/link/MVTransaction.h"
#include "core/link/TAsyncList.h"
#include "core/sync/TEvent.h"
#include "core/base/LogFile.h"
#include "core/wire/WireTokens.h"

namespace pellar {

struct ReceiveLimits {
    // The longest message text waited for; a longer announced length drops the message.
    size_t maxMessageBytes = kLongestServerText;
    // The longest first line of an asynchronous message (the text may sit in it).
    size_t maxAsyncLine = kLongestServerText + 4096;
    // The longest free line (a greeting or a proxy's answer).
    size_t maxFreeLine = 4096;
    // A message whose bytes stop coming for this long, or are not all there
    // after the second figure, cannot be completed.
    int stallMs = 5000;
    int completeMs = 60000;
};

class TReadQueueThread {
public:
    // An empty trace path writes no raw receive trace; a null log takes no
    // notes of dropped messages.
    TReadQueueThread(TQueue& receiveQueue, TMiravoActiveTransactions& transactions, TAsyncList& asyncMessages,
                     TEvent& connectedEvent, std::filesystem::path tracePath = {}, LogFile* log = nullptr,
                     ReceiveLimits limits = {});
    ~TReadQueueThread();
    TReadQueueThread(const TReadQueueThread&) = delete;
    TReadQueueThread& operator=(const TReadQueueThread&) = delete;

    void Start();
    void Stop();

    // Processes every complete message now queued; the thread does this in
    // its loop. Exposed so that a test or fuzzer can drive the stream.
    void ProcessQueued();

    // Asynchronous messages dropped because they could not be completed.
    uint64_t DroppedMessages() const { return dropped_.load(); }

private:
    void Run();
    void ProcessOne();
    void HandleAsyncMessage();
    void HandleFreeLine(char first);
    // Waits, as long as bytes keep coming, until count bytes are queued.
    bool AwaitBytes(size_t count);
    void Drop(std::string_view line, const std::string& why);
    void Trace(std::string_view prefix, std::string_view line);

    TQueue& queue_;
    TMiravoActiveTransactions& transactions_;
    TAsyncList& asyncMessages_;
    TEvent& connected_;
    std::filesystem::path tracePath_;
    LogFile* log_;
    const ReceiveLimits limits_;
    std::unique_ptr<LogFile> trace_;  // buffered: tracing costs no system call per message
    std::atomic<bool> stop_{false};
    std::atomic<uint64_t> dropped_{0};
    std::thread thread_;
};

} // namespace pellar
