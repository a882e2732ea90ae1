#include "core/reading/ClientReadingServices.h"

#include <algorithm>
#include <exception>

#include "core/config/ConfigKeys.h"
#include "core/protocol/MVRequests.h"
#include "core/protocol/TSyncronizer.h"
#include "core/session/Client.h"

namespace pellar {

namespace {

// Ascending and without repeats.
std::vector<int32_t> Distinct(std::vector<int32_t> numbers)
{
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    numbers.erase(std::remove(numbers.begin(), numbers.end(), 0), numbers.end());
    return numbers;
}

} // namespace

std::shared_ptr<TextStatType> ClientReadingServices::GetTextStat(int32_t text)
{
    return client_.Cache().GetTextStat(text);
}

bool ClientReadingServices::IsTextStatCached(int32_t text)
{
    return client_.Cache().IsTextStatCached(text);
}

std::shared_ptr<TMiravoText> ClientReadingServices::GetText(int32_t text)
{
    return client_.Cache().GetText(text);
}

std::shared_ptr<TMiravoMembership> ClientReadingServices::Membership(int32_t conf)
{
    return client_.Cache().GetMembership(conf);
}

std::shared_ptr<TMiravoConference> ClientReadingServices::Conference(int32_t conf)
{
    return client_.Cache().GetConference(conf);
}

std::vector<int32_t> ClientReadingServices::MemberConferences()
{
    std::vector<int32_t> confs;
    client_.Cache().ListMemberConferences(confs);
    return confs;
}

bool ClientReadingServices::IsNameCached(int32_t number)
{
    return client_.Cache().IsNameCached(number) >= 0;
}

void ClientReadingServices::FetchName(int32_t number)
{
    MVCache& cache = client_.Cache();
    TCacheNameFromNumberTrans request(client_.Protocol(), number,
                                      [&cache](int32_t n, std::string name) { cache.SetName(n, std::move(name)); });
    client_.Transactions().ExecuteAndWait(request);
}

std::string ClientReadingServices::GetName(int32_t number)
{
    return client_.Cache().GetName(number);
}

void ClientReadingServices::RunTogether(std::vector<std::function<void()>> jobs)
{
    if (jobs.empty())
        return;
    struct Batch {
        std::mutex mutex;
        std::condition_variable done;
        size_t left = 0;
    };
    auto batch = std::make_shared<Batch>();
    batch->left = jobs.size() - 1;
    auto run = [](std::function<void()>& job) {
        try {
            job();
        } catch (const std::exception&) {
            // A failed prefetch only means the later look-up asks again.
        }
    };
    if (batch->left > 0) {
        std::lock_guard lock(poolMutex_);
        const size_t wanted = std::min(jobs.size() - 1, static_cast<size_t>(kMaxParallel));
        while (helpers_.size() < wanted)
            helpers_.emplace_back([this] { HelperLoop(); });
        for (size_t i = 1; i < jobs.size(); ++i) {
            poolJobs_.push_back([batch, run, job = std::move(jobs[i])]() mutable {
                run(job);
                std::lock_guard done(batch->mutex);
                if (--batch->left == 0)
                    batch->done.notify_all();
            });
        }
        poolCond_.notify_all();
    }
    run(jobs[0]);
    std::unique_lock lock(batch->mutex);
    batch->done.wait(lock, [&] { return batch->left == 0; });
}

void ClientReadingServices::FetchTogether(const FetchList& list, int slowAfterMs,
                                          const std::function<void()>& whileSlow)
{
    MVCache& cache = client_.Cache();
    // One pending request: exactly one of the three is set.
    struct Pending {
        int32_t number = 0;
        std::shared_ptr<TextStatType> stat;
        std::unique_ptr<TMiravoTransaction> request;
        bool isText = false;
    };
    std::vector<Pending> pending;
    for (int32_t text : Distinct(list.stats)) {
        if (cache.IsTextStatCached(text))
            continue;
        Pending p{text, std::make_shared<TextStatType>(), nullptr, false};
        p.request = std::make_unique<TGetTextStatTrans>(client_.Protocol(), text, *p.stat);
        pending.push_back(std::move(p));
    }
    for (int32_t text : Distinct(list.texts)) {
        if (!cache.IsTextCached(text))
            pending.push_back(Pending{text, nullptr, std::make_unique<TGetTextTrans>(client_.Protocol(), text), true});
    }
    for (int32_t number : Distinct(list.names)) {
        if (cache.IsNameCached(number) >= 0)
            continue;
        pending.push_back(Pending{number, nullptr,
                                  std::make_unique<TCacheNameFromNumberTrans>(
                                      client_.Protocol(), number,
                                      [&cache](int32_t n, std::string name) { cache.SetName(n, std::move(name)); }),
                                  false});
    }
    bool slowDone = !whileSlow || slowAfterMs <= 0;
    for (size_t first = 0; first < pending.size(); first += kMaxInFlight) {
        const size_t last = std::min(pending.size(), first + kMaxInFlight);
        auto sync = std::make_shared<TSyncronizer>();
        for (size_t i = first; i < last; ++i) {
            sync->Acquire();
            client_.Transactions().Execute(*pending[i].request, sync);
        }
        std::exception_ptr failure;
        if (!slowDone && sync->WaitFor(slowAfterMs) == WaitResult::Timeout) {
            slowDone = true;
            try {
                whileSlow();
            } catch (...) {
                failure = std::current_exception();
            }
        }
        // The requests in flight refer to pending: wait even after a failure.
        sync->WaitFor(kInfinite);
        if (failure)
            std::rethrow_exception(failure);
        for (size_t i = first; i < last; ++i) {
            Pending& p = pending[i];
            if (p.stat) {
                if (p.request->Success())
                    cache.PutTextStat(p.number, std::move(p.stat));
            } else if (p.isText) {
                const auto& request = static_cast<const TGetTextTrans&>(*p.request);
                // Only an answered failure is remembered; after link loss the
                // next look-up asks again.
                if (request.Success())
                    cache.PutText(p.number, std::make_shared<TMiravoText>(p.number, request.Contents()));
                else if (!request.ErrorText().empty())
                    cache.PutText(p.number, nullptr);
            }
        }
    }
}

void ClientReadingServices::HelperLoop()
{
    for (;;) {
        std::function<void()> job;
        {
            std::unique_lock lock(poolMutex_);
            poolCond_.wait(lock, [this] { return stopping_ || !poolJobs_.empty(); });
            if (poolJobs_.empty())
                return;
            job = std::move(poolJobs_.front());
            poolJobs_.pop_front();
        }
        job();
    }
}

ClientReadingServices::~ClientReadingServices()
{
    {
        std::lock_guard lock(poolMutex_);
        stopping_ = true;
    }
    poolCond_.notify_all();
    for (std::thread& helper : helpers_)
        helper.join();
}

std::optional<std::string> ClientReadingServices::Request(std::string_view label, const WireRequest& request)
{
    TGenericTrans trans(client_.Protocol(), std::string(label), request);
    if (!client_.Transactions().ExecuteAndWait(trans))
        return std::nullopt;
    return trans.ReplyLine();
}

void ClientReadingServices::Send(std::string_view label, const WireRequest& request)
{
    client_.Transactions().Execute(std::make_unique<TGenericTrans>(client_.Protocol(), std::string(label), request));
}

int32_t ClientReadingServices::CurrentPerson()
{
    return client_.CurrentPerson();
}

bool ClientReadingServices::FilterAddedTexts()
{
    return client_.Config().ReadFlag(ConfigKeys::FilterAddedTexts, true);
}

bool ClientReadingServices::DisconnectInProgress()
{
    return client_.DisconnectingEvent().IsSet();
}

void ClientReadingServices::Log(std::string_view tag, std::string_view text)
{
    if (LogFile* log = client_.Log())
        log->Log(tag, text);
}

} // namespace pellar
