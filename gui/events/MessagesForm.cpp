#include "gui/events/MessagesForm.h"

#include "gui/common/SpellAttachment.h"

#include <utility>

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDateTime>
#include <QHBoxLayout>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QTextBlock>
#include <QTextCursor>
#include <QToolBar>
#include <QVBoxLayout>

#include <chrono>

#include "core/config/ConfigKeys.h"
#include "core/config/TMiravoConfiguration.h"
#include "core/link/MVTransaction.h"
#include "core/wire/WireTokens.h"
#include "core/session/MVCache.h"
#include "core/writing/TextCommands.h"
#include "core/writing/WritingSession.h"
#include "gui/dialogs/GetNameForm.h"
#include "gui/dialogs/OfflineMessageForm.h"
#include "gui/common/QtCancellableGuiThread.h"
#include "gui/common/QtLocalePort.h"
#include "gui/events/IconTaskBar.h"
#include "gui/common/ArticleRenderer.h"
#include "gui/common/GuiServices.h"
#include "gui/common/UnencodablePrompt.h"
#include "gui/common/ToolBarOverflow.h"
#include "gui/common/WireCodec.h"
#include "gui/common/MiravoCompletionEdit.h"
#include "gui/common/MiravoTextEdit.h"

namespace pellar {

namespace {

std::string Now()
{
    return ToWire(QtLocalePort::DateTimeText(QDateTime::currentDateTime()));
}

int64_t NowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

TMessagesForm::TMessagesForm(WritingSession& session, MessageRouter& router, const GuiServices* services,
                             TIconTaskBar* tray, QWidget* parent)
    : QWidget(parent), session_(session), router_(router), services_(services), tray_(tray)
{
    setObjectName(QStringLiteral("MessagesForm"));
    setWindowTitle(tr("Send message"));
    sending_ = session_.Sending(std::make_unique<QtCancellableGuiThread>(this));
    resize(652, 480);

    CreateActions();
    QMenuBar* menuBar = BuildMenuBar();
    QToolBar* toolBar = BuildToolBar();
    QWidget* editors = BuildEditors();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    layout->setMenuBar(menuBar);
    layout->addWidget(toolBar);
    layout->addWidget(editors, 1);

    router_.Add(this);
    UpdateActions();
}

void TMessagesForm::CreateActions()
{
    pinAction_ = new QAction(QIcon::fromTheme(QStringLiteral("window-pin")), tr("Pin"), this);
    pinAction_->setObjectName(QStringLiteral("PinMessagesAction"));
    pinAction_->setCheckable(true);
    pinAction_->setChecked(true);
    sendAction_ = new QAction(tr("&Send message"), this);
    sendAction_->setObjectName(QStringLiteral("SendMessageAction"));
    sendAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    chatAction_ = new QAction(tr("&Chat..."), this);
    chatAction_->setObjectName(QStringLiteral("StartChatAction"));
    chatAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    offlineAction_ = new QAction(tr("Go &offline"), this);
    offlineAction_->setObjectName(QStringLiteral("GoOfflineAction"));
    offlineAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    for (QAction* a : {sendAction_, chatAction_, offlineAction_}) {
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        addAction(a);
    }
    connect(pinAction_, &QAction::toggled, this, &TMessagesForm::PinToggled);
    connect(sendAction_, &QAction::triggered, this, &TMessagesForm::SendMessageActionExecute);
    connect(chatAction_, &QAction::triggered, this, &TMessagesForm::StartChatActionExecute);
    connect(offlineAction_, &QAction::triggered, this, &TMessagesForm::GoOfflineActionExecute);
}

QMenuBar* TMessagesForm::BuildMenuBar()
{
    auto* menuBar = new QMenuBar(this);
    menuBar->setNativeMenuBar(false);
    QMenu* menu = menuBar->addMenu(tr("&Messages"));
    menu->addAction(sendAction_);
    menu->addAction(chatAction_);
    menu->addAction(offlineAction_);
    menu->addSeparator();
    keepAction_ = menu->addAction(tr("&Keep messages between runs"));
    keepAction_->setObjectName(QStringLiteral("KeepMessagesAction"));
    keepAction_->setCheckable(true);
    keepAction_->setStatusTip(tr("Keep the last 1000 messages of this profile for the next start"));
    clearAction_ = menu->addAction(tr("C&lear messages"));
    clearAction_->setObjectName(QStringLiteral("ClearMessagesAction"));
    clearAction_->setStatusTip(tr("Empty this log and forget the kept messages"));
    connect(keepAction_, &QAction::triggered, this, &TMessagesForm::KeepMessagesToggled);
    connect(clearAction_, &QAction::triggered, this, &TMessagesForm::ClearMessagesRequested);
    return menuBar;
}

QToolBar* TMessagesForm::BuildToolBar()
{
    auto* toolBar = new QToolBar(this);
    NameToolBarOverflow(toolBar);
    toolBar->addAction(pinAction_);
    toolBar->addSeparator();
    toolBar->addAction(sendAction_);
    toolBar->addAction(chatAction_);
    toolBar->addAction(offlineAction_);
    return toolBar;
}

// The log of messages above, the recipient and the message to send below.
QWidget* TMessagesForm::BuildEditors()
{
    incomingEdit_ = new TMiravoTextEdit(this);
    incomingEdit_->setObjectName(QStringLiteral("IncomingEdit"));
    incomingEdit_->setReadOnly(true);
    incomingEdit_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    incomingEdit_->setAccessibleName(tr("Messages"));
    incomingEdit_->SetAutoWrap(false);
    incomingEdit_->SetShowLine(false);
    incomingEdit_->setAcceptRichText(false);
    incomingEdit_->setLineWrapMode(QTextEdit::NoWrap);
    // Nobody edits the log: an undo stack would keep every message and every
    // trimmed block for ever.
    incomingEdit_->document()->setUndoRedoEnabled(false);

    writeMsgMemo_ = new QPlainTextEdit(this);
    writeMsgMemo_->setObjectName(QStringLiteral("WriteMsgMemo"));
    if (services_ && services_->spelling)
        SpellAttachment::Attach(writeMsgMemo_, services_->spelling);
    writeMsgMemo_->setAccessibleName(tr("Message"));
    writeMsgMemo_->setAccessibleDescription(tr("The message to send"));

    QHBoxLayout* targetRow = BuildTargetRow();
    auto* lower = new QWidget(this);
    auto* lowerLayout = new QVBoxLayout(lower);
    lowerLayout->setContentsMargins(0, 0, 0, 0);
    lowerLayout->addLayout(targetRow);
    lowerLayout->addWidget(writeMsgMemo_);

    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->addWidget(incomingEdit_);
    splitter->addWidget(lower);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 1);
    // Down the window: the log, the recipient row, the message.
    setTabOrder(incomingEdit_, targetEdit_);
    setTabOrder(targetEdit_, browseButton_);
    setTabOrder(browseButton_, sentToAllCheckBox_);
    setTabOrder(sentToAllCheckBox_, writeMsgMemo_);
    return splitter;
}

// The recipient: a name with completion and a browse button, or everyone.
QHBoxLayout* TMessagesForm::BuildTargetRow()
{
    sentToAllCheckBox_ = new QCheckBox(tr("To &everyone"), this);
    sentToAllCheckBox_->setObjectName(QStringLiteral("SentToAllCheckBox"));
    sentToAllCheckBox_->setToolTip(tr("Send the message to everyone?"));
    connect(sentToAllCheckBox_, &QCheckBox::toggled, this, &TMessagesForm::SentToAllCheckBoxClick);
    targetEdit_ = new TMiravoCompletionEdit(this);
    targetEdit_->setObjectName(QStringLiteral("TargetEdit"));
    targetEdit_->SetServices(services_);
    targetEdit_->SetConfTypes(TMVConfType::ctUsers | TMVConfType::ctConferences);
    browseButton_ = new QPushButton(QStringLiteral("..."), this);
    browseButton_->setObjectName(QStringLiteral("BrowseButton"));
    browseButton_->setAccessibleName(tr("Complete the name"));
    browseButton_->setFixedWidth(browseButton_->fontMetrics().horizontalAdvance(QStringLiteral("....")) + 16);
    connect(browseButton_, &QPushButton::clicked, targetEdit_, &TMiravoCompletionEdit::Complete);

    auto* targetRow = new QHBoxLayout;
    auto* targetLabel = new QLabel(tr("To:"), this);
    targetLabel->setBuddy(targetEdit_);
    targetRow->addWidget(targetLabel);
    targetRow->addWidget(targetEdit_, 1);
    targetRow->addWidget(browseButton_);
    targetRow->addWidget(sentToAllCheckBox_);
    return targetRow;
}

TMessagesForm::~TMessagesForm()
{
    // Nothing more answers into the window while it goes.
    sending_->Stop();
    router_.Remove(this);
}

bool TMessagesForm::Deliver(const IncomingMessage& message, bool chatOnly)
{
    const int32_t me = session_.CurrentPerson();
    if (!AcceptsMessage(chat_, partner_, message.sender, message.recipient, me, chatOnly))
        return false;
    const std::string recipientName = message.recipient == 0 ? ToWire(tr("Everyone")) : message.recipientName;
    AppendEntry(ReceivedMessageEntry(Now(), recipientName, message.senderName, message.text, QtLocalePort()),
                kLongestShownMessage);
    if (away_)
        AutoReply(message.sender, message.recipient);
    return true;
}

void TMessagesForm::AutoReply(int32_t sender, int32_t recipient)
{
    if (!awayForm_)
        return;
    if (!throttle_.ShouldReply(sender, recipient, session_.CurrentPerson(), awayForm_->ReplyToAll(), NowMs()))
        return;
    SendTo(sender, CleanOutgoingMessage(ToWire(awayForm_->Message())));
    if (awayForm_)
        awayForm_->SetSendCount(
            QString::fromStdString(IncrementCount(ToWire(awayForm_->SendCountEdit()->text()))).toInt());
}

void TMessagesForm::SendTo(int32_t recipient, const std::string& text, MessageSending::Done done,
                           std::string knownName)
{
    sending_->Send(recipient, text, std::move(knownName), std::move(done));
}

void TMessagesForm::SendMessageActionExecute()
{
    if (tray_ && tray_->Visible())
        tray_->HideIcon();
    if (!session_.IsConnected()) {
        session_.PostUserMessage("!Not connected");
        return;
    }
    int32_t recipient = 0;
    if (!sentToAllCheckBox_->isChecked()) {
        recipient = targetEdit_->ConferenceNumber();
        if (recipient < 0)
            return;
    }
    if (!ConfirmSendable(this, writeMsgMemo_->toPlainText()))
        return;
    const std::string text = CleanOutgoingMessage(ToWire(writeMsgMemo_->toPlainText()));
    // The entry is written whether or not the server took the message; a
    // refusal shows the server's error as well. The recipient's field holds
    // the name it resolved; any other is looked up with the sending.
    const std::string known = recipient != 0 && targetEdit_->IsOK() ? ToWire(targetEdit_->text()) : std::string();
    SendTo(
        recipient, text,
        [this, text, recipient, when = Now()](bool, const std::string& name) {
            AppendEntry(SentMessageEntry(when, recipient == 0 ? ToWire(tr("all users")) : name, text, QtLocalePort()));
        },
        known);
    writeMsgMemo_->clear();
}

void TMessagesForm::StartChatActionExecute()
{
    const int32_t partner = chatChooser_ ? chatChooser_()
                                         : TGetNameForm::Prompt(services_, this, tr("Chat"), QString(),
                                                                TMVConfType::ctUsers | TMVConfType::ctConferences);
    if (partner > 0)
        emit ChatRequested(partner);
}

void TMessagesForm::GoOfflineActionExecute()
{
    if (awayForm_) {
        awayForm_->raise();
        awayForm_->activateWindow();
        return;
    }
    away_ = true;
    awayForm_ = new TOfflineMessageForm(this);
    awayForm_->setAttribute(Qt::WA_DeleteOnClose);
    connect(awayForm_, &TOfflineMessageForm::Showing, this, [this] {
        awayForm_->SetMessage(FromWire(session_.Config().ReadString("OfflineMessage", "")));
        awayForm_->SetReplyToAll(session_.Config().ReadFlag("OfflineReplyToAll", false));
    });
    connect(awayForm_, &TOfflineMessageForm::Hidden, this, [this](const QString& message, bool replyToAll) {
        session_.Config().WriteString("OfflineMessage", ToWire(message));
        session_.Config().WriteFlag("OfflineReplyToAll", replyToAll);
    });
    connect(awayForm_, &QObject::destroyed, this, [this] {
        awayForm_ = nullptr;
        away_ = false;
    });
    awayForm_->show();
}

void TMessagesForm::SetChatMode(bool chat)
{
    chat_ = chat;
    targetEdit_->setEnabled(!chat && !sentToAllCheckBox_->isChecked());
    sentToAllCheckBox_->setEnabled(!chat);
    browseButton_->setEnabled(!chat);
}

void TMessagesForm::SetTarget(int32_t number)
{
    partner_ = number;
    targetEdit_->SetConferenceNumber(number);
}

void TMessagesForm::SentToAllCheckBoxClick()
{
    targetEdit_->setEnabled(!sentToAllCheckBox_->isChecked() && !chat_);
}

void TMessagesForm::UpdateActions()
{
    SentToAllCheckBoxClick();
    if (sentToAllCheckBox_->isChecked())
        targetEdit_->clear();
    const bool online = session_.IsConnected();
    for (QAction* a : {sendAction_, chatAction_, offlineAction_})
        a->setEnabled(online);
}

void TMessagesForm::RestoreEntries(const std::deque<std::string>& entries)
{
    // Shown again, not received again: nothing goes to the sink.
    const auto sink = std::exchange(entrySink_, {});
    const QString later = incomingEdit_->toPlainText();
    incomingEdit_->clear();
    for (const std::string& entry : entries)
        AppendEntry(entry);
    if (!later.isEmpty())
        AppendEntry(ToWire(later));
    entrySink_ = sink;
}

void TMessagesForm::AppendNotice(const std::string& notice)
{
    const auto sink = std::exchange(entrySink_, {});
    AppendEntry(notice + "\r\n");
    entrySink_ = sink;
}

void TMessagesForm::AppendEntry(const std::string& entry, qsizetype shownLimit)
{
    if (entrySink_)
        entrySink_(entry);
    QString text = FromWire(entry);
    if (shownLimit >= 0 && text.size() > shownLimit) {
        const qsizetype rest = text.size() - shownLimit;
        text.truncate(shownLimit);
        text += tr("\n[%1 more characters not shown]\n").arg(rest);
    }
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    // The font's format is made again only when the setting changed.
    const std::string font = session_.Config().ReadString("MessageFont", kDefaultMessageFont);
    if (!formatMade_ || font != formatFont_) {
        entryFormat_ = QTextCharFormat();
        entryFormat_.setFont(ArticleRenderer::FontFromString(font));
        entryFormat_.setForeground(ArticleRenderer::ReadableColor(font, incomingEdit_->palette()));
        formatFont_ = font;
        formatMade_ = true;
    }
    QTextCursor cursor(incomingEdit_->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(text, entryFormat_);  // plain text: server words are never markup
    if (tidyQueued_)
        return;
    tidyQueued_ = true;
    QMetaObject::invokeMethod(this, [this] { TidyLog(); }, Qt::QueuedConnection);
}

void TMessagesForm::TidyLog()
{
    tidyQueued_ = false;
    // The window keeps the newest blocks only: a flood of messages must not
    // take all memory. Dropping the oldest moves every block after them and
    // showing the end lays the document out down to it, so both are done once
    // per turn of the event loop, not once per message of a burst, and the
    // oldest go an eighth of the bound at a time. The bound is read each time,
    // so a changed setting counts at once.
    const int setting = session_.Config().ReadInt(ConfigKeys::MessagesKept, 5000);
    const int kept = setting > 0 ? setting : 5000;
    QTextDocument* document = incomingEdit_->document();
    if (const int extra = document->blockCount() - kept; extra > kept / 8) {
        // By position: moving block by block would lay out each line it passes.
        QTextCursor oldest(document);
        oldest.setPosition(document->findBlockByNumber(extra).position(), QTextCursor::KeepAnchor);
        oldest.removeSelectedText();
    }
    QTextCursor end(document);
    end.movePosition(QTextCursor::End);
    incomingEdit_->setTextCursor(end);
    incomingEdit_->ensureCursorVisible();
}

void TMessagesForm::closeEvent(QCloseEvent* event)
{
    if (main_) {
        event->ignore();
        QWidget* frame = parentWidget() ? parentWidget() : this;
        frame->showMinimized();
        return;
    }
    // A chat window goes, with its frame when it has one.
    setAttribute(Qt::WA_DeleteOnClose);
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget()))
        frame->deleteLater();
    QWidget::closeEvent(event);
}

void TMessagesForm::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        UpdateActions();
    QWidget::changeEvent(event);
}

void TMessagesForm::showEvent(QShowEvent* event)
{
    UpdateActions();
    QWidget::showEvent(event);
}

} // namespace pellar
