// The reading window's subject tree: subject nodes with the texts under
// them, text nodes captioned with the author and carrying the text number,
// and the node map from text number to its nodes. The background builder
// fills it through SubjectTreePort on the GUI thread.
#pragma once

#include "core/reading/SubjectTree.h"

#include <QTreeWidget>

#include <map>
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

    // The text a node carries; 0 for a subject node or none.
    static int32_t TextOf(const QTreeWidgetItem* item);
    // Selects the text's first node and scrolls it into view.
    void SelectText(int32_t text);
    // The text numbers of the whole tree, depth first.
    std::vector<int32_t> TextsInTreeOrder() const;

private:
    QTreeWidgetItem* Item(TreeNodeId id) const;

    std::map<TreeNodeId, QTreeWidgetItem*> items_;
    std::map<int32_t, std::vector<TreeNodeId>> nodeMap_;
    TreeNodeId nextId_ = 1;
};

} // namespace pellar
