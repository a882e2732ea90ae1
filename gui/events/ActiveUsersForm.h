// "Active users": one row per session logged on to the server. The rows, their
// order and the update worker that fills them on request are core's
// (ActiveUsers); the dispatcher keeps them current; this window draws them.
#pragma once

#include <QWidget>

#include <cstdint>
#include <memory>

#include "core/events/ActiveUsers.h"

class QAction;
class QMenu;
class QMenuBar;
class QTimer;
class QToolBar;
class QToolButton;
class QTreeWidget;

namespace pellar {

class EventsSession;
struct GuiServices;

class TActiveUsersForm : public QWidget {
    Q_OBJECT

public:
    TActiveUsersForm(EventsSession& session, const GuiServices* services, QWidget* parent = nullptr);
    ~TActiveUsersForm() override;

    // Called by the dispatcher's ports on the GUI thread.
    void AddSession(int32_t person, int32_t session, const std::string& personName, const std::string& client,
                    const std::string& account, const std::string& host, const std::string& ident);
    void RemoveSession(int32_t person, int32_t session, const std::string& personName);
    void UpdatePresence(const std::string& personName, const std::string& confName, int32_t session,
                        const std::string& doing, const std::string& userName);
    void ClearRows();
    // Disconnect: no rows, and instant tracking off as the next logon asks.
    void SessionEnded();

    void ApplyWindowSettings();
    void SaveColumnWidths();
    // Enables the list actions by the connection state.
    void UpdateActions();
    void SetMainWindow(bool main) { main_ = main; }

    void RefreshActiveActionExecute();
    void InstantUpdateActiveActionExecute(bool checked);
    void IdleTimerTimer();
    void SortByColumn(int column);

    const ActiveUsersTable& Table() const { return users_->Table(); }
    ActiveUsers& Users() { return *users_; }
    QTreeWidget* ListView() const { return listView_; }
    QMenu* ListPopupMenu() const { return popup_; }
    QTimer* IdleTimer() const { return idleTimer_; }
    QAction* PinActiveUsersAction() const { return pinAction_; }
    QAction* RefreshActiveAction() const { return refreshAction_; }
    QAction* InstantUpdateActiveAction() const { return instantAction_; }
    QAction* SendMessagePopupAction() const { return sendMessageAction_; }
    QAction* ViewPresentationPopupAction() const { return viewPresentationAction_; }

signals:
    // "&Send message" on a row: the user's name for the messages window.
    void SendMessageRequested(const QString& userName);
    void PinToggled(bool pinned);

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateActions();
    QMenuBar* BuildMenuBar();
    QToolBar* BuildToolBar();
    void BuildList();
    void BuildPopup();
    void Render();
    // The first time the list is seen in a session it asks for a complete
    // update, so that it opens complete rather than with only the sessions
    // whose log-on notices came in.
    void FillWhenSeen();
    void ViewPresentationClick();
    QString SelectedUser() const;

    EventsSession& session_;
    const GuiServices* services_;
    std::unique_ptr<ActiveUsers> users_;
    bool main_ = false;
    bool fillDue_ = true;

    QTreeWidget* listView_;
    QMenu* popup_;
    QTimer* idleTimer_;
    QToolButton* updateSpeedButton_;
    QToolButton* activeUpdateSpeedButton_;
    QAction* pinAction_;
    QAction* refreshAction_;
    QAction* instantAction_;
    QAction* sendMessageAction_;
    QAction* viewPresentationAction_;
};

} // namespace pellar
