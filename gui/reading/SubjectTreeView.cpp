#include "gui/reading/SubjectTreeView.h"

#include "gui/shell/WireCodec.h"

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
    clear();
    items_.clear();
    nodeMap_.clear();
}

std::vector<TreeNodeId> TSubjectTreeView::NodesOfText(int32_t text)
{
    const auto it = nodeMap_.find(text);
    return it == nodeMap_.end() ? std::vector<TreeNodeId>{} : it->second;
}

std::optional<TreeNodeId> TSubjectTreeView::FindTopLevel(std::string_view caption)
{
    const QString wanted = FromWire(caption);
    for (int i = 0; i < topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = topLevelItem(i);
        if (item->text(0) == wanted)
            for (const auto& [id, node] : items_)
                if (node == item)
                    return id;
    }
    return std::nullopt;
}

TreeNodeId TSubjectTreeView::AddTopLevel(std::string_view caption)
{
    auto* item = new QTreeWidgetItem(this);
    item->setText(0, FromWire(caption));
    item->setData(0, kTextRole, 0);
    const TreeNodeId id = nextId_++;
    items_[id] = item;
    return id;
}

TreeNodeId TSubjectTreeView::AddTextNode(TreeNodeId parent, std::string_view caption, int32_t text)
{
    QTreeWidgetItem* under = Item(parent);
    auto* item = under ? new QTreeWidgetItem(under) : new QTreeWidgetItem(this);
    item->setText(0, FromWire(caption));
    item->setData(0, kTextRole, text);
    item->setToolTip(0, QString::number(text));
    if (under)
        under->setExpanded(true);
    const TreeNodeId id = nextId_++;
    items_[id] = item;
    nodeMap_[text].push_back(id);
    return id;
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
