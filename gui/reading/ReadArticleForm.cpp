#include "gui/reading/ReadArticleForm.h"
#include "gui/common/CoreTexts.h"

#include "gui/reading/FindDialog.h"

#include "core/config/ConfigKeys.h"
#include "core/config/TMiravoConfiguration.h"
#include "core/wire/RequestCatalogue.h"
#include "core/commands/MiravoTables.h"
#include "core/wire/TMiravoMembership.h"
#include "core/wire/TMiscInfo.h"
#include "core/wire/TextStatType.h"
#include "core/reading/ArticleLayout.h"
#include "core/reading/ReadingSession.h"
#include "core/reading/SubjectTreeAsyncThread.h"
#include "core/session/MVCache.h"
#include "core/session/SessionCommands.h"
#include "gui/reading/ArticleViewForm.h"
#include "gui/reading/ConfListView.h"
#include "gui/reading/ReadArticleActions.h"
#include "gui/reading/ReadingCommands.h"
#include "gui/reading/SubjectTreeView.h"
#include "gui/common/MainWindow.h"
#include "gui/common/ArticleRenderer.h"
#include "gui/common/MainStatusBar.h"
#include "gui/common/QtCancellableGuiThread.h"
#include "gui/common/WireCodec.h"
#include "gui/common/MiravoTextEdit.h"

#include <QAction>
#include <QHeaderView>
#include <QTextCursor>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QScrollBar>
#include <QSplitter>
#include <QTimer>

#include <algorithm>
#include <cstdlib>
#include <thread>

