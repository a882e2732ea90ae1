#include "gui/reading/ReadArticleActions.h"

#include "core/config/QuickConnect.h"
#include "core/config/TMiravoConfiguration.h"
#include "core/wire/TMiravoText.h"
#include "core/wire/TextStatType.h"
#include "core/session/MVCache.h"
#include "gui/reading/ConfListView.h"
#include "gui/reading/ReadArticleForm.h"
#include "gui/reading/ReadingCommands.h"
#include "gui/reading/SubjectTreeView.h"
#include "gui/reading/TypedCommandsMenu.h"
#include "gui/reading/WritingIcons.h"
#include "gui/common/WireCodec.h"
#include "gui/common/ToolBarOverflow.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

namespace pellar {

TReadArticleActions::TReadArticleActions(TReadArticleForm& form, TReadingCommands& commands)
    : QObject(&form), form_(form), commands_(commands)
{
    autoReadTimer_ = new QTimer(this);
    autoReadTimer_->setObjectName(QStringLiteral("AutoReadTimer"));
    autoReadTimer_->setInterval(100);
    connect(autoReadTimer_, &QTimer::timeout, &form_, &TReadArticleForm::ReadNext);
    CreateActions();
    CreateMenus();
    CreateToolBars();
    UpdateHistoryButtons();
}

template <typename Slot>
QAction* TReadArticleActions::Make(const char* name, const QString& caption, Slot slot, const QKeySequence& shortcut)
{
    auto* action = new QAction(caption, &form_);
    action->setObjectName(QLatin1String(name));
    if (!shortcut.isEmpty()) {
        action->setShortcut(shortcut);
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    }
    form_.addAction(action);
    connect(action, &QAction::triggered, this, slot);
    actions_[name] = action;
    return action;
}

QAction* TReadArticleActions::Action(const std::string& name) const
{
    const auto it = actions_.find(name);
    return it == actions_.end() ? nullptr : it->second;
}

void TReadArticleActions::CreateActions()
{
    TReadingCommands* c = &commands_;
    TReadArticleForm* f = &form_;
    QStyle* style = form_.style();
    Make("ReadNextAction", tr("&Read next text"), [f] { f->ReadNext(); }, QKeySequence(Qt::ALT | Qt::Key_Down))
        ->setIcon(style->standardIcon(QStyle::SP_ArrowDown));
    QAction* previous = Make("ReadPreviousAction", tr("Read &previous"), [c] { c->ReadPrevious(); },
                             QKeySequence(Qt::ALT | Qt::Key_Up));
    previous->setToolTip(tr("Read commented text"));
    previous->setIcon(style->standardIcon(QStyle::SP_ArrowUp));
    previous->setEnabled(false);
    Make("ViewPrevTextAction", tr("View &previous text"), [c] { c->ViewPrevText(); },
         QKeySequence(Qt::ALT | Qt::Key_Left))
        ->setIcon(style->standardIcon(QStyle::SP_ArrowBack));
    Make("ViewNextTextAction", tr("View &next text"), [c] { c->ViewNextText(); },
         QKeySequence(Qt::ALT | Qt::Key_Right))
        ->setIcon(style->standardIcon(QStyle::SP_ArrowForward));
    Make("FindRootText1", tr("Read r&oot text"), [c] { c->FindRootText(); });
    Make("Readglobaltextnr1", tr("Read global text &no..."), [c] { c->ReadGlobalTextNr(); });
    Make("SkipovercommentsH1", tr("&Skip over comments"), [c] { c->SkipOverComments(); });
    Make("WriteNewTextAction", tr("Write new text"), [c] { c->WriteNewText(); })
        ->setIcon(MakeWritingIcon(WritingIcon::NewText));
    Make("WriteLetterAction", tr("Write letter"), [c] { c->WriteLetter(); })
        ->setIcon(MakeWritingIcon(WritingIcon::Letter));
    Make("FollowUpTextAction", tr("Follow up text"), [c] { c->WriteComment(false); })
        ->setIcon(MakeWritingIcon(WritingIcon::Comment));
    Make("PrivateReplyToTextAction", tr("Private reply to text"), [c] { c->PrivateReply(); })
        ->setIcon(MakeWritingIcon(WritingIcon::PrivateReply));
    Make("AddFootnoteAction", tr("Add footnote"), [c] { c->WriteComment(true); })
        ->setIcon(MakeWritingIcon(WritingIcon::Footnote));
    Make("ClipboardCopyAction", tr("&Copy"), [c] { c->ClipboardCopy(); },
         QKeySequence(Qt::CTRL | Qt::Key_C));
    QAction* reformat = Make("ReformatTextAction", tr("Re&format text"), [c](bool on) { c->SetReformat(on); });
    reformat->setCheckable(true);
    QAction* pin = Make("PinReadFormAction", tr("&Pin read window"), [c](bool on) { c->SetPinned(on); });
    pin->setCheckable(true);
    QAction* autoRead = Make("DebugAutoReadAction", QStringLiteral("DebugAutoReadAction"), [this](bool on) {
        if (on)
            autoReadTimer_->start();
        else
            autoReadTimer_->stop();
    });
    autoRead->setCheckable(true);
    Make("Joinconference1", tr("&Join conference..."), [c] { c->JoinConference(); });
    Make("LeaveconferenceL1", tr("&Leave conference..."), [c] { c->LeaveConference(); });
    Make("Readonlythelasttexts1", tr("R&ead only the # last texts..."), [c] { c->ReadOnlyLastTexts(); });
    Make("ConnectAction", tr("&Connect"), [f] { emit f->ConnectRequested(); });
    Make("Find1", tr("&Find"), [c] { c->Find(); }, QKeySequence(Qt::CTRL | Qt::Key_F));
    Make("Setpriority1", tr("&Set priority"), [c] { c->SetPriority(); });
    Make("Sendmessage1", tr("Send &message"), [c] { c->SendMessage(); });
    Make("Viewpresentation1", tr("&View presentation"), [c] { c->ViewRowPresentation(); });
    Make("Unsubscribe1", tr("&Unsubscribe"), [c] { c->Unsubscribe(); });
    Make("Showallconferences1", tr("Show &entire membership"), [c](bool on) { c->ShowAllConferences(on); })
        ->setCheckable(true);
    Make("Readtext2", tr("&Read text"), [c] { c->ReadTreeText(); });
    Make("Skiptree1", tr("&Mark tree as read"), [c] { c->SkipTree(); });
}

void TReadArticleActions::CreateMenus()
{
    commandsMenu_ = form_.menuBar()->addMenu(tr("&Commands"));
    commandsMenu_->setObjectName(QStringLiteral("Commands1"));
    for (const char* name : {"ReadNextAction", "ReadPreviousAction", "ViewPrevTextAction", "ViewNextTextAction",
                             "FindRootText1", "Readglobaltextnr1", "SkipovercommentsH1", "", "WriteNewTextAction",
                             "FollowUpTextAction", "PrivateReplyToTextAction", "WriteLetterAction",
                             "AddFootnoteAction", "", "Joinconference1", "LeaveconferenceL1",
                             "Readonlythelasttexts1", "", "Find1", "ClipboardCopyAction", "ReformatTextAction",
                             "PinReadFormAction"}) {
        if (*name)
            commandsMenu_->addAction(Action(name));
        else
            commandsMenu_->addSeparator();
    }
    commandsMenu_->addSeparator();
    ReadingController& reader = form_.Reader();
    commandsMenu_->addMenu(new TTypedCommandsMenu([&reader] { return reader.Shortcuts(); },
                                                  [this](int command) { commands_.RunUserCommand(command); },
                                                  commandsMenu_));

    confMenu_ = new QMenu(&form_);
    confMenu_->setObjectName(QStringLiteral("ConfPopupMenu"));
    for (const char* name : {"Setpriority1", "Sendmessage1", "Viewpresentation1", "Unsubscribe1", "",
                             "Showallconferences1", "Readonlythelasttexts1"}) {
        if (*name)
            confMenu_->addAction(Action(name));
        else
            confMenu_->addSeparator();
    }
    TConfListView* list = form_.ConfListView();
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list, &QWidget::customContextMenuRequested, this, [this, list](const QPoint& pos) {
        PrepareConfMenu();
        confMenu_->popup(list->viewport()->mapToGlobal(pos));
    });
    connect(list, &QAbstractItemView::doubleClicked, this, [this] { commands_.ConfRowDoubleClicked(); });
    connect(list, &TConfListView::RowsChanged, ReadNextAction(), &QAction::setEnabled);
    ReadNextAction()->setEnabled(false);

