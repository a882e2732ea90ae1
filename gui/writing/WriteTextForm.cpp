#include "gui/writing/WriteTextForm.h"

#include "gui/common/SpellAttachment.h"
#include "gui/common/WindowFrame.h"

#include "core/config/ConfigKeys.h"
#include "core/config/TMiravoConfiguration.h"
#include "core/wire/DateTime.h"
#include "core/wire/TMiravoText.h"
#include "core/wire/TextStatType.h"
#include "core/wire/WireTokens.h"
#include "core/reading/ArticleLayout.h"
#include "core/writing/WritingSession.h"
#include "gui/dialogs/GetNameForm.h"
#include "gui/common/QtCancellableGuiThread.h"
#include "gui/dialogs/NoteOnDoorForm.h"
#include "gui/common/ArticleRenderer.h"
#include "gui/common/ToolBarOverflow.h"
#include "gui/common/GuiServices.h"
#include "gui/common/MainWindow.h"
#include "gui/common/MainStatusBar.h"
#include "gui/common/UnencodablePrompt.h"
#include "gui/common/WireCodec.h"
#include "gui/writing/DraftKeeper.h"
#include "gui/common/MiravoTextEdit.h"

#include <QLocale>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSplitter>
#include <QTextBlock>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace pellar {

namespace {

QAction* MakeAction(QObject* parent, const char* name, const QString& caption, const QString& hint,
                    const QKeySequence& shortcut = {})
{
    auto* action = new QAction(caption, parent);
    action->setObjectName(QString::fromLatin1(name));
    action->setStatusTip(hint);
    action->setToolTip(hint.isEmpty() ? QString(caption).remove(QLatin1Char('&')) : hint);
    if (!shortcut.isEmpty()) {
        action->setShortcut(shortcut);
        // Shortcuts belong to this window, not to every window of the MDI area.
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    }
    return action;
}

} // namespace

TWriteTextForm::TWriteTextForm(WritingSession& session, const GuiServices* services, MainWindow* mainForm,
                               std::function<void(const std::string&)> activity, QWidget* parent)
    : QMainWindow(parent),
      session_(session),
      services_(services),
      mainForm_(mainForm),
      writing_(session.Services(std::move(activity))),
      model_(std::make_unique<TextComposition>(*writing_, static_cast<WritingUi&>(*this),
                                               std::make_unique<QtCancellableGuiThread>(this)))
{
    setObjectName(QStringLiteral("WriteTextForm"));
    setWindowTitle(tr("Write text"));
    // A new presentation's labels in the user's language.
    model_->SetPresentationLanguage(QLocale().name().toStdString(), ActiveWireCharset());
    setAttribute(Qt::WA_DeleteOnClose);
    CreateControls();
    CreateActions();
    CreateMenus();
    resize(640, 480);
    // The main window clears the caret panel when another child window
    // becomes active; this window puts its caret back when it is again.
    if (mainForm_)
        connect(mainForm_->MdiArea(), &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* sub) {
            if (sub && sub->widget() == this && mainForm_->StatusBar1())
                mainForm_->StatusBar1()->SetKeyCommand(caretText_);
        });
}

TWriteTextForm::~TWriteTextForm()
{
    // Gone without a close (the frame went, the program quit): keep the text.
    if (drafts_ && !finished_)
        drafts_->SaveNow();
    // The worker may still hand rows over; it must not find a half-gone
    // window. Going without a close asks nothing: the hand-over is called off
    // and the worker ends before the widgets go.
    model_.reset();
}

