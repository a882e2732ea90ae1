// The subject-tree model: its rows (captions, texts, subjects, authors,
// parents and rows under them), read state, what a view is shown (only the
// published nodes, a clear as another tree), when its listener is told, and a
// view reading while another thread places.
#include "core/reading/SubjectTreeModel.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace pellar {
namespace {

TreeEntry Entry(int32_t text, std::string subject, std::vector<int32_t> parents = {})
{
    return TreeEntry{text, std::move(subject), "Author " + std::to_string(text), std::move(parents)};
}

// A view's side: what it was shown, brought up to date as an adapter would.
struct FakeView {
    explicit FakeView(SubjectTreeModel& m) : model(m) {}
    SubjectTreeModel::Pending Take()
    {
        SubjectTreeModel::Pending pending = model.TakePending(shown);
        if (pending.reset)
            shown = SubjectTreeModel::ShownTree{pending.tree, pending.upTo};
        else
            shown.published = pending.upTo;
        return pending;
    }
    // Texts of the nodes under parent, as the view reads them.
    std::vector<int32_t> ChildTexts(TreeNodeId parent) const
    {
        std::vector<int32_t> out;
        for (int row = 0; row < model.ChildCount(shown, parent); ++row)
            out.push_back(model.CellOf(shown, model.Child(shown, parent, row)).text);
        return out;
    }
    SubjectTreeModel& model;
    SubjectTreeModel::ShownTree shown;
};

TEST(SubjectTreeModel, RowsKeepTextSubjectAuthorParentAndPlace)
{
    SubjectTreeModel tree;
    PlaceTextsInTree(tree, {Entry(1, "Coffee"), Entry(2, "Tea"), Entry(3, "Re: Coffee", {1}), Entry(4, "Coffee")});
    EXPECT_EQ(tree.TextsInTreeOrder(), (std::vector<int32_t>{1, 3, 4, 2}));
    EXPECT_EQ(tree.AuthorOf(3), "Author 3");
    EXPECT_EQ(tree.AuthorOf(99), "");

    FakeView view(tree);
    view.Take();
    ASSERT_EQ(tree.ChildCount(view.shown, 0), 2);
    const TreeNodeId coffee = tree.Child(view.shown, 0, 0);
    EXPECT_EQ(tree.CellOf(view.shown, coffee).caption, "Coffee");
    EXPECT_EQ(tree.CellOf(view.shown, coffee).text, 0);
    EXPECT_EQ(view.ChildTexts(coffee), (std::vector<int32_t>{1, 4}));
    const TreeNodeId one = tree.Child(view.shown, coffee, 0);
    const TreeNodeId four = tree.Child(view.shown, coffee, 1);
    EXPECT_EQ(tree.CellOf(view.shown, one).caption, "Author 1");
    EXPECT_EQ(view.ChildTexts(one), std::vector<int32_t>{3});
    const TreeNodeId three = tree.Child(view.shown, one, 0);
    EXPECT_EQ(tree.ParentOf(view.shown, three), one);
    EXPECT_EQ(tree.ParentOf(view.shown, coffee), 0);
    EXPECT_EQ(tree.RowOf(view.shown, four), 1);
    EXPECT_EQ(tree.RowOf(view.shown, tree.Child(view.shown, 0, 1)), 1);
    // Out of range reads as nothing.
    EXPECT_EQ(tree.Child(view.shown, coffee, 2), 0);
    EXPECT_EQ(tree.Child(view.shown, coffee, -1), 0);
    EXPECT_EQ(tree.ChildCount(view.shown, 999), 0);
    EXPECT_EQ(tree.RowOf(view.shown, 999), -1);
    EXPECT_EQ(tree.CellOf(view.shown, 999).caption, "");
}

TEST(SubjectTreeModel, TextsComeInUnreadAndReadMarksChangeOnlyThoseRead)
{
    SubjectTreeModel tree;
    PlaceTextsInTree(tree, {Entry(1, "A"), Entry(2, "A", {1}), Entry(3, "B"), Entry(4, "C", {1, 3})});
    EXPECT_EQ(tree.UnreadCount(), 4);
    FakeView view(tree);
    view.Take();
    const TreeNodeId subjectA = tree.Child(view.shown, 0, 0);
    EXPECT_FALSE(tree.CellOf(view.shown, subjectA).unread) << "a subject node is no text";

    std::vector<int32_t> asked;
    tree.RefreshReadMarks([&](int32_t text) {
        asked.push_back(text);
        return text == 4 || text == 2;
    });
    EXPECT_EQ(asked.size(), 4u);
    EXPECT_FALSE(tree.IsUnread(4));
    EXPECT_FALSE(tree.IsUnread(2));
    EXPECT_TRUE(tree.IsUnread(1));
    EXPECT_EQ(tree.UnreadCount(), 2);
    // Both nodes of 4 read plain.
    for (const TreeNodeId id : tree.ShownNodesOfText(view.shown, 4))
        EXPECT_FALSE(tree.CellOf(view.shown, id).unread);
    EXPECT_EQ(tree.ShownNodesOfText(view.shown, 4).size(), 2u);
    const auto pending = view.Take();
    EXPECT_FALSE(pending.reset);
    EXPECT_EQ(pending.readChanged.size(), 2u);
    // A read text is not asked about again.
    asked.clear();
    tree.RefreshReadMarks([&](int32_t text) {
        asked.push_back(text);
        return false;
    });
    EXPECT_EQ(asked.size(), 2u);
    EXPECT_TRUE(view.Take().readChanged.empty());
}

// Marks taken in since the last walk count only while the tree is the one
// walked, with nothing placed since: anything else needs another walk.
TEST(SubjectTreeModel, MarksSinceTheLastWalkCountOnlyForTheTreeWalked)
{
    SubjectTreeModel tree;
    PlaceTextsInTree(tree, {Entry(1, "A"), Entry(2, "A", {1}), Entry(3, "B")});
    EXPECT_FALSE(tree.MarkReadSinceRefresh({1})) << "never walked";
    EXPECT_TRUE(tree.IsUnread(1));

    tree.RefreshReadMarks([](int32_t) { return false; });
    FakeView view(tree);
    view.Take();
    EXPECT_TRUE(tree.MarkReadSinceRefresh({2, 99}));
    EXPECT_FALSE(tree.IsUnread(2));
    EXPECT_TRUE(tree.IsUnread(1));
    EXPECT_EQ(view.Take().readChanged, std::vector<int32_t>{2});
    EXPECT_TRUE(tree.MarkReadSinceRefresh({2}));
    EXPECT_TRUE(view.Take().readChanged.empty()) << "a text read already";

    PlaceTextsInTree(tree, {Entry(4, "A", {1})});
    EXPECT_FALSE(tree.MarkReadSinceRefresh({3})) << "a text placed since the walk";
    EXPECT_TRUE(tree.IsUnread(3));
    tree.RefreshReadMarks([](int32_t) { return false; });
    EXPECT_TRUE(tree.MarkReadSinceRefresh({3}));

    tree.Clear();
    PlaceTextsInTree(tree, {Entry(1, "A"), Entry(2, "A", {1}), Entry(3, "B"), Entry(4, "A", {1})});
    EXPECT_FALSE(tree.MarkReadSinceRefresh({3})) << "another tree of the same size";
}

TEST(SubjectTreeModel, AViewSeesOnlyThePublishedNodes)
{
    SubjectTreeModel tree;
    FakeView view(tree);
    PlaceTextsInTree(tree, {Entry(1, "A"), Entry(2, "A", {1})});
    auto pending = view.Take();
    EXPECT_TRUE(pending.reset) << "the view had no tree yet";
    EXPECT_EQ(pending.upTo, 3);
    EXPECT_EQ(view.ChildTexts(tree.Child(view.shown, 0, 0)), std::vector<int32_t>{1});

    // Placed but not taken: the view still reads the old counts.
    PlaceTextsInTree(tree, {Entry(3, "A", {2}), Entry(5, "New")});
    const TreeNodeId one = tree.Child(view.shown, tree.Child(view.shown, 0, 0), 0);
    const TreeNodeId two = tree.Child(view.shown, one, 0);
    EXPECT_EQ(tree.ChildCount(view.shown, two), 0);
    EXPECT_EQ(tree.ChildCount(view.shown, 0), 1);
    EXPECT_TRUE(tree.ShownNodesOfText(view.shown, 3).empty());
    EXPECT_EQ(tree.NodesOfText(3).size(), 1u);
    EXPECT_FALSE(tree.IsUpToDate(view.shown));
    // The places of the new nodes, in the order they came.
    const auto places = tree.PlacesOf(view.shown, tree.NodeCount());
    ASSERT_EQ(places.size(), 3u);
    EXPECT_EQ(places[0], (std::pair<TreeNodeId, int>{two, 0}));
    EXPECT_EQ(places[1], (std::pair<TreeNodeId, int>{0, 1}));
    EXPECT_EQ(places[2].second, 0);

    pending = view.Take();
    EXPECT_FALSE(pending.reset);
    EXPECT_EQ(tree.ChildCount(view.shown, two), 1);
    EXPECT_EQ(tree.ChildCount(view.shown, 0), 2);
    EXPECT_TRUE(tree.IsUpToDate(view.shown));
    EXPECT_EQ(tree.ShownTextsInTreeOrder(view.shown), tree.TextsInTreeOrder());
}

TEST(SubjectTreeModel, AClearIsAnotherTreeAndTheViewKeepsTheOldOneUntilItTakesIt)
{
    SubjectTreeModel tree;
    FakeView view(tree);
    PlaceTextsInTree(tree, {Entry(1, "A"), Entry(2, "B")});
    view.Take();
    tree.Clear();
    EXPECT_EQ(tree.NodeCount(), 0);
    EXPECT_TRUE(tree.NodesOfText(1).empty());
    EXPECT_FALSE(tree.FindTopLevel("A").has_value());
    EXPECT_EQ(tree.UnreadCount(), 0);
    // Removed from the model; the view reads what it was shown.
    EXPECT_EQ(tree.ChildCount(view.shown, 0), 2);
    EXPECT_EQ(tree.ShownTextsInTreeOrder(view.shown), (std::vector<int32_t>{1, 2}));
    PlaceTextsInTree(tree, {Entry(7, "C")});
    const auto pending = view.Take();
    EXPECT_TRUE(pending.reset);
    EXPECT_TRUE(pending.readChanged.empty());
    EXPECT_EQ(tree.ShownTextsInTreeOrder(view.shown), std::vector<int32_t>{7});
}

TEST(SubjectTreeModel, TheListenerIsToldOncePerBatchAndNotAgainUntilTaken)
{
    SubjectTreeModel tree;
    FakeView view(tree);
    int told = 0;
    tree.SetChangeListener([&] { ++told; });
    tree.BeginBatch();
    PlaceTextInTree(tree, Entry(1, "A"));
    PlaceTextInTree(tree, Entry(2, "A", {1}));
    EXPECT_EQ(told, 0) << "not inside a batch";
    tree.EndBatch();
    EXPECT_EQ(told, 1);
    PlaceTextsInTree(tree, {Entry(3, "B")});
    tree.RefreshReadMarks([](int32_t) { return true; });
    EXPECT_EQ(told, 1) << "told already, not yet taken";
    view.Take();
    PlaceTextsInTree(tree, {Entry(4, "B")});
    EXPECT_EQ(told, 2);
    view.Take();
    tree.RefreshReadMarks([](int32_t) { return false; });
    PlaceTextsInTree(tree, {});
    EXPECT_EQ(told, 2) << "nothing changed";
    tree.Clear();
    EXPECT_EQ(told, 3);
    tree.SetChangeListener(nullptr);
    PlaceTextsInTree(tree, {Entry(5, "B")});
    EXPECT_EQ(told, 3);
}

TEST(SubjectTreeModel, ACompleteTreeIsToldAtOnceAndAClearStartsAnIncompleteOne)
{
    SubjectTreeModel tree;
    FakeView view(tree);
    int told = 0;
    tree.SetChangeListener([&] { ++told; });
    PlaceTextsInTree(tree, {Entry(1, "A")});
    EXPECT_FALSE(tree.IsCurrent(view.shown)) << "a view that took nothing shows no tree yet";
    PlaceTextsInTree(tree, {Entry(2, "A", {1})});
    EXPECT_EQ(told, 1);
    EXPECT_FALSE(tree.IsComplete());
    // Told again although the first call was not yet taken: a view spacing
    // its layouts must hear that nothing more is coming.
    tree.Complete();
    EXPECT_EQ(told, 2);
    EXPECT_TRUE(tree.IsComplete());
    EXPECT_FALSE(tree.IsUpToDate(view.shown));
    view.Take();
    EXPECT_TRUE(tree.IsUpToDate(view.shown));
    EXPECT_TRUE(tree.IsCurrent(view.shown));
    tree.Clear();
    EXPECT_FALSE(tree.IsComplete());
    EXPECT_FALSE(tree.IsCurrent(view.shown)) << "the view still shows the old tree";
    view.Take();
    EXPECT_TRUE(tree.IsCurrent(view.shown));
    tree.SetChangeListener(nullptr);
}

TEST(SubjectTreeModel, AKeptTreeComesBackWholeAndUnread)
{
    SubjectTreeModel tree;
    FakeView view(tree);
    PlaceTextsInTree(tree, {Entry(1, "A"), Entry(2, "A", {1})});
    EXPECT_FALSE(tree.KeepCurrent()) << "an incomplete tree is not kept";
    tree.Complete();
    const std::shared_ptr<void> kept = tree.KeepCurrent();
    ASSERT_TRUE(kept);
    view.Take();
    tree.RefreshReadMarks([](int32_t text) { return text == 2; });
    view.Take();
    EXPECT_EQ(view.ChildTexts(2), (std::vector<int32_t>{2})) << "under text 1's node";

    // Another tree is shown, then the kept one again: the view takes it in
    // whole, every text unread.
    tree.Clear();
    PlaceTextsInTree(tree, {Entry(3, "B")});
    view.Take();
    EXPECT_FALSE(tree.ShowKept(tree.KeepCurrent())) << "the incomplete one has nothing to show";
    int told = 0;
    tree.SetChangeListener([&] { ++told; });
    ASSERT_TRUE(tree.ShowKept(kept));
    EXPECT_EQ(told, 1);
    EXPECT_TRUE(tree.IsComplete());
    EXPECT_FALSE(tree.IsCurrent(view.shown));
    EXPECT_TRUE(view.Take().reset);
    EXPECT_EQ(tree.TextsInTreeOrder(), (std::vector<int32_t>{1, 2}));
    EXPECT_TRUE(tree.IsUnread(2));
    EXPECT_TRUE(tree.IsUpToDate(view.shown));

    // Shown again while it is the view's tree: only the read marks change.
    tree.RefreshReadMarks([](int32_t text) { return text == 1; });
    view.Take();
    ASSERT_TRUE(tree.ShowKept(kept));
    const SubjectTreeModel::Pending pending = view.Take();
    EXPECT_FALSE(pending.reset);
    EXPECT_EQ(pending.readChanged, std::vector<int32_t>{1});
    EXPECT_TRUE(tree.IsUnread(1));
    EXPECT_FALSE(tree.ShowKept(nullptr));
    tree.SetChangeListener(nullptr);
}

TEST(SubjectTreeModel, AViewReadsConsistentlyWhileAnotherThreadPlacesAndClears)
{
    SubjectTreeModel tree;
    FakeView view(tree);
    std::atomic<bool> done{false};
    std::thread builder([&] {
        for (int round = 0; round < 3; ++round) {
            tree.Clear();
            std::vector<TreeEntry> batch;
            for (int32_t i = 1; i <= 3000; ++i) {
                batch.push_back(Entry(i, "S" + std::to_string(i % 40), i % 4 ? std::vector<int32_t>{i - 1} : std::vector<int32_t>{}));
                if (batch.size() == 100) {
                    PlaceTextsInTree(tree, batch);
                    batch.clear();
                }
            }
        }
        done = true;
    });
    int takes = 0;
    while (!done || !tree.IsUpToDate(view.shown)) {
        view.Take();
        ++takes;
        // Every node the view can reach is within what it was shown, and
        // each child's parent and row lead back to where it was found.
        std::vector<TreeNodeId> pending{0};
        size_t reached = 0;
        while (!pending.empty()) {
            const TreeNodeId at = pending.back();
            pending.pop_back();
            const int count = tree.ChildCount(view.shown, at);
            for (int row = 0; row < count; ++row) {
                const TreeNodeId child = tree.Child(view.shown, at, row);
                ASSERT_GT(child, 0);
                ASSERT_LE(child, view.shown.published);
                ASSERT_EQ(tree.ParentOf(view.shown, child), at);
                ASSERT_EQ(tree.RowOf(view.shown, child), row);
                pending.push_back(child);
                ++reached;
            }
        }
        ASSERT_EQ(reached, static_cast<size_t>(view.shown.published));
    }
    builder.join();
    EXPECT_GT(takes, 1);
    EXPECT_EQ(tree.ShownTextsInTreeOrder(view.shown).size(), 3000u);
}

} // namespace
} // namespace pellar
