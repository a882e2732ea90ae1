// The reading window's subject tree, kept in core: subject nodes with the
// texts under them, each text node captioned with its author and carrying its
// text number, the node map from text number to its nodes, and each listed
// text's subject, author and read state. The builder fills it on its own
// thread; a view shows it through a ShownTree, which sees the nodes published
// to it and no more, so that what the view was told and what it reads always
// agree while the builder goes on adding.
//
// Threads: every call takes the model's one lock for its own length, so any
// thread may call anything. Writers are the subject-tree builder (placements
// and the clear at the start of a run) and the GUI thread (read marks, the
// clear at disconnect). The listener hears, on the writing thread and without
// the lock, that changes wait; it is told once until the view takes them,
// and again when the builder says the tree is complete.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/reading/SubjectTree.h"

namespace pellar {

class SubjectTreeModel : public SubjectTreePort
{
public:
    struct Node {
        TreeNodeId id = 0;
        TreeNodeId parent = -1;  // -1 for a top-level node
        std::string caption;
        int32_t text = 0;        // 0 for a subject node
        std::vector<TreeNodeId> children;
        int row = 0;             // place among its parent's children (or the top level)
    };

    // One tree as a view knows it: a Clear starts another tree, which the
    // view takes in whole; within a tree, nodes are only ever added, and the
    // view sees those up to `published`.
    struct ShownTree {
        std::shared_ptr<const void> tree;
        TreeNodeId published = 0;
    };

    // What has changed since a view last looked.
    struct Pending {
        bool reset = false;                 // another tree: take it in whole
        std::shared_ptr<const void> tree;   // for a reset, the tree to show
        TreeNodeId upTo = 0;                // nodes of the current tree
        std::vector<int32_t> readChanged;   // texts whose read state changed
    };

    // What a view shows of a node.
    struct Cell {
        std::string caption;
        int32_t text = 0;
        bool unread = false;
    };

    SubjectTreeModel();
    ~SubjectTreeModel() override;

    // --- SubjectTreePort (any thread) -----------------------------------------
    void Clear() override;
    std::vector<TreeNodeId> NodesOfText(int32_t text) override;
    std::optional<TreeNodeId> FindTopLevel(std::string_view caption) override;
    TreeNodeId AddTopLevel(std::string_view caption) override;
    TreeNodeId AddTextNode(TreeNodeId parent, std::string_view caption, int32_t text) override;
    void BeginBatch() override;
    void EndBatch() override;
    void Complete() override;
    std::shared_ptr<void> KeepCurrent() override;
    bool ShowKept(const std::shared_ptr<void>& kept) override;
    // Whether the builder placed the whole current tree.
    bool IsComplete() const;
    // Whether shown is of the current tree (a Clear since makes it another).
    bool IsCurrent(const ShownTree& shown) const;

    // --- Read state (any thread) ----------------------------------------------
    // Texts come in unread. isRead is asked about each text still unread and
    // must not wait on the network: it runs under the lock.
    void RefreshReadMarks(const std::function<bool(int32_t)>& isRead);
    // Marks these texts read where the tree holds them unread: the texts the
    // read marks made since the last RefreshReadMarks name. False, marking
    // nothing, when texts were placed or the tree replaced since that walk:
    // the caller walks again.
    bool MarkReadSinceRefresh(const std::vector<int32_t>& texts);
    bool IsUnread(int32_t text) const;
    int UnreadCount() const;
    // The caption of the text's first node; "" for a text not in the tree.
    std::string AuthorOf(int32_t text) const;

    // --- The whole current tree (tests, benchmarks) --------------------------
    std::vector<TreeNodeId> TopLevel() const;
    // Throws std::out_of_range for an unknown id.
    Node At(TreeNodeId id) const;
    int NodeCount() const;
    // Text numbers in tree order (depth first).
    std::vector<int32_t> TextsInTreeOrder() const;

    // --- Views (each on its own thread, usually the GUI's) --------------------
    // fn is called when changes wait and no call is pending since the last
    // TakePending; null: none. Once this returns no call of the last one is
    // in flight.
    void SetChangeListener(std::function<void()> fn);
    // The changes since shown was brought up to date; the caller applies
    // them and moves shown on itself (to {tree, upTo} for a reset).
    Pending TakePending(const ShownTree& shown);
    // Where each node after the published ones up to upTo goes, in id
    // order: (its parent, 0 for the top level; its row under it).
    std::vector<std::pair<TreeNodeId, int>> PlacesOf(const ShownTree& shown, TreeNodeId upTo) const;

    // Reads of the tree a view shows, limited to its published nodes; parent
    // 0 is the top level. An unknown id reads as empty.
    int ChildCount(const ShownTree& shown, TreeNodeId parent) const;
    // 0 when out of range.
    TreeNodeId Child(const ShownTree& shown, TreeNodeId parent, int row) const;
    // 0 for a top-level node or an unknown id.
    TreeNodeId ParentOf(const ShownTree& shown, TreeNodeId id) const;
    int RowOf(const ShownTree& shown, TreeNodeId id) const;
    Cell CellOf(const ShownTree& shown, TreeNodeId id) const;
    // The parts of a cell, for a view that asks one role at a time.
    std::string CaptionOf(const ShownTree& shown, TreeNodeId id) const;
    int32_t TextOf(const ShownTree& shown, TreeNodeId id) const;
    bool IsShownUnread(const ShownTree& shown, TreeNodeId id) const;
    // Whether the view shows all of the current tree, read marks included.
    bool IsUpToDate(const ShownTree& shown) const;
    std::vector<TreeNodeId> ShownNodesOfText(const ShownTree& shown, int32_t text) const;
    std::vector<int32_t> ShownTextsInTreeOrder(const ShownTree& shown) const;

private:
    struct Tree;
    // A text's row beside its nodes: its subject and author are in the
    // caches and its nodes' captions, and a text is nearly always placed
    // once, so a row is eight bytes: ten thousand of them are the tree's
    // largest table.
    struct TextRow {
        int32_t firstNode = 0;  // node ids stay far below 2^31
        bool unread = true;
    };

    // Marks changes as waiting; true when the listener should be told.
    bool Dirty();
    void Notify();
    static const Tree& Of(const ShownTree& shown);
    // Texts of the nodes up to published, depth first; called under the lock.
    static std::vector<int32_t> CollectTexts(const Tree& tree, TreeNodeId published);

    mutable std::mutex mutex_;
    std::shared_ptr<Tree> tree_;
    int batchDepth_ = 0;
    bool dirty_ = false;       // changes the listener was not told of
    bool told_ = false;        // the listener was told; no call until TakePending
    std::vector<int32_t> readChanged_;
    // The tree and its size when RefreshReadMarks last walked it.
    const Tree* refreshedTree_ = nullptr;
    size_t refreshedNodes_ = 0;

    std::mutex listenerMutex_;  // held while the listener runs
    std::function<void()> listener_;
};

} // namespace pellar
