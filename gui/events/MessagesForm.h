// "Send message": the running log of messages received and sent, and the
// field to write one. The main messages window lives for the whole run
// (closing minimises it); chat windows are bound to one partner. What goes
// where and when to answer automatically is decided in core/events.
#pragma once

#include <QTextCharFormat>
#include <QWidget>

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>

#include "core/events/AutoReplyThrottle.h"
#include "core/events/MessageRouter.h"
#include "core/writing/MessageSending.h"

class QAction;
class QCheckBox;
class QHBoxLayout;
class QMenuBar;
class QPlainTextEdit;
class QPushButton;
class QToolBar;

namespace pellar {

class TIconTaskBar;
class TMiravoCompletionEdit;
class TMiravoTextEdit;
class TOfflineMessageForm;
class WritingSession;
struct GuiServices;

class TMessagesForm : public QWidget, public MessageTarget {
    Q_OBJECT

public:
    TMessagesForm(WritingSession& session, MessageRouter& router, const GuiServices* services, TIconTaskBar* tray,
                  QWidget* parent = nullptr);
    ~TMessagesForm() override;

    // MessageTarget; on the GUI thread.
    bool Deliver(const IncomingMessage& message, bool chatOnly) override;

    void SetChatMode(bool chat);
    bool ChatMode() const { return chat_; }
    void SetTarget(int32_t number);
    int32_t Partner() const { return partner_; }
    bool Away() const { return away_; }
    // The main messages window is minimised instead of closed.
    void SetMainWindow(bool main) { main_ = main; }

    // Enables the actions and the target field by the connection state.
    void UpdateActions();
    // Who the "Chat..." command talks to; unset: the name prompt titled "Chat".
    void SetChatChooser(std::function<int32_t()> chooser) { chatChooser_ = std::move(chooser); }

    // Where each new entry of the log also goes (the kept log); unset: nowhere.
    void SetEntrySink(std::function<void(const std::string&)> sink) { entrySink_ = std::move(sink); }
    // These entries go before what the log shows.
    void RestoreEntries(const std::deque<std::string>& entries);
    // A line of the program's own (messages a flood made it drop): shown,
    // not kept in the messages log.
    void AppendNotice(const std::string& notice);
    // The most characters of one received message the window shows.
    static constexpr qsizetype kLongestShownMessage = 16384;

    void SendMessageActionExecute();
    void StartChatActionExecute();
    void GoOfflineActionExecute();

    TMiravoTextEdit* IncomingEdit() const { return incomingEdit_; }
    QPlainTextEdit* WriteMsgMemo() const { return writeMsgMemo_; }
    QCheckBox* SentToAllCheckBox() const { return sentToAllCheckBox_; }
    TMiravoCompletionEdit* TargetEdit() const { return targetEdit_; }
    QPushButton* BrowseButton() const { return browseButton_; }
    TOfflineMessageForm* AwayForm() const { return awayForm_; }
    QAction* PinMessagesAction() const { return pinAction_; }
    QAction* SendMessageAction() const { return sendAction_; }
    QAction* StartChatAction() const { return chatAction_; }
    QAction* GoOfflineAction() const { return offlineAction_; }
    QAction* KeepMessagesAction() const { return keepAction_; }
    QAction* ClearMessagesAction() const { return clearAction_; }

signals:
    void ChatRequested(int32_t partner);
    void PinToggled(bool pinned);
    // Messages menu: keep the log between runs, and clear it.
    void KeepMessagesToggled(bool keep);
    void ClearMessagesRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // The constructor's parts, called in this order (it is the order of
    // the widgets, and so of the focus chain).
    void CreateActions();
    QMenuBar* BuildMenuBar();
    QToolBar* BuildToolBar();
    QWidget* BuildEditors();
    QHBoxLayout* BuildTargetRow();

    // shownLimit: the most characters of the entry shown (the sink gets it whole).
    void AppendEntry(const std::string& entry, qsizetype shownLimit = -1);
    void TidyLog();
    void AutoReply(int32_t sender, int32_t recipient);
    // Sends on the sending worker; the log entry, if any, when it answered.
    void SendTo(int32_t recipient, const std::string& text, MessageSending::Done done = {},
                std::string knownName = {});
    void SentToAllCheckBoxClick();

    WritingSession& session_;
    MessageRouter& router_;
    const GuiServices* services_;
    TIconTaskBar* tray_;
    bool chat_ = false;
    bool main_ = false;
    bool away_ = false;
    // Trimming to the bound and showing the newest entry are queued for the
    // next turn of the event loop.
    bool tidyQueued_ = false;
    // The entries' format and the font setting it was made from.
    QTextCharFormat entryFormat_;
    std::string formatFont_;
    bool formatMade_ = false;
    int32_t partner_ = 0;
    AutoReplyThrottle throttle_;
    std::function<int32_t()> chatChooser_;
    std::function<void(const std::string&)> entrySink_;

    TMiravoTextEdit* incomingEdit_;
    QPlainTextEdit* writeMsgMemo_;
    QCheckBox* sentToAllCheckBox_;
    TMiravoCompletionEdit* targetEdit_;
    // Last: its worker, which answers into this window, stops first.
    std::unique_ptr<MessageSending> sending_;
    QPushButton* browseButton_;
    TOfflineMessageForm* awayForm_ = nullptr;
    QAction* pinAction_;
    QAction* sendAction_;
    QAction* chatAction_;
    QAction* offlineAction_;
    QAction* keepAction_;
    QAction* clearAction_;
};

} // namespace pellar
