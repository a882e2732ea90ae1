#include "core/reading/SubjectTreeAsyncThread.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <exception>
#include <iterator>
#include <memory>
#include <optional>
#include <string>

#include "core/base/FreeMemory.h"
#include "core/link/MVTransaction.h"
#include "core/wire/TMiravoConference.h"
#include "core/wire/TMiravoMembership.h"
#include "core/wire/TMiravoText.h"
#include "core/wire/TextStatType.h"
#include "core/reading/FillingServices.h"
#include "core/reading/NextUnread.h"
#include "core/reading/ReadingServices.h"
#include "core/reading/SubjectTree.h"
#include "core/reading/TCurrentReadStatus.h"

namespace pellar {

namespace {

int32_t LocalIn(const TextStatType& stat, int32_t conf)
{
    for (const auto& item : stat.MiscInfos()) {
        if (const auto* normal = dynamic_cast<const TMiscInfoNormal*>(item.get()); normal && normal->confNo == conf)
            return normal->localNo;
    }
    return 0;
}

std::string PriorityKey(int32_t priority)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "%3.3d", priority);
    return buf;
}

// Keeps the next unread texts of the conference (by local number, on the
// private copy) fetched ahead of the walk, a window at a time: the walk then
// finds them cached instead of waiting for each text in turn. Comments to
// them come with their parents' prefetch.
class WalkAhead {
public:
    WalkAhead(ReadingServices& services, TMiravoConference& conf, const TMiravoMembership& copy, size_t window)
        : services_(services), conf_(conf), copy_(copy), window_(window),
          next_(int64_t{copy.LastTextRead()} + 1)
    {
    }

    // Fetches the next window once fewer than half of the fetched texts
    // are still ahead of the walk.
    void Keep(const PrefetchHooks& hooks)
    {
        while (!ahead_.empty() && copy_.IsRead(ahead_.front()))
            ahead_.pop_front();
        size_t unread = 0;
        for (int32_t local : ahead_)
            unread += copy_.IsRead(local) ? 0 : 1;
        if (unread >= window_ / 2)
            return;
        std::vector<int32_t> texts;
        const int32_t highest = conf_.HighestLocalNo();
        while (unread + texts.size() < window_ && next_ <= highest) {
            const auto local = static_cast<int32_t>(next_++);
            if (copy_.IsRead(local))
                continue;
            if (const int32_t global = conf_.GlobalOf(local, false); global > 0) {
                ahead_.push_back(local);
                texts.push_back(global);
            }
        }
        if (!texts.empty())
            PrefetchTexts(services_, texts, hooks);
    }

private:
    ReadingServices& services_;
    TMiravoConference& conf_;
    const TMiravoMembership& copy_;
    const size_t window_;
    int64_t next_;
    std::deque<int32_t> ahead_;  // local numbers fetched, ascending
};

} // namespace

SubjectTreeAsyncThread::SubjectTreeAsyncThread(ReadingServices& services, SubjectTreePort& tree)
    : services_(services), tree_(tree)
{
    thread_ = std::thread([this] { Loop(); });
    readAheadThread_ = std::thread([this] { ReadAheadLoop(); });
}

SubjectTreeAsyncThread::~SubjectTreeAsyncThread()
{
    Terminate();
    if (thread_.joinable())
        thread_.join();
    if (readAheadThread_.joinable())
        readAheadThread_.join();
}

void SubjectTreeAsyncThread::Terminate()
{
    std::lock_guard lock(mutex_);
    terminated_ = true;
    abort_ = true;
    cond_.notify_all();
}

void SubjectTreeAsyncThread::RequestConference(int32_t conf)
{
    std::lock_guard lock(mutex_);
    requested_ = conf;
    displayed_ = conf;
    abort_ = true;
    cond_.notify_all();
}

void SubjectTreeAsyncThread::Enqueue(const std::vector<int32_t>& confs)
{
    std::lock_guard lock(mutex_);
    queue_.insert(queue_.end(), confs.begin(), confs.end());
    cond_.notify_all();
}

void SubjectTreeAsyncThread::Pause()
{
    std::unique_lock lock(mutex_);
    ++hold_;
    ++generation_;
    // Held for a disconnect or a conference left: what comes after may be
    // another session, so nothing kept is shown again.
    kept_.clear();
    cond_.notify_all();
    // The builder never waits for the GUI thread (placements go into the
    // model on its own thread), so waiting for it here cannot deadlock.
    cond_.wait(lock, [this] { return terminated_ || (!readingAhead_ && idle_); });
}

