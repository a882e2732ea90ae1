#include "gui/reading/SubjectTreeView.h"

#include "gui/reading/SubjectTreeItemModel.h"

#include <QScrollBar>

namespace pellar {

TSubjectTreeView::TSubjectTreeView(QWidget* parent) : QTreeView(parent)
{
    setObjectName(QStringLiteral("SubjectTreeView"));
    setHeaderHidden(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformRowHeights(true);
}

void TSubjectTreeView::SetTree(SubjectTreeModel& tree)
{
    auto* old = model_;
    model_ = new SubjectTreeItemModel(tree, this);
    setModel(model_);
    delete old;
    // Opened as they gain their first child: while a layout is pending (as
    // it is after any insertion) an expansion is only noted.
    connect(model_, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex& parent, int first) {
        if (parent.isValid() && first == 0)
            expand(parent);
    });
    connect(model_, &QAbstractItemModel::modelReset, this, [this] { expandAll(); });
    connect(model_, &SubjectTreeItemModel::BatchAboutToBeApplied, this, [this] {
        anchor_ = verticalScrollBar()->value() > 0 ? QPersistentModelIndex(indexAt(QPoint(0, 0)))
                                                   : QPersistentModelIndex();
    });
    connect(model_, &SubjectTreeItemModel::BatchApplied, this, [this] {
        // Nodes only ever join a tree, so the row kept stays valid.
        if (anchor_.isValid())
            scrollTo(anchor_, QAbstractItemView::PositionAtTop);
        anchor_ = QPersistentModelIndex();
    });
    expandAll();
}

int32_t TSubjectTreeView::CurrentText() const
{
    return SubjectTreeItemModel::TextAt(currentIndex());
}

void TSubjectTreeView::SelectText(int32_t text)
{
    if (!model_)
        return;
    model_->ApplyPending();
    const QModelIndex at = model_->FirstIndexOfText(text);
    if (!at.isValid())
        return;
    setCurrentIndex(at);
    scrollTo(at);
}

std::vector<int32_t> TSubjectTreeView::TextsInTreeOrder() const
{
    return model_ ? model_->TextsInTreeOrder() : std::vector<int32_t>{};
}

bool TSubjectTreeView::IsShownUnread(int32_t text) const
{
    return model_ && model_->IsShownUnread(text);
}

} // namespace pellar
