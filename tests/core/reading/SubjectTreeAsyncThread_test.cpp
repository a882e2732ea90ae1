#include "core/reading/SubjectTreeAsyncThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <future>
#include <mutex>
#include <thread>

#include "core/reading/FakeReadingServices.h"
#include "core/reading/SubjectTreeModel.h"
#include "core/base/GuiThread.h"
#include "support/ClientHarness.h"

namespace pellar {
namespace {

using test::FakeReadingServices;
using test::WaitUntil;

// A GUI thread of its own with a job queue, so that hand-overs really wait
// for it and a pause can be called on it.
class QueuedGuiThread : public GuiThread {
public:
    QueuedGuiThread() : thread_([this] { Loop(); }) {}
    ~QueuedGuiThread() override
    {
        {
            std::lock_guard lock(mutex_);
            stop_ = true;
        }
        cond_.notify_all();
        thread_.join();
    }
    void invokeAndWait(std::function<void()> fn) override
    {
        if (std::this_thread::get_id() == thread_.get_id()) {
            fn();
            return;
        }
        std::promise<void> done;
        auto future = done.get_future();
        Post([&] {
            fn();
            done.set_value();
        });
        future.get();
    }
    void Post(std::function<void()> fn)
    {
        {
            std::lock_guard lock(mutex_);
            jobs_.push_back(std::move(fn));
        }
        cond_.notify_all();
    }
    size_t Pending()
    {
        std::lock_guard lock(mutex_);
        return jobs_.size();
    }

private:
    void Loop()
    {
        for (;;) {
            std::function<void()> job;
            {
                std::unique_lock lock(mutex_);
                cond_.wait(lock, [this] { return stop_ || !jobs_.empty(); });
                if (jobs_.empty())
                    return;
                job = std::move(jobs_.front());
                jobs_.pop_front();
            }
            job();
        }
    }
    std::mutex mutex_;
    std::condition_variable cond_;
    std::deque<std::function<void()>> jobs_;
    bool stop_ = false;
    std::thread thread_;
};

// Holds the builder at one point until released.
class Gate {
public:
    // Holds the caller when here is set, until Release.
    void HoldIf(bool here)
    {
        std::unique_lock lock(mutex_);
        if (here && !released_) {
            reached_ = true;
            cond_.notify_all();
            cond_.wait(lock, [this] { return released_; });
        }
    }
    bool WaitReached()
    {
        std::unique_lock lock(mutex_);
        return cond_.wait_for(lock, std::chrono::seconds(5), [this] { return reached_; });
    }
    void Release()
    {
        std::lock_guard lock(mutex_);
        released_ = true;
        cond_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable cond_;
    bool reached_ = false, released_ = false;
};

// Holds the builder inside the status look-up of one text until released.
class GatedServices : public FakeReadingServices, public Gate {
public:
    std::shared_ptr<TextStatType> GetTextStat(int32_t text) override
    {
        auto result = FakeReadingServices::GetTextStat(text);
        HoldIf(text == gate);
        return result;
    }
    int32_t gate = 0;
};

// Leaves conf while the builder is held at the gate: the leave holds the
// builder, then the gate opens; the leave and the queue both finish.
void ForgetWhileHeld(SubjectTreeAsyncThread& builder, Gate& gate, int32_t conf)
{
    ASSERT_TRUE(gate.WaitReached());
    auto forgotten = std::async(std::launch::async, [&] { builder.ForgetConference(conf); });
    ASSERT_TRUE(WaitUntil([&] { return builder.IsHeld(); }));
    gate.Release();
    ASSERT_EQ(forgotten.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    ASSERT_TRUE(builder.WaitUntilDrained(5000));
}

class BuilderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        w.Joined({1});
        w.Joined({2}, 200);
        w.Post(100, "Root", {1});
        w.Post(101, "Foot", {1}, 0, 100);
        w.Post(103, "Comment", {1}, 100);
        w.Post(106, "Reply", {1}, 103);
        w.Post(200, "Second root", {1});
        w.Post(300, "Other", {2});
        w.Post(301, "Re: Other", {2}, 300);
    }
    std::vector<int32_t> TreeTexts()
    {
        std::vector<int32_t> texts;
        gui.invokeAndWait([&] { texts = tree.TextsInTreeOrder(); });
        return texts;
    }
    GatedServices w;
    QueuedGuiThread gui;
    SubjectTreeModel tree;
};

TEST_F(BuilderTest, BuildsTheDisplayedConferenceInReadingOrderWithoutMarkingAnything)
{
    SubjectTreeAsyncThread builder(w, tree);
    builder.RequestConference(1);
    builder.Resume();
    ASSERT_TRUE(builder.WaitUntilDrained(5000));
    EXPECT_EQ(TreeTexts(), (std::vector<int32_t>{100, 101, 103, 106, 200}));
    EXPECT_EQ(builder.LastText(), 200);
    for (int32_t t : {100, 101, 103, 106, 200})
        EXPECT_FALSE(w.IsReadIn(t, 1)) << t;
    EXPECT_TRUE(w.records.marked.empty());
}

TEST_F(BuilderTest, StartsHeldAndQueuedConferencesAreOnlyPrefetched)
{
    SubjectTreeAsyncThread builder(w, tree);
    builder.Enqueue({2, 1});
    ASSERT_TRUE(builder.WaitUntilDrained(5000));
    EXPECT_EQ(builder.RunsCompleted(), 0);
    EXPECT_TRUE(w.textLookups.empty());

    builder.Resume();
    ASSERT_TRUE(builder.WaitUntilDrained(5000));
    EXPECT_EQ(builder.RunsCompleted(), 2);
    EXPECT_TRUE(builder.QueuedConferences().empty());
    EXPECT_TRUE(TreeTexts().empty());
    for (int32_t t : {100, 103, 106, 200, 300, 301})
        EXPECT_NE(std::find(w.textLookups.begin(), w.textLookups.end(), t), w.textLookups.end()) << t;
}

TEST_F(BuilderTest, ANewRequestEndsTheRunAndStartsItsTreeFromEmpty)
{
    w.gate = 103;
    SubjectTreeAsyncThread builder(w, tree);
    builder.RequestConference(1);
    builder.Resume();
    ASSERT_TRUE(w.WaitReached());
    builder.RequestConference(2);
    w.Release();
    ASSERT_TRUE(builder.WaitUntilDrained(5000));
    EXPECT_EQ(TreeTexts(), (std::vector<int32_t>{300, 301}));
    EXPECT_EQ(builder.DisplayedConference(), 2);
}

TEST_F(BuilderTest, TheTreeFillsWithoutTheGuiThreadAndAPauseThereReturns)
{
    // Nothing runs the GUI thread's queue here: placements and the clear at
    // the start of the run go into the model on the builder's thread.
    tree.AddTopLevel("Left over from the conference before");
    SubjectTreeAsyncThread builder(w, tree);
    builder.RequestConference(1);
    builder.Resume();
    ASSERT_TRUE(builder.WaitUntilDrained(5000));
    EXPECT_EQ(gui.Pending(), 0u);
    EXPECT_EQ(tree.TextsInTreeOrder(), (std::vector<int32_t>{100, 101, 103, 106, 200}));
    EXPECT_FALSE(tree.FindTopLevel("Left over from the conference before").has_value());
    EXPECT_GE(builder.BatchesPlaced(), 1);
    // Paused from the thread that would be the GUI's, with another run asked
    // for: the pause returns and nothing more is placed.
    const int placed = tree.NodeCount();
    builder.Pause();
    builder.RequestConference(2);
    ASSERT_TRUE(builder.WaitUntilDrained(5000));
    EXPECT_TRUE(builder.IsHeld());
    EXPECT_EQ(tree.NodeCount(), placed);
}

TEST_F(BuilderTest, AfterAPauseNothingRunsUntilResumed)
{
    SubjectTreeAsyncThread builder(w, tree);
    builder.Resume();
    builder.Pause();
    builder.Enqueue({1});
    ASSERT_TRUE(builder.WaitUntilDrained(5000));
    EXPECT_EQ(builder.RunsCompleted(), 0);
    EXPECT_EQ(builder.QueuedConferences(), std::vector<int32_t>{1});
    builder.Resume();
    ASSERT_TRUE(builder.WaitUntilDrained(5000));
    EXPECT_EQ(builder.RunsCompleted(), 1);
}

TEST_F(BuilderTest, ForgettingTheBuildingConferenceKeepsTheOthersQueued)
{
    w.gate = 103;
    SubjectTreeAsyncThread builder(w, tree);
    builder.Enqueue({1, 2, 1});
    builder.Resume();
    ASSERT_NO_FATAL_FAILURE(ForgetWhileHeld(builder, w, 1));
    EXPECT_TRUE(builder.QueuedConferences().empty());
    // Conference 2 was built, not dropped in place of the forgotten one.
    EXPECT_NE(std::find(w.textLookups.begin(), w.textLookups.end(), 301), w.textLookups.end());
    EXPECT_EQ(builder.RunsCompleted(), 2);
}

// Enters conference 1, then 2, then 1 again, each built to the end.
void EnterOneTwoOne(SubjectTreeAsyncThread& builder)
{
    for (int32_t conf : {1, 2, 1}) {
        builder.RequestConference(conf);
        builder.Resume();
        ASSERT_TRUE(builder.WaitUntilDrained(5000)) << conf;
    }
}

TEST_F(BuilderTest, AConferenceEnteredAgainShowsItsKeptTreeWhileNothingChanged)
{
    w.versioned = true;
    SubjectTreeAsyncThread builder(w, tree);
    ASSERT_NO_FATAL_FAILURE(EnterOneTwoOne(builder));
    EXPECT_EQ(builder.TreesShownAgain(), 1);
    EXPECT_EQ(TreeTexts(), (std::vector<int32_t>{100, 101, 103, 106, 200}));
    // The reading order came back with it, for the read-ahead.
    EXPECT_EQ(builder.TextsAfter(101, 2), (std::vector<int32_t>{103, 106}));
    EXPECT_EQ(builder.LastText(), 200);

    // Read marks the tree showed are undone when the text is unread again.
    tree.RefreshReadMarks([](int32_t text) { return text == 103; });
    EXPECT_FALSE(tree.IsUnread(103));
    builder.RequestConference(1);
    ASSERT_TRUE(builder.WaitUntilDrained(5000));
    EXPECT_EQ(builder.TreesShownAgain(), 2);
    EXPECT_TRUE(tree.IsUnread(103));

    // Without a version of the caches nothing is kept.
    w.versioned = false;
    SubjectTreeAsyncThread unversioned(w, tree);
    ASSERT_NO_FATAL_FAILURE(EnterOneTwoOne(unversioned));
    EXPECT_EQ(unversioned.TreesShownAgain(), 0);
    EXPECT_EQ(TreeTexts(), (std::vector<int32_t>{100, 101, 103, 106, 200}));
}

TEST_F(BuilderTest, AnythingTheTreeWasBuiltFromChangingBuildsItAgain)
{
    w.versioned = true;
    SubjectTreeAsyncThread builder(w, tree);
    ASSERT_NO_FATAL_FAILURE(EnterOneTwoOne(builder));
    ASSERT_EQ(builder.TreesShownAgain(), 1);
    // Enters 2 and then 1 again: how many of the two came as kept.
    auto shownAgain = [&] {
        const int before = builder.TreesShownAgain();
        for (int32_t conf : {2, 1}) {
            builder.RequestConference(conf);
            EXPECT_TRUE(builder.WaitUntilDrained(5000));
        }
        return builder.TreesShownAgain() - before;
    };

    // A text read (in the membership, as reading marks it): a read mark
    // anywhere may change any tree.
    w.memberships.at(1)->MarkRead(w.LocalOf(106, 1), false);
    EXPECT_EQ(shownAgain(), 0);
    EXPECT_EQ(TreeTexts(), (std::vector<int32_t>{100, 101, 103, 200}));

    // A new text in conference 1, as its message reaches the cached record:
    // the map and the highest number change, the memberships do not.
    w.Post(107, "Late reply", {1}, 100);
    w.Conference(1)->SetGlobal(w.LocalOf(107, 1), 107);
    EXPECT_EQ(shownAgain(), 1) << "only conference 2's tree";
    EXPECT_EQ(TreeTexts(), (std::vector<int32_t>{100, 101, 103, 107, 200}));
    EXPECT_EQ(shownAgain(), 2) << "nothing changed";

    // The caches forgot, replaced or changed a record (a status with a new link).
    w.Link(200, 101, false);
    ++w.changes;
    EXPECT_EQ(shownAgain(), 0);
    EXPECT_EQ(TreeTexts(), (std::vector<int32_t>{100, 101, 200, 103, 107}));

    // A pause (a disconnect) forgets every kept tree.
    builder.Pause();
    builder.Resume();
    EXPECT_EQ(shownAgain(), 0);
}

// The model, with each batch the builder places recorded as the texts
// placed in it.
class RecordingTree : public SubjectTreeModel {
public:
    void BeginBatch() override
    {
        SubjectTreeModel::BeginBatch();
        batches.emplace_back();
    }
    TreeNodeId AddTextNode(TreeNodeId parent, std::string_view caption, int32_t text) override
    {
        if (!batches.empty())
            batches.back().push_back(text);
        placed.push_back(text);
        return SubjectTreeModel::AddTextNode(parent, caption, text);
    }
    // Each text node as (text, text of the node above it or 0 under a subject).
    std::vector<std::pair<int32_t, int32_t>> Shape() const
    {
        std::vector<std::pair<int32_t, int32_t>> out;
        const std::vector<TreeNodeId> top = TopLevel();
        std::vector<TreeNodeId> pending(top.rbegin(), top.rend());
        while (!pending.empty()) {
            const Node node = At(pending.back());
            pending.pop_back();
            if (node.text != 0)
                out.emplace_back(node.text, At(node.parent).text);
            for (auto it = node.children.rbegin(); it != node.children.rend(); ++it)
                pending.push_back(*it);
        }
        return out;
    }
    std::vector<std::vector<int32_t>> batches;
    std::vector<int32_t> placed;
};

// Holds the builder in the author-name look-up of its nth entry until released.
class NameGatedServices : public FakeReadingServices, public Gate {
public:
    std::string GetName(int32_t number) override
    {
        HoldIf(++calls == gate);
        return FakeReadingServices::GetName(number);
    }
    // Names fetched ahead, as another thread than the test's reads them.
    void FetchName(int32_t number) override
    {
        std::lock_guard lock(fetchMutex);
        FakeReadingServices::FetchName(number);
        namesAhead.push_back(number);
    }
    std::vector<int32_t> NamesAhead()
    {
        std::lock_guard lock(fetchMutex);
        return namesAhead;
    }
    int gate = 0;
    std::atomic<int> calls{0};
    std::mutex fetchMutex;
    std::vector<int32_t> namesAhead;
};

constexpr TreeBatching kOneBatchPerRun{std::chrono::hours(1), 100000};

class BatchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        w.Joined({1});
        w.Joined({2}, 200);
        // Reading order 400 401 402 404 403 406 405; 406 comments 403 and
        // 405, the second not in the tree yet when 406 is placed.
        w.Post(400, "Alpha", {1});
        w.Post(401, "Re: Alpha", {1}, 400);
        w.Post(402, "Re: Re: Alpha", {1}, 401);
        w.Post(403, "Beta", {1});
        w.Post(404, "Re: Alpha", {1}, 400);
        w.Post(405, "Alpha", {1});
        w.Post(406, "Both", {1}, 403);
        w.Link(406, 405, false);
        w.Post(500, "Other", {2});
        w.Post(501, "Re: Other", {2}, 500);
    }
    // Builds conference 1 with the batching and returns the tree's shape.
    std::vector<std::pair<int32_t, int32_t>> Build(TreeBatching batching, RecordingTree& tree)
    {
        SubjectTreeAsyncThread builder(w, tree);
        builder.SetBatching(batching);
        builder.RequestConference(1);
        builder.Resume();
        EXPECT_TRUE(builder.WaitUntilDrained(5000));
        builder.Pause();
        return tree.Shape();
    }
    NameGatedServices w;
    QueuedGuiThread gui;
};

