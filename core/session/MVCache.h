// What the client has already learnt from the server, for every thread:
// names, text statuses, texts, session information, the person's memberships
// and conference records, plus the queue that tells the server which texts
// were read. One per Client (client.Cache()); it is also the client's
// RecordServices, so records load through it.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/wire/DateTime.h"
#include "core/wire/MiravoErrors.h"
#include "core/wire/RecordServices.h"
#include "core/sync/TIntegerResourceLock.h"
#include "core/wire/TMiravoConference.h"
#include "core/wire/TMiravoMembership.h"
#include "core/wire/TMiravoText.h"
#include "core/base/TSortedIntegerList.h"
#include "core/wire/TextStatType.h"
#include "core/session/SubjectLines.h"
#include "core/session/TextSource.h"

namespace pellar {

class BlockingWait;
class ProtocolContext;
class TMiravoActiveTransactions;
class TMiravoConfiguration;

// What the caches use of the running client: the request forms and the
// engine, how a thread waits for the server, and the settings. The client
// context implements it; the caches know nothing else of it.
class CacheHost {
public:
    virtual ~CacheHost() = default;
    virtual ProtocolContext& Protocol() = 0;
    virtual TMiravoActiveTransactions& Transactions() = 0;
    virtual BlockingWait& Waits() = 0;
    virtual TMiravoConfiguration& Config() = 0;
};

class NoSuchConferenceException : public MiravoException {
public:
    NoSuchConferenceException() : MiravoException("No such name") {}
};

struct SessionInfoRec {
    std::string account, host, ident;
    TDateTime connectionTime = 0;
    std::string clientName, clientVersion;
};

struct CacheStatistics {
    uint32_t nameHits, nameMisses, statHits, statMisses, textHits, textMisses;
    int32_t lastMissedText;
};

class MVCache : public RecordServices {
public:
    explicit MVCache(CacheHost& client);
    ~MVCache() override;
    MVCache(const MVCache&) = delete;
    MVCache& operator=(const MVCache&) = delete;

    std::string GetName(int32_t number);                 // "*Unknown*" on any failure
    std::string GetNameOrFail(int32_t number);           // throws NoSuchConferenceException
    int IsNameCached(int32_t number);                    // index or -1
    void SetName(int32_t number, std::string name);
    std::shared_ptr<TextStatType> GetTextStat(int32_t text);   // null for 0 / failure
    bool IsTextStatCached(int32_t text);
    void PutTextStat(int32_t text, std::shared_ptr<TextStatType> status);
    void ForgetTextStat(int32_t text);
    // A cached record was changed where it lies (a new comment's link added
    // to its parent): counted as a change (see Version).
    void NoteChangedInPlace() { ++changes_; }
    std::shared_ptr<TMiravoText> GetText(int32_t text);        // null for 0 / (cached) failure
    // Why a text could not be had. Only a refusal is remembered: a wait the
    // user cancelled, or a link that went, leaves the next look-up to ask again.
    enum class TextMiss { None, Refused, Unreadable, NotAnswered };
    std::shared_ptr<TMiravoText> GetText(int32_t text, TextMiss& miss);
    // The body and the status go: the next look-up asks the server again.
    void ForgetText(int32_t text);
    // Looks only; a cached failure counts as cached.
    bool IsTextCached(int32_t text);
    // A body fetched elsewhere (null: the server had none); kept only when
    // the text is not cached yet.
    void PutText(int32_t text, std::shared_ptr<TMiravoText> body);
    // The subject line alone, from a ranged fetch, for lists that show
    // subjects: never handed out as the text, and replaced by the whole
    // text when that is fetched. Kept only when nothing is cached yet.
    void PutSubject(int32_t text, std::string subject);
    // Looks only: the subject of a cached text or subject line.
    std::optional<std::string> CachedSubject(int32_t text);
    // Fetches the local-to-global map of [firstLocal, firstLocal + count)
    // with every block's request in flight at once, instead of a round
    // trip per block.
    void PreloadTextMap(int32_t conf, int32_t firstLocal, int32_t count);
    std::shared_ptr<SessionInfoRec> GetSessionInfo(int32_t session);
    std::shared_ptr<TMiravoMembership> GetMembership(int32_t conf);   // looks only
    void PutMembership(std::shared_ptr<TMiravoMembership> m);
    std::shared_ptr<TMiravoMembership> RemoveMembership(int32_t conf);
    void ListMemberConferences(std::vector<int32_t>& into);     // ascending
    // The memberships marked changed, ascending by conference, in one look
    // (a refresh after each text read asks this of a thousand memberships).
    std::vector<std::shared_ptr<TMiravoMembership>> ChangedMemberships();
    std::shared_ptr<TMiravoConference> GetConference(int32_t conf);  // null only for 0
    // Looks only, and never waits for another thread's key: the cached
    // record, or null.
    std::shared_ptr<TMiravoConference> CachedConference(int32_t conf);

