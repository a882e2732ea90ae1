// The conference list of a reader with many memberships, against the
// reference server: right counts and names in every row, in order, from one
// batch of status requests with no second look-up of any name.
#include "core/config/MemoryRegistryBackend.h"
#include "core/wire/TMiravoMembership.h"
#include "core/session/Logon.h"
#include "core/session/MVCache.h"
#include "core/session/SessionCommands.h"
#include "core/session/Client.h"
#include "gui/reading/ConfListView.h"
#include "server/MembershipSeed.h"
#include "server/Model.h"
#include "server/Store.h"
#include "support/gui/GuiTestSupport.h"

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <map>
#include <thread>

using namespace pellar;

namespace {

constexpr int kMemberships = 150;
// The first few are read to the end: no unread texts there.
constexpr int kReadOut = 10;

} // namespace

class ConfListViewTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    std::vector<int32_t> confs_;
    std::unique_ptr<miravod::Server> server_;
    std::unique_ptr<test::SessionClient> me_;
    int32_t reading_ = 0;
    std::unique_ptr<ConfListModel> model_;
    std::unique_ptr<TConfListView> list_;

    std::map<int32_t, int> IndexOf() const
    {
        std::map<int32_t, int> index;
        for (size_t i = 0; i < confs_.size(); ++i)
            index[confs_[i]] = static_cast<int>(i);
        return index;
    }
    uint64_t Sent() const { return me_->client.Counters().requestsSent.load(); }

