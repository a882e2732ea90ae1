// The conference-status half of the caches: a record loads its statuses
// through here, and a list of conferences (the reading window's list, say)
// has all of its missing statuses asked for at once and waited for once, so
// the wait does not grow with the length of the list. The names the statuses
// carry go into the name cache, which then need not ask for them again. A
// conference's text map comes in the same way: every block asked for at once.
#include "core/session/MVCache.h"

#include <algorithm>

#include "core/sync/BlockingWait.h"
#include "core/link/MVRequests.h"
#include "core/link/MVTransaction.h"
#include "core/wire/ProtocolContext.h"

namespace pellar {

namespace {

// The per-key locks a batch holds, given back however the batch ends.
class HeldKeys {
public:
    explicit HeldKeys(TIntegerResourceLock& locks) : locks_(locks) {}
    ~HeldKeys()
    {
        for (int32_t key : keys_)
            locks_.UnlockKey(key);
    }
    HeldKeys(const HeldKeys&) = delete;
    HeldKeys& operator=(const HeldKeys&) = delete;

    bool TryAdd(int32_t key)
    {
        if (!locks_.TryLockKey(key))
            return false;
        keys_.push_back(key);
        return true;
    }
    void DropLast()
    {
        locks_.UnlockKey(keys_.back());
        keys_.pop_back();
    }

private:
    TIntegerResourceLock& locks_;
    std::vector<int32_t> keys_;
};

// The server said something: the status, or that there is none.
bool Answered(const TMiravoTransaction& request)
{
    return request.Success() || !request.ErrorText().empty();
}

} // namespace

void MVCache::FetchConfStatuses(const std::vector<TMiravoConferenceBase*>& records)
{
    struct Pending {
        TMiravoConferenceBase* record;
        std::unique_ptr<TGetConfStatTrans> full;
        std::unique_ptr<TGetUConfStatTrans> brief;
    };
    std::vector<Pending> batch;
    batch.reserve(records.size());
    std::vector<int32_t> ids;
    auto sync = std::make_shared<TSyncronizer>();
    TMiravoActiveTransactions& engine = client_.Transactions();
    // Each request goes out as soon as it is made; the replies come back
    // while the rest are still being sent.
    for (TMiravoConferenceBase* record : records) {
        Pending p{record, nullptr, nullptr};
        const int32_t confNo = record->ConfNo();
        if (!record->FullLoaded()) {
            p.full = std::make_unique<TGetConfStatTrans>(client_.Protocol(), *record, confNo);
            sync->Acquire();
            engine.Execute(*p.full, sync);
            ids.push_back(p.full->Id());
        }
        if (!record->ShortLoaded()) {
            p.brief = std::make_unique<TGetUConfStatTrans>(client_.Protocol(), *record, confNo);
            sync->Acquire();
            engine.Execute(*p.brief, sync);
            ids.push_back(p.brief->Id());
        }
        batch.push_back(std::move(p));
    }
    // Through the waiting port: on the GUI thread the window keeps painting.
    const std::string what = records.size() == 1 ? "the status of conference " + std::to_string(records.front()->ConfNo())
                                                 : "the status of " + std::to_string(records.size()) + " conferences";
    if (!engine.WaitFor(sync, ids, what))
        return;  // given up: the next look asks again rather than show a guess
    for (Pending& p : batch) {
        // Asked once, even when the answer was a refusal; a request the link
        // lost was not answered, and the next look asks again.
        if (p.full && Answered(*p.full))
            p.record->SetFullLoaded(true);
        if (p.brief && Answered(*p.brief))
            p.record->SetShortLoaded(true);
        if ((p.full && p.full->Success()) || (p.brief && p.brief->Success()))
            SetName(p.record->ConfNo(), p.record->Snapshot().name);
    }
}

// Whoever asks for one of a conference's two statuses soon needs the other
// (the unread count reads both, the walk both): a record that has neither
// gets both requests at once, answered in one round trip.
void MVCache::LoadFullConfStatus(TMiravoConferenceBase& conf)
{
    // One load per conference at a time; whoever waited finds it done.
    TIntegerResourceGuard key(statusKeys_, conf.ConfNo(), client_.Waits(),
                              "the status of conference " + std::to_string(conf.ConfNo()));
    if (key.Held() && !conf.FullLoaded())
        FetchConfStatuses({&conf});
}

void MVCache::LoadShortConfStatus(TMiravoConferenceBase& conf)
{
    TIntegerResourceGuard key(statusKeys_, conf.ConfNo(), client_.Waits(),
                              "the status of conference " + std::to_string(conf.ConfNo()));
    if (key.Held() && !conf.ShortLoaded())
        FetchConfStatuses({&conf});
}

void MVCache::LoadConferenceStatuses(std::vector<int32_t> confs)
{
    std::sort(confs.begin(), confs.end());
    confs.erase(std::unique(confs.begin(), confs.end()), confs.end());
    HeldKeys held(statusKeys_);
    std::vector<std::shared_ptr<TMiravoConference>> records;
    std::vector<TMiravoConferenceBase*> missing;
    for (const int32_t conf : confs) {
        std::shared_ptr<TMiravoConference> record = GetConference(conf);
        if (!record || (record->FullLoaded() && record->ShortLoaded()))
            continue;
        // A conference another thread is loading is left to it: whoever
        // reads that record waits for its key and finds it loaded.
        if (!held.TryAdd(conf))
            continue;
        if (record->FullLoaded() && record->ShortLoaded()) {
            held.DropLast();
            continue;
        }
        missing.push_back(record.get());
        records.push_back(std::move(record));
    }
    if (!missing.empty())
        FetchConfStatuses(missing);
}

void MVCache::PreloadTextMap(int32_t conf, int32_t firstLocal, int32_t count)
{
    const std::shared_ptr<TMiravoConference> record = GetConference(conf);
    if (!record || count <= 0)
        return;
    const int32_t block = TMiravoConference::kTextMapBlock;
    struct Part {
        TSortedIntegerList<int32_t> entries;
        std::unique_ptr<TGetTextMap> request;
    };
    std::vector<std::unique_ptr<Part>> parts;
    for (int64_t local = firstLocal; local < int64_t{firstLocal} + count; local += block) {
        const auto first = static_cast<int32_t>(local);
        // Blocks already known are not asked for again.
        if (record->GlobalOf(first, true) >= 0)
            continue;
        auto part = std::make_unique<Part>();
        const auto size = static_cast<int32_t>(std::min<int64_t>(block, int64_t{firstLocal} + count - local));
        part->request = std::make_unique<TGetTextMap>(client_.Protocol(), part->entries, conf, first, size);
        parts.push_back(std::move(part));
    }
    if (parts.empty())
        return;
    auto sync = std::make_shared<TSyncronizer>();
    std::vector<int32_t> ids;
    for (auto& part : parts) {
        sync->Acquire();
        ids.push_back(part->request->Id());
        client_.Transactions().Execute(*part->request, sync);
    }
    // A cancelled wait cancels the requests too: nothing refers to parts
    // once this returns.
    client_.Transactions().WaitFor(sync, ids, "the text list of a conference");
    for (auto& part : parts) {
        if (!part->request->Success())
            continue;
        record->MergeTextMap(part->entries);
    }
}

} // namespace pellar
