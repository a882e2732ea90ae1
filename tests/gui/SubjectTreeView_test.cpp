// The subject tree view over the core model: the adapter passes Qt's model
// checks while batches go in (and while the tree is cleared and refilled);
// the view shows the same tree as the model, with every node with children
// open, unread texts bold, and a reader's selection and scrolled-to rows kept
// while batches go in above them.
#include "core/reading/SubjectTree.h"
#include "core/reading/SubjectTreeModel.h"
#include "gui/reading/SubjectTreeItemModel.h"
#include "gui/reading/SubjectTreeView.h"

#include <QAbstractItemModelTester>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

using namespace pellar;

namespace {

// Comment trees, some texts commenting texts placed many entries before
// (and so in an earlier batch), some two parents, one commenting itself,
// one commenting a text that never comes; subjects repeat.
std::vector<TreeEntry> Entries(int count)
{
    std::vector<TreeEntry> entries;
    uint32_t seed = 7;
    auto next = [&seed](uint32_t bound) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) % bound;
    };
    for (int i = 0; i < count; ++i) {
        const int32_t text = 100 + i;
        TreeEntry e{text, "Subject " + std::to_string(next(9)), "Author " + std::to_string(next(4)), {}};
        if (i > 0 && next(3) != 0)
            e.parents.push_back(100 + static_cast<int32_t>(next(static_cast<uint32_t>(i))));
        if (i > 1 && next(8) == 0)
            e.parents.push_back(100 + static_cast<int32_t>(next(static_cast<uint32_t>(i))));
        if (i == count / 2)
            e.parents = {text};
        if (i == count / 3)
            e.parents = {99999};
        entries.push_back(std::move(e));
    }
    return entries;
}

// Each node in tree order as (its caption, the caption of the node above
// it, its text), top-level nodes with an empty parent caption.
using Shape = std::vector<std::tuple<std::string, std::string, int32_t>>;

Shape ModelShape(const SubjectTreeModel& model)
{
    Shape out;
    const auto top = model.TopLevel();
    std::vector<TreeNodeId> pending(top.rbegin(), top.rend());
    while (!pending.empty()) {
        const auto node = model.At(pending.back());
        pending.pop_back();
        out.emplace_back(node.caption, node.parent < 0 ? std::string() : model.At(node.parent).caption, node.text);
        for (auto it = node.children.rbegin(); it != node.children.rend(); ++it)
            pending.push_back(*it);
    }
    return out;
}

// The same, read through Qt's model interface only.
Shape ItemShape(const QAbstractItemModel& model)
{
    Shape out;
    std::vector<QModelIndex> pending;
    for (int i = model.rowCount() - 1; i >= 0; --i)
        pending.push_back(model.index(i, 0));
    while (!pending.empty()) {
        const QModelIndex at = pending.back();
        pending.pop_back();
        out.emplace_back(at.data().toString().toStdString(),
                         at.parent().isValid() ? at.parent().data().toString().toStdString() : std::string(),
                         SubjectTreeItemModel::TextAt(at));
        for (int i = model.rowCount(at) - 1; i >= 0; --i)
            pending.push_back(model.index(i, 0, at));
    }
    return out;
}

void PlaceInBatches(SubjectTreeModel& tree, const std::vector<TreeEntry>& entries, size_t size,
                    bool turnBetween = true)
{
    for (size_t first = 0; first < entries.size(); first += size) {
        const auto last = std::min(entries.size(), first + size);
        PlaceTextsInTree(tree, std::vector<TreeEntry>(entries.begin() + static_cast<long>(first),
                                                      entries.begin() + static_cast<long>(last)));
        if (turnBetween)
            QCoreApplication::processEvents();
    }
}

// Runs the event loop until the view has taken in everything.
bool CaughtUp(const TSubjectTreeView& view)
{
    return QTest::qWaitFor([&] { return view.TreeModel()->IsUpToDate(); }, 5000);
}

QModelIndex IndexOfText(const TSubjectTreeView& view, int32_t text)
{
    return view.TreeModel()->FirstIndexOfText(text);
}

} // namespace

class SubjectTreeViewTest : public QObject {
    Q_OBJECT

private slots:
    void theAdapterPassesQtsModelChecksWhileTheTreeGrowsAndIsCleared()
    {
        SubjectTreeModel tree;
        SubjectTreeItemModel adapter(tree);
        QAbstractItemModelTester tester(&adapter, QAbstractItemModelTester::FailureReportingMode::QtTest);
        const auto entries = Entries(300);
        PlaceInBatches(tree, entries, 37, false);
        adapter.ApplyPending();
        QVERIFY(adapter.IsUpToDate());
        QVERIFY(ItemShape(adapter) == ModelShape(tree));
        // Read marks, a clear and a refill, taken in at once and one by one.
        tree.RefreshReadMarks([](int32_t text) { return text % 2 == 0; });
        adapter.ApplyPending();
        tree.Clear();
        PlaceInBatches(tree, Entries(40), 7, false);
        adapter.ApplyPending();
        QVERIFY(ItemShape(adapter) == ModelShape(tree));
        for (const auto& e : Entries(25)) {
            PlaceTextInTree(tree, TreeEntry{e.text + 1000, e.subject, e.authorName, {e.text}});
            adapter.ApplyPending();
        }
        QVERIFY(ItemShape(adapter) == ModelShape(tree));
    }

