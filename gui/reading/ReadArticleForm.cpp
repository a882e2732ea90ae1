#include "gui/reading/ReadArticleForm.h"

#include "gui/reading/FindDialog.h"

#include "core/protocol/RequestCatalogue.h"
#include "core/protocol/MiravoTables.h"
#include "core/protocol/TMiscInfo.h"
#include "core/protocol/TextStatType.h"
#include "core/reading/ArticleLayout.h"
#include "core/reading/SubjectTreeAsyncThread.h"
#include "core/session/MVCache.h"
#include "core/session/SessionCommands.h"
#include "core/session/Client.h"
#include "gui/reading/ArticleViewForm.h"
#include "gui/reading/ConfListView.h"
#include "gui/reading/ReadArticleActions.h"
#include "gui/reading/ReadingCommands.h"
#include "gui/reading/SubjectTreeView.h"
#include "gui/shell/MainForm.h"
#include "gui/common/MainStatusBar.h"
#include "gui/common/QtGuiThread.h"
#include "gui/common/WireCodec.h"
#include "gui/common/MiravoTextEdit.h"

#include <QAction>
#include <QTextCursor>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QSplitter>
#include <QTreeWidget>

#include <algorithm>
#include <cstdlib>
#include <thread>

namespace pellar {

TReadArticleForm::TReadArticleForm(Client& client, const GuiServices& services, QWidget* parent)
    : QMainWindow(parent), client_(client), guiServices_(services), services_(client),
      gui_(std::make_unique<QtGuiThread>()), prompts_(this)
{
    setObjectName(QStringLiteral("ReadArticleForm"));
    setWindowTitle(QStringLiteral("Read texts"));
    BuildLayout();
    prompts_.SetTextShower([this](int32_t text) { ShowText(text, true); });
    prompts_.SetCompositionOpener(
        [this](PresentationKind kind, int32_t target, int32_t recipient, const std::string& subject) {
            emit PresentationEditorRequested(static_cast<int>(kind), target, recipient, FromWire(subject));
        });
    readingCommands_ = new TReadingCommands(*this);
    actions_ = new TReadArticleActions(*this, *readingCommands_);
    builder_ = std::make_unique<SubjectTreeAsyncThread>(services_, *gui_, *subjectTree_);

    connect(confList_, &TConfListView::SelectedConferenceChanged, this, &TReadArticleForm::ConferenceSelected);
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
    closing_ = true;
    WaitForWorkers();
}

void TReadArticleForm::WaitForWorkers()
{
    // Both may be waiting for a GUI hand-over, so let those run while waiting.
    if (builder_) {
        builder_->Terminate();
        while (!builder_->Finished())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        builder_.reset();
    }
    if (worker_) {
        while (!worker_->Finished())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        worker_.reset();
    }
}

void TReadArticleForm::BuildLayout()
{
    confList_ = new TConfListView(client_, [this] { return status_.Conference(); });
    subjectTree_ = new TSubjectTreeView;
    confSubjSplitter_ = new QSplitter(Qt::Horizontal);
    confSubjSplitter_->setObjectName(QStringLiteral("ConfSubjSplitter"));
    confSubjSplitter_->addWidget(confList_);
    confSubjSplitter_->addWidget(subjectTree_);
    confSubjSplitter_->setChildrenCollapsible(false);

    commentedEdit_ = new TMiravoTextEdit;
    commentedEdit_->setObjectName(QStringLiteral("CommentedEdit"));
    commentedEdit_->setReadOnly(true);
    commentedEdit_->SetAutoWrap(false);
    commentedEdit_->setAcceptRichText(false);
    articleView_ = new TArticleViewForm(client_);
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

void TReadArticleForm::SetMainForm(TMainForm* mainForm)
{
    mainForm_ = mainForm;
    articleView_->SetStatusBar(mainForm ? mainForm->StatusBar1() : nullptr);
}

TMainForm* TReadArticleForm::MainForm() const
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
    return client_.ConnectedEvent().IsSet();
}

bool TReadArticleForm::Reformat() const
{
    return articleView_->Reformat();
}

bool TReadArticleForm::ReadNextRunning() const
{
    return worker_ && !worker_->Finished();
}

// --- Showing texts ----------------------------------------------------------

void TReadArticleForm::ShowText(int32_t text, bool addToHistory)
{
    ChangeActivityKey("reread");
    status_.SetCurrentText(text);
    if (text != 0 && client_.Cache().GetText(text)) {
        if (addToHistory)
            history_.Add(text);
        DisplayCurrentText();
    } else {
        prompts_.ShowMessageBox("No such text");
    }
}

void TReadArticleForm::DisplayCurrentText()
{
    const int32_t text = status_.CurrentText();
    const ArticleResult result = articleView_->ShowText(text);
    actions_->ReadPreviousAction()->setEnabled(result.isComment && IsConnected());
    if (client_.Config().ReadFlag("ShowCommentedText", true)) {
        commentedEdit_->clear();
        if (const auto stat = client_.Cache().GetTextStat(text)) {
            std::vector<int32_t> commented;
            stat->ForEachMiscInfo<TMiscInfoCommTo>([&](const TMiscInfoCommTo& link) { commented.push_back(link.textNo); });
            stat->ForEachMiscInfo<TMiscInfoFootTo>([&](const TMiscInfoFootTo& link) { commented.push_back(link.textNo); });
            for (const int32_t parent : commented)
                TArticleViewForm::AppendCompact(client_, *commentedEdit_, parent, Reformat());
            commentedEdit_->moveCursor(QTextCursor::Start);
        }
    }
    actions_->UpdateHistoryButtons();
    ReadConfirmation(text);
    emit TextShown(text);
}

void TReadArticleForm::ReadConfirmation(int32_t text)
{
    const auto stat = client_.Cache().GetTextStat(text);
    if (!stat)
        return;
    const auto aux = stat->AuxItems();
    const AuxItemRec* wanted = nullptr;
    bool confirmed = false;
    for (const AuxItemRec& item : aux) {
        if (item.tag == 6 && !wanted)
            wanted = &item;
        if (item.tag == 7 && item.creator == client_.CurrentPerson())
            confirmed = true;
    }
    if (!wanted || confirmed)
        return;
    const std::string question = "User [" + std::to_string(wanted->creator) + "] " +
                                 client_.Cache().GetName(wanted->creator) +
                                 " wants read confirmation on this text\r\nConfirm?";
    if (!prompts_.AskYesNo(question))
        return;
    if (readingCommands_->AddReceiptConfirmation(text))
        // The cached status lacks the new item; without this the question
        // would come again the next time the text is shown.
        client_.Cache().ForgetTextStat(text);
    else
        client_.UserMessages().PostUserMessage("!Failed to add receipt confirmation");
}

void TReadArticleForm::ClearText()
{
    articleView_->Clear();
    commentedEdit_->clear();
}

// --- Read-next steps --------------------------------------------------------

void TReadArticleForm::ShowNextText(int32_t text)
{
    status_.SetCurrentText(text);
    history_.Add(text);
    DisplayCurrentText();
    subjectTree_->SelectText(text);
}

void TReadArticleForm::ShowInfo(const std::string& line)
{
    if (mainForm_)
        mainForm_->StatusBar1()->SetNotice(FromWire(line));
}

void TReadArticleForm::ChangeActivityKey(std::string_view key)
{
    if (!commands_)
        return;
    for (size_t i = 0; i < MiravoActivities.size(); ++i)
        if (key == MiravoActivities[i].key) {
            commands_->ChangeActivity(static_cast<int>(i));
            return;
        }
}

bool TReadArticleForm::BeginWork()
{
    if (busy_ > 0)
        return false;
    ++busy_;
    if (mainForm_)
        mainForm_->StatusBar1()->SetBusyText(QStringLiteral("Working..."));
    if (IsConnected() && commands_)
        commands_->UserActive();
    return true;
}

void TReadArticleForm::EndWork()
{
    if (busy_ > 0)
        --busy_;
    if (busy_ == 0 && mainForm_)
        mainForm_->StatusBar1()->SetBusyText(QString());
}

void TReadArticleForm::ReadNext()
{
    if (closing_ || !IsConnected() || !BeginWork())
        return;
    emit ReadNextStarted();
    worker_.reset();  // the last step has ended: the busy counter said so
    worker_ = std::make_unique<TReadNextTextThread>(services_, *gui_, *confList_, stepHost_, status_);
    worker_->Start();
}

// --- Conference list and tree -----------------------------------------------

void TReadArticleForm::RefreshConferenceList()
{
    confList_->Refresh();
}

void TReadArticleForm::GoToConference(int32_t conf)
{
    if (confList_->SelectConference(conf)) {
        status_.SetConference(conf);
        status_.SetCurrentText(0);
        status_.ClearStack();
    }
}

void TReadArticleForm::DropConference(int32_t conf)
{
    if (builder_)
        StopBuilderWhilePainting([this, conf] { builder_->ForgetConference(conf); });
}

void TReadArticleForm::StopBuilderWhilePainting(const std::function<void()>& fn)
{
    // The builder stops after the request it is waiting for; the window
    // keeps painting meanwhile, as in any wait for the server.
    TEvent stopped(true, false);
    std::thread stopping([&fn, &stopped] {
        fn();
        stopped.SetEv();
    });
    WaitPlan plan;
    plan.what = "Waiting for the subject tree to stop...";
    plan.waitFor = [&stopped](int timeoutMs) { return stopped.WaitFor(timeoutMs) == WaitResult::Signaled; };
    client_.Waits().Wait(plan);
    stopping.join();
}

void TReadArticleForm::ConferenceSelected(int32_t conf)
{
    if (conf != 0 && client_.Config().ReadFlag("ShowSubjTree", true) && builder_)
        builder_->RequestConference(conf);
    if (conf != 0 && IsConnected() && !services_.DisconnectInProgress())
        services_.Send("Change conference", requests::ChangeConference(conf));
}

void TReadArticleForm::OnConnected()
{
    if (!builder_)
        return;
    builder_->Enqueue(SubjectTreeAsyncThread::PrefetchOrder(services_));
    builder_->Resume();
    if (const int32_t conf = confList_->SelectedConference(); conf != 0 && client_.Config().ReadFlag("ShowSubjTree", true))
        builder_->RequestConference(conf);
}

void TReadArticleForm::OnDisconnecting()
{
    if (builder_)
        StopBuilderWhilePainting([this] { builder_->Pause(); });
}

void TReadArticleForm::ClearReading()
{
    subjectTree_->Clear();
    history_.Clear();
    confList_->ClearRows();
    status_.SetConference(0);
    status_.SetCurrentText(0);
    status_.ClearStack();
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
    TMiravoConfiguration& config = client_.Config();
    const bool commented = config.ReadFlag("ShowCommentedText", true);
    commentedEdit_->setVisible(commented);
    const bool tree = config.ReadFlag("ShowSubjTree", true);
    subjectTree_->setVisible(tree);
    const int total = std::max(confSubjSplitter_->width(), 120);
    if (tree) {
        // No stored width yet: give the list a readable share.
        const std::string stored = config.ReadString("SubjSplitSize", "");
        int width = stored.empty() ? total * 52 / 100 : std::atoi(stored.c_str());
        width = std::max(30, std::min(width, total - 30));
        confSubjSplitter_->setSizes({width, total - width});
    }
    if (commented) {
        const std::string stored = config.ReadString("CommSplitSize", "");
        const int height = std::max(1, stored.empty() ? 80 : std::atoi(stored.c_str()));
        const int all = std::max(textSplitter_->height(), height + 60);
        textSplitter_->setSizes({height, all - height});
    }
    actions_->ReformatTextAction()->setChecked(config.ReadFlag("ReformatTexts", false));
    articleView_->SetReformat(actions_->ReformatTextAction()->isChecked());
    for (int i = 0; i < confList_->columnCount(); ++i) {
        const int width = config.ReadInt("ConfListListCol" + std::to_string(i), -1);
        if (width >= 0)
            confList_->setColumnWidth(i, width);
    }
    articleView_->setFocus();
}

void TReadArticleForm::SaveLayout()
{
    TMiravoConfiguration& config = client_.Config();
    config.WriteInt("SubjSplitSize", confList_->width());
    config.WriteInt("CommSplitSize", commentedEdit_->height());
    for (int i = 0; i < confList_->columnCount(); ++i)
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