void TWriteTextForm::CreateControls()
{
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(4, 4, 4, 4);

    listView_ = new QTreeWidget(central);
    listView_->setObjectName(QStringLiteral("ListView"));
    listView_->setAccessibleName(tr("Recipients"));
    listView_->setAccessibleDescription(tr("Recipients, copies and the texts this one comments"));
    listView_->setHeaderLabels({tr("Type"), QStringLiteral("#"), tr("Name")});
    listView_->setColumnWidth(0, 110);
    listView_->setColumnWidth(1, 70);
    listView_->setColumnWidth(2, 400);
    listView_->setRootIsDecorated(false);
    listView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    listView_->setSelectionMode(QAbstractItemView::SingleSelection);
    listView_->installEventFilter(this);

    auto* subjectRow = new QHBoxLayout;
    auto* subjectLabel = new QLabel(tr("Subject:"), central);
    subjectEdit_ = new QLineEdit(central);
    subjectEdit_->setObjectName(QStringLiteral("SubjectEdit"));
    subjectLabel->setBuddy(subjectEdit_);
    subjectEdit_->installEventFilter(this);
    subjectRow->addWidget(subjectLabel);
    subjectRow->addWidget(subjectEdit_);

    writeTextEdit_ = new TMiravoTextEdit(central);
    writeTextEdit_->setObjectName(QStringLiteral("WriteTextEdit"));
    writeTextEdit_->setAccessibleName(tr("Text"));
    writeTextEdit_->setAcceptRichText(false);
    writeTextEdit_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    writeTextEdit_->setLineWrapMode(QTextEdit::NoWrap);
    writeTextEdit_->setTabChangesFocus(false);
    writeTextEdit_->SetAutoWrap(false);
    writeTextEdit_->installEventFilter(this);
    if (services_ && services_->spelling) {
        SpellAttachment::Attach(subjectEdit_, services_->spelling);
        SpellAttachment::Attach(writeTextEdit_, services_->spelling);
    }

    auto* splitter = new QSplitter(Qt::Vertical, central);
    splitter->addWidget(listView_);
    auto* lower = new QWidget(splitter);
    auto* lowerLayout = new QVBoxLayout(lower);
    lowerLayout->setContentsMargins(0, 0, 0, 0);
    lowerLayout->addLayout(subjectRow);
    lowerLayout->addWidget(writeTextEdit_);
    splitter->addWidget(lower);
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 4);
    layout->addWidget(splitter);
    setCentralWidget(central);

    connect(subjectEdit_, &QLineEdit::textChanged, this, [this](const QString& text) {
        model_->SetSubject(ToWire(text));
        TextEdited();
    });
    connect(writeTextEdit_, &QTextEdit::textChanged, this, [this] {
        if (!updatingBody_)
            model_->SetBody(ToWire(writeTextEdit_->toPlainText()));
        UpdateCaretAndClipboard();
        TextEdited();
    });
    connect(writeTextEdit_, &QTextEdit::cursorPositionChanged, this, &TWriteTextForm::UpdateCaretAndClipboard);
    connect(writeTextEdit_, &QTextEdit::selectionChanged, this, &TWriteTextForm::UpdateCaretAndClipboard);
}