    void theAdapterShowsOnlyWhatItHasBeenToldOf()
    {
        SubjectTreeModel tree;
        PlaceInBatches(tree, Entries(10), 10, false);
        SubjectTreeItemModel adapter(tree);  // takes in what is there
        const int rows = adapter.rowCount();
        QVERIFY(rows > 0);
        QSignalSpy inserted(&adapter, &QAbstractItemModel::rowsInserted);
        QSignalSpy reset(&adapter, &QAbstractItemModel::modelReset);
        PlaceTextInTree(tree, TreeEntry{900, "A subject nobody used", "Ann", {}});
        // Not yet: the view was not told, so it must not see the row.
        QCOMPARE(adapter.rowCount(), rows);
        QVERIFY(!adapter.IsUpToDate());
        QTRY_COMPARE(adapter.rowCount(), rows + 1);
        QVERIFY(inserted.count() >= 1);
        QCOMPARE(reset.count(), 0);
        // A clear shows the old tree until it is taken in, then a reset.
        tree.Clear();
        QCOMPARE(adapter.rowCount(), rows + 1);
        QTRY_COMPARE(reset.count(), 1);
        QCOMPARE(adapter.rowCount(), 0);
    }

    void aNewTreeAndTheEndOfATreeGoInWithoutWaitingForTheLayoutSpacing()
    {
        // A big tree spaces the adapter's layouts (one per 50 ms); neither a
        // new tree after it nor the last batch of a tree may wait for that.
        SubjectTreeModel tree;
        SubjectTreeItemModel adapter(tree);
        PlaceInBatches(tree, Entries(12000), 4000, false);
        adapter.ApplyPending();
        QVERIFY(adapter.IsUpToDate());
        tree.Clear();
        PlaceInBatches(tree, Entries(5), 5, false);
        QCoreApplication::processEvents();
        QVERIFY2(adapter.IsUpToDate(), "the new tree waited for the old one's spacing");
        QCOMPARE(adapter.rowCount(), static_cast<int>(tree.TopLevel().size()));
        PlaceInBatches(tree, Entries(12000), 4000, false);
        adapter.ApplyPending();
        PlaceTextInTree(tree, TreeEntry{99000, "The last one", "Ann", {}});
        tree.Complete();
        QCoreApplication::processEvents();
        QVERIFY2(adapter.IsUpToDate(), "the end of the tree waited for the spacing");
        QVERIFY(adapter.FirstIndexOfText(99000).isValid());
    }

    void theViewShowsTheModelsTreeWithEveryParentOpen()
    {
        const auto entries = Entries(300);
        SubjectTreeModel reference;
        for (const auto& e : entries)
            PlaceTextInTree(reference, e);
        const Shape expected = ModelShape(reference);
        QVERIFY(expected.size() > entries.size());  // some texts have two nodes

        for (size_t size : {size_t{1}, size_t{7}, size_t{50}, entries.size()}) {
            SubjectTreeModel tree;
            TSubjectTreeView view;
            view.SetTree(tree);
            view.resize(300, 400);
            view.show();
            PlaceInBatches(tree, entries, size);
            QVERIFY(CaughtUp(view));
            QVERIFY2(ItemShape(*view.model()) == expected, qPrintable(QStringLiteral("batches of %1").arg(size)));
            QCOMPARE(view.TextsInTreeOrder(), reference.TextsInTreeOrder());
            int parents = 0;
            std::vector<QModelIndex> pending{QModelIndex()};
            while (!pending.empty()) {
                const QModelIndex at = pending.back();
                pending.pop_back();
                for (int i = 0; i < view.model()->rowCount(at); ++i)
                    pending.push_back(view.model()->index(i, 0, at));
                if (at.isValid() && view.model()->rowCount(at) > 0) {
                    ++parents;
                    QVERIFY2(view.isExpanded(at), qPrintable(at.data().toString()));
                }
            }
            QVERIFY(parents > 10);
        }
    }

