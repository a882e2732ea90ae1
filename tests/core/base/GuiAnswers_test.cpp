// Questions answered off the GUI thread: the question runs on the worker,
// its answer on the GUI thread, in the order asked; queued ones can be
// dropped; Stop releases a worker waiting for the GUI thread.
#include "core/base/GuiAnswers.h"

#include <atomic>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "support/QueuedGuiThread.h"

namespace pellar {
namespace {

using test::QueuedGuiThread;

TEST(GuiAnswersTest, QuestionsRunOnTheWorkerAndAnswersOnTheGuiThreadInOrder)
{
    QueuedGuiThread loop;
    GuiAnswers answers(loop.HandOver());
    const auto gui = std::this_thread::get_id();
    std::vector<int> answered;
    std::atomic<int> offGui{0};
    for (int i = 0; i < 3; ++i)
        answers.Ask([&, i]() -> std::function<void()> {
            if (std::this_thread::get_id() != gui)
                ++offGui;
            return [&, i] {
                EXPECT_EQ(std::this_thread::get_id(), gui);
                answered.push_back(i);
            };
        });
    EXPECT_EQ(answers.Outstanding(), 3u);
    ASSERT_TRUE(loop.RunUntil([&] { return answered.size() == 3; }));
    EXPECT_EQ(answered, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(offGui.load(), 3);
    EXPECT_EQ(answers.Outstanding(), 0u);
}

TEST(GuiAnswersTest, DroppedQuestionsNeverRunAndAFailingOneDoesNotStopTheNext)
{
    QueuedGuiThread loop;
    GuiAnswers answers(loop.HandOver());
    std::vector<int> answered;
    answers.Ask([&]() -> std::function<void()> { return [&] { answered.push_back(0); }; });
    // The worker is held in its first hand-over until the loop runs.
    ASSERT_TRUE(loop.WaitForPending(1));
    std::atomic<bool> ranDropped{false};
    answers.Ask([&]() -> std::function<void()> {
        ranDropped = true;
        return [&] { answered.push_back(1); };
    });
    answers.DropQueued();
    answers.Ask([]() -> std::function<void()> { throw std::runtime_error("link lost"); });
    answers.Ask([&]() -> std::function<void()> { return [&] { answered.push_back(3); }; });
    ASSERT_TRUE(loop.RunUntil([&] { return answers.Outstanding() == 0; }));
    EXPECT_EQ(answered, (std::vector<int>{0, 3}));
    EXPECT_FALSE(ranDropped.load());
}

TEST(GuiAnswersTest, StopReleasesAWorkerWaitingForTheGuiThreadAndRefusesLaterQuestions)
{
    QueuedGuiThread loop;
    auto answers = std::make_unique<GuiAnswers>(loop.HandOver());
    bool answered = false;
    answers->Ask([&]() -> std::function<void()> { return [&] { answered = true; }; });
    ASSERT_TRUE(loop.WaitForPending(1));
    // Nothing pumped: Stop must not wait for the GUI thread it runs on.
    QueuedGuiThread::ReturnsUnpumped([&] { answers->Stop(); });
    EXPECT_TRUE(answers->Stopped());
    loop.RunPending();
    EXPECT_FALSE(answered);
    answers->Ask([&]() -> std::function<void()> { return [&] { answered = true; }; });
    EXPECT_EQ(answers->Outstanding(), 0u);
    answers.reset();
    loop.RunPending();
    EXPECT_FALSE(answered);
}

} // namespace
} // namespace pellar