void TWriteTextForm::CreateActions()
{
    SubmitTextAction = MakeAction(this, "SubmitTextAction", tr("&Submit text"),
                                  tr("Submit the text"), QKeySequence(Qt::CTRL | Qt::Key_S));
    TrashTextAction = MakeAction(this, "TrashTextAction", tr("&Trash text"), QString());
    AddRcptAction = MakeAction(this, "AddRcptAction", tr("Add &recipient"),
                               tr("Adds a recipient to the text"), QKeySequence(Qt::CTRL | Qt::Key_A));
    AddCCRcptAction = MakeAction(this, "AddCCRcptAction", tr("Add &CC recipient"),
                                 tr("Adds a carbon copy recipient"), QKeySequence(Qt::CTRL | Qt::Key_Q));
    AddComToAction = MakeAction(this, "AddComToAction", tr("Add as c&omment to..."),
                                tr("Lists this text as a comment to another text"));
    ReadConfirmationAction =
        MakeAction(this, "ReadConfirmationAction", tr("Request read &confirmation"),
                   tr("Request read confirmation  from the readers"),
                   QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
    NoCommentsAction = MakeAction(this, "NoCommentsAction", tr("No &comments"),
                                  tr("Indicate that you don't want replies to this message"),
                                  QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N));
    PersonalCommentsAction =
        MakeAction(this, "PersonalCommentsAction", tr("Only &personal comments"),
                   tr("Indicate that you only want private comments to this message"),
                   QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P));
    PinWriteFormAction = MakeAction(this, "PinWriteFormAction", tr("P&in window"),
                                    tr("Pins or unpins the window to the main window"));
    ClipboardCopyAction = MakeAction(this, "ClipboardCopyAction", tr("&Copy"),
                                     tr("Copy selected text to the clipboard"),
                                     QKeySequence(Qt::CTRL | Qt::Key_C));
    ClipboardCutAction = MakeAction(this, "ClipboardCutAction", tr("C&ut"),
                                    tr("Cut out current selection and place it in the clipboard"),
                                    QKeySequence(Qt::CTRL | Qt::Key_X));
    ClipboardPasteAction = MakeAction(this, "ClipboardPasteAction", tr("&Paste"),
                                      tr("Paste clipboard content at cursor position"),
                                      QKeySequence(Qt::CTRL | Qt::Key_V));

    for (QAction* check : {ReadConfirmationAction, NoCommentsAction, PersonalCommentsAction, PinWriteFormAction})
        check->setCheckable(true);
    PinWriteFormAction->setChecked(mainForm_ != nullptr);
    ClipboardCopyAction->setEnabled(false);
    ClipboardCutAction->setEnabled(false);
    for (QAction* action : {SubmitTextAction, TrashTextAction, AddRcptAction, AddCCRcptAction, AddComToAction,
                            ReadConfirmationAction, NoCommentsAction, PersonalCommentsAction, PinWriteFormAction,
                            ClipboardCopyAction, ClipboardCutAction, ClipboardPasteAction})
        addAction(action);

    connect(SubmitTextAction, &QAction::triggered, this, &TWriteTextForm::SubmitTextActionExecute);
    connect(TrashTextAction, &QAction::triggered, this, [this] { model_->ConfirmTrash(); });
    connect(AddRcptAction, &QAction::triggered, this, [this] { AddRcptActionExecute(false); });
    connect(AddCCRcptAction, &QAction::triggered, this, [this] { AddRcptActionExecute(true); });
    connect(AddComToAction, &QAction::triggered, this, &TWriteTextForm::AddComToActionExecute);
    connect(ReadConfirmationAction, &QAction::toggled, this,
            [this](bool on) { model_->Checks().readConfirmation = on; });
    connect(NoCommentsAction, &QAction::toggled, this, [this](bool on) { model_->Checks().noComments = on; });
    connect(PersonalCommentsAction, &QAction::toggled, this,
            [this](bool on) { model_->Checks().personalComments = on; });
    connect(PinWriteFormAction, &QAction::triggered, this, &TWriteTextForm::PinWriteFormActionExecute);
    connect(ClipboardCopyAction, &QAction::triggered, this, &TWriteTextForm::ClipboardCopyActionExecute);
    connect(ClipboardCutAction, &QAction::triggered, this, [this] {
        if (writeTextEdit_->hasFocus())
            writeTextEdit_->cut();
    });
    connect(ClipboardPasteAction, &QAction::triggered, this, [this] {
        if (writeTextEdit_->hasFocus())
            writeTextEdit_->paste();
    });
    // The link list copies a row, so Copy follows its selection too.
    connect(listView_, &QTreeWidget::itemSelectionChanged, this, &TWriteTextForm::UpdateCaretAndClipboard);
}

void TWriteTextForm::CreateMenus()
{
    QMenu* edit = menuBar()->addMenu(tr("&Edit"));
    edit->setObjectName(QStringLiteral("EditMenu"));
    edit->addActions({ClipboardCopyAction, ClipboardCutAction, ClipboardPasteAction});

    QMenu* text = menuBar()->addMenu(tr("&New text"));
    text->setObjectName(QStringLiteral("NewTextMenu"));
    text->addActions({SubmitTextAction, TrashTextAction});
    text->addSeparator();
    text->addActions({AddRcptAction, AddCCRcptAction, AddComToAction});
    text->addSeparator();
    text->addActions({ReadConfirmationAction, NoCommentsAction, PersonalCommentsAction});

    QToolBar* textBar = addToolBar(tr("Text"));
    textBar->setObjectName(QStringLiteral("TextToolBar"));
    NameToolBarOverflow(textBar);
    textBar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    textBar->addActions({SubmitTextAction, TrashTextAction});
    textBar->addSeparator();
    textBar->addActions({AddRcptAction, AddCCRcptAction, AddComToAction});
    textBar->addSeparator();
    textBar->addActions({ReadConfirmationAction, NoCommentsAction, PersonalCommentsAction});
    textBar->addSeparator();
    textBar->addAction(PinWriteFormAction);
}

