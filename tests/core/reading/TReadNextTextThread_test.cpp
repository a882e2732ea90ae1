#include "core/reading/TReadNextTextThread.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

#include "core/reading/FakeReadingServices.h"
#include "support/FakeLocale.h"
#include "support/ReadNextPorts.h"
#include "core/reading/TCurrentReadStatus.h"
#include "core/base/GuiThread.h"

namespace pellar {
namespace {

using test::FakeHost;
using test::FakeList;
using test::FakeReadingServices;

// Throws from the text-status look-up of one text.
class ThrowingServices : public FakeReadingServices {
public:
    int32_t poisoned = 0;
    std::shared_ptr<TextStatType> GetTextStat(int32_t text) override
    {
        if (text == poisoned)
            throw std::runtime_error("link lost");
        return FakeReadingServices::GetTextStat(text);
    }
};

class ReadNextTest : public ::testing::Test {
protected:
    void Step()
    {
        TReadNextTextThread step(w, gui, list, host, *status);
        step.Run();
        lastTime = step.TimeText();
    }
    ThrowingServices w;
    InlineGuiThread gui;
    FakeList list;
    FakeHost host;
    std::unique_ptr<TCurrentReadStatus> status = std::make_unique<TCurrentReadStatus>();
    std::string lastTime;
};

TEST_F(ReadNextTest, AnEmptyListSetsWaitAndShowsNothing)
{
    Step();
    EXPECT_TRUE(host.shown.empty());
    EXPECT_EQ(host.activities, std::vector<std::string>{"wait"});
    EXPECT_EQ(host.endWork, 1);
    // The time report still runs, without a second activity change.
    ASSERT_EQ(host.info.size(), 1u);
    EXPECT_EQ(host.info[0], "The time is now  (according to the server)\r");
}

TEST_F(ReadNextTest, TheServerTimeIsWrittenAsTheUserWritesDates)
{
    const test::FakeLocale locale;
    w.locale = &locale;
    w.replies[35] = "0 30 12 6 11 126 0 339 0";
    Step();
    EXPECT_EQ(lastTime, "6.12.2026 12:30:00");
    ASSERT_EQ(host.info.size(), 1u);
    EXPECT_EQ(host.info[0], "The time is now 6.12.2026 12:30:00 (according to the server)\r");
}

TEST_F(ReadNextTest, ReadsTheListInOrderAndEndsWithTheServerTime)
{
    w.Joined({1, 2});
    w.Post(10, "in one", {1});
    w.Post(20, "in two", {2});
    w.Post(21, "reply in two", {2}, 20);
    w.replies[35] = "0 30 12 6 11 126 0 339 0";
    list.rows = {2, 1};  // display order: conference 2 first

    Step();
    EXPECT_EQ(host.shown, std::vector<int32_t>{20});
    EXPECT_EQ(list.selected, 0);
    EXPECT_EQ(status->Conference(), 2);
    EXPECT_EQ(host.activities.back(), "read");
    Step();
    EXPECT_EQ(host.shown, (std::vector<int32_t>{20, 21}));
    EXPECT_EQ(status->Count(), 1);
    // Conference 2 is dry: the next step starts conference 1 afresh.
    Step();
    EXPECT_EQ(host.shown, (std::vector<int32_t>{20, 21, 10}));
    EXPECT_EQ(status->Conference(), 1);
    EXPECT_EQ(list.selected, 1);
    EXPECT_EQ(status->Count(), 0);
    EXPECT_TRUE(w.IsReadIn(20, 2) && w.IsReadIn(21, 2) && w.IsReadIn(10, 1));
    EXPECT_TRUE(host.info.empty());

    Step();
    EXPECT_EQ(host.shown.size(), 3u);
    EXPECT_EQ(list.selected, -1);
    EXPECT_EQ(status->Conference(), 0);
    EXPECT_EQ(host.activities.back(), "wait");
    EXPECT_EQ(lastTime, "2026-12-06 12:30:00");
    ASSERT_EQ(host.info.size(), 1u);
    EXPECT_EQ(host.info[0], "The time is now 2026-12-06 12:30:00 (according to the server)\r");
    EXPECT_EQ(host.endWork, 4);
}

TEST_F(ReadNextTest, AShownTextRefreshesOnlyTheChangedRowsAndADryConferenceTheWholeList)
{
    w.Joined({1, 2});
    w.Post(10, "in one", {1});
    w.Post(20, "in two", {2});
    w.Post(21, "reply in two", {2}, 20);
    list.rows = {2, 1};
    // Entering conference 2: the whole list.
    Step();
    EXPECT_EQ(host.shown, std::vector<int32_t>{20});
    EXPECT_EQ(list.refreshes, 1);
    // Reading on in it: a thousand rows would be walked at every press by a
    // whole refresh, where one count changed.
    Step();
    EXPECT_EQ(host.shown, (std::vector<int32_t>{20, 21}));
    EXPECT_EQ(list.refreshes, 1);
    EXPECT_EQ(list.changedRefreshes, 1);
    // Conference 2 is dry and the step moves on: its row may go, so the
    // list is refreshed whole.
    Step();
    EXPECT_EQ(host.shown, (std::vector<int32_t>{20, 21, 10}));
    EXPECT_EQ(list.refreshes, 2);
    EXPECT_EQ(list.changedRefreshes, 1);
}

TEST_F(ReadNextTest, AFilteredAddedTextIsMarkedReadAndTheStepGoesOn)
{
    w.Joined({1, 2});
    w.Post(30, "read in one, added to two", {1});
    w.AddRecipient(30, 2, 7);
    w.Membership(1)->MarkRead(w.LocalOf(30, 1), false);
    w.Post(31, "plain", {2});
    list.rows = {2};
    Step();
    EXPECT_EQ(host.shown, std::vector<int32_t>{31});
    EXPECT_TRUE(w.IsReadIn(30, 2));

    w.filterAdded = false;
    w.Post(32, "read in one, added to two", {1});
    w.AddRecipient(32, 2, 7);
    w.Membership(1)->MarkRead(w.LocalOf(32, 1), false);
    w.records.highestLocal[2] = 3;
    w.records.conferences[2] = std::make_shared<TMiravoConference>(2, &w.records);
    Step();
    EXPECT_EQ(host.shown, (std::vector<int32_t>{31, 32}));
}

TEST_F(ReadNextTest, ASelectedConferenceWithoutMembershipEndsSilently)
{
    w.AddConference(5);
    list.rows = {5};
    list.selected = 0;
    Step();
    EXPECT_TRUE(host.shown.empty());
    EXPECT_TRUE(host.info.empty());
    EXPECT_EQ(host.endWork, 1);
}

TEST_F(ReadNextTest, AnExceptionDisconnectsAndStillEndsTheWork)
{
    w.Joined({1});
    w.Post(10, "x", {1});
    w.poisoned = 10;
    list.rows = {1};
    Step();
    EXPECT_EQ(host.disconnects, 1);
    EXPECT_EQ(host.endWork, 1);
    EXPECT_TRUE(host.shown.empty());
}

TEST_F(ReadNextTest, StartRunsTheStepOnItsOwnThread)
{
    w.Joined({1});
    w.Post(10, "x", {1});
    list.rows = {1};
    TReadNextTextThread step(w, gui, list, host, *status);
    step.Start();
    step.Join();
    EXPECT_TRUE(step.Finished());
    EXPECT_EQ(host.shown, std::vector<int32_t>{10});
    EXPECT_EQ(step.Conference(), 1);
}

// Counts the hand-overs to the GUI thread and knows when one is running.
class CountingGui : public GuiThread {
public:
    void invokeAndWait(std::function<void()> fn) override
    {
        ++calls;
        inside = true;
        fn();
        inside = false;
    }
    int calls = 0;
    bool inside = false;
};

// The list, noting every call made from inside a hand-over.
class WatchedList : public FakeList {
public:
    explicit WatchedList(const CountingGui& gui) : gui_(gui) {}
    int RowCount() override { return Note(), FakeList::RowCount(); }
    int32_t RowConference(int row) override { return Note(), FakeList::RowConference(row); }
    int SelectedRow() override { return Note(), FakeList::SelectedRow(); }
    void SelectRow(int row) override { Note(), FakeList::SelectRow(row); }
    void ClearSelection() override { Note(), FakeList::ClearSelection(); }
    void Refresh() override { Note(), FakeList::Refresh(); }
    void RefreshChanged() override { Note(), FakeList::RefreshChanged(); }
    int touchedInside = 0;

private:
    void Note() { touchedInside += gui_.inside ? 1 : 0; }
    const CountingGui& gui_;
};

TEST(ReadNextHandOvers, EveryStepHandsTheGuiThreadOnlyItsResultAndNeverReadsTheListThere)
{
    ThrowingServices w;
    w.Joined({1, 2, 3});
    w.Post(10, "in one", {1});
    w.Post(20, "in two", {2});
    w.Post(21, "reply in two", {2}, 20);
    w.Post(22, "third in two", {2});
    w.Post(30, "in three, not listed until the last step", {3});
    CountingGui gui;
    WatchedList list(gui);
    list.rows = {2, 1};
    FakeHost host;
    TCurrentReadStatus status;
    // Three texts of conference 2, then conference 1 once 2 is dry, then
    // nothing left (the time report), then a step that fails.
    const std::vector<size_t> shownAfter{1, 2, 3, 4, 4, 4};
    for (size_t i = 0; i < shownAfter.size(); ++i) {
        if (i == 5) {
            w.poisoned = 30;
            list.rows = {3};
            list.selected = 0;
        }
        gui.calls = 0;
        TReadNextTextThread step(w, gui, list, host, status);
        step.Run();
        EXPECT_EQ(gui.calls, 1) << "step " << i;
        EXPECT_EQ(step.HandOvers(), 1) << "step " << i;
        EXPECT_EQ(host.shown.size(), shownAfter[i]) << "step " << i;
        EXPECT_EQ(host.endWork, static_cast<int>(i) + 1);
    }
    EXPECT_EQ(list.touchedInside, 0);
    EXPECT_EQ(host.disconnects, 1);
    EXPECT_EQ(host.info.size(), 1u);
}

TEST(SelectReadingConference, SkipsTheSelectedRowWhenItHasNothingUnread)
{
    FakeReadingServices w;
    w.Joined({1, 2});
    w.Post(10, "x", {2});
    FakeList list;
    FakeHost host;
    list.rows = {1, 2};
    list.selected = 0;
    TCurrentReadStatus status;
    status.Push(3);
    EXPECT_EQ(SelectReadingConference(w, list, status, host), 2);
    EXPECT_EQ(list.selected, 1);
    EXPECT_EQ(status.Count(), 0);
}

} // namespace
} // namespace pellar
