#include "core/reading/ReadingController.h"

#include "core/config/ConfigKeys.h"

#include <algorithm>
#include <thread>

#include "core/base/CancellableGuiThread.h"
#include "core/link/MVTransaction.h"
#include "core/commands/MiravoTables.h"
#include "core/wire/RequestCatalogue.h"
#include "core/wire/TMiravoMembership.h"
#include "core/wire/TMiscInfo.h"
#include "core/wire/TextStatType.h"
#include "core/reading/ConferenceCommands.h"
#include "core/reading/NextUnread.h"
#include "core/reading/SubjectTree.h"
#include "core/reading/SubjectTreeAsyncThread.h"
#include "core/session/Client.h"
#include "core/session/MVCache.h"
#include "core/session/SessionCommands.h"
#include "core/session/TextSource.h"

namespace pellar {

namespace {

// "No such text" is the server's answer; anything else must not read like
// one, or the user would take a readable text for a deleted one.
std::string MissingTextMessage(int32_t text, MVCache::TextMiss miss, bool connected)
{
    const std::string which = "Text " + std::to_string(text);
    switch (miss) {
    case MVCache::TextMiss::Unreadable:
        return which + " could not be shown: the server's reply could not be read.";
    case MVCache::TextMiss::NotAnswered:
        return connected ? which + " was not fetched: the wait for it was cancelled."
                         : which + " could not be fetched: there is no connection to the server.";
    default:
        return "No such text";
    }
}

constexpr size_t kCaptionsKept = 1000;

} // namespace

ReadingController::ReadingController(Client& client, std::unique_ptr<CancellableGuiThread> gui, ReadingView& view,
                                     std::unique_ptr<CancellableGuiThread> answers)
    : client_(client), view_(view), services_(client), gui_(std::move(gui)),
      answers_(std::make_unique<GuiAnswers>(std::move(answers))), confList_(client.Cache())
{
    confList_.SetReadingConference([this] { return status_.Conference(); });
    confList_.SetSelectionHandler([this](int32_t conf) {
        if (!shutDown_)
            ConferenceSelected(conf);
    });
    builder_ = std::make_unique<SubjectTreeAsyncThread>(services_, tree_);
}

ReadingController::~ReadingController()
{
    Shutdown();
}

void ReadingController::Shutdown()
{
    if (shutDown_)
        return;
    shutDown_ = true;
    // Both may wait for a GUI hand-over: release them, then join.
    if (builder_)
        builder_->Terminate();
    gui_->Cancel();
    answers_->Stop();
    // A stop still under way returns once the builder is terminated.
    JoinBuilderStop();
    builder_.reset();
    worker_.reset();
    retired_.reset();
    confList_.SetSelectionHandler(nullptr);
}

bool ReadingController::IsConnected() const
{
    return client_.ConnectedEvent().IsSet();
}

// --- Texts --------------------------------------------------------------------

void ReadingController::ShowText(int32_t text, bool addToHistory)
{
    ChangeActivityKey("reread");
    status_.SetCurrentText(text);
    answers_->Ask([this, text, addToHistory, options = CurrentArticleOptions(),
                   asked = session_]() -> std::function<void()> {
        auto article = std::make_shared<PreparedArticle>(Prepare(text, options));
        return [this, article, addToHistory, asked] {
            if (asked != session_)
                return;
            if (!article->available) {
                view_.ShowMessageBox(article->missing);
                return;
            }
            if (addToHistory)
                history_.Add(article->text);
            if (builder_)
                builder_->ReadAheadFrom(article->text);
            ShowPrepared(*article);
        };
    });
}

void ReadingController::DisplayCurrentText()
{
    const int32_t text = status_.CurrentText();
    if (builder_)
        builder_->ReadAheadFrom(text);
    answers_->Ask([this, text, options = CurrentArticleOptions(), asked = session_]() -> std::function<void()> {
        auto article = std::make_shared<PreparedArticle>(Prepare(text, options));
        return [this, article, asked] {
            if (asked == session_)
                ShowPrepared(*article);
        };
    });
}

ArticleOptions ReadingController::CurrentArticleOptions() const
{
    ArticleOptions options;
    options.fonts = ArticleFonts::FromConfig(client_.Config());
    options.reformat = reformat_;
    options.withCommented =
        client_.Config().ReadFlag(ConfigKeys::ShowCommentedText, ConfigDefaultFlag(ConfigKeys::ShowCommentedText));
    options.reader = client_.CurrentPerson();
    return options;
}

PreparedArticle ReadingController::Prepare(int32_t text, const ArticleOptions& options)
{
    MVCache::TextMiss miss = MVCache::TextMiss::Refused;
    if (text == 0 || !client_.Cache().GetText(text, miss)) {
        PreparedArticle missing;
        missing.text = text;
        missing.missing = MissingTextMessage(text, miss, IsConnected());
        return missing;
    }
    CacheTextSource source(client_.Cache());
    return PrepareArticle(source, options, client_.Locale(), text);
}

void ReadingController::PrepareStepText(int32_t text)
{
    stepArticle_ = Prepare(text, stepOptions_);
}

void ReadingController::ShowPrepared(const PreparedArticle& article)
{
    shown_ = article;
    // The history holds at most as many; a long session starts over.
    if (captions_.size() >= kCaptionsKept)
        captions_.clear();
    captions_[article.text] = {article.author.name, article.subject};
    view_.DisplayArticle(article);
    ReadConfirmation(article);
    view_.TextShown(article.text);
}

void ReadingController::ReadConfirmation(const PreparedArticle& article)
{
    if (!article.confirmationWanted)
        return;
    const ArticleParty& wanted = *article.confirmationWanted;
    const std::string question = "User [" + std::to_string(wanted.number) + "] " + wanted.name +
                                 " wants read confirmation on this text\r\nConfirm?";
    if (!view_.AskYesNo(question))
        return;
    const int32_t text = article.text;
    answers_->Ask([this, text]() -> std::function<void()> {
        if (AddReceiptConfirmation(text))
            // The cached status lacks the new item; without this the question
            // would come again the next time the text is shown.
            client_.Cache().ForgetTextStat(text);
        else
            client_.UserMessages().PostUserMessage("!Failed to add receipt confirmation");
        return {};
    });
}

bool ReadingController::AddReceiptConfirmation(int32_t text)
{
    TGenericTrans request(client_.Protocol(), "Add reciept confirmation", requests::AddReceiptConfirmation(text));
    return client_.Transactions().ExecuteAndWait(request);
}

void ReadingController::ShowPrevious()
{
    if (const auto text = history_.Back())
        ShowText(*text, false);
}

void ReadingController::ShowNext()
{
    if (const auto text = history_.Forward())
        ShowText(*text, false);
}

void ReadingController::ShowHistoryEntry(int entry)
{
    if (const auto text = history_.JumpTo(entry))
        ShowText(*text, false);
}

bool ReadingController::ReadCommented()
{
    ChangeActivityKey("reread");
    const int32_t current = status_.CurrentText();
    if (current == 0 || shown_.text != current || !shown_.available)
        return false;
    for (const int32_t parent : shown_.commented) {
        status_.SetCurrentText(parent);
        DisplayCurrentText();
    }
    return true;
}

bool ReadingController::ReadRoot()
{
    const int32_t current = status_.CurrentText();
    if (current == 0)
        return false;
    answers_->Ask([this, current, options = CurrentArticleOptions(), asked = session_]() -> std::function<void()> {
        const int32_t root = FindRootText(services_, current);
        if (root == 0)
            return [] {};
        auto article = std::make_shared<PreparedArticle>(Prepare(root, options));
        return [this, article, asked] {
            if (asked != session_)
                return;
            status_.SetCurrentText(article->text);
            if (builder_)
                builder_->ReadAheadFrom(article->text);
            ShowPrepared(*article);
            history_.Add(article->text);
        };
    });
    return true;
}

bool ReadingController::SkipComments(std::function<void()> done)
{
    const int32_t current = status_.CurrentText();
    if (current == 0)
        return false;
    answers_->Ask([this, current, done = std::move(done)]() -> std::function<void()> {
        MarkTreeRead(services_, current);
        return done;
    });
    return true;
}

void ReadingController::ChangePriority(int32_t conf, int32_t priority, std::function<void()> taken)
{
    answers_->Ask([this, conf, priority, taken = std::move(taken)]() -> std::function<void()> {
        if (!pellar::ChangePriority(client_, conf, priority))
            return {};
        return [this, conf, priority, taken] {
            PriorityChanged(conf, priority);
            if (taken)
                taken();
        };
    });
}

void ReadingController::ChooseReformat(bool on)
{
    SetReformat(on);
    client_.Config().WriteFlag("ReformatTexts", on);
}

void ReadingController::PostUserMessage(const std::string& line)
{
    client_.UserMessages().PostUserMessage(line);
}

std::vector<std::string> ReadingController::Shortcuts()
{
    return client_.Config().ShortcutMap();
}

void ReadingController::ViewPresentation(ConferenceCommandUi& ui, int32_t confOrPerson)
{
    if (confOrPerson < 1) {
        ui.ShowMessageBox("No such conference");
        return;
    }
    answers_->Ask([this, &ui, confOrPerson, asked = session_]() -> std::function<void()> {
        const int32_t text = PresentationText(client_, confOrPerson);
        return [this, &ui, text, asked] {
            if (asked == session_)
                ui.ShowTextInReadingWindow(text);
        };
    });
}

void ReadingController::SetUnreadInConference(ConferenceCommandUi& ui, int32_t conf)
{
    pellar::SetUnreadInConference(client_, ui, conf);
}

void ReadingController::RefreshConferences(std::function<void()> done)
{
    answers_->Ask([this, done = std::move(done)]() -> std::function<void()> {
        // Rows, counts and selection change under the list's own lock; the
        // views hear through its listener and take them in on the GUI thread.
        confList_.Refresh();
        return done;
    });
}

void ReadingController::SkipTrees(std::vector<int32_t> roots, std::function<void()> done)
{
    answers_->Ask([this, roots = std::move(roots), done = std::move(done)]() -> std::function<void()> {
        for (const int32_t root : roots)
            MarkTreeRead(services_, root);
        return done;
    });
}

std::string ReadingController::ReadingConferenceName() const
{
    const int32_t conf = status_.Conference();
    const auto row = conf > 0 ? confList_.Row(conf) : std::nullopt;
    return row ? row->name : std::string();
}

ReadingController::Caption ReadingController::HistoryCaption(int32_t text) const
{
    const auto found = captions_.find(text);
    return found != captions_.end() ? found->second : Caption{};
}

bool ReadingController::HasCurrentArticle() const
{
    return shown_.available && shown_.text != 0 && shown_.text == status_.CurrentText();
}

std::string ReadingController::FootnoteRefusal() const
{
    if (!HasCurrentArticle())
        return "!No current article available";
    // A footnote belongs to the text it annotates: only its author adds one.
    if (shown_.author.number != client_.CurrentPerson())
        return "!Footnotes to texts can only be added by the author of the original message";
    return {};
}

void ReadingController::PriorityChanged(int32_t conf, int32_t priority)
{
    // Only what the caches hold: nothing is fetched for it.
    if (const auto membership = client_.Cache().GetMembership(conf))
        membership->SetPriority(priority);
}

// --- Work and read-next steps ----------------------------------------------------

bool ReadingController::BeginWork()
{
    if (busy_ > 0)
        return false;
    ++busy_;
    view_.SetBusy(true);
    if (IsConnected() && commands_)
        commands_->UserActive();
    return true;
}

void ReadingController::EndWork()
{
    // A step ends inside its last hand-over: count what it took.
    if (worker_ && !worker_->Finished()) {
        lastStepHandOvers_ = worker_->HandOvers();
        mostStepHandOvers_ = std::max(mostStepHandOvers_, lastStepHandOvers_);
    }
    if (builder_)
        builder_->SetUserWaiting(false);
    if (busy_ > 0)
        --busy_;
    if (busy_ > 0)
        return;
    // A command that ended may have marked texts read.
    RefreshTreeReadMarks();
    view_.SetBusy(false);
    if (readNextPending_) {
        readNextPending_ = false;
        if (!shutDown_ && IsConnected())
            StartStep();
    }
}

bool ReadingController::ReadNext()
{
    if (shutDown_ || !IsConnected())
        return false;
    if (busy_ > 0) {
        // A key pressed while a step runs is not lost: the next step starts
        // when this one ends. Presses meanwhile make one step, not a queue.
        if (!ReadNextRunning())
            return false;
        readNextPending_ = true;
        return true;
    }
    StartStep();
    return true;
}

void ReadingController::StartStep()
{
    BeginWork();
    stepOptions_ = CurrentArticleOptions();
    view_.ReadNextStarting();
    if (builder_)
        builder_->SetUserWaiting(true);
    // The last step has ended, or is in its last hand-over (EndWork starts
    // a pending step): it is joined one step later, never inside its own
    // hand-over.
    retired_ = std::move(worker_);
    worker_ = std::make_unique<TReadNextTextThread>(services_, *gui_, confList_, stepHost_, status_);
    worker_->Start();
}

bool ReadingController::ReadNextRunning() const
{
    return worker_ && !worker_->Finished();
}

void ReadingController::ShowNextText(int32_t text)
{
    status_.SetCurrentText(text);
    history_.Add(text);
    if (builder_)
        builder_->ReadAheadFrom(text);
    if (stepArticle_.text == text && stepArticle_.available)
        ShowPrepared(stepArticle_);
    else
        DisplayCurrentText();
    stepArticle_ = {};
    view_.SelectTreeText(text);
    if (builder_)
        builder_->SetUserWaiting(false);
    // Reading a conference of ten thousand texts does not keep ten thousand
    // bodies and statuses: the oldest read beyond the bound go.
    if (const auto old = kept_.Shown(text))
        client_.Cache().ForgetText(*old);
}

void ReadingController::RefreshTreeReadMarks()
{
    // Every row costs a status and a membership look-up: ten thousand of
    // them took over ten milliseconds after every step. A step or a command
    // that only marked texts read is taken in from its marks alone.
    MVCache& cache = client_.Cache();
    std::vector<MVCache::ReadMark> marks;
    uint64_t seen = marksSeen_;
    const bool allKept = cache.ReadMarksSince(seen, marks);
    const CacheVersion version = cache.Version();
    const bool onlyMarks = allKept && marksVersion_ && version.changes == marksVersion_->changes &&
                           version.reads - marksVersion_->reads == marks.size();
    marksVersion_ = version;
    marksSeen_ = seen;
    if (onlyMarks) {
        std::vector<int32_t> texts;
        texts.reserve(marks.size());
        for (const MVCache::ReadMark& mark : marks) {
            // A conference whose map is not at hand has no text in the tree
            // unread by this mark alone: reading marks every recipient.
            const auto conf = cache.CachedConference(mark.conf);
            if (const int32_t text = conf ? conf->GlobalOf(mark.local, true) : -1; text > 0)
                texts.push_back(text);
        }
        if (tree_.MarkReadSinceRefresh(texts))
            return;
    }
    ++treeMarkWalks_;
    tree_.RefreshReadMarks([this](int32_t text) { return IsTextReadCached(text); });
}

bool ReadingController::IsTextReadCached(int32_t text) const
{
    // Only what the caches hold: no request from the GUI thread.
    MVCache& cache = client_.Cache();
    if (!cache.IsTextStatCached(text))
        return false;
    const std::shared_ptr<TextStatType> stat = cache.GetTextStat(text);
    if (!stat)
        return false;
    bool read = false;
    stat->ForEachMiscInfo<TMiscInfoRcpt>([&](const TMiscInfoRcpt& r) {
        if (const auto membership = cache.GetMembership(r.confNo); membership && membership->IsRead(r.localNo))
            read = true;
    });
    return read;
}

void ReadingController::ChangeActivityKey(std::string_view key)
{
    if (!commands_)
        return;
    for (size_t i = 0; i < MiravoActivities.size(); ++i)
        if (key == MiravoActivities[i].key) {
            commands_->ChangeActivity(static_cast<int>(i));
            return;
        }
}

// --- Conferences and the session ---------------------------------------------------

bool ReadingController::ShowSubjectTree() const
{
    return client_.Config().ReadFlag(ConfigKeys::ShowSubjTree, ConfigDefaultFlag(ConfigKeys::ShowSubjTree));
}

void ReadingController::EnterConference(int32_t conf)
{
    status_.SetConference(conf);
    status_.SetCurrentText(0);
    status_.ClearStack();
}

void ReadingController::ConferenceSelected(int32_t conf)
{
    if (conf != 0 && ShowSubjectTree() && builder_)
        builder_->RequestConference(conf);
    if (conf != 0 && IsConnected() && !services_.DisconnectInProgress())
        services_.Send("Change conference", requests::ChangeConference(conf));
}

void ReadingController::DropConference(int32_t conf)
{
    if (builder_)
        StopBuilderWhileWaiting([this, conf] { builder_->ForgetConference(conf); });
}

void ReadingController::Connected(int32_t selectedConf)
{
    if (!builder_)
        return;
    // A pause the user stopped waiting for is over (the link it waited on has
    // gone) before the builder is released, so that it cannot hold it again.
    JoinBuilderStop();
    builder_->Enqueue(SubjectTreeAsyncThread::PrefetchOrder(services_));
    builder_->Resume();
    if (selectedConf != 0 && ShowSubjectTree())
        builder_->RequestConference(selectedConf);
}

void ReadingController::Disconnecting()
{
    if (builder_)
        StopBuilderWhileWaiting([this] { builder_->Pause(); });
}

void ReadingController::Clear()
{
    history_.Clear();
    kept_.Clear();
    answers_->DropQueued();
    ++session_;
    shown_ = {};
    captions_.clear();
    EnterConference(0);
}

void ReadingController::StopBuilderWhileWaiting(const std::function<void()>& fn)
{
    JoinBuilderStop();
    // The builder stops after the request it is waiting for; the window
    // keeps painting meanwhile, as in any wait for the server.
    auto stopped = std::make_shared<TEvent>(true, false);
    stopping_ = std::thread([fn, stopped] {
        fn();
        stopped->SetEv();
    });
    WaitPlan plan;
    plan.what = "Waiting for the subject tree to stop...";
    plan.waitFor = [stopped](int timeoutMs) { return stopped->WaitFor(timeoutMs) == WaitResult::Signaled; };
    // Nothing to make fail: the user only stops waiting. A disconnect goes on
    // to close the link, which fails the request the builder waits for.
    plan.cancel = [] {};
    if (client_.Waits().Wait(plan) == WaitOutcome::Done)
        JoinBuilderStop();
}

void ReadingController::JoinBuilderStop()
{
    if (stopping_.joinable())
        stopping_.join();
}

} // namespace pellar
