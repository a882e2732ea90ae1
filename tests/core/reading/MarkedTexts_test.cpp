// The marked-texts window's controller with a GUI thread the test drives:
// one load at a time, the forget after the load, and a stop while the loader
// waits for the GUI thread.
#include "core/reading/MarkedTexts.h"

#include <gtest/gtest.h>

#include "core/reading/FakeReadingServices.h"
#include "support/QueuedGuiThread.h"

namespace pellar {
namespace {

class ScriptedMarksView : public MarkedTextsView {
public:
    std::vector<std::string> labels;
    std::vector<std::string> texts;
    int finished = 0;
    void SetWorkingLabel(const std::string& text) override { labels.push_back(text); }
    void AddMarkRow(const std::string& text, const std::string&, const std::string&) override
    {
        texts.push_back(text);
    }
    void LoaderFinished() override { ++finished; }
};

class MarkedTextsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        world.Post(10, "First subject", {});
        world.replies[23] = "2 { 10 100 11 5 }";
    }

    test::FakeReadingServices world;
    test::QueuedGuiThread gui;
    ScriptedMarksView view;
    MarkedTexts marks{world, view, gui.HandOvers()};
};

TEST_F(MarkedTextsTest, OneLoadAtATimeAndTheEndedOneIsForgottenSoARefreshLoadsAgain)
{
    EXPECT_TRUE(marks.Refresh());
    EXPECT_TRUE(marks.Loading());
    EXPECT_FALSE(marks.Refresh());
    // LoaderFinished is shown before the loader is forgotten: still refused.
    ASSERT_TRUE(gui.RunUntil([&] { return view.finished == 1; }));
    EXPECT_TRUE(marks.Loading());
    EXPECT_FALSE(marks.Refresh());
    ASSERT_TRUE(gui.RunUntil([&] { return !marks.Loading(); }));
    EXPECT_EQ(view.texts, (std::vector<std::string>{"10", "11"}));
    EXPECT_EQ(view.labels, (std::vector<std::string>{"Working", ""}));
    EXPECT_EQ(world.requests.size(), 1u) << "a refused refresh asks nothing";

    ASSERT_TRUE(marks.Refresh());
    ASSERT_TRUE(gui.RunUntil([&] { return !marks.Loading(); }));
    EXPECT_EQ(view.texts, (std::vector<std::string>{"10", "11", "10", "11"}));
    EXPECT_EQ(view.finished, 2);
    EXPECT_EQ(world.requests.size(), 2u);
    EXPECT_EQ(gui.made, 2) << "each load has a hand-over of its own";
}

TEST_F(MarkedTextsTest, StopWhileTheLoaderWaitsForTheGuiThreadReleasesItAndShowsNothing)
{
    ASSERT_TRUE(marks.Refresh());
    ASSERT_TRUE(gui.WaitForPending());  // the "Working" label, not run
    test::QueuedGuiThread::ReturnsUnpumped([&] { marks.Stop(); });
    EXPECT_FALSE(marks.Loading());
    while (gui.RunOne()) {
    }
    EXPECT_TRUE(view.labels.empty());
    EXPECT_TRUE(view.texts.empty());
    EXPECT_EQ(view.finished, 0);

    ASSERT_TRUE(marks.Refresh());
    ASSERT_TRUE(gui.RunUntil([&] { return !marks.Loading(); }));
    EXPECT_EQ(view.texts, (std::vector<std::string>{"10", "11"}));
    EXPECT_EQ(view.finished, 1);
}

TEST_F(MarkedTextsTest, APreviewIsFetchedOffTheGuiThreadAndOnlyTheLastOneAskedArrives)
{
    world.Post(12, "Second subject", {});
    std::vector<std::pair<int32_t, std::string>> shown;
    const auto done = [&](int32_t text, const std::string& body) { shown.emplace_back(text, body); };
    marks.Preview(10, done);
    // Held in its hand-over until the test runs it; the next two queue.
    ASSERT_TRUE(gui.WaitForPending(1));
    marks.Preview(99, done);
    marks.Preview(12, done);
    ASSERT_TRUE(gui.RunUntil([&] { return shown.size() == 2; }));
    gui.RunPending();
    ASSERT_EQ(shown.size(), 2u) << "the preview asked in between was dropped";
    EXPECT_EQ(shown[0].first, 10);
    EXPECT_NE(shown[0].second.find("body"), std::string::npos);
    EXPECT_EQ(shown[1].first, 12);

    // A text that cannot be had previews as nothing.
    marks.Preview(4711, done);
    ASSERT_TRUE(gui.RunUntil([&] { return shown.size() == 3; }));
    EXPECT_EQ(shown[2], (std::pair<int32_t, std::string>{4711, ""}));

    // Stopped with a preview in its hand-over: it never arrives, and a later
    // one still does.
    marks.Preview(10, done);
    ASSERT_TRUE(gui.WaitForPending(1));
    test::QueuedGuiThread::ReturnsUnpumped([&] { marks.Stop(); });
    gui.RunPending();
    EXPECT_EQ(shown.size(), 3u);
    marks.Preview(12, done);
    ASSERT_TRUE(gui.RunUntil([&] { return shown.size() == 4; }));
}

TEST_F(MarkedTextsTest, MarkCommandsGoOutInOrderAndALoadAskedMeanwhileWaitsForThem)
{
    int done = 0;
    marks.DeleteMark(10, [&] { ++done; });
    marks.ChangeMarkType(11, 7, [&] { ++done; });
    EXPECT_EQ(marks.CommandsPending(), 2u);
    // Asked while they are on their way: the load lists what they leave.
    EXPECT_TRUE(marks.Refresh());
    EXPECT_TRUE(marks.Loading());
    ASSERT_TRUE(gui.RunUntil([&] { return view.finished == 1 && !marks.Loading(); }));
    EXPECT_EQ(done, 2);
    ASSERT_EQ(world.requests.size(), 3u);
    EXPECT_EQ(world.requests[0], (std::vector<int32_t>{73, 10}));
    EXPECT_EQ(world.requests[1], (std::vector<int32_t>{72, 11, 7}));
    EXPECT_EQ(world.requests[2].front(), 23);
    EXPECT_EQ(marks.CommandsPending(), 0u);
}

} // namespace
} // namespace pellar
