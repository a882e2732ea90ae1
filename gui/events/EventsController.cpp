#include "gui/events/EventsController.h"
#include "gui/common/CoreTexts.h"

#include <QApplication>
#include <QEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPointer>

#include "core/config/TMiravoConfiguration.h"
#include "core/events/AsyncDispatch.h"
#include "core/events/EventsSession.h"
#include "core/events/MessageLog.h"
#include "core/events/TAsyncMsgThread.h"
#include "gui/events/ActiveUsersForm.h"
#include "gui/events/DesktopNotifier.h"
#include "gui/events/IconTaskBar.h"
#include "gui/events/MessagesForm.h"
#include "gui/common/QtCancellableGuiThread.h"
#include "gui/common/MainWindow.h"
#include "gui/common/MainStatusBar.h"
#include "gui/common/WireCodec.h"
#include "gui/common/MiravoCompletionEdit.h"
#include "gui/common/MiravoTextEdit.h"

namespace pellar {

EventsController::EventsController(EventsSession& events, WritingSession& writing, MainWindow& mainForm,
                                   const GuiServices* services, QObject* parent, std::shared_ptr<AsyncDispatch> dispatch)
    : QObject(parent),
      events_(events),
      writing_(writing),
      mainForm_(mainForm),
      services_(services),
      dispatch_(std::move(dispatch))
{
    tray_ = new TIconTaskBar(&mainForm_, this);
    connect(tray_, &TIconTaskBar::OnDblClick, this, &EventsController::TrayDblClick);
    connect(tray_, &TIconTaskBar::OnMouseDown, this, [this](Qt::MouseButton button, Qt::KeyboardModifiers) {
        if (button == Qt::LeftButton)
            TrayClick();
    });
    defaultNotifier_ = new FreedesktopNotifier(this);
    SetNotifier(nullptr);

    if (!dispatch_) {
        dispatch_ = events_.NewDispatch(std::make_unique<QtCancellableGuiThread>(this));
        ownDispatch_ = true;
    }

    mainMessages_ = new TMessagesForm(writing_, Dispatcher().Router(), services_, tray_);
    mainMessages_->SetMainWindow(true);
    WireMessagesForm(mainMessages_);
    activeUsers_ = new TActiveUsersForm(events_, services_);
    activeUsers_->SetMainWindow(true);
    activeUsers_->ApplyWindowSettings();
    connect(activeUsers_, &TActiveUsersForm::PinToggled, this, [this](bool on) { Pin(activeUsers_, on); });
    connect(activeUsers_, &TActiveUsersForm::SendMessageRequested, this, &EventsController::SendMessageTo);
    for (QWidget* w : {static_cast<QWidget*>(mainMessages_), static_cast<QWidget*>(activeUsers_)}) {
        QMdiSubWindow* sub = mainForm_.AddChildWindow(w);
        sub->setAttribute(Qt::WA_DeleteOnClose, false);
        sub->showMinimized();
    }
    // Out of sight, the application has nothing to point at in the tray.
    mainForm_.installEventFilter(this);
    dispatch_->Attach(this);
}

TAsyncMsgThread& EventsController::Dispatcher()
{
    return dispatch_->Thread();
}

bool EventsController::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &mainForm_) {
        const bool hidden = event->type() == QEvent::Hide;
        const bool minimised = event->type() == QEvent::WindowStateChange && mainForm_.isMinimized();
        if (hidden || minimised)
            tray_->HideIcon();
    }
    return QObject::eventFilter(watched, event);
}

EventsController::~EventsController()
{
    // A dispatch of our own ends here; the session's goes on without us and
    // drops what it would have shown.
    if (ownDispatch_)
        dispatch_->Stop();
    dispatch_->Attach(nullptr);
    // The windows unregister from the dispatcher's router as they go.
    QList<QPointer<TMessagesForm>> forms = chats_;
    forms.append(mainMessages_);
    for (const QPointer<TMessagesForm>& form : forms)
        DeleteWindow(form.data());
    DeleteWindow(activeUsers_.data());
}

void EventsController::DeleteWindow(QWidget* window)
{
    if (!window)
        return;
    if (auto* sub = qobject_cast<QMdiSubWindow*>(window->parentWidget()))
        delete sub;
    else
        delete window;
}

