// The search window's controller with a GUI thread the test drives: what
// reaches the window, when a new search may start, and how a search stops
// while its worker waits for the GUI thread.
#include "core/search/TextSearch.h"

#include <atomic>
#include <thread>

#include <gtest/gtest.h>

#include "core/search/SearchWorld.h"
#include "support/QueuedGuiThread.h"

namespace pellar {
namespace {

class ScriptedSearchView : public TextSearchView {
public:
    std::vector<int32_t> texts;
    std::vector<int> progress;
    int finished = 0;
    int idle = 0;

    void AddResult(int32_t text, const std::string&, const std::string&) override { texts.push_back(text); }
    void Progress(int percent) override { progress.push_back(percent); }
    void Finished() override { ++finished; }
    void SearchIdle() override { ++idle; }
    void SearchSummary(const std::string& line) override { summaries.push_back(line); }
    std::vector<std::string> summaries;
};

class TextSearchTest : public ::testing::Test, protected test::SearchWorld {
protected:
    test::QueuedGuiThread gui;
    ScriptedSearchView view;
    TextSearch search{source, view, gui.HandOvers()};
};

TEST_F(TextSearchTest, RowsReachTheViewAndTheEndedSearchIsForgottenAfterFinished)
{
    Seed(1, 6);
    params.author = 7;
    EXPECT_EQ(search.Start(params), std::nullopt);
    EXPECT_TRUE(search.Searching());
    // Finished first; the search is forgotten only by the step posted then.
    ASSERT_TRUE(gui.RunUntil([&] { return view.finished == 1; }));
    EXPECT_TRUE(search.Searching());
    EXPECT_EQ(view.idle, 0);
    ASSERT_TRUE(gui.RunUntil([&] { return view.idle == 1; }));
    EXPECT_FALSE(search.Searching());
    EXPECT_EQ(view.texts, (std::vector<int32_t>{1001, 1003, 1005}));
    EXPECT_EQ(view.progress.back(), 100);
    EXPECT_EQ(view.summaries, std::vector<std::string>{"3 texts found"});

    // The finish bookkeeping lets the next search start, on a new hand-over.
    params.author = 6;
    EXPECT_EQ(search.Start(params), std::nullopt);
    ASSERT_TRUE(gui.RunUntil([&] { return view.idle == 2; }));
    EXPECT_EQ(view.texts, (std::vector<int32_t>{1001, 1003, 1005, 1002, 1004, 1006}));
    EXPECT_EQ(view.finished, 2);
    EXPECT_EQ(gui.made, 2);
}

TEST_F(TextSearchTest, AStartWhileOneRunsIsIgnoredUntilTheEndedOneIsForgotten)
{
    Seed(1, 4);
    params.author = 7;
    ASSERT_EQ(search.Start(params), std::nullopt);
    FindTextParams other = params;
    other.author = 6;
    EXPECT_EQ(search.Start(other), std::nullopt);
    // Finished has been shown but the worker is not forgotten yet: still refused.
    ASSERT_TRUE(gui.RunUntil([&] { return view.finished == 1; }));
    EXPECT_EQ(search.Start(other), std::nullopt);
    ASSERT_TRUE(gui.RunUntil([&] { return view.idle == 1; }));
    EXPECT_EQ(view.texts, (std::vector<int32_t>{1001, 1003}));
    EXPECT_EQ(view.finished, 1);
    EXPECT_EQ(gui.made, 1);
}

TEST_F(TextSearchTest, TheStartChecksRefuseWithTheWindowsTextsAndStartNothing)
{
    Seed(1, 2);
    FindTextParams noConference = params;
    noConference.conference.reset();
    EXPECT_EQ(search.Start(noConference), "Conference to seek in is required");
    params.usePatterns = true;
    params.bodyPattern = "{open";
    EXPECT_EQ(search.Start(params), "The body pattern has a group that is never closed");
    EXPECT_FALSE(search.Searching());
    EXPECT_EQ(gui.made, 0);
    EXPECT_EQ(gui.Pending(), 0u);
}

TEST_F(TextSearchTest, StopWhileTheWorkerWaitsForTheGuiThreadReleasesItAndShowsNothingMore)
{
    Seed(1, 200);
    params.author = 6;
    ASSERT_EQ(search.Start(params), std::nullopt);
    // The first row waits for a GUI thread that does not run it.
    ASSERT_TRUE(gui.WaitForPending());
    test::QueuedGuiThread::ReturnsUnpumped([&] { search.Stop(); });
    EXPECT_FALSE(search.Searching());
    while (gui.RunOne()) {
    }
    EXPECT_TRUE(view.texts.empty());
    EXPECT_EQ(view.finished, 0);
    EXPECT_EQ(view.idle, 0);

    // A cancelled hand-over is not reused: the next search gets its own.
    params.lastN = 3;
    ASSERT_EQ(search.Start(params), std::nullopt);
    ASSERT_TRUE(gui.RunUntil([&] { return view.idle == 1; }));
    EXPECT_EQ(view.texts, (std::vector<int32_t>{1198, 1200}));
    EXPECT_EQ(gui.made, 2);
}

TEST_F(TextSearchTest, TheStopButtonEndsTheSearchWhichStillReportsFinished)
{
    Seed(1, 200);
    params.author = 6;
    ASSERT_EQ(search.Start(params), std::nullopt);
    ASSERT_TRUE(gui.RunUntil([&] { return !view.texts.empty(); }));
    search.RequestStop();
    ASSERT_TRUE(gui.RunUntil([&] { return view.idle == 1; }));
    EXPECT_EQ(view.finished, 1);
    EXPECT_LT(view.texts.size(), 100u);
    EXPECT_FALSE(search.Searching());
}

TEST_F(TextSearchTest, AForgetStepLeftFromAStoppedSearchLeavesTheNextOneAlone)
{
    Seed(1, 200);
    params.author = 6;
    params.lastN = 1;
    ASSERT_EQ(search.Start(params), std::nullopt);
    ASSERT_TRUE(gui.RunUntil([&] { return view.finished == 1; }));
    // The forget step is queued; the window closes and a new search starts first.
    ASSERT_EQ(gui.Pending(), 1u);
    search.Stop();
    params.lastN = -1;
    ASSERT_EQ(search.Start(params), std::nullopt);
    test::QueuedGuiThread::ReturnsUnpumped([&] { EXPECT_TRUE(gui.RunOne()); });  // the old step
    EXPECT_TRUE(search.Searching());
    EXPECT_EQ(view.idle, 0);
    ASSERT_TRUE(gui.RunUntil([&] { return view.idle == 1; }));
    EXPECT_EQ(view.finished, 2);
    EXPECT_EQ(view.texts.size(), 1u + 100u);
}

// A step that reached into the gone controller would read freed memory; the
// address-sanitizer build (scripts/sanitize.sh) fails on it.
TEST(TextSearchLifetime, AForgetStepRunAfterTheControllerWentDoesNothing)
{
    test::SearchWorld world;
    world.Seed(1, 2);
    world.params.author = 7;
    test::QueuedGuiThread gui;
    ScriptedSearchView view;
    {
        TextSearch search(world.source, view, gui.HandOvers());
        ASSERT_EQ(search.Start(world.params), std::nullopt);
        ASSERT_TRUE(gui.RunUntil([&] { return view.finished == 1; }));
    }
    ASSERT_EQ(gui.Pending(), 1u);
    ASSERT_TRUE(gui.RunOne());
    EXPECT_EQ(view.idle, 0);
}

} // namespace
} // namespace pellar

