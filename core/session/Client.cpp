#include "core/session/Client.h"

#include "core/config/MemoryRegistryBackend.h"
#include "core/base/LocalUserName.h"
#include "core/base/StatePaths.h"

namespace pellar {

Client::Client(ClientOptions options) : locale_(std::move(options.locale))
{
    std::filesystem::path dir = options.stateDir;
    if ((options.debugLog || options.receiveTrace) && dir.empty())
        dir = PerUserStateDir();
    else if (options.debugLog || options.receiveTrace)
        CreatePrivateDirs(dir);  // the logs hold what was read; a new folder is the user's alone
    if (options.debugLog)
        log_ = std::make_unique<LogFile>(dir / "orv.logg");

    comThread_ = std::make_unique<TMVCommunicationThread>(receiveQueue_, counters_, log_.get());
    protocol_ = std::make_unique<ProtocolContext>(*comThread_, userMessages_, counters_);
    transactions_ = std::make_unique<TMiravoActiveTransactions>(receiveQueue_, connectedEvent_);
    receiveThread_ = std::make_unique<TReadQueueThread>(
        receiveQueue_, *transactions_, asyncMessages_, connectedEvent_,
        options.receiveTrace ? dir / "pellar.logg" : std::filesystem::path(), log_.get(), options.receiveLimits);
    directServices_ = std::make_unique<DirectRecordServices>(*protocol_, *transactions_);
    config_ = std::make_unique<TMiravoConfiguration>(
        options.configBackend ? options.configBackend : std::make_shared<MemoryRegistryBackend>(), LocalUserName());
    config_->SetSecretStore(options.secretStore);
    // Records load through the caches from the start.
    cache_ = std::make_unique<MVCache>(*this);
    recordServices_.store(cache_.get());

    comThread_->SetLinkLostHandler([this] { OnLinkLost(); });
    receiveThread_->Start();
    comThread_->Start();
}

Client::~Client()
{
    comThread_->Stop();
    receiveThread_->Stop();
    transactions_->AbortAll();
}

void Client::OnLinkLost()
{
    connectedEvent_.ResetEv();
    receiveQueue_.Interrupt();
    transactions_->AbortAll();
    receiveQueue_.Interrupt();
}

RecordServices& Client::Records()
{
    RecordServices* s = recordServices_.load();
    return s ? *s : *directServices_;
}

void Client::SetRecordServices(RecordServices* services)
{
    recordServices_.store(services);
}

BlockingWait& Client::Waits()
{
    BlockingWait* w = blockingWait_.load();
    return w ? *w : plainWait_;
}

void Client::SetBlockingWait(BlockingWait* wait)
{
    blockingWait_.store(wait);
    transactions_->SetBlockingWait(wait);
}

ServerInfoRec Client::ServerInfo() const
{
    std::lock_guard lock(sessionMutex_);
    return serverInfo_;
}

std::vector<AsyncNumber> Client::AcceptedAsync() const
{
    std::lock_guard lock(sessionMutex_);
    return acceptedAsync_;
}

void Client::SetAcceptedAsync(std::vector<AsyncNumber> accepted)
{
    std::lock_guard lock(sessionMutex_);
    acceptedAsync_ = std::move(accepted);
}

std::string Client::CurrentPersonName() const
{
    std::lock_guard lock(sessionMutex_);
    return currentPersonName_;
}

void Client::SetCurrentPersonName(std::string name)
{
    std::lock_guard lock(sessionMutex_);
    currentPersonName_ = std::move(name);
}

void Client::SetServerInfo(const ServerInfoRec& info)
{
    std::lock_guard lock(sessionMutex_);
    serverInfo_ = info;
}

ServerVersionInfoRec Client::ServerVersionInfo() const
{
    std::lock_guard lock(sessionMutex_);
    return serverVersionInfo_;
}

void Client::SetServerVersionInfo(const ServerVersionInfoRec& info)
{
    std::lock_guard lock(sessionMutex_);
    serverVersionInfo_ = info;
    protocol_->SetProtocolVersion(info.ProtocolVersion);
}

} // namespace pellar
