// The reading window's conference list, kept in core: one row per shown
// membership (number, name, priority, unread count) in the chosen order, the
// selected conference, and the row the view should bring into sight. The
// read-next worker reads and selects rows here (as its ConferenceListPort)
// on its own thread; refreshes walk the memberships in the cache and load
// the statuses they need on whichever thread asks, the worker's for a step.
//
// Threads: every call may come from any thread. One lock guards the rows and
// the selection and is held only to read or change them, never across a
// request to the server. Handlers are called on the thread that made the
// change, outside the lock: the selection handler when the selected
// conference changes, the rows handler after a refresh, and the change
// listener once until the view takes the changes (TakeSnapshot).
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/reading/ConfListOrder.h"
#include "core/reading/ConfListRefresh.h"
#include "core/reading/TReadNextTextThread.h"

namespace pellar {

class MVCache;

class ConfListModel : public ConferenceListPort
{
public:
    using Collate = std::function<int(const std::string&, const std::string&)>;

    // What a view shows, taken whole: the rows are few (a row per
    // membership at most).
    struct Snapshot {
        std::vector<ConfListRow> rows;
        int32_t selected = 0;    // 0: none
        int32_t scrollTo = 0;    // a row to bring into sight; 0: none
    };

    explicit ConfListModel(MVCache& cache);

    // The read status's conference, always shown; asked on the refreshing thread.
    void SetReadingConference(std::function<int32_t()> fn);
    // Names compare with it (the locale's collation); none: byte order.
    void SetCollate(Collate collate);
    void SetShowEntireMembership(bool on);
    bool ShowEntireMembership() const;

    // --- ConferenceListPort ---------------------------------------------------
    int RowCount() override;
    int32_t RowConference(int row) override;
    int SelectedRow() override;
    void SelectRow(int row) override;
    void ScrollIntoView(int row) override;
    void ClearSelection() override;
    void Refresh() override;
    void RefreshChanged() override;

    // A whole refresh told how far its walk is (see ConfListRefreshInput).
    void Refresh(const std::function<void(size_t done, size_t total)>& progress);
    int32_t SelectedConference() const;
    // Selects the conference's row, adding one when the user is a member.
    bool SelectConference(int32_t conf);
    std::optional<ConfListRow> Row(int32_t conf) const;
    std::vector<ConfListRow> Rows() const;
    void SetPriority(int32_t conf, int32_t priority);
    // A click on a column header (ConfListOrder::HeaderClicked), then sorted.
    void HeaderClicked(int column);
    void Sort();
    ConfListOrder Order() const;
    // Forgets every row (disconnect).
    void ClearRows();

    // --- Listeners ------------------------------------------------------------
    void SetSelectionHandler(std::function<void(int32_t conf)> fn);
    void SetRowsHandler(std::function<void(bool hasRows)> fn);
    // Told when changes wait, once until TakeSnapshot; null: none. Once this
    // returns no call of the last one is in flight.
    void SetChangeListener(std::function<void()> fn);
    Snapshot TakeSnapshot();

private:
    // Called with the lock held.
    void SortLocked();
    int RowOfLocked(int32_t conf) const;
    // Rebuilds the map from conference to row.
    void IndexLocked();
    void ApplyLocked(const ConfListChanges& changes);
    // Marks changes; true when the listener should be told.
    bool DirtyLocked();
    // Runs the handlers a change asks for, outside the lock.
    void Tell(bool changed, std::optional<int32_t> selected, std::optional<bool> rows);
    ConfListRefreshInput Input();
    void Select(int32_t conf, bool scroll);

    MVCache& cache_;
    mutable std::mutex mutex_;
    std::vector<ConfListRow> rows_;
    std::unordered_map<int32_t, int> rowOf_;  // conference -> its row
    int32_t selected_ = 0;
    int32_t scrollTo_ = 0;
    bool showAll_ = false;
    ConfListOrder order_;
    Collate collate_;
    std::function<int32_t()> readingConference_;
    bool told_ = false;

    std::mutex handlerMutex_;  // held while a handler runs
    std::function<void(int32_t)> onSelection_;
    std::function<void(bool)> onRows_;
    std::function<void()> listener_;
};

} // namespace pellar
