#include "gui/reading/ConfListView.h"

#include "core/protocol/TMiravoMembership.h"
#include "core/session/MVCache.h"
#include "core/shell/Client.h"
#include "gui/shell/WireCodec.h"

#include <QHeaderView>

#include <algorithm>
#include <vector>

namespace pellar {

TConfListView::TConfListView(Client& client, std::function<int32_t()> readingConference, QWidget* parent)
    : QTreeWidget(parent), client_(client), readingConference_(std::move(readingConference))
{
    setObjectName(QStringLiteral("ConfListView"));
    setColumnCount(4);
    setHeaderLabels({QStringLiteral("Nr"), QStringLiteral("Name"), QStringLiteral("Priority"),
                     QStringLiteral("Unread")});
    headerItem()->setTextAlignment(PriorityColumn, Qt::AlignRight | Qt::AlignVCenter);
    headerItem()->setTextAlignment(UnreadColumn, Qt::AlignRight | Qt::AlignVCenter);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setColumnWidth(NrColumn, 50);
    // Narrower than the classic 300 so the unread count stays in view.
    setColumnWidth(NameColumn, 220);
    setColumnWidth(PriorityColumn, 60);
    header()->setSectionsClickable(true);
    header()->setStretchLastSection(false);
    connect(header(), &QHeaderView::sectionClicked, this, [this](int column) {
        order_.HeaderClicked(column);
        Sort();
    });
    connect(this, &QTreeWidget::itemSelectionChanged, this, [this] {
        const int32_t conf = SelectedConference();
        if (conf == lastSelected_)
            return;
        lastSelected_ = conf;
        emit SelectedConferenceChanged(conf);
    });
}

int32_t TConfListView::Number(const QTreeWidgetItem* item, int column)
{
    return item ? item->text(column).toInt() : 0;
}

int TConfListView::RowCount()
{
    return topLevelItemCount();
}

int32_t TConfListView::RowConference(int row)
{
    return Number(topLevelItem(row), NrColumn);
}

int TConfListView::SelectedRow()
{
    const auto selected = selectedItems();
    return selected.isEmpty() ? -1 : indexOfTopLevelItem(selected.front());
}

void TConfListView::SelectRow(int row)
{
    QTreeWidgetItem* item = topLevelItem(row);
    if (!item)
        return;
    setCurrentItem(item);
    item->setSelected(true);
    scrollToItem(item);
}

void TConfListView::ScrollIntoView(int row)
{
    if (QTreeWidgetItem* item = topLevelItem(row))
        scrollToItem(item);
}

void TConfListView::ClearSelection()
{
    clearSelection();
}

int32_t TConfListView::SelectedConference()
{
    const int row = SelectedRow();
    return row < 0 ? 0 : RowConference(row);
}

QTreeWidgetItem* TConfListView::RowOf(int32_t conf) const
{
    const auto it = rowMap_.find(conf);
    return it == rowMap_.end() ? nullptr : it->second;
}

QTreeWidgetItem* TConfListView::AddRow(int32_t conf, int32_t priority, int32_t unread)
{
    auto* item = new QTreeWidgetItem(this);
    item->setText(NrColumn, QString::number(conf));
    item->setText(NameColumn, FromWire(client_.Cache().GetName(conf)));
    item->setText(PriorityColumn, QString::number(priority));
    item->setText(UnreadColumn, QString::number(unread));
    item->setTextAlignment(PriorityColumn, Qt::AlignRight | Qt::AlignVCenter);
    item->setTextAlignment(UnreadColumn, Qt::AlignRight | Qt::AlignVCenter);
    rowMap_[conf] = item;
    return item;
}

void TConfListView::DeleteRow(int32_t conf)
{
    const auto it = rowMap_.find(conf);
    if (it == rowMap_.end())
        return;
    delete it->second;
    rowMap_.erase(it);
}

void TConfListView::Refresh()
{
    if (const int row = SelectedRow(); row >= 0)
        ScrollIntoView(row);
    std::vector<int32_t> confs;
    client_.Cache().ListMemberConferences(confs);
    const int32_t reading = readingConference_ ? readingConference_() : 0;
    bool added = false;
    for (const int32_t conf : confs) {
        const auto membership = client_.Cache().GetMembership(conf);
        if (!membership)
            continue;
        if (membership->Changed() && membership->Removed()) {
            DeleteRow(conf);
            membership->SetChanged(false);
            continue;
        }
        const int32_t unread = membership->UnreadCount();
        const bool shown = (conf == reading || showAll_ || unread > 0) && !membership->Removed();
        QTreeWidgetItem* item = RowOf(conf);
        if (item && !shown) {
            DeleteRow(conf);
            item = nullptr;
        } else if (item) {
            item->setText(PriorityColumn, QString::number(membership->Priority()));
            item->setText(UnreadColumn, QString::number(unread));
        } else if (shown) {
            item = AddRow(conf, membership->Priority(), unread);
            added = true;
        }
        membership->SetChanged(false);
        if (item && SelectedRow() < 0)
            scrollToItem(item);
    }
    if (added)
        Sort();
    if (SelectedRow() < 0 && RowCount() > 0)
        SelectRow(0);
    emit RowsChanged(RowCount() > 0);
}

bool TConfListView::SelectConference(int32_t conf)
{
    QTreeWidgetItem* item = RowOf(conf);
    if (!item) {
        const auto membership = client_.Cache().GetMembership(conf);
        if (!membership)
            return false;
        item = AddRow(conf, membership->Priority(), membership->UnreadCount());
        Sort();
    }
    SelectRow(indexOfTopLevelItem(item));
    return true;
}

void TConfListView::SetPriority(int32_t conf, int32_t priority)
{
    if (QTreeWidgetItem* item = RowOf(conf))
        item->setText(PriorityColumn, QString::number(priority));
}

void TConfListView::Sort()
{
    const int32_t selected = SelectedConference();
    // Taking the rows out and back is not a change of selection.
    const QSignalBlocker quiet(this);
    std::vector<QTreeWidgetItem*> items;
    while (topLevelItemCount() > 0)
        items.push_back(takeTopLevelItem(0));
    auto row = [](const QTreeWidgetItem* item) {
        return ConfListRow{Number(item, NrColumn), ToWire(item->text(NameColumn)), Number(item, PriorityColumn),
                           Number(item, UnreadColumn)};
    };
    auto collate = [](const std::string& a, const std::string& b) {
        return QString::localeAwareCompare(FromWire(a), FromWire(b));
    };
    std::stable_sort(items.begin(), items.end(), [&](const QTreeWidgetItem* a, const QTreeWidgetItem* b) {
        return order_.Before(row(a), row(b), collate);
    });
    for (QTreeWidgetItem* item : items)
        addTopLevelItem(item);
    if (QTreeWidgetItem* item = RowOf(selected)) {
        setCurrentItem(item);
        item->setSelected(true);
    }
}

void TConfListView::ClearRows()
{
    rowMap_.clear();
    clear();
    lastSelected_ = 0;
    emit RowsChanged(false);
}

} // namespace pellar