void TWriteTextForm::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    writeTextEdit_->setAcceptRichText(false);
    ApplyBodyFont();
    SetActionsEnabled(actionsEnabled_);
}

void TWriteTextForm::ApplyBodyFont()
{
    const TMiravoConfiguration& config = session_.Config();
    const QFont font = ArticleRenderer::FontFromString(
        config.ReadString(ConfigKeys::BodyFont, kDefaultBodyFont));
    writeTextEdit_->setFont(font);
    QTextCharFormat format;
    format.setFont(font);
    format.setForeground(palette().color(QPalette::WindowText));
    writeTextEdit_->setCurrentCharFormat(format);
}

void TWriteTextForm::Start()
{
    const bool replying = model_->FocusBodyFlag();
    model_->Start();
    // Where the user writes first: the body of a reply or of a text whose
    // subject is given, else the subject.
    if (replying || !subjectEdit_->text().isEmpty()) {
        writeTextEdit_->setFocus(Qt::OtherFocusReason);
        writeTextEdit_->moveCursor(QTextCursor::End);
    } else {
        subjectEdit_->setFocus(Qt::OtherFocusReason);
    }
    startSubject_ = subjectEdit_->text();
    startBody_ = writeTextEdit_->toPlainText();
}

void TWriteTextForm::KeepDrafts(const DraftStore& store, const std::string& profile, const DraftPlace& place)
{
    if (drafts_)
        return;
    drafts_ = new DraftKeeper(
        store, profile, place, [this] { return HasUnsentText() ? model_->ToDraft() : Draft{}; }, this);
    connect(drafts_, &DraftKeeper::SaveFailed, this, [this](const QString& why) {
        if (mainForm_ && mainForm_->StatusBar1())
            mainForm_->StatusBar1()->SetNotice(why);
    });
}

void TWriteTextForm::RestoreDraft(const Draft& draft)
{
    model_->PrefillDraft(draft);
    ReadConfirmationAction->setChecked(draft.checks.readConfirmation);
    NoCommentsAction->setChecked(draft.checks.noComments);
    PersonalCommentsAction->setChecked(draft.checks.personalComments);
    restored_ = true;
    if (drafts_)
        drafts_->Adopt(draft.id);
}

bool TWriteTextForm::HasUnsentText() const
{
    if (finished_)
        return false;
    const QString subject = subjectEdit_->text();
    const QString body = writeTextEdit_->toPlainText();
    if (restored_)
        return !subject.isEmpty() || !body.isEmpty();
    return (subject != startSubject_ && !subject.isEmpty()) || (body != startBody_ && !body.isEmpty());
}

void TWriteTextForm::KeepForQuit()
{
    quitting_ = true;
    if (drafts_ && !finished_)
        drafts_->SaveNow();
}

void TWriteTextForm::TextEdited()
{
    if (drafts_)
        drafts_->Changed();
}

bool TWriteTextForm::Connected() const
{
    return session_.IsConnected();
}

// --- The model's questions and changes -------------------------------------

bool TWriteTextForm::AskYesNo(const std::string& question)
{
    const QString text = FromWire(question);
    if (answer_)
        return answer_(text);
    return QMessageBox::warning(this, QStringLiteral("Pellar"), text, QMessageBox::Yes | QMessageBox::No,
                                QMessageBox::No) == QMessageBox::Yes;
}

void TWriteTextForm::RowsChanged()
{
    listView_->clear();
    for (const LinkRow& row : model_->Links().Rows()) {
        auto* item = new QTreeWidgetItem(listView_);
        item->setText(0, FromWire(LinkList::TypeText(row.kind)));
        item->setText(1, QString::number(row.number));
        item->setText(2, FromWire(row.name));
    }
}

void TWriteTextForm::SubjectChanged(const std::string& subject)
{
    subjectEdit_->setText(FromWire(subject));
}

void TWriteTextForm::BodyChanged(const std::string& body)
{
    updatingBody_ = true;
    writeTextEdit_->setPlainText(FromWire(body));
    updatingBody_ = false;
}

void TWriteTextForm::FocusBody()
{
    writeTextEdit_->setFocus();
}

void TWriteTextForm::SetActionsEnabled(bool enabled)
{
    actionsEnabled_ = enabled;
    const bool on = enabled && Connected();
    for (QAction* action : {SubmitTextAction, AddRcptAction, AddCCRcptAction, AddComToAction})
        action->setEnabled(on);
    TrashTextAction->setEnabled(true);
}

