#include "gui/reading/SubjectTreeView.h"

#include "gui/common/WireCodec.h"

#include <QScrollBar>

#include <functional>

namespace pellar {

namespace {
constexpr int kTextRole = Qt::UserRole;
}

TSubjectTreeView::TSubjectTreeView(QWidget* parent) : QTreeWidget(parent)
{
    setObjectName(QStringLiteral("SubjectTreeView"));
    setHeaderHidden(true);
    setColumnCount(1);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformRowHeights(true);
}

void TSubjectTreeView::Clear()
{
    // Nodes still outside the view belong to no one else.
    for (QTreeWidgetItem* item : std::as_const(pendingTop_))
        delete item;
    for (const QList<QTreeWidgetItem*>& children : std::as_const(pendingChildren_))
        qDeleteAll(children);
    pendingTop_.clear();
    pendingChildren_.clear();
    pendingParents_.clear();
    toExpand_.clear();
    clear();
    items_.clear();
    nodeMap_.clear();
    unread_.clear();
    topByCaption_.clear();
}

std::vector<TreeNodeId> TSubjectTreeView::NodesOfText(int32_t text)
{
    const auto it = nodeMap_.find(text);
    return it == nodeMap_.end() ? std::vector<TreeNodeId>{} : it->second;
}

std::optional<TreeNodeId> TSubjectTreeView::FindTopLevel(std::string_view caption)
{
    const auto it = topByCaption_.constFind(FromWire(caption));
    return it == topByCaption_.cend() ? std::nullopt : std::optional<TreeNodeId>(*it);
}

TreeNodeId TSubjectTreeView::AddTopLevel(std::string_view caption)
{
    auto* item = new QTreeWidgetItem;
    const QString text = FromWire(caption);
    item->setText(0, text);
    item->setData(0, kTextRole, 0);
    Attach(nullptr, item);
    const TreeNodeId id = nextId_++;
    items_[id] = item;
    topByCaption_.insert(text, id);
    return id;
}

TreeNodeId TSubjectTreeView::AddTextNode(TreeNodeId parent, std::string_view caption, int32_t text)
{
    QTreeWidgetItem* under = Item(parent);
    // Filled in before it joins the view: a change to an item in the view
    // makes the view lay itself out at once.
    auto* item = new QTreeWidgetItem;
    item->setText(0, FromWire(caption));
    item->setData(0, kTextRole, text);
    item->setToolTip(0, QString::number(text));
    // Unread, as every text the tree lists when it is placed. One font for
    // all of them: made per node it was most of the time of placing 10,000.
    if (!boldFont_ || boldFont_->family() != font().family() || boldFont_->pointSizeF() != font().pointSizeF()) {
        boldFont_ = font();
        boldFont_->setBold(true);
    }
    item->setFont(0, *boldFont_);
    unread_.insert(text);
    Attach(under, item);
    if (under) {
        if (inBatch_)
            toExpand_.push_back(under);
        else
            under->setExpanded(true);
    }
    const TreeNodeId id = nextId_++;
    items_[id] = item;
    nodeMap_[text].push_back(id);
    return id;
}

void TSubjectTreeView::Attach(QTreeWidgetItem* parent, QTreeWidgetItem* item)
{
    if (!inBatch_) {
        if (parent)
            parent->addChild(item);
        else
            addTopLevelItem(item);
        return;
    }
    if (!parent) {
        pendingTop_.append(item);
    } else if (parent->treeWidget() != this) {
        parent->addChild(item);  // itself still outside the view: no signal
    } else {
        auto it = pendingChildren_.find(parent);
        if (it == pendingChildren_.end()) {
            pendingParents_.push_back(parent);
            it = pendingChildren_.insert(parent, {});
        }
        it->append(item);
    }
}

void TSubjectTreeView::BeginBatch()
{
    inBatch_ = true;
}

void TSubjectTreeView::EndBatch()
{
    if (!inBatch_)
        return;
    inBatch_ = false;
    // A reader who has scrolled keeps the rows in sight where they are,
    // however many nodes go in above them.
    QTreeWidgetItem* anchor = verticalScrollBar()->value() > 0 ? itemAt(0, 0) : nullptr;
    setUpdatesEnabled(false);
    // One relayout for the whole batch: while it is pending, insertions and
    // expansions are only noted.
    scheduleDelayedItemsLayout();
    for (QTreeWidgetItem* parent : pendingParents_)
        parent->addChildren(pendingChildren_.take(parent));
    if (!pendingTop_.isEmpty())
        addTopLevelItems(pendingTop_);
    pendingParents_.clear();
    pendingTop_.clear();
    for (QTreeWidgetItem* item : toExpand_)
        item->setExpanded(true);
    toExpand_.clear();
    if (anchor)
        scrollToItem(anchor, QAbstractItemView::PositionAtTop);
    setUpdatesEnabled(true);
}

QTreeWidgetItem* TSubjectTreeView::Item(TreeNodeId id) const
{
    const auto it = items_.find(id);
    return it == items_.end() ? nullptr : it->second;
}

int32_t TSubjectTreeView::TextOf(const QTreeWidgetItem* item)
{
    return item ? item->data(0, kTextRole).toInt() : 0;
}

void TSubjectTreeView::SelectText(int32_t text)
{
    const auto nodes = NodesOfText(text);
    if (nodes.empty())
        return;
    if (QTreeWidgetItem* item = Item(nodes.front())) {
        setCurrentItem(item);
        scrollToItem(item);
    }
}

void TSubjectTreeView::RefreshReadMarks()
{
    if (!isRead_)
        return;
    for (auto it = unread_.begin(); it != unread_.end();) {
        if (!isRead_(*it)) {
            ++it;
            continue;
        }
        for (const TreeNodeId id : NodesOfText(*it))
            if (QTreeWidgetItem* item = Item(id))
                item->setFont(0, font());
        it = unread_.erase(it);
    }
}

std::vector<int32_t> TSubjectTreeView::TextsInTreeOrder() const
{
    std::vector<int32_t> texts;
    std::function<void(const QTreeWidgetItem*)> walk = [&](const QTreeWidgetItem* item) {
        if (const int32_t text = TextOf(item))
            texts.push_back(text);
        for (int i = 0; i < item->childCount(); ++i)
            walk(item->child(i));
    };
    for (int i = 0; i < topLevelItemCount(); ++i)
        walk(topLevelItem(i));
    return texts;
}

} // namespace pellar
