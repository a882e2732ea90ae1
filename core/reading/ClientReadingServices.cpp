#include "core/reading/ClientReadingServices.h"

#include <algorithm>
#include <chrono>
#include <deque>
#include <exception>
#include <cstdlib>
#include <set>
#include <thread>

#include "core/config/ConfigKeys.h"
#include "core/link/MVRequests.h"
#include "core/sync/TSyncronizer.h"
#include "core/session/Client.h"

namespace pellar {

namespace {

// A host name or address that is this machine or the local network: a
// round trip there costs next to nothing.
bool IsNearbyHost(const std::string& host)
{
    if (host.empty() || host == "localhost" || host == "::1" || host.rfind("fe80:", 0) == 0 ||
        host.rfind("fd", 0) == 0 || host.rfind("127.", 0) == 0 || host.rfind("10.", 0) == 0 ||
        host.rfind("192.168.", 0) == 0 || host.rfind("169.254.", 0) == 0)
        return true;
    if (host.rfind("172.", 0) == 0) {
        const int second = std::atoi(host.c_str() + 4);
        return second >= 16 && second <= 31;
    }
    // A bare name (no dot) or one under .local or .lan is a machine nearby.
    if (host.find('.') == std::string::npos && host.find(':') == std::string::npos)
        return true;
    auto endsWith = [&host](std::string_view tail) {
        return host.size() > tail.size() && host.compare(host.size() - tail.size(), tail.size(), tail) == 0;
    };
    return endsWith(".local") || endsWith(".lan");
}

// One request of an outline fetch.
enum class OutlineKind { Status, Subject, LongSubject, Text, Name };
struct OutlineRequest {
    int32_t number = 0;
    OutlineKind kind = OutlineKind::Status;
    std::shared_ptr<TextStatType> stat;
    std::unique_ptr<TMiravoTransaction> request;
};
// One part of an outline fetch in flight: its texts, its requests and the
// one synchroniser they release.
struct OutlinePart {
    std::vector<int32_t> texts;
    std::vector<OutlineRequest> requests;
    std::shared_ptr<TSyncronizer> sync = std::make_shared<TSyncronizer>();
};

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

void ClientReadingServices::FetchOutline(const std::vector<int32_t>& texts, const std::function<bool()>& stop,
                                         const std::function<void(const std::vector<int32_t>&)>& landed)
{
    // Nobody waits for these: a user's request goes first.
    BackgroundScope background;
    MVCache& cache = client_.Cache();
    TMiravoActiveTransactions& table = client_.Transactions();
    auto stopped = [&stop] { return stop && stop(); };
    // Names, longer subject lines and whole texts that a settled part showed
    // to be missing; they travel with the next part.
    std::vector<int32_t> names, longSubjects, wholeTexts;
    std::set<int32_t> namesAsked;

    auto add = [&](OutlinePart& part, int32_t number, OutlineKind kind) {
        OutlineRequest r{number, kind, nullptr, nullptr};
        switch (kind) {
        case OutlineKind::Status:
            r.stat = std::make_shared<TextStatType>();
            r.request = std::make_unique<TGetTextStatTrans>(client_.Protocol(), number, *r.stat);
            break;
        case OutlineKind::Subject:
            r.request = std::make_unique<TGetTextTrans>(client_.Protocol(), number, kSubjectBytes);
            break;
        case OutlineKind::LongSubject:
            r.request = std::make_unique<TGetTextTrans>(client_.Protocol(), number, kLongSubjectBytes);
            break;
        case OutlineKind::Text:
            r.request = std::make_unique<TGetTextTrans>(client_.Protocol(), number);
            break;
        case OutlineKind::Name:
            r.request = std::make_unique<TCacheNameFromNumberTrans>(
                client_.Protocol(), number, [&cache](int32_t n, std::string name) { cache.SetName(n, std::move(name)); });
            break;
        }
        part.requests.push_back(std::move(r));
    };
    auto issue = [&](OutlinePart& part) {
        for (int32_t text : part.texts) {
            if (!cache.IsTextStatCached(text))
                add(part, text, OutlineKind::Status);
            if (!cache.CachedSubject(text))
                add(part, text, OutlineKind::Subject);
        }
        for (int32_t number : names)
            add(part, number, OutlineKind::Name);
        for (int32_t text : longSubjects)
            add(part, text, OutlineKind::LongSubject);
        for (int32_t text : wholeTexts)
            add(part, text, OutlineKind::Text);
        names.clear();
        longSubjects.clear();
        wholeTexts.clear();
        for (OutlineRequest& r : part.requests) {
            part.sync->Acquire();
            table.Execute(*r.request, part.sync);
        }
    };
    auto settle = [&](OutlinePart& part) {
        // The requests refer to part: waited for to the end, also when
        // stopping (a lost link releases them all).
        part.sync->WaitFor(kInfinite);
        for (OutlineRequest& r : part.requests) {
            switch (r.kind) {
            case OutlineKind::Status:
                if (r.request->Success()) {
                    const int32_t author = r.stat->Author();
                    cache.PutTextStat(r.number, std::move(r.stat));
                    if (author != 0 && cache.IsNameCached(author) < 0 && namesAsked.insert(author).second)
                        names.push_back(author);
                }
                break;
            case OutlineKind::Subject:
            case OutlineKind::LongSubject:
            case OutlineKind::Text: {
                const auto& request = static_cast<const TGetTextTrans&>(*r.request);
                if (!request.Success()) {
                    // Only an answered refusal is remembered.
                    if (!request.ErrorText().empty())
                        cache.PutText(r.number, nullptr);
                } else if (r.kind == OutlineKind::Text || request.Whole()) {
                    cache.PutText(r.number, std::make_shared<TMiravoText>(r.number, request.Contents()));
                } else if (request.HasSubject()) {
                    cache.PutSubject(r.number, TMiravoText(r.number, request.Contents()).Subject());
                } else if (r.kind == OutlineKind::Subject) {
                    // A first line longer than most: a longer part of it.
                    longSubjects.push_back(r.number);
                } else {
                    wholeTexts.push_back(r.number);
                }
                break;
            }
            case OutlineKind::Name:
                break;
            }
        }
    };
    auto yieldToUser = [&] {
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(kMaxYieldMs);
        while (table.ForegroundOutstanding() > 0 && std::chrono::steady_clock::now() < until && !stopped())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    };

    std::deque<OutlinePart> inFlight;
    size_t next = 0;
    bool ending = false;
    for (;;) {
        while (!ending && inFlight.size() < 2 && (next < texts.size() || !names.empty() || !longSubjects.empty() || !wholeTexts.empty())) {
            yieldToUser();
            OutlinePart& part = inFlight.emplace_back();
            const size_t last = std::min(texts.size(), next + kOutlinePart);
            part.texts.assign(texts.begin() + static_cast<std::ptrdiff_t>(next),
                              texts.begin() + static_cast<std::ptrdiff_t>(last));
            next = last;
            issue(part);
        }
        if (inFlight.empty())
            return;
        settle(inFlight.front());
        if (landed && !inFlight.front().texts.empty())
            landed(inFlight.front().texts);
        inFlight.pop_front();
        ending = ending || stopped();
    }
}

std::string ClientReadingServices::Subject(int32_t text)
{
    if (std::optional<std::string> subject = client_.Cache().CachedSubject(text))
        return *subject;
    return ReadingServices::Subject(text);
}

void ClientReadingServices::PreloadTextMap(int32_t conf, int32_t firstLocal, int32_t count)
{
    client_.Cache().PreloadTextMap(conf, firstLocal, count);
}

std::optional<CacheVersion> ClientReadingServices::Version()
{
    return client_.Cache().Version();
}

bool ClientReadingServices::PrefetchEverything()
{
    const std::string setting = client_.Config().ReadString(ConfigKeys::PrefetchAll, "");
    if (setting == "1" || setting == "0")
        return setting == "1";
    // A link whose round trip is known to be short, or a server nearby
    // before the first reply tells.
    const int64_t roundTrip = client_.Transactions().ShortestRoundTripUs();
    if (roundTrip >= 0)
        return roundTrip <= kNearbyRoundTripUs;
    return IsNearbyHost(client_.ComThread().Server());
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

const LocalePort& ClientReadingServices::Locale()
{
    return client_.Locale();
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