void TWriteTextForm::ShowNoteOnDoor(int32_t text)
{
    // Modal: the recipients worker waits here until the user has read it.
    TNoteOnDoorForm note(this);
    auto body = writing_->GetText(text);
    auto stat = writing_->GetTextStat(text);
    if (body && stat) {
        const DateTimeParts t = DecodeDateTime(stat->CreationTime());
        const QDateTime created(QDate(t.year, t.month, t.day), QTime(t.hour, t.minute, t.second));
        note.ShowText(FromWire(body->Subject()), created, FromWire(ArticleLayout::ReformatBody(body->Body())));
    } else {
        note.Clear();
    }
    note.exec();
}

void TWriteTextForm::PostTrashQuestion()
{
    QMetaObject::invokeMethod(this, [this] { model_->ConfirmTrash(); }, Qt::QueuedConnection);
}

void TWriteTextForm::Close()
{
    // Sent or trashed: nothing left to keep or to ask about.
    finished_ = true;
    if (drafts_)
        drafts_->Finish();
    QMetaObject::invokeMethod(this, &TWriteTextForm::CloseWindow, Qt::QueuedConnection);
}

void TWriteTextForm::CloseWindow()
{
    CloseWithFrame(this);
}

TWriteTextForm::CloseChoice TWriteTextForm::AskClose()
{
    const QString question = drafts_ ? tr("This text has not been submitted.\n\nKeep it as a draft? "
                                                      "It is offered again the next time you connect.")
                                     : tr("This text has not been submitted.\n\nDiscard it?");
    if (closeAnswer_)
        return closeAnswer_(question);
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Pellar"), question, QMessageBox::NoButton, this);
    QPushButton* keep = drafts_ ? box.addButton(tr("&Keep draft"), QMessageBox::AcceptRole) : nullptr;
    QPushButton* discard = box.addButton(tr("&Discard"), QMessageBox::DestructiveRole);
    QPushButton* cancel = box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(keep ? keep : cancel);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == keep)
        return CloseChoice::Keep;
    if (box.clickedButton() == discard)
        return CloseChoice::Discard;
    return CloseChoice::Cancel;
}

void TWriteTextForm::closeEvent(QCloseEvent* event)
{
    if (!quitting_ && HasUnsentText()) {
        switch (AskClose()) {
        case CloseChoice::Cancel:
            event->ignore();
            return;
        case CloseChoice::Keep:
            if (drafts_)
                drafts_->SaveNow();
            break;
        case CloseChoice::Discard:
            if (drafts_)
                drafts_->Finish();
            break;
        }
        // Asked once: the destructor must not save what was just discarded.
        finished_ = true;
    }
    // The recipients worker may be waiting for this thread: release it,
    // dropping what it would still show, and let it end before the window goes.
    model_->StopWorker();
    if (mainForm_ && mainForm_->StatusBar1())
        mainForm_->StatusBar1()->SetKeyCommand(QString());
    event->accept();
}

// --- Actions -----------------------------------------------------------------

void TWriteTextForm::SubmitTextActionExecute()
{
    if (!ConfirmSendable(this, subjectEdit_->text() + QLatin1Char('\n') + writeTextEdit_->toPlainText()))
        return;
    model_->SetSubject(ToWire(subjectEdit_->text()));
    model_->SetBody(ToWire(writeTextEdit_->toPlainText()));
    const SubmitResult result = model_->Submit();
    if (result.outcome != SubmitOutcome::Submitted)
        return;
    if (mainForm_ && mainForm_->StatusBar1())
        mainForm_->StatusBar1()->SetNotice(tr("Text %1 created.").arg(result.text));
    emit Submitted(result.text);
}

void TWriteTextForm::AddRcptActionExecute(bool carbonCopy)
{
    const QString title = carbonCopy ? tr("Add carbon copy recipient") : tr("Add recipient");
    const int32_t number = TGetNameForm::Prompt(services_, this, title, QString(),
                                                TMVConfType::ctUsers | TMVConfType::ctConferences);
    if (number > 0)
        model_->AddRecipient(number, carbonCopy);
}

