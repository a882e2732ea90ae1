// The background subject-tree builder. It walks conferences as reading
// would, on a private copy of the membership so nothing is marked read for
// the user: for the conference shown in the reading window it adds each text
// to the subject tree in reading order; for the others it only prefetches,
// so texts and names are cached before the user gets there.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "core/session/TextSource.h"

namespace pellar {

class ReadingServices;
class SubjectTreePort;
class TMiravoConference;
class TMiravoMembership;
struct TreeEntry;

// How placements reach the tree: gathered on the builder and placed
// together at most once per interval (one frame), or sooner when the batch
// has grown to maxEntries. The view applies each batch on its next turn.
struct TreeBatching {
    std::chrono::milliseconds interval{16};
    // A view lays out each batch it is told of; a bigger batch is a longer
    // pause of the GUI thread, and a key pressed meanwhile waits for it.
    size_t maxEntries = 200;
};

class SubjectTreeAsyncThread
{
public:
    // Starts held: nothing runs before the first Resume.
    // tree: safe for the builder's thread (SubjectTreeModel); placements go
    // into it there, never through the GUI thread.
    SubjectTreeAsyncThread(ReadingServices& services, SubjectTreePort& tree);
    // Terminates and joins.
    ~SubjectTreeAsyncThread();
    SubjectTreeAsyncThread(const SubjectTreeAsyncThread&) = delete;
    SubjectTreeAsyncThread& operator=(const SubjectTreeAsyncThread&) = delete;

    // The reading window selected a conference: build its tree now, ending
    // the run in progress.
    void RequestConference(int32_t conf);
    // Conferences to prefetch, processed from the front.
    void Enqueue(const std::vector<int32_t>& confs);
    // Holds the builder and returns once it is between runs (after the
    // request it may be waiting for).
    void Pause();
    // Releases one Pause (or the hold from creation).
    void Resume();
    // The user left the conference: drop it from the queue if it is being built.
    void ForgetConference(int32_t conf);
    // The user is reading text: the texts that follow it in the displayed
    // conference are fetched whole, in the background, once the builder has
    // nothing more urgent to do.
    void ReadAheadFrom(int32_t text);
    // The user waits for a step of reading (true until it has shown its
    // text): placements are held back, up to one full batch, so that the
    // step's hand-over to the GUI thread does not queue behind a view's
    // layout of a tree batch,
    // and the walk stands still (kUserWaitLimit at most at a time), so that
    // the step has the processor.
    void SetUserWaiting(bool waiting);
    static constexpr std::chrono::milliseconds kUserWaitLimit{100};
    void Terminate();
    bool Finished() const { return finished_; }

    // After connecting: conferences whose memberships may have unread texts,
    // highest priority first, equal priorities by conference number.
    static std::vector<int32_t> PrefetchOrder(ReadingServices& services);

    bool IsIdle() const;
    bool IsHeld() const;
    // Waits until the builder is between runs with nothing to do.
    bool WaitUntilDrained(int timeoutMs) const;
    int32_t BuildingConference() const { return building_; }
    int32_t DisplayedConference() const { return displayed_; }
    int32_t LastText() const { return lastText_; }
    std::vector<int32_t> QueuedConferences() const;
    // Runs finished since creation, for tests and the benchmark.
    int RunsCompleted() const { return runsCompleted_; }
    // Placement batches put in the tree since creation.
    int BatchesPlaced() const { return batchesPlaced_; }
    // Trees shown again as they were kept, since creation.
    int TreesShownAgain() const { return treesShownAgain_; }

    // Before the first Resume.
    void SetBatching(TreeBatching batching) { batching_ = batching; }
    // Texts whose statuses, bodies and names are fetched side by side ahead
    // of a prefetch walk.
    static constexpr size_t kPrefetchWindow = 64;
    // Texts of the displayed conference fetched whole ahead of the reader.
    static constexpr size_t kReadAhead = 8;
    // Local numbers whose outline a tree fetches ahead of its walk at most.
    static constexpr int32_t kOutlineLimit = 50000;
    // Complete trees kept to be shown again at once when their conference
    // is entered again and nothing they were built from has changed: the
    // last few conferences, up to so many texts in all.
    static constexpr size_t kKeptTrees = 4;
    static constexpr size_t kKeptTexts = 40000;

    // Up to count texts that follow text in the displayed conference's
    // reading order (from the start for 0); empty when text is not in it.
    std::vector<int32_t> TextsAfter(int32_t text, size_t count) const;

private:
    void Loop();
    void Run(int32_t conf);
    // The displayed conference: its outline fetched beside the walk and
    // every text placed in the tree.
    void BuildTree(int32_t conf, TMiravoConference& record, const TMiravoMembership& real);
    // Another conference: texts, names and linked texts cached ahead.
    void Prefetch(int32_t conf, TMiravoConference& record, const TMiravoMembership& real);
    // Fetches whole the texts at [from, from + count) of the reading order.
    void ReadAhead(size_t from, size_t count);
    void ReadAheadAfter(int32_t text);
    // The read-ahead's own thread: it runs during a tree's build too, since
    // the reader is usually ahead of a tree that is still filling.
    void ReadAheadLoop();
    // Up to count unread texts of the displayed conference by local number,
    // as reading reaches them once the current comment tree is done.
    std::vector<int32_t> NextUnreadRoots(size_t count);
    bool Held() const;
    bool Terminated() const;
    // Stands still while the user waits for a step, within kUserWaitLimit.
    void GiveWayToTheUser();
    // Places the batch in the tree (dropped when the run was aborted
    // meanwhile) and empties it.
    void PlaceBatch(int32_t conf, std::vector<TreeEntry>& batch);

    // A complete tree and what it was built from.
    struct KeptTree {
        int32_t conf = 0;
        CacheVersion version;
        int32_t highest = 0;
        bool filterAdded = true;
        std::vector<int32_t> unread;  // what the outline was fetched for
        std::shared_ptr<void> tree;
        std::vector<int32_t> order;
    };
    bool HasKept(int32_t conf, const CacheVersion& version) const;
    // Shows the kept tree that matches key, if any, as the conference's tree.
    bool ShowKept(const KeptTree& key);
    void Keep(KeptTree kept);

    ReadingServices& services_;
    SubjectTreePort& tree_;

    mutable std::mutex mutex_;
    mutable std::condition_variable cond_;
    int hold_ = 1;
    uint64_t generation_ = 0;  // grows with every Pause
    bool idle_ = true;
    bool readingAhead_ = false;
    bool terminated_ = false;
    int32_t requested_ = 0;
    int32_t readAheadFrom_ = 0;
    std::deque<int32_t> queue_;
    std::vector<int32_t> order_;  // the displayed conference's texts in reading order
    std::deque<KeptTree> kept_;    // the latest first

    std::atomic<bool> abort_{false};
    std::atomic<bool> userWaiting_{false};
    std::atomic<int32_t> building_{0};
    std::atomic<int32_t> displayed_{0};
    std::atomic<int32_t> lastText_{0};
    std::atomic<int> runsCompleted_{0};
    std::atomic<int> batchesPlaced_{0};
    std::atomic<int> treesShownAgain_{0};
    TreeBatching batching_;
    std::atomic<bool> finished_{false};
    std::thread thread_;
    std::thread readAheadThread_;
};

} // namespace pellar
