// The events side of the running client: the asynchronous-message thread,
// the main messages window, chat windows, the active-users window and the
// tray indicator. It is the Qt implementation of the dispatcher's ports.
//
// Use: create after the main window (the windows become its MDI children).
// Given the session's dispatch, it attaches to it and the session enables and
// stops the thread; without one it runs a dispatch of its own: then call
// SetEnabled(true) before LogOn and SetEnabled(false) on Disconnect. Call
// Disconnected() on Disconnect; destroy it before the sessions it was given.
#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/events/EventPorts.h"
#include "gui/events/ActiveUsersForm.h"
#include "gui/events/MessagesForm.h"

class QWidget;

namespace pellar {

class AsyncDispatch;
class EventsSession;
class MessageLog;
class DesktopNotifier;
class TActiveUsersForm;
class TAsyncMsgThread;
class TIconTaskBar;
class MainWindow;
class TMessagesForm;
class WritingSession;
struct GuiServices;

class EventsController : public QObject, public EventPorts {
    Q_OBJECT

public:
    // events: the session of the who-is-on window and the dispatch;
    // writing: the session the message windows send in.
    EventsController(EventsSession& events, WritingSession& writing, MainWindow& mainForm, const GuiServices* services = nullptr,
                     QObject* parent = nullptr, std::shared_ptr<AsyncDispatch> dispatch = {});
    ~EventsController() override;

    // Lines are dispatched only while enabled.
    void SetEnabled(bool on);
    // After Disconnect: the active-users rows go, the tray indicator hides.
    void Disconnected();
    // The connection changed: windows enable their actions by it.
    void UpdateActions();

    TMessagesForm* MainMessages() const { return mainMessages_; }
    TActiveUsersForm* ActiveUsers() const { return activeUsers_; }
    TIconTaskBar* Tray() const { return tray_; }
    TAsyncMsgThread& Dispatcher();
    // A new chat window with partner, shown in the frame.
    TMessagesForm* OpenChat(int32_t partner);
    // Shows a window of ours (main messages or active users) in the frame.
    void ShowWindow(QWidget* window);
    // The main messages window with recipient filled in, focus on the text.
    void SendMessageTo(const QString& recipient);

    // Where desktop notifications go; not owned, null: the session's
    // notification service (the default).
    void SetNotifier(DesktopNotifier* notifier);
    DesktopNotifier* Notifier() const { return notifier_; }

    // The kept messages log goes below dir; empty (the default): none is kept.
    void SetMessageLogDir(std::filesystem::path dir) { logDir_ = std::move(dir); }
    // After a logon: the messages kept for profile come back into the main
    // messages window, and new ones are kept, unless the profile says not to.
    void OpenMessageLog(const std::string& profile);
    MessageLog* KeptMessages() const { return log_.get(); }
    // The profile setting behind "Keep messages between runs" (default on).
    static constexpr const char* kKeepMessagesKey = "KeepMessages";

    // What a new text asks of the reading window (its conference list).
    void SetConferenceListRefresher(std::function<void()> refresh) { refreshConferences_ = std::move(refresh); }

    // EventPorts, on the GUI thread.
    void DeliverMessage(const IncomingMessage& message) override;
    void AddSession(int32_t person, int32_t session, const std::string& personName, const std::string& client,
                    const std::string& account, const std::string& host, const std::string& ident) override;
    void RemoveSession(int32_t person, int32_t session, const std::string& personName) override;
    void UpdatePresence(const std::string& personName, const std::string& confName, int32_t session,
                        const std::string& doing, const std::string& userName) override;
    void ShowTray(TrayAlert state) override;
    void Notify(const AlertNotice& notice) override;
    void SetStatusText(const std::string& text) override;
    void BringToFront() override;
    void Beep() override;
    void RefreshConferenceList() override;
    void MessagesDropped(const std::string& notice) override;

signals:
    // The tray indicator was double-clicked for a new important text.
    void ShowReadingWindowRequested();
    // A notification of a new text was clicked.
    void ShowTextRequested(int32_t text);

protected:
    // The main window hiding or minimising takes the tray indicator away.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void TrayDblClick();
    // A single left click: with an alert up, what a double click does;
    // else the main window is hidden when it is in view and shown when not.
    void TrayClick();
    void NotificationActivated(const QString& tag);
    void KeepMessages(bool keep);
    void ClearMessages();
    void KeepEntry(const std::string& entry);
    void Pin(QWidget* window, bool pinned);
    void WireMessagesForm(TMessagesForm* form);
    static void DeleteWindow(QWidget* window);

    EventsSession& events_;
    WritingSession& writing_;
    MainWindow& mainForm_;
    const GuiServices* services_;
    TIconTaskBar* tray_;
    DesktopNotifier* defaultNotifier_ = nullptr;
    DesktopNotifier* notifier_ = nullptr;
    QPointer<TMessagesForm> mainMessages_;
    QPointer<TActiveUsersForm> activeUsers_;
    QList<QPointer<TMessagesForm>> chats_;
    std::function<void()> refreshConferences_;
    std::filesystem::path logDir_;
    std::string logProfile_;
    std::unique_ptr<MessageLog> log_;
    std::vector<std::string> unkept_;
    std::shared_ptr<AsyncDispatch> dispatch_;
    bool ownDispatch_ = false;
};

} // namespace pellar