namespace pellar {
namespace {

TEST_F(TextSearchTest, ASearchThatFindsNothingSaysSoAndCountsWhatThePatternGaveUpOn)
{
    Seed(1, 1);
    SetText(1, "x\n" + std::string(60, 'a'));
    params.bodyPattern = "[a{aa}]*";
    params.usePatterns = true;
    EXPECT_EQ(search.Start(params), std::nullopt);
    ASSERT_TRUE(gui.RunUntil([&] { return view.idle == 1; }));
    ASSERT_EQ(view.summaries.size(), 1u);
    EXPECT_TRUE(view.texts.empty());
    // The runaway pattern exhausts the default budget on the only text.
    EXPECT_EQ(view.summaries[0], "No texts found. 1 text was too long or too complex to search with this pattern");
}

TEST_F(TextSearchTest, AConferenceGivenByItsLookupIsTakenOnTheWorkerNotTheCaller)
{
    Seed(1, 4);
    params.author = 7;
    const auto record = params.conference;
    params.conference = nullptr;
    std::atomic<bool> onCaller{false};
    std::atomic<int> lookups{0};
    const auto caller = std::this_thread::get_id();
    params.conferenceLookup = [&] {
        ++lookups;
        onCaller = std::this_thread::get_id() == caller;
        return record;
    };
    ASSERT_EQ(search.Start(params), std::nullopt);
    ASSERT_TRUE(gui.RunUntil([&] { return view.idle == 1; }));
    EXPECT_EQ(lookups.load(), 1);
    EXPECT_FALSE(onCaller.load());
    EXPECT_EQ(view.texts, (std::vector<int32_t>{1001, 1003}));

    // Neither a record nor a lookup: refused before anything starts.
    params.conferenceLookup = nullptr;
    EXPECT_EQ(search.Start(params), std::optional<std::string>("Conference to seek in is required"));
    EXPECT_FALSE(search.Searching());
    // Without the caches StartIn finds no membership to search.
    EXPECT_EQ(search.StartIn(kConf, params), std::optional<std::string>("You are not a member of that conference"));
    EXPECT_EQ(search.StartIn(0, params), std::optional<std::string>("Conference to seek in is required"));
    EXPECT_FALSE(search.Searching());
}

} // namespace
} // namespace pellar
