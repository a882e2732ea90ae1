#include "gui/reading/ConfListView.h"

#include "gui/common/WireCodec.h"

#include <QCoreApplication>
#include <QEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMetaObject>

namespace pellar {

// --- ConfListItemModel ----------------------------------------------------------

namespace {

const QEvent::Type kApplyPendingEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

} // namespace

ConfListItemModel::ConfListItemModel(ConfListModel& list, QObject* parent) : QAbstractTableModel(parent), list_(list)
{
    // Called on the changing thread: queued to this object's thread, behind
    // whatever else is queued. A read-next step changes a count on its
    // thread just before it hands over its article, and the article comes
    // first.
    list_.SetChangeListener(
        [this] { QCoreApplication::postEvent(this, new QEvent(kApplyPendingEvent), Qt::LowEventPriority); });
    ApplyPending();
}

bool ConfListItemModel::event(QEvent* event)
{
    if (event->type() != kApplyPendingEvent)
        return QAbstractTableModel::event(event);
    ApplyPending();
    return true;
}

ConfListItemModel::~ConfListItemModel()
{
    list_.SetChangeListener(nullptr);
}

int ConfListItemModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int ConfListItemModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 4;
}

QVariant ConfListItemModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || static_cast<size_t>(index.row()) >= rows_.size())
        return {};
    const ConfListRow& row = rows_[static_cast<size_t>(index.row())];
    const int column = index.column();
    if (role == Qt::TextAlignmentRole && (column == TConfListView::PriorityColumn || column == TConfListView::UnreadColumn))
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return {};
    switch (column) {
    case TConfListView::NrColumn: return QString::number(row.conf);
    case TConfListView::NameColumn: return FromWire(row.name);
    case TConfListView::PriorityColumn: return QString::number(row.priority);
    default: return QString::number(row.unread);
    }
}

QVariant ConfListItemModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return {};
    if (role == Qt::TextAlignmentRole && (section == TConfListView::PriorityColumn || section == TConfListView::UnreadColumn))
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return {};
    static const char* const names[] = {QT_TR_NOOP("Nr"), QT_TR_NOOP("Name"), QT_TR_NOOP("Priority"),
                                        QT_TR_NOOP("Unread")};
    return section >= 0 && section < 4 ? tr(names[section]) : QVariant();
}

void ConfListItemModel::ApplyPending()
{
    ConfListModel::Snapshot snapshot = list_.TakeSnapshot();
    const bool sameRows = snapshot.rows.size() == rows_.size() &&
                          std::equal(rows_.begin(), rows_.end(), snapshot.rows.begin(),
                                     [](const ConfListRow& a, const ConfListRow& b) { return a.conf == b.conf; });
    if (sameRows) {
        // Counts and priorities change in place: only those cells repaint.
        for (size_t i = 0; i < rows_.size(); ++i) {
            ConfListRow& shown = rows_[i];
            const ConfListRow& now = snapshot.rows[i];
            if (shown.priority == now.priority && shown.unread == now.unread && shown.name == now.name)
                continue;
            shown = now;
            const int row = static_cast<int>(i);
            emit dataChanged(index(row, 0), index(row, columnCount() - 1), {Qt::DisplayRole});
        }
    } else {
        beginResetModel();
        rows_ = std::move(snapshot.rows);
        endResetModel();
    }
    emit Applied(snapshot.selected, snapshot.scrollTo);
}

int ConfListItemModel::ShownRow(int32_t conf) const
{
    for (size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].conf == conf)
            return static_cast<int>(i);
    return -1;
}

int32_t ConfListItemModel::ShownConference(int row) const
{
    return row >= 0 && static_cast<size_t>(row) < rows_.size() ? rows_[static_cast<size_t>(row)].conf : 0;
}

// --- TConfListView ------------------------------------------------------------------

TConfListView::TConfListView(ConfListModel& list, QWidget* parent) : QTreeView(parent), list_(list)
{
    setObjectName(QStringLiteral("ConfListView"));
    model_ = new ConfListItemModel(list_, this);
    setModel(model_);
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
    connect(header(), &QHeaderView::sectionClicked, this, [this](int column) { list_.HeaderClicked(column); });
    connect(model_, &ConfListItemModel::Applied, this, &TConfListView::FollowSelection);
    // The user's choice goes to the core model, which tells the controller.
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (following_)
            return;
        const QModelIndexList rows = selectionModel()->selectedRows();
        const int32_t conf = rows.isEmpty() ? 0 : model_->ShownConference(rows.front().row());
        if (conf == 0)
            list_.ClearSelection();
        else if (conf != list_.SelectedConference())
            list_.SelectConference(conf);
    });
    // Rows handler: on the refreshing thread, queued here unless it is this one.
    list_.SetRowsHandler([this](bool hasRows) {
        QMetaObject::invokeMethod(this, [this, hasRows] { emit RowsChanged(hasRows); }, Qt::AutoConnection);
    });
}

TConfListView::~TConfListView()
{
    list_.SetRowsHandler(nullptr);
}

void TConfListView::FollowSelection(int32_t selected, int32_t inSight)
{
    following_ = true;
    const int row = model_->ShownRow(selected);
    if (row < 0) {
        clearSelection();
    } else {
        const QModelIndex at = model_->index(row, 0);
        if (currentIndex().row() != row || !selectionModel()->isRowSelected(row, QModelIndex()))
            selectionModel()->setCurrentIndex(at, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    following_ = false;
    if (const int scrollRow = model_->ShownRow(inSight); scrollRow >= 0)
        scrollTo(model_->index(scrollRow, 0));
}

void TConfListView::Refresh()
{
    list_.Refresh([this](size_t done, size_t total) { emit RefreshProgress(done, total); });
}

} // namespace pellar
