// The reading window's list of conferences with unread texts: a tree view
// over the reading controller's ConfListModel (through ConfListItemModel).
// The rows, their order, their counts and the selection live in core; the
// read-next worker reads and selects them there, off the GUI thread, and the
// view follows. A click selects in the core model, which tells the
// controller.
#pragma once

#include "core/reading/ConfListModel.h"

#include <QAbstractTableModel>
#include <QTreeView>

#include <cstdint>
#include <optional>
#include <vector>

namespace pellar {

// The conference list as Qt's views read it: the rows of the core model's
// last snapshot, taken on the GUI thread once per turn of the event loop
// after the core model says it changed (at once by ApplyPending).
class ConfListItemModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit ConfListItemModel(ConfListModel& list, QObject* parent = nullptr);
    // Stops listening; no call of the core model's listener is left running.
    ~ConfListItemModel() override;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    void ApplyPending();
    // The shown row of the conference; -1 for none.
    int ShownRow(int32_t conf) const;
    int32_t ShownConference(int row) const;

protected:
    bool event(QEvent* event) override;

signals:
    // After the rows were taken in: the selected conference (0: none) and
    // the one to bring into sight (0: none).
    void Applied(int32_t selected, int32_t scrollTo);

private:
    ConfListModel& list_;
    std::vector<ConfListRow> rows_;
};

class TConfListView : public QTreeView {
    Q_OBJECT

public:
    enum Columns { NrColumn = 0, NameColumn, PriorityColumn, UnreadColumn };
    // The Name column's width where nothing else is stored and there is room.
    static constexpr int kNameWidth = 300;

    explicit TConfListView(ConfListModel& list, QWidget* parent = nullptr);
    ~TConfListView() override;

    ConfListModel& List() const { return list_; }
    ConfListItemModel* ListModel() const { return model_; }

    // What the core model holds now (the view follows on its next turn).
    int RowCount() const { return list_.RowCount(); }
    int32_t RowConference(int row) const { return list_.RowConference(row); }
    int SelectedRow() const { return list_.SelectedRow(); }
    void SelectRow(int row) { list_.SelectRow(row); }
    // The selected row's conference; 0 for none.
    int32_t SelectedConference() const { return list_.SelectedConference(); }
    // Selects the conference's row, adding one when the user is a member.
    bool SelectConference(int32_t conf) { return list_.SelectConference(conf); }
    std::optional<ConfListRow> Row(int32_t conf) const { return list_.Row(conf); }
    void SetPriority(int32_t conf, int32_t priority) { list_.SetPriority(conf, priority); }
    void SetShowEntireMembership(bool on) { list_.SetShowEntireMembership(on); }
    bool ShowEntireMembership() const { return list_.ShowEntireMembership(); }
    void Sort() { list_.Sort(); }
    ConfListOrder Order() const { return list_.Order(); }
    // Brings rows and counts up to date, telling RefreshProgress how far.
    void Refresh();
    // Forgets every row (disconnect).
    void ClearRows() { list_.ClearRows(); }

signals:
    // After a refresh: whether there is anything to read from.
    void RowsChanged(bool hasRows);
    // During a whole refresh from this view: conferences walked so far, of total.
    void RefreshProgress(size_t done, size_t total);

private:
    void FollowSelection(int32_t selected, int32_t inSight);

    ConfListModel& list_;
    ConfListItemModel* model_ = nullptr;
    bool following_ = false;  // the view takes the core model's selection
};

} // namespace pellar