TEST_F(BatchTest, BatchBoundariesNeverChangeWhereATextGoes)
{
    RecordingTree whole;
    const auto expected = Build(kOneBatchPerRun, whole);
    ASSERT_EQ(whole.batches.size(), 1u) << "no frame passed: one hand-off for the run";
    EXPECT_EQ(expected, (std::vector<std::pair<int32_t, int32_t>>{
                            {400, 0}, {401, 400}, {402, 401}, {404, 400}, {405, 0}, {403, 0}, {406, 403}}));
    for (size_t size : {1u, 2u, 3u}) {
        RecordingTree split;
        EXPECT_EQ(Build(TreeBatching{std::chrono::hours(1), size}, split), expected) << "batches of " << size;
        EXPECT_EQ(split.batches.size(), (7 + size - 1) / size);
        for (const auto& batch : split.batches)
            EXPECT_LE(batch.size(), size);
    }
}

TEST_F(BatchTest, WhileTheUserWaitsForAStepOnlyFullBatchesArePlaced)
{
    // Every entry is due at once: one hand-over per text.
    const TreeBatching eager{std::chrono::milliseconds(0), 3};
    RecordingTree free;
    const auto expected = Build(eager, free);
    EXPECT_EQ(free.batches.size(), 7u);

    RecordingTree held;
    SubjectTreeAsyncThread builder(w, held);
    builder.SetBatching(eager);
    builder.SetUserWaiting(true);
    builder.RequestConference(1);
    builder.Resume();
    ASSERT_TRUE(builder.WaitUntilDrained(5000));
    builder.Pause();
    EXPECT_EQ(held.Shape(), expected);
    // Held back until full; the rest at the end of the run.
    ASSERT_EQ(held.batches.size(), 3u);
    EXPECT_EQ(held.batches[0].size(), 3u);
    EXPECT_EQ(held.batches[1].size(), 3u);
    EXPECT_EQ(held.batches[2].size(), 1u);
}

