#include "core/events/TAsyncUpdateActiveUsersThread.h"

#include "core/events/ActiveUsersTable.h"
#include "core/link/MVTransaction.h"
#include "core/session/Client.h"
#include "core/base/GuiThread.h"

namespace pellar {

TAsyncUpdateActiveUsersThread::TAsyncUpdateActiveUsersThread(Client& client, GuiThread& gui,
                                                             ActiveUsersTable& table, std::function<void()> changed)
    : client_(client), gui_(gui), table_(table), changed_(std::move(changed))
{
}

TAsyncUpdateActiveUsersThread::~TAsyncUpdateActiveUsersThread()
{
    Stop();
}

void TAsyncUpdateActiveUsersThread::Start()
{
    if (!thread_.joinable())
        thread_ = std::thread([this] { Loop(); });
}

void TAsyncUpdateActiveUsersThread::Stop()
{
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
        wake_.notify_all();
    }
    if (thread_.joinable())
        thread_.join();
}

void TAsyncUpdateActiveUsersThread::RequestUpdate()
{
    if (!client_.ConnectedEvent().IsSet())
        return;
    std::lock_guard lock(mutex_);
    requested_ = true;
    wake_.notify_all();
}

void TAsyncUpdateActiveUsersThread::Loop()
{
    for (;;) {
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stop_ || requested_; });
            if (stop_)
                return;
            requested_ = false;
        }
        UpdateNow();
    }
}

void TAsyncUpdateActiveUsersThread::UpdateNow()
{
    TGenericTrans whoIsOn(client_.Protocol(), "Get who is on", requests::WhoIsOn(true, 0, false));
    whoIsOn.SetShowErrors(false);
    if (!client_.Transactions().ExecuteAndWait(whoIsOn))
        return;
    const std::vector<WhoIsOnRec> records = ParseWhoIsOn(whoIsOn.ReplyLine());
    MVCache& cache = client_.Cache();
    auto cachedName = [&cache](int32_t number) {
        return cache.IsNameCached(number) >= 0 ? cache.GetName(number) : std::string();
    };
    auto disconnecting = [this] { return client_.DisconnectingEvent().IsSet(); };

    if (disconnecting())
        return;
    gui_.invokeAndWait([&] {
        for (const WhoIsOnRec& r : records)
            table_.QuickFill(r, cachedName(r.person), cachedName(r.workingConf));
        if (changed_)
            changed_();
    });

    for (const WhoIsOnRec& r : records) {
        if (disconnecting())
            return;
        const std::string user = cache.GetName(r.person);
        if (disconnecting())
            return;
        // A session outside any conference shows an empty cell.
        const std::string conf = r.workingConf > 0 ? cache.GetName(r.workingConf) : std::string();
        if (disconnecting())
            return;
        auto info = cache.GetSessionInfo(r.session);
        if (disconnecting())
            return;
        if (!info)
            continue;
        gui_.invokeAndWait([&] {
            table_.SlowFill(r, user, conf, ClientDescription(info->clientName, info->clientVersion), info->account,
                            info->host, info->ident);
            if (changed_)
                changed_();
        });
    }
    ++completed_;
}

} // namespace pellar