namespace pellar {

TReadArticleForm::TReadArticleForm(ReadingSession& session, const GuiServices& services, QWidget* parent)
    : QMainWindow(parent), session_(session), guiServices_(services), prompts_(this)
{
    setObjectName(QStringLiteral("ReadArticleForm"));
    setWindowTitle(tr("Read texts"));
    busyShown_ = new QTimer(this);
    busyShown_->setSingleShot(true);
    busyShown_->setInterval(kBusyShownAfterMs);
    connect(busyShown_, &QTimer::timeout, this, [this] {
        if (mainForm_)
            mainForm_->StatusBar1()->SetBusyText(tr("Working..."));
    });
    // The controller first: the views show its models.
    reading_ = session_.NewController(std::make_unique<QtCancellableGuiThread>(this), view_,
                                      std::make_unique<QtCancellableGuiThread>(this));
    BuildLayout();
    prompts_.SetTextShower([this](int32_t text) { ShowText(text, true); });
    prompts_.SetCompositionOpener(
        [this](PresentationKind kind, int32_t target, int32_t recipient, const std::string& subject) {
            emit PresentationEditorRequested(kind, target, recipient, FromWire(subject));
        });
    readingCommands_ = new TReadingCommands(*this);
    actions_ = new TReadArticleActions(*this, *readingCommands_);

    connect(articleView_, &TArticleViewForm::ReadTextRequested, this, [this](int32_t text) { ShowText(text, true); });
    connect(articleView_, &TArticleViewForm::PresentationRequested, readingCommands_,
            &TReadingCommands::ViewPresentation);
    connect(articleView_, &TArticleViewForm::TextPropertiesRequested, this,
            &TReadArticleForm::TextPropertiesRequested);
    connect(articleView_, &TArticleViewForm::UserCommandRequested, readingCommands_,
            &TReadingCommands::RunUserCommand);
    connect(articleView_, &TArticleViewForm::ConnectRequested, this, &TReadArticleForm::ConnectRequested);
    SetOnlineCommands(IsConnected());
}

TReadArticleForm::~TReadArticleForm()
{
    // The workers end before the widgets they hand work to.
    reading_->Shutdown();
    articlePane_->Stop();
    // The views over the controller's models go before the models: the
    // controller is a member, gone before the base class deletes children.
    delete confList_;
    delete subjectTree_;
    confList_ = nullptr;
    subjectTree_ = nullptr;
}

void TReadArticleForm::BuildLayout()
{
    // Names in the order the user's locale gives them, as everywhere else.
    reading_->ConfList().SetCollate([&locale = session_.Locale()](const std::string& a, const std::string& b) {
        return locale.CompareNames(a, b);
    });
    confList_ = new TConfListView(reading_->ConfList());
    confList_->setAccessibleName(tr("Conferences"));
    confList_->setAccessibleDescription(tr("Your conferences with the number of unread texts in each"));
    subjectTree_ = new TSubjectTreeView;
    subjectTree_->SetTree(reading_->SubjectTree());
    subjectTree_->setAccessibleName(tr("Subjects"));
    subjectTree_->setAccessibleDescription(tr("The texts of the conference by subject, comments under what they comment"));
    confSubjSplitter_ = new QSplitter(Qt::Horizontal);
    confSubjSplitter_->setObjectName(QStringLiteral("ConfSubjSplitter"));
    confSubjSplitter_->addWidget(confList_);
    confSubjSplitter_->addWidget(subjectTree_);
    confSubjSplitter_->setChildrenCollapsible(false);

    commentedEdit_ = new TMiravoTextEdit;
    commentedEdit_->setObjectName(QStringLiteral("CommentedEdit"));
    commentedEdit_->setReadOnly(true);
    commentedEdit_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    commentedEdit_->setAccessibleName(tr("Commented text"));
    commentedEdit_->SetAutoWrap(false);
    commentedEdit_->setAcceptRichText(false);
    articlePane_ = session_.NewArticlePane(std::make_unique<QtCancellableGuiThread>(this));
    articleView_ = new TArticleViewForm(*articlePane_);
    textSplitter_ = new QSplitter(Qt::Vertical);
    textSplitter_->setObjectName(QStringLiteral("CommSplitter"));
    textSplitter_->addWidget(commentedEdit_);
    textSplitter_->addWidget(articleView_);
    textSplitter_->setStretchFactor(1, 1);

    mainSplitter_ = new QSplitter(Qt::Vertical);
    mainSplitter_->addWidget(confSubjSplitter_);
    mainSplitter_->addWidget(textSplitter_);
    mainSplitter_->setStretchFactor(1, 1);
    mainSplitter_->setChildrenCollapsible(false);
    setCentralWidget(mainSplitter_);
    resize(900, 680);
    mainSplitter_->setSizes({220, 460});
}

void TReadArticleForm::SetMainForm(MainWindow* mainForm)
{
    mainForm_ = mainForm;
    articleView_->SetStatusBar(mainForm ? mainForm->StatusBar1() : nullptr);
}

MainWindow* TReadArticleForm::MainForm() const
{
    return mainForm_.data();
}

TFindDialog* TReadArticleForm::FindDialog()
{
    if (!findDialog_) {
        findDialog_ = new TFindDialog(this);
        findDialog_->SetTarget([this]() -> QTextEdit* { return articleView_ ? articleView_->MainEdit() : nullptr; });
    }
    return findDialog_;
}

bool TReadArticleForm::IsConnected() const
{
    return reading_->IsConnected();
}

bool TReadArticleForm::Reformat() const
{
    return articleView_->Reformat();
}

// --- Showing texts ----------------------------------------------------------

void TReadArticleForm::ShowText(int32_t text, bool addToHistory)
{
    reading_->ShowText(text, addToHistory);
}

void TReadArticleForm::DisplayArticle(const PreparedArticle& article)
{
    articleView_->ShowArticle(article);
    actions_->ReadPreviousAction()->setEnabled(article.result.isComment && IsConnected());
    if (session_.Config().ReadFlag(ConfigKeys::ShowCommentedText, ConfigDefaultFlag(ConfigKeys::ShowCommentedText))) {
        commentedEdit_->clear();
        ArticleRenderer::AppendRuns(*commentedEdit_, article.commentedRuns);
        commentedEdit_->moveCursor(QTextCursor::Start);
    }
    actions_->UpdateHistoryButtons();
    // Painted now, not when the event loop comes to the update: by then a
    // tree batch or a step's hand-over may be queued ahead of it.
    articleView_->MainEdit()->viewport()->repaint();
}

void TReadArticleForm::ClearText()
{
    articleView_->Clear();
    commentedEdit_->clear();
}

// --- Read-next steps --------------------------------------------------------

void TReadArticleForm::View::SelectTreeText(int32_t text)
{
    form_.subjectTree_->SelectText(text);
}

void TReadArticleForm::View::ShowInfo(const std::string& line)
{
    if (form_.mainForm_)
        form_.mainForm_->StatusBar1()->SetNotice(CoreText(line));
}

void TReadArticleForm::View::SetBusy(bool busy)
{
    if (busy) {
        form_.busyShown_->start();
        return;
    }
    form_.busyShown_->stop();
    if (form_.mainForm_)
        form_.mainForm_->StatusBar1()->SetBusyText(QString());
}

void TReadArticleForm::ReadNext()
{
    reading_->ReadNext();
}

// --- Conference list and tree -----------------------------------------------

void TReadArticleForm::RefreshConferenceList()
{
    confList_->Refresh();
}

void TReadArticleForm::RefreshConferenceListLater()
{
    reading_->RefreshConferences();
}

void TReadArticleForm::GoToConference(int32_t conf)
{
    if (confList_->SelectConference(conf))
        reading_->EnterConference(conf);
}

void TReadArticleForm::DropConference(int32_t conf)
{
    reading_->DropConference(conf);
}

void TReadArticleForm::OnConnected()
{
    reading_->Connected(confList_->SelectedConference());
}

void TReadArticleForm::OnDisconnecting()
{
    reading_->Disconnecting();
}

void TReadArticleForm::ClearReading()
{
    reading_->SubjectTree().Clear();
    confList_->ClearRows();
    reading_->Clear();
    ClearText();
    actions_->UpdateHistoryButtons();
}

void TReadArticleForm::SetOnlineCommands(bool online)
{
    actions_->SetOnline(online);
}

// --- Layout -----------------------------------------------------------------

void TReadArticleForm::ApplyLayout()
{
    TMiravoConfiguration& config = session_.Config();
    const bool commented = config.ReadFlag(ConfigKeys::ShowCommentedText, ConfigDefaultFlag(ConfigKeys::ShowCommentedText));
    commentedEdit_->setVisible(commented);
    const bool tree = config.ReadFlag(ConfigKeys::ShowSubjTree, ConfigDefaultFlag(ConfigKeys::ShowSubjTree));
    subjectTree_->setVisible(tree);
    const int total = std::max(confSubjSplitter_->width(), 120);
    // Without a stored width the Name column asks for its full width first.
    const bool nameStored = config.ReadInt(ConfListColumnKey(TConfListView::NameColumn), -1) >= 0;
    if (!nameStored)
        confList_->setColumnWidth(TConfListView::NameColumn, TConfListView::kNameWidth);
    if (tree) {
        // No stored width yet: a readable share, and at least every column
        // of the list, as far as the tree keeps some room.
        const std::string stored = config.ReadString("SubjSplitSize", "");
        int width = stored.empty() ? std::max(total * 52 / 100, std::min(ListWidthForAllColumns(), total - 160))
                                   : std::atoi(stored.c_str());
        width = std::max(30, std::min(width, total - 30));
        confSubjSplitter_->setSizes({width, total - width});
        if (!nameStored)
            FitNameColumn(width);
    } else if (!nameStored) {
        FitNameColumn(total);
    }
    if (commented) {
        const std::string stored = config.ReadString("CommSplitSize", "");
        const int height = std::max(1, stored.empty() ? 80 : std::atoi(stored.c_str()));
        const int all = std::max(textSplitter_->height(), height + 60);
        textSplitter_->setSizes({height, all - height});
    }
    actions_->ReformatTextAction()->setChecked(config.ReadFlag("ReformatTexts", false));
    articleView_->SetReformat(actions_->ReformatTextAction()->isChecked());
    reading_->SetReformat(articleView_->Reformat());
    for (int i = 0; i < confList_->header()->count(); ++i) {
        const int width = config.ReadInt("ConfListListCol" + std::to_string(i), -1);
        if (width >= 0)
            confList_->setColumnWidth(i, width);
    }
    articleView_->setFocus();
}

int TReadArticleForm::ListWidthForAllColumns() const
{
    int width = 2 * confList_->frameWidth() + confList_->verticalScrollBar()->sizeHint().width();
    for (int i = 0; i < confList_->header()->count(); ++i)
        width += confList_->columnWidth(i);
    return width;
}

void TReadArticleForm::FitNameColumn(int listWidth)
{
    constexpr int kNarrowestName = 120;
    const int others = ListWidthForAllColumns() - confList_->columnWidth(TConfListView::NameColumn);
    confList_->setColumnWidth(TConfListView::NameColumn,
                              std::clamp(listWidth - others, kNarrowestName, TConfListView::kNameWidth));
}

void TReadArticleForm::SaveLayout()
{
    TMiravoConfiguration& config = session_.Config();
    config.WriteInt("SubjSplitSize", confList_->width());
    config.WriteInt("CommSplitSize", commentedEdit_->height());
    for (int i = 0; i < confList_->header()->count(); ++i)
        config.WriteInt("ConfListListCol" + std::to_string(i), confList_->columnWidth(i));
}

void TReadArticleForm::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    actions_->HideDebugToolBar();
    ApplyLayout();
}

void TReadArticleForm::closeEvent(QCloseEvent* event)
{
    // The window lives as long as the main window; closing only minimises it.
    event->ignore();
    if (QWidget* frame = parentWidget())
        frame->showMinimized();
    else
        showMinimized();
}

} // namespace pellar
