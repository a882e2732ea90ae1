#include "core/session/MVCache.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "core/config/TMiravoConfiguration.h"
#include "core/sync/BlockingWait.h"
#include "core/link/MVRequests.h"
#include "core/link/MVTransaction.h"
#include "core/wire/ProtocolContext.h"
#include "core/wire/SessionReplies.h"
#include "core/wire/WireTokens.h"

namespace pellar {

namespace {

const char* const kUnknownName = "*Unknown*";

// The server hears of at most this many numbers in one request.
constexpr size_t kMarkReadBatch = 31;

} // namespace

// Marks that went out but were never answered (link lost, or dropped while
// offline) come back here, tagged with the person and server they belong to.
struct MVCache::MarkReadStore {
    std::mutex mutex;
    std::string server;
    int32_t person = 0;
    std::map<int32_t, std::set<int32_t>> pending;

    void Requeue(const std::string& forServer, int32_t forPerson, int32_t conf, const std::vector<int32_t>& locals)
    {
        std::lock_guard lock(mutex);
        if (forServer != server || forPerson != person)
            return;  // another session began meanwhile: these are not its marks
        pending[conf].insert(locals.begin(), locals.end());
    }
};

namespace {

// A mark-read request that knows whether the server took it: answered (either way)
// means done; destroyed unanswered means the numbers must be sent again.
class TMarkReadTrans : public TGenericTrans {
public:
    TMarkReadTrans(ProtocolContext& context, int32_t conf, std::vector<int32_t> locals,
                   std::weak_ptr<MVCache::MarkReadStore> store, std::string server, int32_t person)
        : TGenericTrans(context, "Mark texts read", requests::MarkAsRead(conf, locals)),
          conf_(conf), locals_(std::move(locals)), store_(std::move(store)), server_(std::move(server)),
          person_(person)
    {
    }

    ~TMarkReadTrans() override
    {
        if (answered_)
            return;
        if (auto store = store_.lock())
            store->Requeue(server_, person_, conf_, locals_);
    }

    void ParseReply() override
    {
        answered_ = true;
        TGenericTrans::ParseReply();
    }

