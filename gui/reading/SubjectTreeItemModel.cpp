#include "gui/reading/SubjectTreeItemModel.h"

#include "gui/common/WireCodec.h"

#include <QMetaObject>

#include <algorithm>

namespace pellar {

SubjectTreeItemModel::SubjectTreeItemModel(SubjectTreeModel& tree, QObject* parent)
    : QAbstractItemModel(parent), tree_(tree)
{
    // Only the bold attribute is set: the delegate takes the rest from the view.
    bold_.setBold(true);
    applyTimer_.setSingleShot(true);
    connect(&applyTimer_, &QTimer::timeout, this, &SubjectTreeItemModel::ApplyPending);
    // Called on the writing thread: the call is queued to this object's
    // thread, and the core model calls again only after it was taken in.
    tree_.SetChangeListener([this] { QMetaObject::invokeMethod(this, [this] { ScheduleApply(); }, Qt::QueuedConnection); });
    // What the tree holds already.
    ApplyPending();
}

SubjectTreeItemModel::~SubjectTreeItemModel()
{
    tree_.SetChangeListener(nullptr);
}

QModelIndex SubjectTreeItemModel::IndexOf(TreeNodeId id) const
{
    const int row = id > 0 ? tree_.RowOf(shown_, id) : -1;
    return row < 0 ? QModelIndex() : createIndex(row, 0, static_cast<quintptr>(id));
}

QModelIndex SubjectTreeItemModel::index(int row, int column, const QModelIndex& parent) const
{
    if (column != 0 || row < 0 || (parent.isValid() && parent.column() != 0))
        return {};
    const TreeNodeId under = parent.isValid() ? static_cast<TreeNodeId>(parent.internalId()) : 0;
    const TreeNodeId id = tree_.Child(shown_, under, row);
    return id == 0 ? QModelIndex() : createIndex(row, 0, static_cast<quintptr>(id));
}

QModelIndex SubjectTreeItemModel::parent(const QModelIndex& child) const
{
    if (!child.isValid())
        return {};
    return IndexOf(tree_.ParentOf(shown_, static_cast<TreeNodeId>(child.internalId())));
}

int SubjectTreeItemModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid() && parent.column() != 0)
        return 0;
    return tree_.ChildCount(shown_, parent.isValid() ? static_cast<TreeNodeId>(parent.internalId()) : 0);
}

int SubjectTreeItemModel::columnCount(const QModelIndex&) const
{
    return 1;
}

QVariant SubjectTreeItemModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    // A delegate asks for a dozen roles per row painted: each is one short
    // look under the core model's lock, and only the caption is copied.
    const auto id = static_cast<TreeNodeId>(index.internalId());
    switch (role) {
    case Qt::DisplayRole:
        return FromWire(tree_.CaptionOf(shown_, id));
    case Qt::ToolTipRole: {
        const int32_t text = tree_.TextOf(shown_, id);
        return text != 0 ? QVariant(QString::number(text)) : QVariant();
    }
    case Qt::FontRole:
        return tree_.IsShownUnread(shown_, id) ? QVariant(bold_) : QVariant();
    case TextRole:
        return tree_.TextOf(shown_, id);
    default:
        return {};
    }
}

void SubjectTreeItemModel::ScheduleApply()
{
    // Another tree, and the last of a tree, go in at once: spacing layouts
    // only pays while more batches of the shown tree follow, and the spacing
    // grows with the old tree's size, not the new one's.
    if (!tree_.IsCurrent(shown_) || tree_.IsComplete()) {
        ApplyPending();
        return;
    }
    if (applyTimer_.isActive())
        return;
    const qint64 interval = ApplyInterval();
    const qint64 since = sinceApply_.isValid() ? sinceApply_.elapsed() : interval;
    if (since >= interval)
        ApplyPending();
    else
        applyTimer_.start(static_cast<int>(interval - since));
}

qint64 SubjectTreeItemModel::ApplyInterval() const
{
    // What a layout after an insertion costs grows with the rows shown.
    return std::min<qint64>(kApplyIntervalMs, shown_.published / kNodesPerMs);
}

bool SubjectTreeItemModel::IsUpToDate() const
{
    return tree_.IsUpToDate(shown_);
}

void SubjectTreeItemModel::ApplyPending()
{
    applyTimer_.stop();
    sinceApply_.start();
    SubjectTreeModel::Pending pending = tree_.TakePending(shown_);
    if (pending.reset) {
        beginResetModel();
        shown_ = SubjectTreeModel::ShownTree{pending.tree, pending.upTo};
        endResetModel();
        return;
    }
    if (pending.upTo > shown_.published) {
        emit BatchAboutToBeApplied();
        // Runs of new nodes under one parent go in with one insertion; a
        // node's parent is always older than it, so it is shown by then.
        const auto places = tree_.PlacesOf(shown_, pending.upTo);
        size_t i = 0;
        while (i < places.size()) {
            size_t j = i + 1;
            while (j < places.size() && places[j].first == places[i].first)
                ++j;
            beginInsertRows(IndexOf(places[i].first), places[i].second, places[j - 1].second);
            shown_.published += static_cast<TreeNodeId>(j - i);
            endInsertRows();
            i = j;
        }
        ++batchesApplied_;
        emit BatchApplied();
    }
    for (const int32_t text : pending.readChanged) {
        for (const TreeNodeId id : tree_.ShownNodesOfText(shown_, text)) {
            const QModelIndex at = IndexOf(id);
            emit dataChanged(at, at, {Qt::FontRole});
        }
    }
}

int32_t SubjectTreeItemModel::TextAt(const QModelIndex& index)
{
    return index.isValid() ? index.data(TextRole).toInt() : 0;
}

QModelIndex SubjectTreeItemModel::FirstIndexOfText(int32_t text) const
{
    const auto nodes = tree_.ShownNodesOfText(shown_, text);
    return nodes.empty() ? QModelIndex() : IndexOf(nodes.front());
}

std::vector<int32_t> SubjectTreeItemModel::TextsInTreeOrder() const
{
    return tree_.ShownTextsInTreeOrder(shown_);
}

bool SubjectTreeItemModel::IsShownUnread(int32_t text) const
{
    const QModelIndex at = FirstIndexOfText(text);
    return at.isValid() && at.data(Qt::FontRole).value<QFont>().bold();
}

} // namespace pellar
