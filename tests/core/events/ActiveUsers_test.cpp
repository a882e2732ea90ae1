// The who-is-on window's controller against the reference server, with a GUI
// thread the test drives: the table fills through the hand-over, requests
// made during an update are kept, and shutdown while the updater waits for
// the GUI thread.
#include "core/events/ActiveUsers.h"

#include <algorithm>

#include "support/QueuedGuiThread.h"
#include "support/SessionFixture.h"

namespace pellar::test {
namespace {

class ActiveUsersTest : public SessionFixture {
protected:
    void SetUp() override
    {
        StartServer();
        ASSERT_TRUE(LogOn(me));
    }

    bool Lists(const std::string& user) const
    {
        const auto& rows = users->Table().Rows();
        return std::any_of(rows.begin(), rows.end(), [&](const ActiveUserRow& r) { return r.cells[colUser] == user; });
    }

    SessionClient me;
    QueuedGuiThread gui;
    int changed = 0;
    std::unique_ptr<ActiveUsers> users =
        std::make_unique<ActiveUsers>(me.client, gui.HandOver(), [this] { ++changed; });
};

TEST_F(ActiveUsersTest, TheTableFillsOnTheGuiThreadAndARefreshDuringAnUpdateIsKept)
{
    users->Refresh();
    // The quick fill waits for the GUI thread: nothing has touched the table.
    ASSERT_TRUE(gui.WaitForPending());
    EXPECT_TRUE(users->Table().Rows().empty());
    EXPECT_EQ(changed, 0);
    users->Refresh();
    users->Refresh();
    ASSERT_TRUE(gui.RunUntil([&] { return users->Updater().CompletedUpdates() == 2; }));
    EXPECT_TRUE(Lists(kDemoUser));
    EXPECT_GE(changed, 2);
}

TEST_F(ActiveUsersTest, ShutdownWhileTheUpdaterWaitsForTheGuiThreadReleasesItAndChangesNothing)
{
    users->Refresh();
    ASSERT_TRUE(gui.WaitForPending());
    QueuedGuiThread::ReturnsUnpumped([&] { users->Shutdown(); });
    EXPECT_TRUE(users->IsShutDown());
    while (gui.RunOne()) {
    }
    EXPECT_TRUE(users->Table().Rows().empty());
    EXPECT_EQ(changed, 0);
    users.reset();  // a second stop in the destructor is harmless
}

} // namespace
} // namespace pellar::test
