// The reading window's list of conferences with unread texts: one row per
// shown membership (number, name, priority, unread count), kept in the
// chosen order, with the row map from conference number to row. The
// read-next worker reads and selects rows through ConferenceListPort.
#pragma once

#include "core/reading/ConfListRefresh.h"
#include "core/reading/TReadNextTextThread.h"
#include "core/reading/ConfListOrder.h"

#include <QTreeWidget>

#include <cstdint>
#include <functional>
#include <map>

namespace pellar {

class Client;

class TConfListView : public QTreeWidget, public ConferenceListPort {
    Q_OBJECT

public:
    enum Columns { NrColumn = 0, NameColumn, PriorityColumn, UnreadColumn };
    // The Name column's width where nothing else is stored and there is room.
    static constexpr int kNameWidth = 300;

    // readingConference: the read status's conference, always shown.
    TConfListView(Client& client, std::function<int32_t()> readingConference, QWidget* parent = nullptr);

    // ConferenceListPort
    int RowCount() override;
    int32_t RowConference(int row) override;
    int SelectedRow() override;
    void SelectRow(int row) override;
    void ScrollIntoView(int row) override;
    void ClearSelection() override;
    void Refresh() override;
    void RefreshChanged() override;

    // The selected row's conference; 0 for none.
    int32_t SelectedConference();
    // Selects the conference's row, adding one when the user is a member.
    bool SelectConference(int32_t conf);
    // The row showing the conference, or null (the row map).
    QTreeWidgetItem* RowOf(int32_t conf) const;
    void SetPriority(int32_t conf, int32_t priority);
    void SetShowEntireMembership(bool on) { showAll_ = on; }
    bool ShowEntireMembership() const { return showAll_; }
    void Sort();
    const ConfListOrder& Order() const { return order_; }
    // Forgets every row (disconnect).
    void ClearRows();

signals:
    // A different row (or none: 0) is selected.
    void SelectedConferenceChanged(int32_t conf);
    // After a refresh: whether there is anything to read from.
    void RowsChanged(bool hasRows);
    // During a whole refresh: conferences walked so far, of total.
    void RefreshProgress(size_t done, size_t total);

private:
    // A row not yet in the tree, recorded in the row map.
    QTreeWidgetItem* MakeRow(const ConfListEntry& entry);
    // Puts added rows in and the whole list in order, in one insertion.
    void SortIn(QList<QTreeWidgetItem*> added);
    void DeleteRow(int32_t conf);
    static int32_t Number(const QTreeWidgetItem* item, int column);
    void Apply(const ConfListChanges& changes);
    ConfListRefreshInput RefreshInput();

    Client& client_;
    std::function<int32_t()> readingConference_;
    std::map<int32_t, QTreeWidgetItem*> rowMap_;
    ConfListOrder order_;
    bool showAll_ = false;
    int32_t lastSelected_ = 0;
};

} // namespace pellar
