// The reading window's subject tree: a tree view over the reading
// controller's SubjectTreeModel (through SubjectTreeItemModel), so that only
// the rows in sight cost anything. Every node with children is open as it
// comes in; a reader who has scrolled keeps the rows in sight where they are
// while batches go in above them.
#pragma once

#include <QTreeView>

#include <cstdint>
#include <vector>

namespace pellar {

class SubjectTreeItemModel;
class SubjectTreeModel;

class TSubjectTreeView : public QTreeView {
    Q_OBJECT

public:
    explicit TSubjectTreeView(QWidget* parent = nullptr);

    // Shows the tree; before this the view is empty.
    void SetTree(SubjectTreeModel& tree);
    SubjectTreeItemModel* TreeModel() const { return model_; }

    // The text of the current node; 0 for a subject node or none.
    int32_t CurrentText() const;
    // Selects the text's first node and scrolls it into view, taking in
    // first what the tree has that the view was not yet told of.
    void SelectText(int32_t text);
    // The text numbers of the shown tree, depth first.
    std::vector<int32_t> TextsInTreeOrder() const;
    // Whether the text is shown, and in bold.
    bool IsShownUnread(int32_t text) const;

private:
    SubjectTreeItemModel* model_ = nullptr;
    QPersistentModelIndex anchor_;
};

} // namespace pellar