void TWriteTextForm::AddComToActionExecute()
{
    bool ok = false;
    const QString answer = QInputDialog::getText(this, tr("Add comment to text"),
                                                 tr("What text is this a comment to?"),
                                                 QLineEdit::Normal, QString(), &ok);
    if (ok)
        model_->AddCommentTo(ToWire(answer.trimmed()));
}

void TWriteTextForm::PinWriteFormActionExecute(bool pinned)
{
    if (!mainForm_)
        return;
    auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget());
    if (!pinned && sub) {
        const QPoint where = mapToGlobal(QPoint(0, 0));
        sub->setWidget(nullptr);
        setParent(nullptr, Qt::Window);
        setAttribute(Qt::WA_DeleteOnClose);
        sub->close();
        move(where);
        show();
    } else if (pinned && !sub) {
        mainForm_->AddChildWindow(this);
    }
}

void TWriteTextForm::ClipboardCopyActionExecute()
{
    if (writeTextEdit_->hasFocus()) {
        writeTextEdit_->copy();
    } else if (listView_->hasFocus() && listView_->currentItem()) {
        const int row = listView_->indexOfTopLevelItem(listView_->currentItem());
        QApplication::clipboard()->setText(FromWire(model_->Links().RowText(static_cast<size_t>(row))));
    }
}

void TWriteTextForm::UpdateCaretAndClipboard()
{
    const QTextCursor cursor = writeTextEdit_->textCursor();
    const bool selection = cursor.hasSelection();
    ClipboardCopyAction->setEnabled(selection || (listView_->hasFocus() && listView_->currentItem()));
    ClipboardCutAction->setEnabled(selection);
    const QTextBlock block = cursor.block();
    const QString caret =
        QStringLiteral("%1:%2").arg(block.blockNumber()).arg(cursor.position() - block.position());
    caretText_ = caret;
    if (mainForm_ && mainForm_->StatusBar1())
        mainForm_->StatusBar1()->SetKeyCommand(caret);
}

// --- Keyboard ----------------------------------------------------------------

bool TWriteTextForm::BodyKey(QKeyEvent* key)
{
    if (key->key() == Qt::Key_Tab && key->modifiers() == Qt::NoModifier) {
        writeTextEdit_->insertPlainText(QStringLiteral("\t"));
        return true;
    }
    if (key->key() == Qt::Key_Backtab && (key->modifiers() & ~Qt::ShiftModifier) == Qt::NoModifier) {
        // Qt turns Shift+Tab into Backtab after the editor has seen a tab
        // typed; take back that tab if it is right before the caret.
        QTextCursor cursor = writeTextEdit_->textCursor();
        if (!cursor.hasSelection() && cursor.position() > 0) {
            cursor.movePosition(QTextCursor::PreviousCharacter, QTextCursor::KeepAnchor);
            if (cursor.selectedText() == QStringLiteral("\t"))
                cursor.removeSelectedText();
        }
        subjectEdit_->setFocus(Qt::BacktabFocusReason);
        return true;
    }
    return false;
}

bool TWriteTextForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == writeTextEdit_ && event->type() == QEvent::FocusIn) {
        writeTextEdit_->SetAutoWrap(session_.Config().ReadFlag(ConfigKeys::AutomaticLineWrap, ConfigDefaultFlag(ConfigKeys::AutomaticLineWrap)));
        ApplyBodyFont();
    }
    if (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool press = event->type() == QEvent::KeyPress;
        // The editors would take Ctrl+A as Select All; here it adds a
        // recipient, whichever field has the focus.
        if (!press && (watched == subjectEdit_ || watched == writeTextEdit_) && AddRcptAction->isEnabled() &&
            QKeySequence(key->keyCombination()) == AddRcptAction->shortcut()) {
            event->ignore();
            return true;
        }
        if (watched == subjectEdit_ && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
            if (press)
                writeTextEdit_->setFocus(Qt::TabFocusReason);
            return press;
        }
        if (watched == writeTextEdit_ && press && BodyKey(key))
            return true;
        if (watched == listView_ && press && key->key() == Qt::Key_Delete && listView_->currentItem()) {
            const int row = listView_->indexOfTopLevelItem(listView_->currentItem());
            model_->DeleteRow(static_cast<size_t>(row));
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace pellar
