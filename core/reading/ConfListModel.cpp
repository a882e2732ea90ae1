#include "core/reading/ConfListModel.h"

#include <algorithm>
#include <unordered_map>
#include <utility>

#include "core/wire/TMiravoMembership.h"
#include "core/session/MVCache.h"

namespace pellar {

ConfListModel::ConfListModel(MVCache& cache) : cache_(cache) {}

void ConfListModel::SetReadingConference(std::function<int32_t()> fn)
{
    std::lock_guard lock(mutex_);
    readingConference_ = std::move(fn);
}

void ConfListModel::SetCollate(Collate collate)
{
    std::lock_guard lock(mutex_);
    collate_ = std::move(collate);
}

void ConfListModel::SetShowEntireMembership(bool on)
{
    std::lock_guard lock(mutex_);
    showAll_ = on;
}

bool ConfListModel::ShowEntireMembership() const
{
    std::lock_guard lock(mutex_);
    return showAll_;
}

bool ConfListModel::DirtyLocked()
{
    if (told_)
        return false;
    told_ = true;
    return true;
}

void ConfListModel::Tell(bool changed, std::optional<int32_t> selected, std::optional<bool> rows)
{
    std::lock_guard lock(handlerMutex_);
    if (selected && onSelection_)
        onSelection_(*selected);
    if (rows && onRows_)
        onRows_(*rows);
    if (changed && listener_)
        listener_();
}

int ConfListModel::RowOfLocked(int32_t conf) const
{
    const auto it = rowOf_.find(conf);
    return it == rowOf_.end() ? -1 : it->second;
}

void ConfListModel::IndexLocked()
{
    rowOf_.clear();
    rowOf_.reserve(rows_.size());
    for (size_t i = 0; i < rows_.size(); ++i)
        rowOf_.emplace(rows_[i].conf, static_cast<int>(i));
}

int ConfListModel::RowCount()
{
    std::lock_guard lock(mutex_);
    return static_cast<int>(rows_.size());
}

int32_t ConfListModel::RowConference(int row)
{
    std::lock_guard lock(mutex_);
    return row >= 0 && static_cast<size_t>(row) < rows_.size() ? rows_[static_cast<size_t>(row)].conf : 0;
}

int ConfListModel::SelectedRow()
{
    std::lock_guard lock(mutex_);
    return selected_ == 0 ? -1 : RowOfLocked(selected_);
}

int32_t ConfListModel::SelectedConference() const
{
    std::lock_guard lock(mutex_);
    return selected_ != 0 && RowOfLocked(selected_) >= 0 ? selected_ : 0;
}

void ConfListModel::Select(int32_t conf, bool scroll)
{
    bool tell;
    bool moved;
    {
        std::lock_guard lock(mutex_);
        moved = selected_ != conf;
        selected_ = conf;
        if (scroll && conf != 0)
            scrollTo_ = conf;
        tell = (moved || scroll) && DirtyLocked();
    }
    Tell(tell, moved ? std::optional<int32_t>(conf) : std::nullopt, std::nullopt);
}

void ConfListModel::SelectRow(int row)
{
    const int32_t conf = RowConference(row);
    if (conf != 0)
        Select(conf, true);
}

void ConfListModel::ScrollIntoView(int row)
{
    bool tell = false;
    {
        std::lock_guard lock(mutex_);
        if (row >= 0 && static_cast<size_t>(row) < rows_.size()) {
            scrollTo_ = rows_[static_cast<size_t>(row)].conf;
            tell = DirtyLocked();
        }
    }
    Tell(tell, std::nullopt, std::nullopt);
}

void ConfListModel::ClearSelection()
{
    Select(0, false);
}

ConfListRefreshInput ConfListModel::Input()
{
    ConfListRefreshInput input;
    std::function<int32_t()> reading;
    {
        std::lock_guard lock(mutex_);
        reading = readingConference_;
        input.showEntireMembership = showAll_;
    }
    input.readingConference = reading ? reading() : 0;
    input.hasRow = [this](int32_t conf) {
        std::lock_guard lock(mutex_);
        return RowOfLocked(conf) >= 0;
    };
    return input;
}

void ConfListModel::Refresh()
{
    Refresh(nullptr);
}

void ConfListModel::Refresh(const std::function<void(size_t, size_t)>& progress)
{
    if (const int row = SelectedRow(); row >= 0)
        ScrollIntoView(row);
    ConfListRefreshInput input = Input();
    input.progress = progress;
    // The walk and the statuses it loads run outside the lock.
    const ConfListChanges changes = PlanConfListRefresh(cache_, input);
    bool tell;
    std::optional<int32_t> selected;
    bool hasRows;
    {
        std::lock_guard lock(mutex_);
        ApplyLocked(changes);
        if ((selected_ == 0 || RowOfLocked(selected_) < 0) && !rows_.empty()) {
            selected_ = rows_.front().conf;
            scrollTo_ = selected_;
            selected = selected_;
        }
        hasRows = !rows_.empty();
        tell = DirtyLocked();
    }
    Tell(tell, selected, hasRows);
}

void ConfListModel::RefreshChanged()
{
    ConfListRefreshInput input = Input();
    input.changedOnly = true;
    const ConfListChanges changes = PlanConfListRefresh(cache_, input);
    bool tell;
    std::optional<bool> rows;
    {
        std::lock_guard lock(mutex_);
        ApplyLocked(changes);
        if (!changes.removed.empty())
            rows = !rows_.empty();
        tell = (!changes.removed.empty() || !changes.updated.empty() || !changes.added.empty()) && DirtyLocked();
    }
    Tell(tell, std::nullopt, rows);
}

void ConfListModel::ApplyLocked(const ConfListChanges& changes)
{
    if (!changes.removed.empty()) {
        rows_.erase(std::remove_if(rows_.begin(), rows_.end(),
                                   [&](const ConfListRow& row) {
                                       return std::find(changes.removed.begin(), changes.removed.end(), row.conf) !=
                                              changes.removed.end();
                                   }),
                    rows_.end());
        IndexLocked();
    }
    for (const ConfListEntry& entry : changes.updated) {
        if (const int row = RowOfLocked(entry.conf); row >= 0) {
            rows_[static_cast<size_t>(row)].priority = entry.priority;
            rows_[static_cast<size_t>(row)].unread = entry.unread;
        }
    }
    // A refresh on another thread may have added the row meanwhile.
    bool added = false;
    for (const ConfListEntry& entry : changes.added) {
        if (const int row = RowOfLocked(entry.conf); row >= 0) {
            rows_[static_cast<size_t>(row)].priority = entry.priority;
            rows_[static_cast<size_t>(row)].unread = entry.unread;
        } else {
            rowOf_.emplace(entry.conf, static_cast<int>(rows_.size()));
            rows_.push_back(ConfListRow{entry.conf, entry.name, entry.priority, entry.unread});
            added = true;
        }
    }
    // Rows keep their places as their counts change: only new rows (and
    // Sort) put the list in order.
    if (added)
        SortLocked();
}

void ConfListModel::SortLocked()
{
    const Collate& collate = collate_;
    auto names = [&collate](const std::string& a, const std::string& b) {
        return collate ? collate(a, b) : a.compare(b);
    };
    std::stable_sort(rows_.begin(), rows_.end(),
                     [&](const ConfListRow& a, const ConfListRow& b) { return order_.Before(a, b, names); });
    IndexLocked();
}

bool ConfListModel::SelectConference(int32_t conf)
{
    bool present;
    {
        std::lock_guard lock(mutex_);
        present = RowOfLocked(conf) >= 0;
    }
    if (!present) {
        const auto membership = cache_.GetMembership(conf);
        if (!membership)
            return false;
        cache_.LoadConferenceStatuses({conf});
        const ConfListRow row{conf, cache_.GetName(conf), membership->Priority(), membership->UnreadCount()};
        std::lock_guard lock(mutex_);
        if (RowOfLocked(conf) < 0) {
            rows_.push_back(row);
            SortLocked();  // and indexes
        }
    }
    Select(conf, true);
    return true;
}

std::optional<ConfListRow> ConfListModel::Row(int32_t conf) const
{
    std::lock_guard lock(mutex_);
    const int row = RowOfLocked(conf);
    return row < 0 ? std::nullopt : std::optional<ConfListRow>(rows_[static_cast<size_t>(row)]);
}

std::vector<ConfListRow> ConfListModel::Rows() const
{
    std::lock_guard lock(mutex_);
    return rows_;
}

void ConfListModel::SetPriority(int32_t conf, int32_t priority)
{
    bool tell = false;
    {
        std::lock_guard lock(mutex_);
        if (const int row = RowOfLocked(conf); row >= 0) {
            rows_[static_cast<size_t>(row)].priority = priority;
            tell = DirtyLocked();
        }
    }
    Tell(tell, std::nullopt, std::nullopt);
}

void ConfListModel::HeaderClicked(int column)
{
    {
        std::lock_guard lock(mutex_);
        order_.HeaderClicked(column);
    }
    Sort();
}

void ConfListModel::Sort()
{
    bool tell;
    {
        std::lock_guard lock(mutex_);
        SortLocked();
        tell = DirtyLocked();
    }
    Tell(tell, std::nullopt, std::nullopt);
}

ConfListOrder ConfListModel::Order() const
{
    std::lock_guard lock(mutex_);
    return order_;
}

void ConfListModel::ClearRows()
{
    bool tell;
    bool moved;
    {
        std::lock_guard lock(mutex_);
        rows_.clear();
        rowOf_.clear();
        moved = selected_ != 0;
        selected_ = 0;
        scrollTo_ = 0;
        tell = DirtyLocked();
    }
    Tell(tell, moved ? std::optional<int32_t>(0) : std::nullopt, false);
}

void ConfListModel::SetSelectionHandler(std::function<void(int32_t)> fn)
{
    std::lock_guard lock(handlerMutex_);
    onSelection_ = std::move(fn);
}

void ConfListModel::SetRowsHandler(std::function<void(bool)> fn)
{
    std::lock_guard lock(handlerMutex_);
    onRows_ = std::move(fn);
}

void ConfListModel::SetChangeListener(std::function<void()> fn)
{
    std::lock_guard lock(handlerMutex_);
    listener_ = std::move(fn);
}

ConfListModel::Snapshot ConfListModel::TakeSnapshot()
{
    std::lock_guard lock(mutex_);
    told_ = false;
    Snapshot snapshot{rows_, RowOfLocked(selected_) >= 0 ? selected_ : 0, scrollTo_};
    scrollTo_ = 0;
    return snapshot;
}

} // namespace pellar
