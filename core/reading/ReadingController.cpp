#include "core/reading/ReadingController.h"

#include "core/config/ConfigKeys.h"

#include <algorithm>
#include <thread>

#include "core/base/CancellableGuiThread.h"
#include "core/protocol/MVTransaction.h"
#include "core/commands/MiravoTables.h"
#include "core/protocol/RequestCatalogue.h"
#include "core/protocol/TMiravoMembership.h"
#include "core/protocol/TMiscInfo.h"
#include "core/protocol/TextStatType.h"
#include "core/reading/NextUnread.h"
#include "core/reading/SubjectTree.h"
#include "core/reading/SubjectTreeAsyncThread.h"
#include "core/session/Client.h"
#include "core/session/MVCache.h"
#include "core/session/SessionCommands.h"

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

} // namespace

ReadingController::ReadingController(Client& client, std::unique_ptr<CancellableGuiThread> gui, ReadingView& view)
    : client_(client), view_(view), services_(client), gui_(std::move(gui)), confList_(client.Cache())
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
    MVCache::TextMiss miss = MVCache::TextMiss::Refused;
    if (text != 0 && client_.Cache().GetText(text, miss)) {
        if (addToHistory)
            history_.Add(text);
        DisplayCurrentText();
    } else {
        view_.ShowMessageBox(MissingTextMessage(text, miss, IsConnected()));
    }
}

void ReadingController::DisplayCurrentText()
{
    const int32_t text = status_.CurrentText();
    if (builder_)
        builder_->ReadAheadFrom(text);
    view_.DisplayText(text);
    ReadConfirmation(text);
    view_.TextShown(text);
}

void ReadingController::ReadConfirmation(int32_t text)
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
    if (!view_.AskYesNo(question))
        return;
    if (AddReceiptConfirmation(text))
        // The cached status lacks the new item; without this the question
        // would come again the next time the text is shown.
        client_.Cache().ForgetTextStat(text);
    else
        client_.UserMessages().PostUserMessage("!Failed to add receipt confirmation");
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
    const auto stat = current ? client_.Cache().GetTextStat(current) : nullptr;
    if (!stat)
        return false;
    for (const int32_t parent : ParentLinks(*stat)) {
        status_.SetCurrentText(parent);
        DisplayCurrentText();
    }
    return true;
}

bool ReadingController::ReadRoot()
{
    const int32_t current = status_.CurrentText();
    const int32_t root = current ? FindRootText(services_, current) : 0;
    if (root == 0)
        return false;
    status_.SetCurrentText(root);
    DisplayCurrentText();
    history_.Add(root);
    return true;
}

bool ReadingController::SkipComments()
{
    const int32_t current = status_.CurrentText();
    if (current == 0)
        return false;
    MarkTreeRead(services_, current);
    return true;
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
    DisplayCurrentText();
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
    EnterConference(0);
}

void ReadingController::StopBuilderWhileWaiting(const std::function<void()>& fn)
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

} // namespace pellar