void EventsController::WireMessagesForm(TMessagesForm* form)
{
    QPointer<TMessagesForm> guard(form);
    connect(form, &TMessagesForm::PinToggled, this, [this, guard](bool on) {
        if (guard)
            Pin(guard, on);
    });
    connect(form, &TMessagesForm::ChatRequested, this, &EventsController::OpenChat);
    form->SetEntrySink([this](const std::string& entry) { KeepEntry(entry); });
    connect(form, &TMessagesForm::KeepMessagesToggled, this, &EventsController::KeepMessages);
    connect(form, &TMessagesForm::ClearMessagesRequested, this, &EventsController::ClearMessages);
    form->KeepMessagesAction()->setVisible(!logDir_.empty());
    form->KeepMessagesAction()->setChecked(events_.Config().ReadFlag(kKeepMessagesKey, true));
}

void EventsController::OpenMessageLog(const std::string& profile)
{
    if (logDir_.empty())
        return;
    const bool keep = events_.Config().ReadFlag(kKeepMessagesKey, true);
    mainMessages_->KeepMessagesAction()->setVisible(true);
    mainMessages_->KeepMessagesAction()->setChecked(keep);
    // A new logon with the same profile: the window holds the log already.
    if (profile == logProfile_ && (log_ != nullptr) == keep)
        return;
    logProfile_ = profile;
    log_.reset();
    if (!keep)
        return;
    log_ = std::make_unique<MessageLog>(MessageLog::FileFor(logDir_, profile));
    log_->Load();
    // Above what arrived during the logon, which joins the kept log now.
    mainMessages_->RestoreEntries(log_->Entries());
    for (std::string& entry : std::exchange(unkept_, {}))
        KeepEntry(entry);
}

void EventsController::KeepEntry(const std::string& entry)
{
    if (!log_) {
        // Before the logon has said which profile's log this is.
        if (!logDir_.empty() && logProfile_.empty() && unkept_.size() < MessageLog::kMaxEntries)
            unkept_.push_back(entry);
        return;
    }
    std::string error;
    if (!log_->Append(entry, &error))
        mainForm_.StatusBar1()->SetNotice(
            tr("The messages could not be kept: %1").arg(QString::fromLocal8Bit(error.c_str())));
}

void EventsController::KeepMessages(bool keep)
{
    events_.Config().WriteFlag(kKeepMessagesKey, keep);
    for (const QPointer<TMessagesForm>& chat : chats_)
        if (chat)
            chat->KeepMessagesAction()->setChecked(keep);
    mainMessages_->KeepMessagesAction()->setChecked(keep);
    if (logDir_.empty())
        return;
    if (!keep) {
        // Not kept any more means not on disk any more either.
        if (log_)
            log_->Clear();
        log_.reset();
        return;
    }
    if (!log_) {
        logProfile_ = events_.Config().ProfilePath();
        log_ = std::make_unique<MessageLog>(MessageLog::FileFor(logDir_, logProfile_));
        log_->Load();
    }
}

void EventsController::ClearMessages()
{
    mainMessages_->IncomingEdit()->clear();
    if (log_)
        log_->Clear();
}

TMessagesForm* EventsController::OpenChat(int32_t partner)
{
    auto* chat = new TMessagesForm(writing_, Dispatcher().Router(), services_, tray_);
    chat->SetChatMode(true);
    chat->SetTarget(partner);
    WireMessagesForm(chat);
    chats_.removeAll(nullptr);
    chats_.append(chat);
    mainForm_.AddChildWindow(chat);
    return chat;
}

void EventsController::ShowWindow(QWidget* window)
{
    QWidget* frame = window->parentWidget() ? window->parentWidget() : window;
    frame->showNormal();
    frame->raise();
    if (auto* sub = qobject_cast<QMdiSubWindow*>(frame))
        mainForm_.MdiArea()->setActiveSubWindow(sub);
    else
        frame->activateWindow();
}

void EventsController::Pin(QWidget* window, bool pinned)
{
    auto* sub = qobject_cast<QMdiSubWindow*>(window->parentWidget());
    if (!pinned && sub) {
        // Out of the frame: a window of its own.
        const QSize size = window->size();
        sub->setWidget(nullptr);
        mainForm_.MdiArea()->removeSubWindow(sub);
        sub->deleteLater();
        window->setParent(nullptr);
        window->resize(size);
        window->show();
    } else if (pinned && !sub) {
        QMdiSubWindow* frame = mainForm_.AddChildWindow(window);
        if (window == mainMessages_ || window == activeUsers_)
            frame->setAttribute(Qt::WA_DeleteOnClose, false);
    }
}

void EventsController::TrayDblClick()
{
    BringToFront();
    if (tray_->State() == static_cast<int>(TrayAlert::Message))
        ShowWindow(mainMessages_);
    else
        emit ShowReadingWindowRequested();
    tray_->HideIcon();
}