void SubjectTreeAsyncThread::Resume()
{
    std::lock_guard lock(mutex_);
    if (hold_ > 0)
        --hold_;
    cond_.notify_all();
}

void SubjectTreeAsyncThread::ForgetConference(int32_t conf)
{
    if (conf == 0 || building_ != conf)
        return;
    Pause();
    {
        std::lock_guard lock(mutex_);
        queue_.erase(std::remove(queue_.begin(), queue_.end(), conf), queue_.end());
    }
    Resume();
}

std::vector<int32_t> SubjectTreeAsyncThread::PrefetchOrder(ReadingServices& services)
{
    struct Entry {
        std::string key;
        int32_t conf;
    };
    std::vector<Entry> entries;
    for (int32_t conf : services.MemberConferences()) {
        const auto membership = services.Membership(conf);
        if (membership && membership->MayHaveUnread())
            entries.push_back({PriorityKey(membership->Priority()), conf});
    }
    std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.key > b.key; });
    std::vector<int32_t> out;
    out.reserve(entries.size());
    for (const Entry& e : entries)
        out.push_back(e.conf);
    return out;
}

bool SubjectTreeAsyncThread::IsIdle() const
{
    std::lock_guard lock(mutex_);
    return idle_;
}

bool SubjectTreeAsyncThread::Terminated() const
{
    std::lock_guard lock(mutex_);
    return terminated_;
}

bool SubjectTreeAsyncThread::IsHeld() const
{
    return Held();
}

bool SubjectTreeAsyncThread::Held() const
{
    std::lock_guard lock(mutex_);
    return hold_ > 0;
}

bool SubjectTreeAsyncThread::WaitUntilDrained(int timeoutMs) const
{
    std::unique_lock lock(mutex_);
    return cond_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] {
        return idle_ && !readingAhead_ && (hold_ > 0 || (requested_ == 0 && queue_.empty()));
    });
}

std::vector<int32_t> SubjectTreeAsyncThread::QueuedConferences() const
{
    std::lock_guard lock(mutex_);
    return {queue_.begin(), queue_.end()};
}

void SubjectTreeAsyncThread::Loop()
{
    // Everything the builder asks for is background work.
    BackgroundScope background;
    for (;;) {
        int32_t conf = 0;
        bool fromQueue = false;
        uint64_t generation = 0;
        {
            std::unique_lock lock(mutex_);
            idle_ = true;
            cond_.notify_all();
            cond_.wait(lock, [this] { return terminated_ || (hold_ == 0 && (requested_ != 0 || !queue_.empty())); });
            if (terminated_)
                break;
            abort_ = false;
            if (requested_ != 0) {
                conf = requested_;
                requested_ = 0;
            } else {
                conf = queue_.front();
                fromQueue = true;
            }
            building_ = conf;
            generation = generation_;
            idle_ = false;
        }
        try {
            Run(conf);
        } catch (const std::exception& e) {
            services_.Log("SubjectTreeAsyncThread", e.what());
        }
        ++runsCompleted_;
        if (fromQueue) {
            // A paused run is redone later; the entry goes only when the run
            // was not interrupted and is still first (forget may have removed it).
            std::lock_guard lock(mutex_);
            if (hold_ == 0 && generation == generation_ && !queue_.empty() && queue_.front() == conf)
                queue_.pop_front();
        }
    }
    std::lock_guard lock(mutex_);
    idle_ = true;
    finished_ = true;
    cond_.notify_all();
}

void SubjectTreeAsyncThread::PlaceBatch(int32_t conf, std::vector<TreeEntry>& batch)
{
    if (batch.empty())
        return;
    // Placed on this thread: the model is safe for it, and the view hears of
    // the batch when the GUI thread next turns. A batch of a conference just
    // left is dropped; one that slips past the check goes into the old tree,
    // which the next run clears before it places anything.
    if (!abort_ && !Held() && displayed_ == conf) {
        PlaceTextsInTree(tree_, batch);
        ++batchesPlaced_;
    }
    batch.clear();
}