    void unreadTextsAreBoldUntilReadAndSubjectsArePlain()
    {
        SubjectTreeModel tree;
        TSubjectTreeView view;
        view.SetTree(tree);
        PlaceInBatches(tree, Entries(30), 30);
        QVERIFY(CaughtUp(view));
        const QModelIndex subject = view.model()->index(0, 0);
        QVERIFY(!subject.data(Qt::FontRole).value<QFont>().bold());
        QCOMPARE(SubjectTreeItemModel::TextAt(subject), 0);
        QVERIFY(view.IsShownUnread(100));
        QVERIFY(view.IsShownUnread(101));
        QCOMPARE(IndexOfText(view, 101).data(Qt::ToolTipRole).toString(), QStringLiteral("101"));
        QSignalSpy changed(view.model(), &QAbstractItemModel::dataChanged);
        tree.RefreshReadMarks([](int32_t text) { return text == 101; });
        QTRY_VERIFY(changed.count() >= 1);
        QVERIFY(!view.IsShownUnread(101));
        QVERIFY(!IndexOfText(view, 101).data(Qt::FontRole).value<QFont>().bold());
        QVERIFY(view.IsShownUnread(100));
        QVERIFY(!tree.IsUnread(101));
        QCOMPARE(tree.UnreadCount(), 29);
    }

    void aClearInTheMiddleOfABatchLeavesAnEmptyTree()
    {
        SubjectTreeModel tree;
        TSubjectTreeView view;
        view.SetTree(tree);
        PlaceInBatches(tree, Entries(20), 20);
        tree.BeginBatch();
        PlaceTextInTree(tree, TreeEntry{500, "New", "A", {}});
        PlaceTextInTree(tree, TreeEntry{501, "Re", "B", {100}});
        tree.Clear();
        tree.EndBatch();
        QVERIFY(CaughtUp(view));
        QCOMPARE(view.model()->rowCount(), 0);
        QVERIFY(tree.NodesOfText(100).empty());
        QVERIFY(!tree.FindTopLevel("New").has_value());
        PlaceInBatches(tree, Entries(5), 2);
        QVERIFY(CaughtUp(view));
        QCOMPARE(view.TextsInTreeOrder().size(), size_t{5});
    }

    void selectionFollowsTheTextEvenBeforeTheViewWasToldOfIt()
    {
        SubjectTreeModel tree;
        TSubjectTreeView view;
        view.SetTree(tree);
        view.resize(300, 200);
        view.show();
        PlaceInBatches(tree, Entries(50), 50, false);
        // Placed, not yet taken in: selecting it takes it in first.
        view.SelectText(140);
        QCOMPARE(view.CurrentText(), 140);
        QVERIFY(view.selectionModel()->isSelected(view.currentIndex()));
        view.SelectText(99999);  // no such node: the selection stays
        QCOMPARE(view.CurrentText(), 140);
        // The keyboard moves it along the rows.
        view.setFocus();
        const QModelIndex before = view.currentIndex();
        QTest::keyClick(&view, Qt::Key_Down);
        QVERIFY(view.currentIndex() != before);
        QTest::keyClick(&view, Qt::Key_Up);
        QCOMPARE(view.currentIndex(), before);
    }

    void theReadersSelectionAndScrolledRowsStayWhileBatchesGoInAbove()
    {
        const auto entries = Entries(400);
        SubjectTreeModel tree;
        TSubjectTreeView view;
        view.SetTree(tree);
        view.resize(300, 200);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        PlaceInBatches(tree, std::vector<TreeEntry>(entries.begin(), entries.begin() + 200), 40);
        // The reader selects a text far down and scrolls it to the top.
        const int32_t reading = 180;
        view.SelectText(reading);
        const QPersistentModelIndex selected = view.currentIndex();
        QVERIFY(selected.isValid());
        view.scrollTo(selected, QAbstractItemView::PositionAtTop);
        QTRY_VERIFY(view.verticalScrollBar()->value() > 0);
        const QPersistentModelIndex top = view.indexAt(QPoint(0, 0));
        QVERIFY(top.isValid());

        // Comments to the first texts go in above the rows in sight.
        std::vector<TreeEntry> above;
        for (int32_t i = 0; i < 30; ++i)
            above.push_back(TreeEntry{2000 + i, "Subject 0", "Late", {100 + i % 5}});
        PlaceTextsInTree(tree, above);
        PlaceInBatches(tree, std::vector<TreeEntry>(entries.begin() + 200, entries.end()), 40);
        QVERIFY(CaughtUp(view));
        QCOMPARE(QPersistentModelIndex(view.currentIndex()), selected);
        QCOMPARE(view.CurrentText(), reading);
        QTRY_COMPARE(QPersistentModelIndex(view.indexAt(QPoint(0, 0))), top);
        // And they went under their parents, not where the reader looks.
        for (int32_t i = 0; i < 30; ++i) {
            const QModelIndex late = IndexOfText(view, 2000 + i);
            QVERIFY(late.isValid());
            QCOMPARE(SubjectTreeItemModel::TextAt(late.parent()), 100 + i % 5);
        }
    }
};

QTEST_MAIN(SubjectTreeViewTest)
#include "SubjectTreeView_test.moc"