    treeMenu_ = new QMenu(&form_);
    treeMenu_->setObjectName(QStringLiteral("SubjTreePopupMenu"));
    treeMenu_->addAction(Action("Readtext2"));
    treeMenu_->addAction(Action("Skiptree1"));
    TSubjectTreeView* tree = form_.SubjectTreeView();
    tree->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(tree, &QWidget::customContextMenuRequested, this, [this, tree](const QPoint& pos) {
        if (const QModelIndex at = tree->indexAt(pos); at.isValid())
            tree->setCurrentIndex(at);
        PrepareTreeMenu();
        treeMenu_->popup(tree->viewport()->mapToGlobal(pos));
    });
    connect(tree, &QAbstractItemView::doubleClicked, this, [this] { commands_.ReadTreeText(); });
}

void TReadArticleActions::CreateToolBars()
{
    toolBar_ = form_.addToolBar(tr("Reading"));
    toolBar_->setObjectName(QStringLiteral("ToolBar1"));
    NameToolBarOverflow(toolBar_);
    toolBar_->setMovable(false);
    toolBar_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    // Connect, with a drop-down of the profiles that log on without asking.
    connectMenu_ = new QMenu(&form_);
    connectMenu_->setObjectName(QStringLiteral("ConnectPopupMenu"));
    auto* connectButton = new QToolButton(toolBar_);
    connectButton->setObjectName(QStringLiteral("ConnectButton"));
    connectButton->setDefaultAction(Action("ConnectAction"));
    connectButton->setMenu(connectMenu_);
    connectButton->setPopupMode(QToolButton::MenuButtonPopup);
    connectButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    toolBar_->addWidget(connectButton);
    connect(connectMenu_, &QMenu::aboutToShow, this, &TReadArticleActions::FillConnectMenu);
    toolBar_->addSeparator();
    toolBar_->addAction(ReadNextAction());
    toolBar_->addAction(ReadPreviousAction());
    prevMenu_ = new QMenu(&form_);
    prevMenu_->setObjectName(QStringLiteral("PrevPopupMenu"));
    nextMenu_ = new QMenu(&form_);
    nextMenu_->setObjectName(QStringLiteral("NextPopupMenu"));
    for (auto [action, menu, back] : {std::tuple{ViewPrevTextAction(), prevMenu_, true},
                                      std::tuple{ViewNextTextAction(), nextMenu_, false}}) {
        auto* button = new QToolButton(toolBar_);
        button->setDefaultAction(action);
        button->setMenu(menu);
        button->setPopupMode(QToolButton::MenuButtonPopup);
        button->setToolButtonStyle(Qt::ToolButtonIconOnly);
        toolBar_->addWidget(button);
        connect(menu, &QMenu::aboutToShow, this, [this, menu = menu, back = back] { FillHistoryMenu(menu, back); });
    }
    toolBar_->addSeparator();
    for (const char* name : {"WriteNewTextAction", "FollowUpTextAction", "PrivateReplyToTextAction",
                             "WriteLetterAction", "AddFootnoteAction"})
        toolBar_->addAction(Action(name));
    // The writing buttons need no caption beside them; their tips say it.
    for (QAction* action : toolBar_->actions())
        if (auto* button = qobject_cast<QToolButton*>(toolBar_->widgetForAction(action));
            button && action != ReadNextAction() && action != ReadPreviousAction())
            button->setToolButtonStyle(Qt::ToolButtonIconOnly);

    debugToolBar_ = form_.addToolBar(tr("Debug"));
    debugToolBar_->setObjectName(QStringLiteral("DebugToolBar"));
    NameToolBarOverflow(debugToolBar_);
    debugToolBar_->addAction(Action("DebugAutoReadAction"));
    debugToolBar_->hide();
}