void EventsController::TrayClick()
{
    if (tray_->Visible()) {
        TrayDblClick();
        return;
    }
    if (mainForm_.isVisible() && !mainForm_.isMinimized()) {
        mainForm_.hide();
        return;
    }
    if (!mainForm_.isVisible())
        mainForm_.show();
    BringToFront();
}

void EventsController::SendMessageTo(const QString& recipient)
{
    mainMessages_->TargetEdit()->SetText(recipient);
    ShowWindow(mainMessages_);
    mainMessages_->WriteMsgMemo()->setFocus();
}

void EventsController::SetEnabled(bool on)
{
    dispatch_->SetEnabled(on);
}

void EventsController::Disconnected()
{
    activeUsers_->SessionEnded();
    tray_->HideIcon();
    UpdateActions();
}

void EventsController::UpdateActions()
{
    mainMessages_->UpdateActions();
    activeUsers_->UpdateActions();
}

void EventsController::DeliverMessage(const IncomingMessage& message)
{
    Dispatcher().Router().Deliver(message);
}

void EventsController::AddSession(int32_t person, int32_t session, const std::string& personName,
                                  const std::string& client, const std::string& account, const std::string& host,
                                  const std::string& ident)
{
    activeUsers_->AddSession(person, session, personName, client, account, host, ident);
}

void EventsController::RemoveSession(int32_t person, int32_t session, const std::string& personName)
{
    activeUsers_->RemoveSession(person, session, personName);
}

void EventsController::UpdatePresence(const std::string& personName, const std::string& confName,
                                      int32_t session, const std::string& doing, const std::string& userName)
{
    activeUsers_->UpdatePresence(personName, confName, session, doing, userName);
}

void EventsController::ShowTray(TrayAlert state)
{
    tray_->ShowIcon(static_cast<int>(state));
}

void EventsController::SetNotifier(DesktopNotifier* notifier)
{
    if (notifier_)
        disconnect(notifier_, &DesktopNotifier::Activated, this, &EventsController::NotificationActivated);
    notifier_ = notifier ? notifier : defaultNotifier_;
    connect(notifier_, &DesktopNotifier::Activated, this, &EventsController::NotificationActivated);
}

void EventsController::Notify(const AlertNotice& notice)
{
    // Without a service the tray icon shown with it is the whole alert.
    if (!notifier_->Available())
        return;
    const QString sender = FromWire(notice.senderName);
    switch (notice.kind) {
    case AlertNotice::Kind::PersonalMessage:
        notifier_->Show(tr("Message from %1").arg(sender), FromWire(notice.firstLine),
                        QStringLiteral("message:%1").arg(notice.sender));
        break;
    case AlertNotice::Kind::GroupMessage:
        notifier_->Show(tr("Message from %1 to %2").arg(sender, FromWire(notice.recipientName)),
                        FromWire(notice.firstLine), QStringLiteral("message:%1").arg(notice.sender));
        break;
    case AlertNotice::Kind::Text:
        notifier_->Show(tr("New text %1 by %2").arg(notice.text).arg(sender), FromWire(notice.firstLine),
                        QStringLiteral("text:%1").arg(notice.text));
        break;
    }
}

void EventsController::NotificationActivated(const QString& tag)
{
    BringToFront();
    tray_->HideIcon();
    const QString kind = tag.section(QLatin1Char(':'), 0, 0);
    const int32_t number = tag.section(QLatin1Char(':'), 1).toInt();
    if (kind == QLatin1String("text")) {
        emit ShowReadingWindowRequested();
        emit ShowTextRequested(number);
        return;
    }
    // A chat with the sender has his messages; else the main messages window.
    for (const QPointer<TMessagesForm>& chat : chats_) {
        if (chat && chat->Partner() == number) {
            ShowWindow(chat);
            return;
        }
    }
    ShowWindow(mainMessages_);
}

void EventsController::SetStatusText(const std::string& text)
{
    mainForm_.StatusBar1()->SetNotice(CoreText(text));
}

void EventsController::BringToFront()
{
    if (mainForm_.isMinimized())
        mainForm_.showNormal();
    mainForm_.raise();
    mainForm_.activateWindow();
}

void EventsController::Beep()
{
    QApplication::beep();
}

void EventsController::RefreshConferenceList()
{
    if (refreshConferences_)
        refreshConferences_();
}

void EventsController::MessagesDropped(const std::string& notice)
{
    mainMessages_->AppendNotice(ToWire(CoreText(notice)));
}

} // namespace pellar