void SubjectTreeAsyncThread::Run(int32_t conf)
{
    const auto record = services_.Conference(conf);
    const auto real = services_.Membership(conf);
    if (!record || !real)
        return;
    // The conference list's unread count needs the full status: load it
    // here too, so reading after the prefetch finds it cached.
    record->NoOfTexts();
    if (Held())
        return;
    if (conf == displayed_)
        BuildTree(conf, *record, *real);
    else if (services_.PrefetchEverything())
        Prefetch(conf, *record, *real);
}

void SubjectTreeAsyncThread::Prefetch(int32_t conf, TMiravoConference& record, const TMiravoMembership& real)
{
    TMiravoMembership copy;
    copy.Assign(real);
    TCurrentReadStatus status;
    status.SetConference(conf);
    ExclusionList exclusion;
    WalkAhead ahead(services_, record, copy, kPrefetchWindow);
    PrefetchHooks hooks;
    hooks.stop = [this] { return abort_ || Held(); };
    while (!Held() && !abort_) {
        ahead.Keep(hooks);
        if (abort_ || Held())
            break;
        const int32_t text = GetNextUnread(services_, status, &copy, &exclusion);
        if (text <= 0)
            break;
        status.SetCurrentText(text);
        PrefetchText(services_, text);
        exclusion.Add(text);
        const auto stat = services_.GetTextStat(text);
        if (const int32_t local = stat ? LocalIn(*stat, conf) : 0; local > 0)
            copy.MarkRead(local, false);
    }
}

void SubjectTreeAsyncThread::BuildTree(int32_t conf, TMiravoConference& record, const TMiravoMembership& real)
{
    using Clock = std::chrono::steady_clock;
    // Taken before anything the tree is built from is read: a change during
    // the build makes the tree one not to keep.
    const std::optional<CacheVersion> version = services_.Version();
    TMiravoMembership copy;
    copy.Assign(real);
    TCurrentReadStatus status;
    status.SetConference(conf);
    ExclusionList exclusion;
    if (Held() || abort_)
        return;
    auto clear = [this] {
        tree_.Clear();
        std::lock_guard lock(mutex_);
        order_.clear();
    };
    // The old tree goes at once, unless this conference's kept tree may
    // take its place.
    const bool mayShowKept = version && HasKept(conf, *version);
    if (!mayShowKept)
        clear();

    // The outline of every unread text, in local order, is fetched beside
    // the walk, many requests at a time; the walk waits for a status the
    // fill is about to bring instead of asking for it alone. A conference of
    // a great many unread texts is outlined as far as a reader gets in one
    // sitting; the walk fetches anything beyond as it goes.
    const int32_t first = copy.LastTextRead() + 1;
    const int32_t highest =
        static_cast<int32_t>(std::min<int64_t>(record.HighestLocalNo(), int64_t{first} + kOutlineLimit - 1));
    if (highest >= first)
        services_.PreloadTextMap(conf, first, highest - first + 1);
    std::vector<int32_t> unread;
    for (int64_t local = first; local <= highest; ++local) {
        if (copy.IsRead(static_cast<int32_t>(local)))
            continue;
        // Any block the preload did not bring is fetched here.
        if (const int32_t global = record.GlobalOf(static_cast<int32_t>(local), false); global > 0)
            unread.push_back(global);
    }
    KeptTree key{conf, version.value_or(CacheVersion{}), record.HighestLocalNo(), services_.FilterAddedTexts(),
                 unread, nullptr, {}};
    if (mayShowKept) {
        if (ShowKept(key)) {
            ReadAhead(0, kReadAhead);
            return;
        }
        clear();
    }
    bool missing = false;  // a status the walk could not have
    std::vector<TreeEntry> batch;
    auto lastHandOff = Clock::now();
    auto handOver = [&] {
        PlaceBatch(conf, batch);
        lastHandOff = Clock::now();
    };
    // A wait for the fill longer than a frame shows what is ready so far.
    // A batch waits while the user waits for a step of reading, unless it is full.
    auto due = [&] {
        return batch.size() >= batching_.maxEntries ||
               (!userWaiting_ && !batch.empty() && Clock::now() - lastHandOff >= batching_.interval);
    };
    FillingServices walkServices(services_, std::max(batching_.interval, std::chrono::milliseconds(1)), [&] {
        if (!abort_ && due())
            handOver();
    });
    walkServices.Expect(unread);
    const auto stop = [this] { return abort_ || Held(); };
    std::thread fill([this, &walkServices, &unread, &stop] {
        BackgroundScope background;
        try {
            services_.FetchOutline(unread, stop, [&walkServices](const std::vector<int32_t>& part) {
                walkServices.Landed(part);
            });
        } catch (const std::exception& e) {
            services_.Log("SubjectTreeAsyncThread", e.what());
        }
        walkServices.Finish();
    });

    try {
        while (!Held() && !abort_) {
            if (userWaiting_)
                GiveWayToTheUser();
            const int32_t text = GetNextUnread(walkServices, status, &copy, &exclusion);
            if (text <= 0)
                break;
            status.SetCurrentText(text);
            exclusion.Add(text);
            const auto stat = walkServices.GetTextStat(text);
            if (const int32_t local = stat ? LocalIn(*stat, conf) : 0; local > 0)
                copy.MarkRead(local, false);
            lastText_ = text;
            {
                std::lock_guard lock(mutex_);
                order_.push_back(text);
            }
            if (!stat) {
                missing = true;
                continue;
            }
            batch.push_back(TreeEntry{text, services_.Subject(text), services_.GetName(stat->Author()),
                                      ParentLinks(*stat)});
            if (due())
                handOver();
        }
    } catch (...) {
        walkServices.Finish();
        fill.join();
        throw;
    }
    // Nothing waits for the fill any more; it ends at once when the run was
    // stopped, or once its last names and long subjects are in.
    walkServices.Finish();
    fill.join();
    if (!abort_ && !Held()) {
        handOver();
        if (displayed_ == conf)
            tree_.Complete();
        if (version && !missing && services_.Version() == version) {
            key.tree = tree_.KeepCurrent();
            {
                std::lock_guard lock(mutex_);
                key.order = order_;
            }
            if (key.tree)
                Keep(std::move(key));
        }
        // The walk's replies and the model's grown vectors leave much of
        // the heap free; a reader keeps a session open for hours.
        ReturnFreeMemory();
        // The first texts the user will read come whole, ahead of the key.
        ReadAhead(0, kReadAhead);
    }
}

