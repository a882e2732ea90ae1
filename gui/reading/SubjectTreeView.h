// The reading window's subject tree: subject nodes with the texts under
// them, text nodes captioned with the author and carrying the text number,
// and the node map from text number to its nodes. The background builder
// fills it through SubjectTreePort on the GUI thread, a batch at a time.
#pragma once

#include "core/reading/SubjectTree.h"

#include <QFont>
#include <QHash>
#include <QTreeWidget>

#include <functional>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace pellar {

class TSubjectTreeView : public QTreeWidget, public SubjectTreePort {
    Q_OBJECT

public:
    explicit TSubjectTreeView(QWidget* parent = nullptr);

    // SubjectTreePort
    void Clear() override;
    std::vector<TreeNodeId> NodesOfText(int32_t text) override;
    std::optional<TreeNodeId> FindTopLevel(std::string_view caption) override;
    TreeNodeId AddTopLevel(std::string_view caption) override;
    TreeNodeId AddTextNode(TreeNodeId parent, std::string_view caption, int32_t text) override;
    void BeginBatch() override;
    void EndBatch() override;

    // The text a node carries; 0 for a subject node or none.
    static int32_t TextOf(const QTreeWidgetItem* item);
    // Selects the text's first node and scrolls it into view.
    void SelectText(int32_t text);
    // The text numbers of the whole tree, depth first.
    std::vector<int32_t> TextsInTreeOrder() const;

    // Texts come in unread and are shown in bold; the check says which of
    // them have been read since, and RefreshReadMarks shows those plain.
    void SetReadCheck(std::function<bool(int32_t)> isRead) { isRead_ = std::move(isRead); }
    void RefreshReadMarks();
    bool IsShownUnread(int32_t text) const { return unread_.count(text) > 0; }

private:
    QTreeWidgetItem* Item(TreeNodeId id) const;
    // Puts item under parent (null: top level): at once outside a batch,
    // else when the batch ends.
    void Attach(QTreeWidgetItem* parent, QTreeWidgetItem* item);

    std::unordered_map<TreeNodeId, QTreeWidgetItem*> items_;
    std::unordered_map<int32_t, std::vector<TreeNodeId>> nodeMap_;
    std::function<bool(int32_t)> isRead_;
    std::unordered_set<int32_t> unread_;
    std::optional<QFont> boldFont_;
    // Caption -> the first top-level node with it.
    QHash<QString, TreeNodeId> topByCaption_;
    TreeNodeId nextId_ = 1;

    // Inside a batch, new nodes under nodes already in the view wait here,
    // in order, and go in with one insertion per parent when it ends; nodes
    // under those are built up outside the view.
    bool inBatch_ = false;
    std::vector<QTreeWidgetItem*> pendingParents_;
    QHash<QTreeWidgetItem*, QList<QTreeWidgetItem*>> pendingChildren_;
    QList<QTreeWidgetItem*> pendingTop_;
    std::vector<QTreeWidgetItem*> toExpand_;
};

} // namespace pellar