TEST_F(BatchTest, TheReaderIsReadAheadOfWhileTheTreeIsStillBuilding)
{
    // 403 and 404 by authors of their own: only a read-ahead fetches names
    // ahead (the walk asks for each name as it places the text).
    w.Stat(403).SetHeader(0, 43, 1, 10, 0);
    w.Stat(404).SetHeader(0, 44, 1, 10, 0);
    w.gate = 2;  // the walk stops at the name of its second text, 401
    RecordingTree tree;
    SubjectTreeAsyncThread builder(w, tree);
    builder.SetBatching(kOneBatchPerRun);
    builder.RequestConference(1);
    builder.Resume();
    ASSERT_TRUE(w.WaitReached());
    // The reader has read 400 and is shown it: what follows is the tree's
    // 401, then the lowest unread local numbers the walk has not reached.
    w.Membership(1)->MarkRead(w.LocalOf(400, 1), false);
    builder.ReadAheadFrom(400);
    const bool fetched = WaitUntil([&] {
        const std::vector<int32_t> names = w.NamesAhead();
        return std::count(names.begin(), names.end(), 43) == 1 && std::count(names.begin(), names.end(), 44) == 1;
    });
    EXPECT_TRUE(fetched) << "the names of 403 and 404 were fetched while the walk still waited at 401";
    EXPECT_EQ(builder.BuildingConference(), 1);
    EXPECT_FALSE(builder.IsIdle());
    w.Release();
    ASSERT_TRUE(builder.WaitUntilDrained(5000));
    builder.Pause();
    EXPECT_EQ(tree.placed, (std::vector<int32_t>{400, 401, 402, 404, 403, 406, 405}));
}

