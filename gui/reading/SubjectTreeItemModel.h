// The subject tree as Qt's views read it: a thin adapter over core's
// SubjectTreeModel. It shows the nodes published to it; the core model tells
// it (from whichever thread wrote) that changes wait, and it takes them in on
// the GUI thread on a later turn of the event loop: new nodes as row
// insertions, another tree as a reset, read marks as font changes. A tree view
// lays out every open row after an insertion, so while a big tree pours in the
// layouts are spaced, by a millisecond per kNodesPerMs nodes shown up to
// kApplyIntervalMs, rather than one per batch the builder places; a small tree
// goes in at once. Unread
// texts are bold (Qt::FontRole); the text number is TextRole and the tooltip.
#pragma once

#include "core/reading/SubjectTreeModel.h"

#include <QAbstractItemModel>
#include <QElapsedTimer>
#include <QTimer>
#include <QFont>

#include <cstdint>
#include <vector>

namespace pellar {

class SubjectTreeItemModel : public QAbstractItemModel {
    Q_OBJECT

public:
    static constexpr int TextRole = Qt::UserRole;
    static constexpr qint64 kApplyIntervalMs = 50;
    static constexpr qint64 kNodesPerMs = 200;

    explicit SubjectTreeItemModel(SubjectTreeModel& tree, QObject* parent = nullptr);
    // Stops listening; no call of the core model's listener is left running.
    ~SubjectTreeItemModel() override;

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // Takes in what changed in the core model now, instead of on a later
    // turn of the event loop.
    void ApplyPending();
    // Whether the view has been told of everything in the core model.
    bool IsUpToDate() const;
    // The text a node carries; 0 for a subject node or none.
    static int32_t TextAt(const QModelIndex& index);
    // The text's first node shown; invalid when none is.
    QModelIndex FirstIndexOfText(int32_t text) const;
    // The text numbers of the shown tree, depth first.
    std::vector<int32_t> TextsInTreeOrder() const;
    bool IsShownUnread(int32_t text) const;
    SubjectTreeModel& Tree() const { return tree_; }
    // Batches of new nodes taken in since creation.
    int BatchesApplied() const { return batchesApplied_; }

signals:
    // Around the insertion of a batch of new nodes (not around a reset).
    void BatchAboutToBeApplied();
    void BatchApplied();

private:
    QModelIndex IndexOf(TreeNodeId id) const;
    // Applies now, or once ApplyInterval has passed since the last time.
    void ScheduleApply();
    qint64 ApplyInterval() const;

    SubjectTreeModel& tree_;
    SubjectTreeModel::ShownTree shown_;
    QFont bold_;
    int batchesApplied_ = 0;
    QTimer applyTimer_;
    QElapsedTimer sinceApply_;
};

} // namespace pellar