bool SubjectTreeAsyncThread::HasKept(int32_t conf, const CacheVersion& version) const
{
    std::lock_guard lock(mutex_);
    return std::any_of(kept_.begin(), kept_.end(),
                       [&](const KeptTree& k) { return k.conf == conf && k.version == version; });
}

bool SubjectTreeAsyncThread::ShowKept(const KeptTree& key)
{
    std::shared_ptr<void> tree;
    std::vector<int32_t> order;
    {
        std::lock_guard lock(mutex_);
        const auto it = std::find_if(kept_.begin(), kept_.end(), [&](const KeptTree& k) {
            return k.conf == key.conf && k.version == key.version && k.highest == key.highest &&
                   k.filterAdded == key.filterAdded && k.unread == key.unread;
        });
        if (it == kept_.end())
            return false;
        tree = it->tree;
        order = it->order;
        // The latest first.
        std::rotate(kept_.begin(), it, std::next(it));
    }
    // As for a batch: nothing goes into the tree of a conference just left.
    if (abort_ || Held() || displayed_ != key.conf || !tree_.ShowKept(tree))
        return false;
    lastText_ = order.empty() ? 0 : order.back();
    {
        std::lock_guard lock(mutex_);
        order_ = std::move(order);
    }
    ++treesShownAgain_;
    return true;
}

void SubjectTreeAsyncThread::Keep(KeptTree kept)
{
    std::lock_guard lock(mutex_);
    const int32_t conf = kept.conf;
    kept_.erase(std::remove_if(kept_.begin(), kept_.end(), [conf](const KeptTree& k) { return k.conf == conf; }),
                kept_.end());
    kept_.push_front(std::move(kept));
    size_t texts = 0;
    for (const KeptTree& k : kept_)
        texts += k.order.size();
    while (!kept_.empty() && (kept_.size() > kKeptTrees || texts > kKeptTexts)) {
        texts -= kept_.back().order.size();
        kept_.pop_back();
    }
}