TEST_F(BatchTest, TheReadAheadReachesTheCommentsOfTheCommentsOfTheTextShown)
{
    // 3000 is read; its comment 3010 and that one's comment 3011 have the
    // highest local numbers, so neither the tree (held at its first text)
    // nor the lowest unread numbers lead to 3011.
    NameGatedServices gated;
    gated.Joined({5});
    gated.Post(3000, "Root", {5});
    for (int32_t i = 1; i <= 6; ++i)
        gated.Post(3000 + i, "Other root", {5});
    gated.Post(3010, "Re: Root", {5}, 3000);
    gated.Post(3011, "Re: Re: Root", {5}, 3010, 0, 77);
    gated.gate = 1;
    RecordingTree tree;
    SubjectTreeAsyncThread builder(gated, tree);
    builder.RequestConference(5);
    builder.Resume();
    ASSERT_TRUE(gated.WaitReached());
    gated.Membership(5)->MarkRead(gated.LocalOf(3000, 5), false);
    builder.ReadAheadFrom(3000);
    EXPECT_TRUE(WaitUntil([&] {
        const std::vector<int32_t> names = gated.NamesAhead();
        return std::find(names.begin(), names.end(), 77) != names.end();
    })) << "the author of 3011 was fetched ahead";
    gated.Release();
    ASSERT_TRUE(builder.WaitUntilDrained(5000));
    builder.Pause();
}