    // A refusal is final: sending the same numbers again would be refused again.
    void ParseError() override
    {
        answered_ = true;
        TGenericTrans::ParseError();
    }

private:
    int32_t conf_;
    std::vector<int32_t> locals_;
    std::weak_ptr<MVCache::MarkReadStore> store_;
    std::string server_;
    int32_t person_;
    bool answered_ = false;
};

} // namespace

MVCache::MVCache(CacheHost& client) : client_(client), undelivered_(std::make_shared<MarkReadStore>()) {}

MVCache::~MVCache() = default;

// --- Names ----------------------------------------------------------------

std::string MVCache::GetNameOrFail(int32_t number)
{
    if (number == 0)
        throw NoSuchConferenceException();
    // Another thread asking for the same name holds the key across its
    // request; waiting for it goes through the waiting port like any wait
    // for the server, and a user who gives up gets no name.
    TIntegerResourceGuard key(nameKeys_, number, client_.Waits(), "the name of number " + std::to_string(number));
    if (!key.Held())
        throw NoSuchConferenceException();
    {
        std::lock_guard lock(nameMutex_);
        int index;
        if (names_.Find(number, index)) {
            ++nameHits_;
            return names_.Object(index);
        }
    }
    ++nameMisses_;
    TNameFromNumberTrans request(client_.Protocol(), number);
    request.SetShowErrors(false);
    if (!client_.Transactions().ExecuteAndWait(request))
        throw NoSuchConferenceException();
    std::string name = request.Name();
    SetName(number, name);
    return name;
}

std::string MVCache::GetName(int32_t number)
{
    try {
        return GetNameOrFail(number);
    } catch (...) {
        return kUnknownName;
    }
}

int MVCache::IsNameCached(int32_t number)
{
    if (number == 0)
        return -1;
    std::lock_guard lock(nameMutex_);
    int index;
    return names_.Find(number, index) ? index : -1;
}

void MVCache::SetName(int32_t number, std::string name)
{
    if (number == 0)
        return;
    std::lock_guard lock(nameMutex_);
    int index;
    if (names_.Find(number, index)) {
        if (names_.Object(index) != name)
            ++changes_;
        names_.SetObject(index, std::move(name));
    } else {
        names_.SetObject(names_.Add(number), std::move(name));
    }
}

// --- Text statuses --------------------------------------------------------

std::shared_ptr<TextStatType> MVCache::GetTextStat(int32_t text)
{
    if (text == 0)
        return nullptr;
    TIntegerResourceGuard key(statKeys_, text, client_.Waits(), "the status of text " + std::to_string(text));
    if (!key.Held())
        return nullptr;
    {
        std::lock_guard lock(statMutex_);
        int index;
        if (stats_.Find(text, index)) {
            ++statHits_;
            return stats_.Object(index);
        }
    }
    ++statMisses_;
    auto status = std::make_shared<TextStatType>();
    TGetTextStatTrans request(client_.Protocol(), text, *status);
    request.SetShowErrors(false);
    if (!client_.Transactions().ExecuteAndWait(request))
        return nullptr;
    PutTextStat(text, status);
    return status;
}

bool MVCache::IsTextStatCached(int32_t text)
{
    std::lock_guard lock(statMutex_);
    int index;
    return stats_.Find(text, index);
}

void MVCache::PutTextStat(int32_t text, std::shared_ptr<TextStatType> status)
{
    std::lock_guard lock(statMutex_);
    int index;
    if (stats_.Find(text, index)) {
        ++changes_;
        stats_.SetObject(index, std::move(status));
    } else {
        stats_.SetObject(stats_.Add(text), std::move(status));
    }
}

void MVCache::ForgetTextStat(int32_t text)
{
    std::lock_guard lock(statMutex_);
    stats_.RemoveKey(text);
    ++changes_;
}

// --- Texts ----------------------------------------------------------------

std::shared_ptr<TMiravoText> MVCache::GetText(int32_t text)
{
    TextMiss miss = TextMiss::None;
    return GetText(text, miss);
}

std::shared_ptr<TMiravoText> MVCache::GetText(int32_t text, TextMiss& miss)
{
    miss = TextMiss::None;
    if (text == 0) {
        miss = TextMiss::Refused;
        return nullptr;
    }
    TIntegerResourceGuard key(textKeys_, text, client_.Waits(), "text " + std::to_string(text));
    if (!key.Held()) {
        miss = TextMiss::NotAnswered;
        return nullptr;
    }
    {
        std::lock_guard lock(textMutex_);
        int index;
        if (texts_.Find(text, index)) {
            const TextCacheType& entry = *texts_.Object(index);
            ++textHits_;
            if (entry.failed) {
                miss = TextMiss::Refused;
                return nullptr;
            }
            return entry.text;
        }
    }
    lastMissedText_ = text;
    ++textMisses_;
    TGetTextTrans request(client_.Protocol(), text);
    const bool ok = client_.Transactions().ExecuteAndWait(request);
    if (!ok) {
        // A refusal is the server's answer and stays one; a cancelled wait,
        // a lost link or an unreadable reply says nothing about the text.
        if (request.Malformed())
            miss = TextMiss::Unreadable;
        else if (request.ErrorText().empty())
            miss = TextMiss::NotAnswered;
        else
            miss = TextMiss::Refused;
        if (miss != TextMiss::Refused)
            return nullptr;
    }
    auto entry = std::make_shared<TextCacheType>();
    entry->failed = !ok;
    if (ok)
        entry->text = std::make_shared<TMiravoText>(text, request.Contents());
    std::lock_guard lock(textMutex_);
    StoreTextLocked(text, entry);
    return entry->text;
}

void MVCache::StoreTextLocked(int32_t text, std::shared_ptr<TextCacheType> entry)
{
    // The whole text's subject line answers from now on.
    subjects_.Remove(text);
    int index;
    if (!texts_.Find(text, index))
        texts_.SetObject(texts_.Add(text), std::move(entry));
}

void MVCache::ForgetText(int32_t text)
{
    ForgetTextStat(text);
    std::lock_guard lock(textMutex_);
    texts_.RemoveKey(text);
    subjects_.Remove(text);
}

bool MVCache::IsTextCached(int32_t text)
{
    std::lock_guard lock(textMutex_);
    int index;
    return texts_.Find(text, index);
}

void MVCache::PutSubject(int32_t text, std::string subject)
{
    std::lock_guard lock(textMutex_);
    int index;
    if (!texts_.Find(text, index))
        subjects_.Put(text, subject);
}

std::optional<std::string> MVCache::CachedSubject(int32_t text)
{
    std::lock_guard lock(textMutex_);
    int index;
    if (!texts_.Find(text, index)) {
        return subjects_.Get(text);
    }
    const TextCacheType& entry = *texts_.Object(index);
    if (!entry.text)
        return std::nullopt;
    return entry.text->Subject();
}

void MVCache::PutText(int32_t text, std::shared_ptr<TMiravoText> body)
{
    auto entry = std::make_shared<TextCacheType>();
    entry->failed = !body;
    entry->text = std::move(body);
    std::lock_guard lock(textMutex_);
    StoreTextLocked(text, std::move(entry));
}

// --- Session information --------------------------------------------------

std::shared_ptr<SessionInfoRec> MVCache::GetSessionInfo(int32_t session)
{
    // The per-key lock, not the cache's, is held across the three requests:
    // one session is asked for once, and no lock is held while waiting.
    TIntegerResourceGuard key(sessionKeys_, session, client_.Waits(),
                              "the session information of session " + std::to_string(session));
    if (!key.Held())
        return nullptr;
    {
        std::lock_guard lock(sessionMutex_);
        int index;
        if (sessions_.Find(session, index))
            return sessions_.Object(index);
    }

    auto run = [this](const WireRequest& wire, const char* label) -> std::optional<std::string> {
        TGenericTrans request(client_.Protocol(), label, wire);
        request.SetShowErrors(false);
        if (!client_.Transactions().ExecuteAndWait(request))
            return std::nullopt;
        return request.ReplyLine();
    };

    auto info = std::make_shared<SessionInfoRec>();
    auto staticInfo = run(requests::GetStaticSessionInfo(session), "Get static session info");
    if (!staticInfo)
        return nullptr;
    const StaticSessionInfoRec fixed = ParseStaticSessionInfo(*staticInfo);
    info->account = fixed.account;
    info->host = fixed.host;
    info->ident = fixed.ident;
    info->connectionTime = fixed.connectionTime;
    size_t pos = 0;

    auto version = run(requests::GetClientVersion(session), "Get client version");
    if (!version)
        return nullptr;
    pos = 0;
    info->clientVersion = ReadHollerith(*version, pos);

    auto name = run(requests::GetClientName(session), "Get client info");
    if (!name)
        return nullptr;
    pos = 0;
    info->clientName = ReadHollerith(*name, pos);

    std::lock_guard lock(sessionMutex_);
    int index;
    if (!sessions_.Find(session, index))
        sessions_.SetObject(sessions_.Add(session), info);
    return info;
}

// --- Memberships ----------------------------------------------------------

std::shared_ptr<TMiravoMembership> MVCache::GetMembership(int32_t conf)
{
    if (conf == 0)
        return nullptr;
    std::lock_guard lock(membershipMutex_);
    int index;
    return memberships_.Find(conf, index) ? memberships_.Object(index) : nullptr;
}

void MVCache::PutMembership(std::shared_ptr<TMiravoMembership> m)
{
    if (!m)
        return;
    const int32_t conf = m->ConfNo();
    std::lock_guard lock(membershipMutex_);
    // Joining or another copy of one changes what is unread where.
    ++changes_;
    int index;
    if (memberships_.Find(conf, index))
        memberships_.SetObject(index, std::move(m));
    else
        memberships_.SetObject(memberships_.Add(conf), std::move(m));
}

std::shared_ptr<TMiravoMembership> MVCache::RemoveMembership(int32_t conf)
{
    std::lock_guard lock(membershipMutex_);
    int index;
    if (!memberships_.Find(conf, index))
        return nullptr;
    auto m = memberships_.Object(index);
    memberships_.Delete(index);
    ++changes_;
    return m;
}

void MVCache::ListMemberConferences(std::vector<int32_t>& into)
{
    std::lock_guard lock(membershipMutex_);
    for (int i = 0; i < memberships_.Count(); ++i)
        into.push_back(memberships_.Key(i));
}

std::vector<std::shared_ptr<TMiravoMembership>> MVCache::ChangedMemberships()
{
    std::vector<std::shared_ptr<TMiravoMembership>> out;
    std::lock_guard lock(membershipMutex_);
    for (int i = 0; i < memberships_.Count(); ++i)
        if (const auto& m = memberships_.Object(i); m && m->Changed())
            out.push_back(m);
    return out;
}

// --- Conferences ----------------------------------------------------------

std::shared_ptr<TMiravoConference> MVCache::GetConference(int32_t conf)
{
    if (conf == 0)
        return nullptr;
    TIntegerResourceGuard key(confKeys_, conf);
    std::lock_guard lock(confMutex_);
    int index;
    if (conferences_.Find(conf, index))
        return conferences_.Object(index);
    // An empty record: it loads its own status through us when first read.
    auto record = std::make_shared<TMiravoConference>(conf, this);
    conferences_.SetObject(conferences_.Add(conf), record);
    return record;
}

std::shared_ptr<TMiravoConference> MVCache::CachedConference(int32_t conf)
{
    std::lock_guard lock(confMutex_);
    int index;
    return conferences_.Find(conf, index) ? conferences_.Object(index) : nullptr;
}

// --- Mark-read queue ------------------------------------------------------

bool MVCache::TakeQueue(int32_t& conf, std::vector<int32_t>& locals)
{
    if (queue_.Count() == 0)
        return false;
    conf = queueConf_;
    locals.clear();
    for (int i = 0; i < queue_.Count(); ++i)
        locals.push_back(queue_.Key(i));
    queue_.Clear();
    return true;
}

void MVCache::QueueMarkRead(int32_t conf, int32_t local)
{
    int32_t flushConf = 0;
    std::vector<int32_t> flushLocals;
    bool flush = false;
    {
        std::lock_guard lock(queueMutex_);
        if (conf != queueConf_) {
            flush = TakeQueue(flushConf, flushLocals);
            queueConf_ = conf;
        }
        queue_.Add(local);
        if (!flush && queue_.Count() > 30)
            flush = TakeQueue(flushConf, flushLocals);
    }
    // Sent outside the lock; a conference change and an overflow cannot both
    // happen on one call (a fresh queue holds one number).
    if (flush)
        FlushTaken(flushConf, std::move(flushLocals), false);
}

void MVCache::FlushMarkRead(bool wait)
{
    int32_t conf = 0;
    std::vector<int32_t> locals;
    {
        std::lock_guard lock(queueMutex_);
        if (!TakeQueue(conf, locals))
            return;
    }
    FlushTaken(conf, std::move(locals), wait);
}

void MVCache::FlushTaken(int32_t conf, std::vector<int32_t> locals, bool wait)
{
    // "0": the numbers are dropped without telling the server.
    if (client_.Config().ReadString("MarkReadTexts", "1") == "0")
        return;
    SendMarkRead(conf, std::move(locals), wait);
}

void MVCache::SendMarkRead(int32_t conf, std::vector<int32_t> locals, bool wait)
{
    std::string server;
    int32_t person = 0;
    {
        std::lock_guard lock(undelivered_->mutex);
        server = undelivered_->server;
        person = undelivered_->person;
    }
    auto request = std::make_unique<TMarkReadTrans>(client_.Protocol(), conf, std::move(locals),
                                                    undelivered_, std::move(server), person);
    if (wait)
        client_.Transactions().ExecuteAndWait(*request);
    else
        client_.Transactions().Execute(std::move(request));
}

void MVCache::ResumeMarkRead(const std::string& server, int32_t person)
{
    std::map<int32_t, std::set<int32_t>> resend;
    {
        std::lock_guard queueLock(queueMutex_);
        std::lock_guard lock(undelivered_->mutex);
        if (server != undelivered_->server || person != undelivered_->person) {
            // Someone else's marks: neither the queue nor the leftovers are ours.
            undelivered_->pending.clear();
            queue_.Clear();
            queueConf_ = -1;
            undelivered_->server = server;
            undelivered_->person = person;
            return;
        }
        resend.swap(undelivered_->pending);
        // Numbers still waiting in the queue when the link went were never
        // sent at all; they go now too, not at the next periodic flush, which
        // comes only after the memberships have been read back as unread.
        int32_t conf = 0;
        std::vector<int32_t> locals;
        if (TakeQueue(conf, locals))
            resend[conf].insert(locals.begin(), locals.end());
    }
    for (auto& [conf, set] : resend) {
        std::vector<int32_t> all(set.begin(), set.end());
        for (size_t from = 0; from < all.size(); from += kMarkReadBatch) {
            const size_t to = std::min(all.size(), from + kMarkReadBatch);
            FlushTaken(conf, std::vector<int32_t>(all.begin() + static_cast<std::ptrdiff_t>(from),
                                                  all.begin() + static_cast<std::ptrdiff_t>(to)),
                       false);
        }
    }
}

int MVCache::PendingMarkReadCount() const
{
    std::lock_guard queueLock(queueMutex_);
    std::lock_guard lock(undelivered_->mutex);
    size_t count = static_cast<size_t>(queue_.Count());
    for (const auto& [conf, set] : undelivered_->pending)
        count += set.size();
    return static_cast<int>(count);
}

// --- Clearing and statistics ----------------------------------------------

void MVCache::ClearAllCaches()
{
    ++changes_;
    {
        std::lock_guard lock(nameMutex_);
        names_.Clear();
    }
    {
        std::lock_guard lock(statMutex_);
        stats_.Clear();
    }
    {
        std::lock_guard lock(textMutex_);
        texts_.Clear();
        subjects_.Clear();
    }
    {
        std::lock_guard lock(sessionMutex_);
        sessions_.Clear();
    }
    {
        std::lock_guard lock(membershipMutex_);
        memberships_.Clear();
    }
    {
        std::lock_guard lock(confMutex_);
        conferences_.Clear();
    }
}

void MVCache::ForgetConferenceStatuses()
{
    std::vector<std::shared_ptr<TMiravoConference>> records;
    {
        std::lock_guard lock(confMutex_);
        for (int i = 0; i < conferences_.Count(); ++i)
            records.push_back(conferences_.Object(i));
    }
    for (const auto& record : records) {
        if (!record)
            continue;
        record->SetFullLoaded(false);
        record->SetShortLoaded(false);
    }
}

CacheVersion MVCache::Version() const
{
    CacheVersion version;
    std::lock_guard lock(membershipMutex_);
    version.changes = changes_;
    for (int i = 0; i < memberships_.Count(); ++i)
        version.reads += memberships_.Object(i)->ReadVersion();
    return version;
}

CacheStatistics MVCache::Statistics() const
{
    return CacheStatistics{nameHits_.load(), nameMisses_.load(), statHits_.load(),  statMisses_.load(),
                           textHits_.load(), textMisses_.load(), lastMissedText_.load()};
}

// --- RecordServices -------------------------------------------------------

bool MVCache::LoadTextMap(int32_t conf, int32_t firstLocal, int32_t count, TSortedIntegerList<int32_t>& into)
{
    TGetTextMap request(client_.Protocol(), into, conf, firstLocal, count);
    // A refusal is an answer; a cancel or a lost link is not.
    return client_.Transactions().ExecuteAndWait(request) || !request.ErrorText().empty();
}

std::shared_ptr<TMiravoConference> MVCache::FindConference(int32_t conf)
{
    return GetConference(conf);
}

std::shared_ptr<TextStatType> MVCache::FindTextStat(int32_t text)
{
    return GetTextStat(text);
}

void MVCache::NoteMarkedRead(int32_t conf, int32_t local)
{
    {
        std::lock_guard lock(readMarksMutex_);
        readMarks_.push_back(ReadMark{conf, local});
        if (readMarks_.size() > kReadMarksKept)
            readMarks_.pop_front();
        ++readMarksReported_;
    }
    QueueMarkRead(conf, local);
}

bool MVCache::ReadMarksSince(uint64_t& seen, std::vector<ReadMark>& out) const
{
    std::lock_guard lock(readMarksMutex_);
    const uint64_t firstKept = readMarksReported_ - readMarks_.size();
    const bool whole = seen >= firstKept && seen <= readMarksReported_;
    if (whole)
        out.insert(out.end(), readMarks_.begin() + static_cast<std::ptrdiff_t>(seen - firstKept), readMarks_.end());
    seen = readMarksReported_;
    return whole;
}

} // namespace pellar