private slots:
    void initTestCase()
    {
        QVERIFY(dir_.isValid());
        const std::string db = dir_.filePath(QStringLiteral("many.db")).toStdString();
        miravod::Store store;
        std::string error;
        QVERIFY2(store.Open(db, &error), error.c_str());
        confs_ = miravod::MembershipSeed::AddConferences(store, kMemberships, "Many");
        const int32_t reader = miravod::MembershipSeed::AddReader(store, "Many Reader", "many", confs_, 1000);
        for (int i = 0; i < kReadOut; ++i)
            store.EditMembership(reader, confs_[static_cast<size_t>(i)]).lastRead =
                store.Conf(confs_[static_cast<size_t>(i)])->HighestLocal();
        QVERIFY2(store.Commit(&error), error.c_str());

        miravod::ServerOptions options;
        options.dbPath = db;
        options.demoCompanion = false;
        server_ = std::make_unique<miravod::Server>(options);
        QVERIFY2(server_->Start(&error), error.c_str());
    }

    void init()
    {
        me_ = std::make_unique<test::SessionClient>();
        QVERIFY(me_->LogOn(std::to_string(server_->Port()), "Many Reader", "many"));
        reading_ = 0;
        model_ = std::make_unique<ConfListModel>(me_->client.Cache());
        model_->SetReadingConference([this] { return reading_; });
        list_ = std::make_unique<TConfListView>(*model_);
        list_->resize(600, 400);
        list_->show();
    }

    void cleanup()
    {
        list_.reset();
        model_.reset();
        me_->logon.LogOff();
        me_.reset();
    }

    void everyConferenceWithUnreadTextsIsListedWithItsCountFromOneBatch()
    {
        QSignalSpy rows(list_.get(), &TConfListView::RowsChanged);
        const uint64_t before = Sent();
        list_->Refresh();
        // Two statuses per listed conference and nothing else: the names
        // came with the statuses.
        QCOMPARE(Sent() - before, uint64_t{2 * (kMemberships - kReadOut)});
        QCOMPARE(rows.count(), 1);
        QCOMPARE(rows.front().front().toBool(), true);

        QCOMPARE(list_->RowCount(), kMemberships - kReadOut);
        const auto index = IndexOf();
        int32_t lastPriority = INT32_MAX;
        for (int row = 0; row < list_->RowCount(); ++row) {
            const int32_t conf = list_->RowConference(row);
            const int i = index.at(conf);
            QVERIFY(i >= kReadOut);
            const auto item = list_->Row(conf);
            QVERIFY(item);
            QCOMPARE(item->unread, miravod::MembershipSeed::UnreadOf(i));
            QCOMPARE(item->name, "Many " + std::to_string(i));
            const int32_t priority = item->priority;
            // And the view shows the same row there.
            list_->ListModel()->ApplyPending();
            const QAbstractItemModel* shown = list_->model();
            QCOMPARE(shown->index(row, TConfListView::NrColumn).data().toString(), QString::number(conf));
            QCOMPARE(shown->index(row, TConfListView::UnreadColumn).data().toInt(), item->unread);
            QCOMPARE(shown->index(row, TConfListView::NameColumn).data().toString(), QStringLiteral("Many %1").arg(i));
            QCOMPARE(priority, miravod::MembershipSeed::PriorityOf(i));
            QVERIFY(priority <= lastPriority);
            lastPriority = priority;
        }
        QCOMPARE(list_->SelectedRow(), 0);
        QCOMPARE(list_->currentIndex().row(), 0);

        // Again: nothing to ask, nothing changes.
        const uint64_t second = Sent();
        list_->Refresh();
        QCOMPARE(Sent(), second);
        QCOMPARE(list_->RowCount(), kMemberships - kReadOut);
    }

    void countsFollowReadingAndTheEntireMembershipShowsEveryRow()
    {
        list_->Refresh();
        const int32_t top = list_->RowConference(0);
        const auto membership = me_->client.Cache().GetMembership(top);
        const int32_t unread = list_->Row(top)->unread;
        const int32_t last = membership->LastTextRead();
        // Read one: the count drops; read the rest: the row goes, unless it
        // is the conference being read.
        membership->MarkRead(last + 1, false);
        list_->Refresh();
        QCOMPARE(list_->Row(top)->unread, unread - 1);
        membership->SetLastTextRead(last + unread);
        reading_ = top;
        list_->Refresh();
        QVERIFY(list_->Row(top));
        QCOMPARE(list_->Row(top)->unread, 0);
        reading_ = 0;
        list_->Refresh();
        QVERIFY(!list_->Row(top));
        QCOMPARE(list_->RowCount(), kMemberships - kReadOut - 1);

        // Every membership (the reader's own mailbox too), the read-out ones
        // with their names.
        std::vector<int32_t> all;
        me_->client.Cache().ListMemberConferences(all);
        QCOMPARE(all.size(), size_t{kMemberships + 1});
        list_->SetShowEntireMembership(true);
        list_->Refresh();
        QCOMPARE(list_->RowCount(), kMemberships + 1);
        QCOMPARE(list_->Row(confs_[0])->name, "Many 0");
        QCOMPARE(list_->Row(confs_[0])->unread, 0);
    }

    // The adapter passes Qt's checks through refreshes, sorts and a clear;
    // a selection made on another thread reaches the view, and a click
    // reaches the core model and whoever listens to it.
    void theViewFollowsTheCoreModelAndAClickGoesBackToIt()
    {
        QAbstractItemModelTester tester(list_->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        std::vector<int32_t> heard;
        model_->SetSelectionHandler([&heard](int32_t conf) { heard.push_back(conf); });
        list_->Refresh();
        QTRY_COMPARE(list_->model()->rowCount(), kMemberships - kReadOut);
        QCOMPARE(list_->currentIndex().row(), 0);

        std::thread worker([this] { model_->SelectRow(3); });
        worker.join();
        QTRY_COMPARE(list_->currentIndex().row(), 3);
        QVERIFY(list_->selectionModel()->isRowSelected(3, QModelIndex()));

        const QModelIndex fifth = list_->model()->index(5, TConfListView::NameColumn);
        QTest::mouseClick(list_->viewport(), Qt::LeftButton, {}, list_->visualRect(fifth).center());
        QCOMPARE(list_->SelectedConference(), list_->RowConference(5));
        QCOMPARE(heard.back(), list_->RowConference(5));

        // Sorted by name on the header, the view's rows follow the model's.
        emit list_->header()->sectionClicked(TConfListView::NameColumn);
        QTRY_COMPARE(list_->model()->index(0, TConfListView::NrColumn).data().toString(),
                     QString::number(list_->RowConference(0)));
        QCOMPARE(list_->currentIndex().row(), list_->SelectedRow());
        list_->ClearRows();
        QTRY_COMPARE(list_->model()->rowCount(), 0);
        model_->SetSelectionHandler(nullptr);
    }
};

QTEST_MAIN(ConfListViewTest)
#include "ConfListView_test.moc"