std::vector<int32_t> SubjectTreeAsyncThread::TextsAfter(int32_t text, size_t count) const
{
    std::lock_guard lock(mutex_);
    auto it = text == 0 ? order_.begin() : std::find(order_.begin(), order_.end(), text);
    if (it == order_.end())
        return {};
    if (text != 0)
        ++it;
    std::vector<int32_t> out;
    for (; it != order_.end() && out.size() < count; ++it)
        out.push_back(*it);
    return out;
}

void SubjectTreeAsyncThread::SetUserWaiting(bool waiting)
{
    std::lock_guard lock(mutex_);
    userWaiting_ = waiting;
    cond_.notify_all();
}

void SubjectTreeAsyncThread::GiveWayToTheUser()
{
    std::unique_lock lock(mutex_);
    cond_.wait_for(lock, kUserWaitLimit, [this] { return !userWaiting_ || terminated_ || hold_ > 0 || abort_; });
}

void SubjectTreeAsyncThread::ReadAheadFrom(int32_t text)
{
    std::lock_guard lock(mutex_);
    readAheadFrom_ = text;
    cond_.notify_all();
}

void SubjectTreeAsyncThread::ReadAheadLoop()
{
    // Not background work: these are the texts the user reads next, and a
    // fill holds back its next part while they are on the way.
    for (;;) {
        int32_t from = 0;
        {
            std::unique_lock lock(mutex_);
            readingAhead_ = false;
            cond_.notify_all();
            cond_.wait(lock, [this] { return terminated_ || (hold_ == 0 && readAheadFrom_ != 0); });
            if (terminated_)
                return;
            from = readAheadFrom_;
            readAheadFrom_ = 0;
            readingAhead_ = true;
        }
        try {
            ReadAheadAfter(from);
        } catch (const std::exception& e) {
            services_.Log("SubjectTreeAsyncThread", e.what());
        }
    }
}

std::vector<int32_t> SubjectTreeAsyncThread::NextUnreadRoots(size_t count)
{
    std::vector<int32_t> out;
    const int32_t conf = displayed_;
    const auto record = conf ? services_.Conference(conf) : nullptr;
    const auto real = conf ? services_.Membership(conf) : nullptr;
    if (!record || !real)
        return out;
    // The reader marks texts read on another thread: look at a copy.
    TMiravoMembership copy;
    copy.Assign(*real);
    const int64_t highest = record->HighestLocalNo();
    // Only the text map already at hand is looked at: a read-ahead fetches texts, not maps.
    for (int64_t local = int64_t{copy.LastTextRead()} + 1; local <= highest && out.size() < count; ++local) {
        if (copy.IsRead(static_cast<int32_t>(local)))
            continue;
        if (const int32_t global = record->GlobalOf(static_cast<int32_t>(local), true); global > 0)
            out.push_back(global);
    }
    return out;
}

void SubjectTreeAsyncThread::ReadAheadAfter(int32_t text)
{
    PrefetchHooks hooks;
    hooks.stop = [this] { return Held() || Terminated(); };
    std::vector<int32_t> texts = TextsAfter(text, kReadAhead);
    auto add = [&](int32_t next) {
        if (next != text && std::find(texts.begin(), texts.end(), next) == texts.end())
            texts.push_back(next);
    };
    // Where the tree has not got to yet: the text's own comments and
    // footnotes come next (showing it brought them; this brings theirs),
    // and where the comment tree ends, the lowest unread local numbers.
    if (const auto stat = services_.GetTextStat(text)) {
        for (const auto& item : stat->MiscInfos()) {
            if (dynamic_cast<const TMiscInfoCommIn*>(item.get()) || dynamic_cast<const TMiscInfoFootIn*>(item.get()))
                add(static_cast<const TMiscInfoGText&>(*item).textNo);
        }
    }
    for (int32_t next : NextUnreadRoots(kReadAhead / 2))
        add(next);
    PrefetchTexts(services_, texts, hooks);
}

void SubjectTreeAsyncThread::ReadAhead(size_t from, size_t count)
{
    std::vector<int32_t> texts;
    {
        std::lock_guard lock(mutex_);
        for (size_t i = from; i < order_.size() && texts.size() < count; ++i)
            texts.push_back(order_[i]);
    }
    PrefetchHooks hooks;
    hooks.stop = [this] { return abort_ || Held(); };
    PrefetchTexts(services_, texts, hooks);
}

} // namespace pellar
