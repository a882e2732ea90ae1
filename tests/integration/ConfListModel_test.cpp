// The conference-list model against the reference server's demo data: its
// rows, counts and order, the selection and who hears of it, counts brought
// up to date from another thread, and a view's snapshots taken while another
// thread refreshes.
#include "core/reading/ConfListModel.h"

#include <atomic>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "core/wire/TMiravoMembership.h"
#include "core/session/MVCache.h"
#include "support/SessionFixture.h"

namespace pellar::test {
namespace {

class ConfListModelTest : public SessionFixture {
protected:
    void SetUp() override
    {
        StartServer();
        ASSERT_TRUE(LogOn(me));
        model = std::make_unique<ConfListModel>(me.client.Cache());
        model->SetSelectionHandler([this](int32_t conf) {
            std::lock_guard lock(mutex);
            selections.push_back(conf);
        });
        model->SetRowsHandler([this](bool hasRows) {
            std::lock_guard lock(mutex);
            rowsTold.push_back(hasRows);
        });
        model->SetChangeListener([this] { ++told; });
    }
    void TearDown() override { model.reset(); }

    int32_t Unread(int32_t conf)
    {
        const auto membership = me.client.Cache().GetMembership(conf);
        return membership ? membership->UnreadCount() : -1;
    }

    SessionClient me;
    std::unique_ptr<ConfListModel> model;
    std::mutex mutex;
    std::vector<int32_t> selections;
    std::vector<bool> rowsTold;
    std::atomic<int> told{0};
};

TEST_F(ConfListModelTest, ARefreshListsUnreadConferencesByPriorityAndSelectsTheFirst)
{
    model->Refresh();
    const std::vector<ConfListRow> rows = model->Rows();
    ASSERT_GE(rows.size(), 2u);
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].unread, Unread(rows[i].conf));
        EXPECT_GT(rows[i].unread, 0);
        EXPECT_FALSE(rows[i].name.empty());
        if (i > 0)
            EXPECT_LE(rows[i].priority, rows[i - 1].priority);
        EXPECT_EQ(model->RowConference(static_cast<int>(i)), rows[i].conf);
    }
    EXPECT_EQ(model->SelectedConference(), rows[0].conf);
    EXPECT_EQ(model->SelectedRow(), 0);
    EXPECT_EQ(selections, std::vector<int32_t>{rows[0].conf});
    EXPECT_EQ(rowsTold, std::vector<bool>{true});
    EXPECT_EQ(told.load(), 1);
    // The view's snapshot: the rows, the selection, the row to bring into
    // sight once; and the listener is told again only after it.
    const ConfListModel::Snapshot snapshot = model->TakeSnapshot();
    EXPECT_EQ(snapshot.rows.size(), rows.size());
    EXPECT_EQ(snapshot.selected, rows[0].conf);
    EXPECT_EQ(snapshot.scrollTo, rows[0].conf);
    EXPECT_EQ(model->TakeSnapshot().scrollTo, 0);

    // Inverted on a click of the priority header; the selection stays.
    model->HeaderClicked(ConfListOrder::Priority);
    EXPECT_EQ(model->RowConference(0), rows.back().conf);
    EXPECT_EQ(model->SelectedConference(), rows[0].conf);
    EXPECT_EQ(model->SelectedRow(), static_cast<int>(rows.size()) - 1);
    EXPECT_EQ(told.load(), 2);
    // Selecting tells the handler once per change.
    model->SelectRow(0);
    model->SelectRow(0);
    model->ClearSelection();
    EXPECT_EQ(selections, (std::vector<int32_t>{rows[0].conf, rows.back().conf, 0}));
    EXPECT_EQ(model->SelectedRow(), -1);
    // Out of range: nothing.
    model->SelectRow(static_cast<int>(rows.size()));
    EXPECT_EQ(model->SelectedConference(), 0);
    EXPECT_EQ(model->RowConference(-1), 0);
}

TEST_F(ConfListModelTest, CountsChangedOnAnotherThreadKeepTheRowsInPlace)
{
    model->Refresh();
    const std::vector<ConfListRow> before = model->Rows();
    const int32_t top = before[0].conf;
    const auto membership = me.client.Cache().GetMembership(top);
    membership->MarkRead(membership->LastTextRead() + 1, false);
    model->TakeSnapshot();  // the view is up to date
    const int told0 = told.load();
    std::thread worker([this] { model->RefreshChanged(); });
    worker.join();
    EXPECT_EQ(model->Row(top)->unread, before[0].unread - 1);
    EXPECT_EQ(told.load(), told0 + 1);
    std::vector<int32_t> order, orderBefore;
    for (const auto& row : model->Rows())
        order.push_back(row.conf);
    for (const auto& row : before)
        orderBefore.push_back(row.conf);
    EXPECT_EQ(order, orderBefore);
    // Nothing changed since: nothing to tell.
    model->TakeSnapshot();
    model->RefreshChanged();
    EXPECT_EQ(told.load(), told0 + 1);
}

TEST_F(ConfListModelTest, TheConferenceReadIsAlwaysListedAndTheEntireMembershipOnRequest)
{
    model->Refresh();
    const int32_t top = model->RowConference(0);
    const auto membership = me.client.Cache().GetMembership(top);
    membership->SetLastTextRead(membership->LastTextRead() + Unread(top));
    ASSERT_EQ(Unread(top), 0);
    int32_t reading = top;
    model->SetReadingConference([&reading] { return reading; });
    model->Refresh();
    ASSERT_TRUE(model->Row(top));
    EXPECT_EQ(model->Row(top)->unread, 0);
    reading = 0;
    model->Refresh();
    EXPECT_FALSE(model->Row(top));
    // The selected row went: the first row is selected instead.
    EXPECT_EQ(model->SelectedRow(), 0);

    std::vector<int32_t> all;
    me.client.Cache().ListMemberConferences(all);
    model->SetShowEntireMembership(true);
    model->Refresh();
    EXPECT_EQ(model->RowCount(), static_cast<int>(all.size()));
    ASSERT_TRUE(model->Row(top));
    EXPECT_FALSE(model->Row(top)->name.empty());
    // Going back to a conference not listed adds its row.
    model->SetShowEntireMembership(false);
    model->ClearRows();
    EXPECT_EQ(model->RowCount(), 0);
    EXPECT_EQ(rowsTold.back(), false);
    EXPECT_TRUE(model->SelectConference(top));
    EXPECT_EQ(model->SelectedConference(), top);
    EXPECT_EQ(model->RowCount(), 1);
    EXPECT_FALSE(model->SelectConference(999999)) << "not a member";
}

TEST_F(ConfListModelTest, SnapshotsTakenWhileAnotherThreadRefreshesAreWhole)
{
    model->Refresh();
    const size_t rows = model->Rows().size();
    std::atomic<bool> done{false};
    std::thread worker([&] {
        for (int i = 0; i < 50; ++i) {
            model->HeaderClicked(i % 2 ? ConfListOrder::Name : ConfListOrder::Unread);
            model->RefreshChanged();
            model->Refresh();
        }
        done = true;
    });
    int taken = 0;
    do {
        const ConfListModel::Snapshot snapshot = model->TakeSnapshot();
        std::set<int32_t> confs;
        for (const auto& row : snapshot.rows)
            confs.insert(row.conf);
        ASSERT_EQ(confs.size(), snapshot.rows.size()) << "a conference twice";
        ASSERT_EQ(snapshot.rows.size(), rows);
        ++taken;
    } while (!done);
    worker.join();
    EXPECT_GT(taken, 0);
}

} // namespace
} // namespace pellar::test
