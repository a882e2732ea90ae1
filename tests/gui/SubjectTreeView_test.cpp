// The subject tree view filled in batches: the same tree as placing one text
// at a time (checked against the in-memory model), every node with children
// open, and a reader's selection and scrolled-to rows kept while batches go
// in above them.
#include "core/reading/SubjectTree.h"
#include "core/reading/SubjectTreeModel.h"
#include "gui/reading/SubjectTreeView.h"

#include <QScrollBar>
#include <QTest>

#include <string>
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
    std::vector<TreeNodeId> pending(model.TopLevel().rbegin(), model.TopLevel().rend());
    while (!pending.empty()) {
        const auto& node = model.At(pending.back());
        pending.pop_back();
        out.emplace_back(node.caption, node.parent < 0 ? std::string() : model.At(node.parent).caption, node.text);
        for (auto it = node.children.rbegin(); it != node.children.rend(); ++it)
            pending.push_back(*it);
    }
    return out;
}

Shape ViewShape(const TSubjectTreeView& view)
{
    Shape out;
    std::vector<const QTreeWidgetItem*> pending;
    for (int i = view.topLevelItemCount() - 1; i >= 0; --i)
        pending.push_back(view.topLevelItem(i));
    while (!pending.empty()) {
        const QTreeWidgetItem* item = pending.back();
        pending.pop_back();
        out.emplace_back(item->text(0).toStdString(),
                         item->parent() ? item->parent()->text(0).toStdString() : std::string(),
                         TSubjectTreeView::TextOf(item));
        for (int i = item->childCount() - 1; i >= 0; --i)
            pending.push_back(item->child(i));
    }
    return out;
}

void PlaceInBatches(TSubjectTreeView& view, const std::vector<TreeEntry>& entries, size_t size)
{
    for (size_t first = 0; first < entries.size(); first += size) {
        const auto last = std::min(entries.size(), first + size);
        PlaceTextsInTree(view, std::vector<TreeEntry>(entries.begin() + static_cast<long>(first),
                                                      entries.begin() + static_cast<long>(last)));
    }
}

} // namespace

class SubjectTreeViewTest : public QObject {
    Q_OBJECT

private slots:
    void batchesBuildTheSameTreeAsOneTextAtATime()
    {
        const auto entries = Entries(300);
        SubjectTreeModel model;
        for (const auto& e : entries)
            PlaceTextInTree(model, e);
        const Shape expected = ModelShape(model);
        QVERIFY(expected.size() > entries.size());  // some texts have two nodes

        for (size_t size : {size_t{1}, size_t{7}, size_t{50}, entries.size()}) {
            TSubjectTreeView view;
            view.resize(300, 400);
            view.show();
            PlaceInBatches(view, entries, size);
            QVERIFY2(ViewShape(view) == expected, qPrintable(QStringLiteral("batches of %1").arg(size)));
            QCOMPARE(view.TextsInTreeOrder(), model.TextsInTreeOrder());
            for (int32_t text : {100, 150, 399})
                QCOMPARE(view.NodesOfText(text).size(), model.NodesOfText(text).size());
        }
        // And outside any batch, as before.
        TSubjectTreeView single;
        for (const auto& e : entries)
            PlaceTextInTree(single, e);
        QVERIFY(ViewShape(single) == expected);
    }

    void everyNodeWithChildrenIsOpenAfterABatch()
    {
        TSubjectTreeView view;
        view.resize(300, 400);
        view.show();
        PlaceInBatches(view, Entries(120), 25);
        int parents = 0;
        for (QTreeWidgetItemIterator it(&view); *it; ++it) {
            if ((*it)->childCount() > 0) {
                ++parents;
                QVERIFY2((*it)->isExpanded(), qPrintable((*it)->text(0)));
            }
        }
        QVERIFY(parents > 10);
    }

    void aClearInTheMiddleOfABatchLeavesAnEmptyTree()
    {
        TSubjectTreeView view;
        PlaceInBatches(view, Entries(20), 20);
        view.BeginBatch();
        PlaceTextInTree(view, TreeEntry{500, "New", "A", {}});
        PlaceTextInTree(view, TreeEntry{501, "Re", "B", {100}});
        view.Clear();
        view.EndBatch();
        QCOMPARE(view.topLevelItemCount(), 0);
        QVERIFY(view.NodesOfText(100).empty());
        QVERIFY(!view.FindTopLevel("New").has_value());
        PlaceInBatches(view, Entries(5), 2);
        QCOMPARE(view.TextsInTreeOrder().size(), size_t{5});
    }

    void theReadersSelectionAndScrolledRowsStayWhileBatchesGoInAbove()
    {
        const auto entries = Entries(400);
        TSubjectTreeView view;
        view.resize(300, 200);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        PlaceInBatches(view, std::vector<TreeEntry>(entries.begin(), entries.begin() + 200), 40);
        // The reader selects a text far down and scrolls it to the top.
        const int32_t reading = 180;
        view.SelectText(reading);
        QTreeWidgetItem* selected = view.currentItem();
        QVERIFY(selected);
        view.scrollToItem(selected, QAbstractItemView::PositionAtTop);
        QTRY_VERIFY(view.verticalScrollBar()->value() > 0);
        QTreeWidgetItem* top = view.itemAt(0, 0);
        QVERIFY(top);

        // Comments to the first texts go in above the rows in sight.
        std::vector<TreeEntry> above;
        for (int32_t i = 0; i < 30; ++i)
            above.push_back(TreeEntry{2000 + i, "Subject 0", "Late", {100 + i % 5}});
        PlaceTextsInTree(view, above);
        PlaceInBatches(view, std::vector<TreeEntry>(entries.begin() + 200, entries.end()), 40);
        QCOMPARE(view.currentItem(), selected);
        QCOMPARE(TSubjectTreeView::TextOf(view.currentItem()), reading);
        QTRY_COMPARE(view.itemAt(0, 0), top);
        // And they went under their parents, not where the reader looks.
        for (QTreeWidgetItemIterator it(&view); *it; ++it) {
            const int32_t text = TSubjectTreeView::TextOf(*it);
            if (text >= 2000)
                QCOMPARE(TSubjectTreeView::TextOf((*it)->parent()), 100 + (text - 2000) % 5);
        }
    }
};

QTEST_MAIN(SubjectTreeViewTest)
#include "SubjectTreeView_test.moc"