void TReadArticleActions::FillConnectMenu()
{
    connectMenu_->clear();
    for (const std::string& entry : form_.QuickConnectEntries()) {
        const QString profile = FromWire(StartProfileFor(entry), WireCharset::Latin1);
        connectMenu_->addAction(FromWire(entry, WireCharset::Latin1), this, [this, profile] { emit form_.ProfileConnectRequested(profile); });
    }
}

void TReadArticleActions::HideDebugToolBar()
{
    debugToolBar_->hide();
}

void TReadArticleActions::SetOnline(bool online)
{
    Action("ConnectAction")->setEnabled(!online);
    commandsMenu_->setEnabled(online);
    for (const char* name : {"DebugAutoReadAction", "WriteNewTextAction", "FollowUpTextAction",
                             "PrivateReplyToTextAction", "WriteLetterAction", "AddFootnoteAction"})
        Action(name)->setEnabled(online);
    online_ = online;
    // These fetch texts from the server: offline they could only fail. Read
    // previous comes back with the next comment shown.
    if (!online)
        ReadPreviousAction()->setEnabled(false);
    UpdateHistoryButtons();
}

void TReadArticleActions::UpdateHistoryButtons()
{
    ViewPrevTextAction()->setEnabled(online_ && form_.History().CanGoBack());
    ViewNextTextAction()->setEnabled(online_ && form_.History().CanGoForward());
}

void TReadArticleActions::FillHistoryMenu(QMenu* menu, bool back)
{
    menu->clear();
    const ReadHistory& history = form_.History();
    for (const int entry : back ? history.BackEntries() : history.ForwardEntries()) {
        const int32_t text = history.At(entry);
        const ReadingController::Caption caption = form_.Reader().HistoryCaption(text);
        const QString subject = FromWire(caption.subject);
        QAction* item = menu->addAction(QStringLiteral("%1 %2 %3").arg(text).arg(FromWire(caption.author), subject));
        item->setToolTip(subject);
        item->setStatusTip(subject);
        connect(item, &QAction::triggered, this, [this, entry] { commands_.ShowHistoryEntry(entry); });
    }
}

void TReadArticleActions::PrepareConfMenu()
{
    const bool selected = form_.ConfListView()->SelectedConference() != 0;
    for (const char* name : {"Setpriority1", "Sendmessage1", "Viewpresentation1", "Unsubscribe1"})
        Action(name)->setEnabled(selected);
}

void TReadArticleActions::PrepareTreeMenu()
{
    Action("Readtext2")->setVisible(form_.SubjectTreeView()->CurrentText() != 0);
}

} // namespace pellar