TEST_F(BatchTest, TheWalkStandsStillWhileTheUserWaitsForAStep)
{
    RecordingTree tree;
    SubjectTreeAsyncThread builder(w, tree);
    builder.SetUserWaiting(true);
    const auto start = std::chrono::steady_clock::now();
    builder.RequestConference(1);
    builder.Resume();
    std::this_thread::sleep_for(SubjectTreeAsyncThread::kUserWaitLimit / 2);
    // Judged only when this thread was not itself held up past the limit.
    if (std::chrono::steady_clock::now() - start < SubjectTreeAsyncThread::kUserWaitLimit) {
        EXPECT_EQ(builder.LastText(), 0) << "no text walked while the user waits";
    }
    builder.SetUserWaiting(false);
    ASSERT_TRUE(builder.WaitUntilDrained(5000));
    builder.Pause();
    EXPECT_EQ(tree.placed.size(), 7u);
}

TEST_F(BatchTest, AWalkWaitingLongerThanAFrameForTheFillHandsOverWhatIsReady)
{
    // The fill brings the first half of the outline, then holds the rest
    // back until the tree has shown something (two seconds at most).
    class Slow : public FakeReadingServices {
    public:
        void FetchOutline(const std::vector<int32_t>& texts, const std::function<bool()>&,
                          const std::function<void(const std::vector<int32_t>&)>& landed) override
        {
            const auto half = texts.begin() + static_cast<std::ptrdiff_t>(texts.size() / 2);
            const std::vector<int32_t> first(texts.begin(), half), rest(half, texts.end());
            FetchTogether(FetchList{first, first, {}});
            landed(first);
            for (int i = 0; i < 2000 && shownEarly == 0; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            heldBack = true;
            FetchTogether(FetchList{rest, rest, {}});
            landed(rest);
        }
        std::atomic<int> shownEarly{0};
        std::atomic<bool> heldBack{false};
    } slow;
    class Tree : public RecordingTree {
    public:
        explicit Tree(Slow& slow) : slow_(slow) {}
        void EndBatch() override
        {
            RecordingTree::EndBatch();
            if (!slow_.heldBack)
                ++slow_.shownEarly;
        }

    private:
        Slow& slow_;
    } tree(slow);
    slow.Joined({3}, 50);
    std::vector<int32_t> all;
    for (int32_t i = 0; i < 40; ++i)
        all.push_back(slow.Post(1000 + i, "Root " + std::to_string(i), {3}));
    SubjectTreeAsyncThread builder(slow, tree);
    builder.SetBatching(TreeBatching{std::chrono::milliseconds(20), 100000});
    builder.RequestConference(3);
    builder.Resume();
    ASSERT_TRUE(builder.WaitUntilDrained(5000));
    builder.Pause();
    EXPECT_GE(slow.shownEarly.load(), 1) << "the first half was shown while the walk waited for the rest";
    ASSERT_GE(tree.batches.size(), 2u);
    ASSERT_FALSE(tree.batches.front().empty());
    EXPECT_LE(tree.batches.front().back(), all[19]) << "only texts of the first half";
    EXPECT_EQ(tree.placed, all);
}

TEST_F(BatchTest, ChoosingAnotherConferenceMidFillDropsTheOldConferencesPlacements)
{
    for (const TreeBatching batching : {kOneBatchPerRun, TreeBatching{std::chrono::hours(1), 1}}) {
        NameGatedServices gated;
        gated.Joined({1});
        gated.Joined({2}, 200);
        for (int32_t i = 0; i < 6; ++i)
            gated.Post(600 + i, "Text " + std::to_string(i), {1});
        gated.Post(700, "Other", {2});
        gated.gate = 3;
        RecordingTree tree;
        SubjectTreeAsyncThread builder(gated, tree);
        builder.SetBatching(batching);
        builder.RequestConference(1);
        builder.Resume();
        ASSERT_TRUE(gated.WaitReached());
        gui.invokeAndWait([&] { builder.RequestConference(2); });
        gated.Release();
        ASSERT_TRUE(builder.WaitUntilDrained(5000));
        builder.Pause();
        // One entry per batch: the two texts before the switch were shown;
        // a batch gathered over the run: nothing of conference 1 ever was.
        const std::vector<int32_t> before =
            batching.maxEntries == 1 ? std::vector<int32_t>{600, 601} : std::vector<int32_t>{};
        std::vector<int32_t> expected = before;
        expected.push_back(700);
        EXPECT_EQ(tree.placed, expected) << "batches of " << batching.maxEntries;
        EXPECT_EQ(tree.TextsInTreeOrder(), std::vector<int32_t>{700});
    }
}

TEST_F(BatchTest, LeavingTheConferenceMidFillStopsItsPlacements)
{
    for (int32_t i = 0; i < 6; ++i)
        w.Post(600 + i, "Text " + std::to_string(i), {2});
    w.gate = 2;
    RecordingTree tree;
    SubjectTreeAsyncThread builder(w, tree);
    builder.SetBatching(TreeBatching{std::chrono::hours(1), 1});
    builder.RequestConference(2);
    builder.Resume();
    ASSERT_NO_FATAL_FAILURE(ForgetWhileHeld(builder, w, 2));
    builder.Pause();
    EXPECT_EQ(tree.placed, std::vector<int32_t>{500});
}

TEST(SubjectTreeAsyncThread, PrefetchOrderIsHighestPriorityFirst)
{
    FakeReadingServices w;
    w.Join(1, 100);
    w.Join(2, 200);
    w.Join(3, 50);
    w.Join(4, 200);
    w.Join(5, 255).SetMayHaveUnread(false);
    EXPECT_EQ(SubjectTreeAsyncThread::PrefetchOrder(w), (std::vector<int32_t>{2, 4, 1, 3}));
}

} // namespace
} // namespace pellar
