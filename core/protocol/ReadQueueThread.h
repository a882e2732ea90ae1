// The receive thread: reads the byte queue, splits the stream into messages by
// their first character and hands each to its consumer: replies to the
// transaction table, asynchronous messages to the asynchronous-message list,
// free lines to the greeting check.
#pragma once

#include <atomic>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include "core/protocol/Dqueue.h"
#include "core/protocol/MVTransaction.h"
#include "core/protocol/TAsyncList.h"
#include "core/protocol/TEvent.h"
#include "core/base/LogFile.h"

namespace pellar {

class TReadQueueThread {
public:
    // An empty trace path writes no raw receive trace.
    TReadQueueThread(TQueue& receiveQueue, TMiravoActiveTransactions& transactions, TAsyncList& asyncMessages,
                     TEvent& connectedEvent, std::filesystem::path tracePath = {});
    ~TReadQueueThread();
    TReadQueueThread(const TReadQueueThread&) = delete;
    TReadQueueThread& operator=(const TReadQueueThread&) = delete;

    void Start();
    void Stop();

    // Processes every complete message now queued; the thread does this in
    // its loop. Exposed so that a test or fuzzer can drive the stream.
    void ProcessQueued();

private:
    void Run();
    void ProcessOne();
    void HandleAsyncMessage();
    void HandleFreeLine(char first);
    void Trace(std::string_view prefix, std::string_view line);

    TQueue& queue_;
    TMiravoActiveTransactions& transactions_;
    TAsyncList& asyncMessages_;
    TEvent& connected_;
    std::filesystem::path tracePath_;
    std::unique_ptr<LogFile> trace_;  // buffered: tracing costs no system call per message
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

} // namespace pellar