    // A read mark a cached membership reported, in the order they came.
    struct ReadMark {
        int32_t conf = 0;
        int32_t local = 0;
        bool operator==(const ReadMark&) const = default;
    };
    // The last marks are kept, so that a list showing read state can take
    // in what was read since it last looked instead of looking at every row.
    static constexpr size_t kReadMarksKept = 4096;
    // Appends the marks reported after the first `seen` of them and moves
    // seen to the count reported so far. False when some of them are no
    // longer kept: the caller must look at everything again.
    bool ReadMarksSince(uint64_t& seen, std::vector<ReadMark>& out) const;
    void QueueMarkRead(int32_t conf, int32_t local);
    void FlushMarkRead(bool wait);
    void ClearAllCaches();
    // Every cached conference reads its statuses from the server again on
    // next use (a link came back: texts may have come meanwhile); the text
    // maps, texts and names stay.
    void ForgetConferenceStatuses();
    CacheStatistics Statistics() const;
    // See CacheVersion. Adding what was not cached yet changes nothing.
    CacheVersion Version() const;

    // Brings the statuses of all these conferences in with one wait: every
    // missing request goes out before the first reply is waited for. Their
    // names land in the name cache. Conferences another thread is loading
    // are left to it.
    void LoadConferenceStatuses(std::vector<int32_t> confs);

    // Read marks belong to one person on one server. Logon calls this once the
    // person is logged on: marks that could not be delivered earlier go out
    // now if the session is the same person on the same server, and are
    // dropped otherwise (they would mark another person's texts).
    void ResumeMarkRead(const std::string& server, int32_t person);
    // Numbers queued or waiting for redelivery, for the statistics and tests.
    int PendingMarkReadCount() const;

    // RecordServices
    void LoadFullConfStatus(TMiravoConferenceBase& conf) override;
    void LoadShortConfStatus(TMiravoConferenceBase& conf) override;
    bool LoadTextMap(int32_t conf, int32_t firstLocal, int32_t count, TSortedIntegerList<int32_t>& into) override;
    std::shared_ptr<TMiravoConference> FindConference(int32_t conf) override;
    std::shared_ptr<TextStatType> FindTextStat(int32_t text) override;
    void NoteMarkedRead(int32_t conf, int32_t local) override;

    // Shared with the mark-read requests in flight, which outlive a flush.
    struct MarkReadStore;

private:
    struct TextCacheType {
        std::shared_ptr<TMiravoText> text;
        bool failed = false;
    };

    // Keeps a fetched text (or its failure) unless one is cached; the caller
    // holds textMutex_.
    void StoreTextLocked(int32_t text, std::shared_ptr<TextCacheType> entry);
    // Sends the missing status requests of every record, then waits once;
    // the caller holds the records' status keys.
    void FetchConfStatuses(const std::vector<TMiravoConferenceBase*>& records);
    // Sends one batch (ascending numbers) of one conference; no lock held.
    void SendMarkRead(int32_t conf, std::vector<int32_t> locals, bool wait);
    // Takes the queue's numbers out, or nothing when empty.
    bool TakeQueue(int32_t& conf, std::vector<int32_t>& locals);
    void FlushTaken(int32_t conf, std::vector<int32_t> locals, bool wait);

    CacheHost& client_;

    mutable std::mutex nameMutex_;
    TIntegerResourceLock nameKeys_;
    TSortedIntegerList<std::string> names_;

    mutable std::mutex statMutex_;
    TIntegerResourceLock statKeys_;
    TSortedIntegerList<std::shared_ptr<TextStatType>> stats_;

    mutable std::mutex textMutex_;
    TIntegerResourceLock textKeys_;
    TSortedIntegerList<std::shared_ptr<TextCacheType>> texts_;
    // Subject lines of texts not cached whole, held apart and flat: a big
    // conference's tree keeps ten thousand of them.
    SubjectLines subjects_;

    mutable std::mutex readMarksMutex_;
    std::deque<ReadMark> readMarks_;   // the last kReadMarksKept
    uint64_t readMarksReported_ = 0;   // every mark ever reported

    std::mutex sessionMutex_;
    TIntegerResourceLock sessionKeys_;
    TSortedIntegerList<std::shared_ptr<SessionInfoRec>> sessions_;

    mutable std::mutex membershipMutex_;
    TSortedIntegerList<std::shared_ptr<TMiravoMembership>> memberships_;

    mutable std::mutex confMutex_;
    TIntegerResourceLock confKeys_;
    TIntegerResourceLock statusKeys_;  // held while a conference's status loads
    TSortedIntegerList<std::shared_ptr<TMiravoConference>> conferences_;

    mutable std::mutex queueMutex_;
    int32_t queueConf_ = -1;
    TSortedIntegerList<> queue_;
    std::shared_ptr<MarkReadStore> undelivered_;

    std::atomic<uint32_t> nameHits_{0}, nameMisses_{0}, statHits_{0}, statMisses_{0}, textHits_{0},
        textMisses_{0};
    std::atomic<int32_t> lastMissedText_{0};
    // Statuses, texts, names and memberships forgotten or replaced.
    std::atomic<uint64_t> changes_{0};
};

} // namespace pellar
