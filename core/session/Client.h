// The client context: one of each object that the running client needs once
// (byte queue, communication and receive threads, transaction table, message
// lists, session events and state, counters, log). The application creates
// one and hands it by reference; two Client objects share nothing.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/config/RegistryBackend.h"
#include "core/config/TMiravoConfiguration.h"
#include "core/link/UserMessageQueue.h"
#include "core/sync/BlockingWait.h"
#include "core/link/DirectRecordServices.h"
#include "core/sync/TQueue.h"
#include "core/link/MVTransaction.h"
#include "core/link/TMVCommunicationThread.h"
#include "core/wire/ProtocolContext.h"
#include "core/link/ReadQueueThread.h"
#include "core/wire/RequestCatalogue.h"
#include "core/wire/SessionReplies.h"
#include "core/link/TAsyncList.h"
#include "core/sync/TEvent.h"
#include "core/session/MVCache.h"
#include "core/base/LocalePort.h"
#include "core/base/LogFile.h"

namespace pellar {

struct ClientOptions {
    // Where the debug log and the receive trace go; empty: the per-user
    // state directory.
    std::filesystem::path stateDir;
    bool debugLog = true;
    bool receiveTrace = true;
    // What the receive thread accepts from the server (tests shorten the waits).
    ReceiveLimits receiveLimits;
    // Where the settings live; null: an in-memory store (tests).
    std::shared_ptr<RegistryBackend> configBackend;
    // Where saved passwords go; null: only the settings (obscured).
    std::shared_ptr<SecretStore> secretStore;
    // How dates are shown and names ordered; null: the plain locale.
    std::shared_ptr<const LocalePort> locale;
};

class Client final : public CacheHost {
public:
    explicit Client(ClientOptions options = {});
    ~Client() override;
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    TQueue& ReceiveQueue() { return receiveQueue_; }
    TMVCommunicationThread& ComThread() { return *comThread_; }
    TReadQueueThread& ReceiveThread() { return *receiveThread_; }
    TMiravoActiveTransactions& Transactions() override { return *transactions_; }
    ProtocolContext& Protocol() override { return *protocol_; }
    TAsyncList& AsyncMessages() { return asyncMessages_; }
    UserMessageQueue& UserMessages() { return userMessages_; }
    TEvent& ConnectedEvent() { return connectedEvent_; }
    TEvent& DisconnectingEvent() { return disconnectingEvent_; }
    ProtocolCounters& Counters() { return counters_; }
    LogFile* Log() { return log_.get(); }
    MVCache& Cache() { return *cache_; }
    TMiravoConfiguration& Config() override { return *config_; }
    // The user's way of writing dates and ordering names (any thread).
    const LocalePort& Locale() const { return locale_ ? *locale_ : PlainLocalePort(); }

    // What records use to reach the server; the caches install themselves
    // here, null goes back to running the requests directly.
    RecordServices& Records();
    void SetRecordServices(RecordServices* services);

    // How the threads that must wait for the server wait (the GUI thread
    // keeps painting); null goes back to blocking plainly.
    BlockingWait& Waits() override;
    void SetBlockingWait(BlockingWait* wait);

    // Session state.
    int32_t CurrentPerson() const { return currentPerson_.load(); }
    void SetCurrentPerson(int32_t person) { currentPerson_.store(person); }
    // The name the person logged on with, as given at the logon.
    std::string CurrentPersonName() const;
    void SetCurrentPersonName(std::string name);
    ServerInfoRec ServerInfo() const;
    void SetServerInfo(const ServerInfoRec& info);
    ServerVersionInfoRec ServerVersionInfo() const;
    // Also selects the request forms from its protocol version.
    void SetServerVersionInfo(const ServerVersionInfoRec& info);
    // The asynchronous messages the server was last asked to send.
    std::vector<AsyncNumber> AcceptedAsync() const;
    void SetAcceptedAsync(std::vector<AsyncNumber> accepted);

private:
    void OnLinkLost();

    std::shared_ptr<const LocalePort> locale_;
    ProtocolCounters counters_;
    std::unique_ptr<LogFile> log_;
    UserMessageQueue userMessages_;
    TAsyncList asyncMessages_;
    TEvent connectedEvent_{true, false};
    TEvent disconnectingEvent_{true, false};
    TQueue receiveQueue_;
    std::unique_ptr<TMVCommunicationThread> comThread_;
    std::unique_ptr<ProtocolContext> protocol_;
    std::unique_ptr<TMiravoActiveTransactions> transactions_;
    std::unique_ptr<TReadQueueThread> receiveThread_;
    std::unique_ptr<DirectRecordServices> directServices_;
    std::atomic<RecordServices*> recordServices_{nullptr};
    PlainBlockingWait plainWait_;
    std::atomic<BlockingWait*> blockingWait_{nullptr};
    std::unique_ptr<TMiravoConfiguration> config_;
    std::unique_ptr<MVCache> cache_;

    std::atomic<int32_t> currentPerson_{0};
    mutable std::mutex sessionMutex_;  // ServerInfo, ServerVersionInfo, AcceptedAsync, person's name
    ServerInfoRec serverInfo_;
    std::string currentPersonName_;
    ServerVersionInfoRec serverVersionInfo_;
    std::vector<AsyncNumber> acceptedAsync_;
};

} // namespace pellar
