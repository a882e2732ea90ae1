#include "gui/reading/ConfListView.h"

#include "core/protocol/TMiravoMembership.h"
#include "core/session/MVCache.h"
#include "core/session/Client.h"
#include "gui/common/WireCodec.h"

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
    // Long conference names whole; the reading window narrows it where the
    // window is too narrow for every column (FitNameColumn).
    setColumnWidth(NameColumn, kNameWidth);
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

QTreeWidgetItem* TConfListView::MakeRow(const ConfListEntry& entry)
{
    // Not yet in the tree: rows go in together, with one layout.
    auto* item = new QTreeWidgetItem;
    item->setText(NrColumn, QString::number(entry.conf));
    item->setText(NameColumn, FromWire(entry.name));
    item->setText(PriorityColumn, QString::number(entry.priority));
    item->setText(UnreadColumn, QString::number(entry.unread));
    item->setTextAlignment(PriorityColumn, Qt::AlignRight | Qt::AlignVCenter);
    item->setTextAlignment(UnreadColumn, Qt::AlignRight | Qt::AlignVCenter);
    rowMap_[entry.conf] = item;
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

ConfListRefreshInput TConfListView::RefreshInput()
{
    ConfListRefreshInput input;
    input.readingConference = readingConference_ ? readingConference_() : 0;
    input.showEntireMembership = showAll_;
    input.hasRow = [this](int32_t conf) { return RowOf(conf) != nullptr; };
    return input;
}

void TConfListView::Refresh()
{
    if (const int row = SelectedRow(); row >= 0)
        ScrollIntoView(row);
    ConfListRefreshInput input = RefreshInput();
    input.progress = [this](size_t done, size_t total) { emit RefreshProgress(done, total); };
    Apply(PlanConfListRefresh(client_.Cache(), input));
    if (SelectedRow() < 0 && RowCount() > 0)
        SelectRow(0);
    emit RowsChanged(RowCount() > 0);
}

void TConfListView::RefreshChanged()
{
    ConfListRefreshInput input = RefreshInput();
    input.changedOnly = true;
    const ConfListChanges changes = PlanConfListRefresh(client_.Cache(), input);
    Apply(changes);
    if (!changes.removed.empty())
        emit RowsChanged(RowCount() > 0);
}

void TConfListView::Apply(const ConfListChanges& changes)
{
    for (const int32_t conf : changes.removed)
        DeleteRow(conf);
    for (const ConfListEntry& entry : changes.updated) {
        if (QTreeWidgetItem* item = RowOf(entry.conf)) {
            // A cell set to what it shows still costs the view a change.
            const QString priority = QString::number(entry.priority), unread = QString::number(entry.unread);
            if (item->text(PriorityColumn) != priority)
                item->setText(PriorityColumn, priority);
            if (item->text(UnreadColumn) != unread)
                item->setText(UnreadColumn, unread);
        }
    }
    if (!changes.added.empty()) {
        QList<QTreeWidgetItem*> rows;
        rows.reserve(static_cast<qsizetype>(changes.added.size()));
        for (const ConfListEntry& entry : changes.added)
            rows.append(MakeRow(entry));
        SortIn(rows);
    }
}

bool TConfListView::SelectConference(int32_t conf)
{
    QTreeWidgetItem* item = RowOf(conf);
    if (!item) {
        const auto membership = client_.Cache().GetMembership(conf);
        if (!membership)
            return false;
        client_.Cache().LoadConferenceStatuses({conf});
        item = MakeRow({conf, client_.Cache().GetName(conf), membership->Priority(), membership->UnreadCount()});
        SortIn({item});
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
    SortIn({});
}

void TConfListView::SortIn(QList<QTreeWidgetItem*> added)
{
    const int32_t selected = SelectedConference();
    // Taking the rows out and back is not a change of selection.
    const QSignalBlocker quiet(this);
    QList<QTreeWidgetItem*> items = invisibleRootItem()->takeChildren();
    items.append(added);
    // Each row's key is read once, not at every comparison.
    std::vector<std::pair<ConfListRow, QTreeWidgetItem*>> keyed;
    keyed.reserve(static_cast<size_t>(items.size()));
    for (QTreeWidgetItem* item : items) {
        keyed.emplace_back(ConfListRow{Number(item, NrColumn), ToWire(item->text(NameColumn)),
                                       Number(item, PriorityColumn), Number(item, UnreadColumn)},
                           item);
    }
    auto collate = [](const std::string& a, const std::string& b) {
        return QString::localeAwareCompare(FromWire(a), FromWire(b));
    };
    std::stable_sort(keyed.begin(), keyed.end(),
                     [&](const auto& a, const auto& b) { return order_.Before(a.first, b.first, collate); });
    QList<QTreeWidgetItem*> sorted;
    sorted.reserve(items.size());
    for (const auto& [row, item] : keyed)
        sorted.append(item);
    addTopLevelItems(sorted);
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
