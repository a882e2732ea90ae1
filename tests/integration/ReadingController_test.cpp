// The reading controller against the reference server, with a scripted
// window and a GUI thread the test drives: read-next steps, the history,
// the busy bracket and how its workers stop.
#include <chrono>
#include <functional>
#include <future>
#include <thread>

#include "core/base/CancellableGuiThread.h"
#include "core/sync/BlockingWait.h"
#include "core/reading/ConferenceCommands.h"
#include "core/reading/ReadingController.h"
#include "core/reading/SubjectTreeAsyncThread.h"
#include "core/reading/SubjectTreeModel.h"
#include "core/link/MVTransaction.h"
#include "core/wire/RequestCatalogue.h"
#include "core/wire/WireTokens.h"
#include "core/session/MVCache.h"
#include "support/QueuedGuiThread.h"
#include "support/SessionFixture.h"

namespace pellar::test {
namespace {

using ::testing::ElementsAre;

struct ScriptedView : ReadingView {
    std::vector<int32_t> displayed, shown, selected;
    std::vector<PreparedArticle> articles;
    std::vector<bool> busy;
    std::vector<std::string> boxes, questions;
    int starts = 0, disconnects = 0;
    void DisplayArticle(const PreparedArticle& article) override
    {
        displayed.push_back(article.text);
        articles.push_back(article);
    }
    void TextShown(int32_t text) override { shown.push_back(text); }
    void SelectTreeText(int32_t text) override { selected.push_back(text); }
    void ShowInfo(const std::string&) override {}
    void SetBusy(bool on) override { busy.push_back(on); }
    void ReadNextStarting() override { ++starts; }
    void RequestDisconnect() override { ++disconnects; }
    bool AskYesNo(const std::string& question) override
    {
        questions.push_back(question);
        return false;
    }
    void ShowMessageBox(const std::string& text) override { boxes.push_back(text); }
};


// What a presentation command shows; the choosers are not used by it.
struct ShownPresentations : ConferenceCommandUi {
    std::vector<std::string> boxes;
    std::vector<int32_t> shown;
    int32_t ChooseName(std::string_view, std::string_view, NameKind) override { return -1; }
    std::optional<std::string> AskString(std::string_view, std::string_view) override { return std::nullopt; }
    void ShowMessageBox(std::string_view text) override { boxes.emplace_back(text); }
    void ShowTextInReadingWindow(int32_t text) override { shown.push_back(text); }
    void OpenComposition(PresentationKind, int32_t, int32_t, const std::string&) override {}
};

// The client's waits: records what each offered and waits the builder's stop
// out, or gives it up at once as a user pressing Cancel would.
class BuilderStopWait : public BlockingWait {
public:
    static constexpr const char* kStop = "Waiting for the subject tree to stop...";
    bool cancelAtOnce = false;
    std::vector<bool> offeredCancel;  // per stop of the builder

    WaitOutcome Wait(const WaitPlan& plan) override
    {
        const bool stop = plan.what == kStop;
        if (stop)
            offeredCancel.push_back(static_cast<bool>(plan.cancel));
        if (stop && cancelAtOnce && plan.cancel) {
            plan.cancel();
            return WaitOutcome::Cancelled;
        }
        plan.waitFor(-1);
        return WaitOutcome::Done;
    }
};

class ReadingControllerTest : public SessionFixture {
protected:
    // A new person, whose join-on-create conference is all unread.
    void LogOnReader(const std::string& name)
    {
        StartServer();
        me.ui.yesNo = {true, false};
        me.ui.newAccounts = {{name, "pw", "pw"}};
        ASSERT_TRUE(LogOn(me, name, "pw"));
        conf = me.client.ServerInfo().JoinOnCreateConf;
        ASSERT_NE(me.client.Cache().GetMembership(conf), nullptr);
        reader = std::make_unique<ReadingController>(me.client, loop.HandOver(), view, loop.HandOver());
        reader->ConfList().Refresh();
        ASSERT_TRUE(reader->ConfList().SelectConference(conf));
        reader->SetSessionCommands(&me.commands);
    }

    void TearDown() override
    {
        if (reader)
            reader->Shutdown();
    }

    // Texts asked for are prepared on a worker and drawn on the test's thread.
    bool Answered()
    {
        return loop.RunUntil([this] { return reader->AnswersPending() == 0; });
    }

    bool StepDone()
    {
        const bool done = loop.RunUntil([this] { return !reader->ReadNextRunning(); });
        loop.RunPending();
        return done;
    }

    // The GUI thread is the test's thread; hand-overs queue until it runs them.
    QueuedGuiThread loop;
    SessionClient me;
    ScriptedView view;
    int32_t conf = 0;
    std::unique_ptr<ReadingController> reader;
};

TEST_F(ReadingControllerTest, AStepShowsTheNextUnreadTextOnTheGuiThreadAndEndsTheWork)
{
    LogOnReader("Controller Stepper");
    ASSERT_TRUE(reader->ReadNext());
    EXPECT_EQ(reader->BusyCount(), 1);
    ASSERT_TRUE(StepDone());

    EXPECT_EQ(view.starts, 1);
    ASSERT_EQ(view.displayed.size(), 1u);
    const int32_t first = view.displayed.front();
    EXPECT_NE(first, 0);
    EXPECT_THAT(view.shown, ElementsAre(first));
    EXPECT_THAT(view.selected, ElementsAre(first));
    EXPECT_EQ(reader->ReadStatus().CurrentText(), first);
    EXPECT_EQ(reader->ReadStatus().Conference(), conf);
    EXPECT_EQ(reader->History().Size(), 1);
    EXPECT_EQ(reader->BusyCount(), 0);
    EXPECT_THAT(view.busy, ElementsAre(true, false));

    // The next step reads another text; going back does not grow the history.
    ASSERT_TRUE(reader->ReadNext());
    ASSERT_TRUE(StepDone());
    ASSERT_EQ(view.displayed.size(), 2u);
    EXPECT_NE(view.displayed[1], first);
    reader->ShowPrevious();
    ASSERT_TRUE(Answered());
    EXPECT_EQ(reader->ReadStatus().CurrentText(), first);
    EXPECT_EQ(view.displayed.back(), first);
    EXPECT_EQ(reader->History().Size(), 2);
    reader->ShowNext();
    ASSERT_TRUE(Answered());
    EXPECT_EQ(reader->ReadStatus().CurrentText(), view.displayed[1]);
    EXPECT_TRUE(view.boxes.empty());
}

TEST_F(ReadingControllerTest, KeysPressedWhileAStepRunsMakeOneMoreStepWhenItEnds)
{
    LogOnReader("Controller Presser");
    ASSERT_TRUE(reader->ReadNext());
    // Pressed twice more before the step ended: neither is lost, and the
    // two make one step, not a queue.
    EXPECT_TRUE(reader->ReadNext());
    EXPECT_TRUE(reader->ReadNext());
    EXPECT_EQ(view.starts, 1);
    ASSERT_TRUE(StepDone());
    EXPECT_EQ(view.starts, 2);
    ASSERT_EQ(view.displayed.size(), 2u);
    EXPECT_NE(view.displayed[0], view.displayed[1]);
    EXPECT_EQ(reader->BusyCount(), 0);
    EXPECT_THAT(view.busy, ElementsAre(true, false, true, false));
    // Other work refuses a step, as before.
    ASSERT_TRUE(reader->BeginWork());
    EXPECT_FALSE(reader->ReadNext());
    reader->EndWork();
    EXPECT_EQ(view.starts, 2);
}

TEST_F(ReadingControllerTest, ATextTheLinkLostIsNotCalledMissingAndIsReadableAfterTheNextLogon)
{
    LogOnReader("Controller Offline");
    ASSERT_TRUE(reader->ReadNext());
    ASSERT_TRUE(StepDone());
    const int32_t text = reader->ReadStatus().CurrentText();
    ASSERT_NE(text, 0);
    me.client.Cache().ForgetText(text);
    relay->Cut();
    ASSERT_TRUE(WaitUntil([&] { return !me.client.ConnectedEvent().IsSet(); }));

    reader->ShowText(text, true);
    ASSERT_TRUE(Answered());
    EXPECT_THAT(view.boxes, ElementsAre("Text " + std::to_string(text) +
                                        " could not be fetched: there is no connection to the server."));
    ASSERT_TRUE(LogOn(me, "Controller Offline", "pw"));
    reader->ShowText(text, true);
    ASSERT_TRUE(Answered());
    EXPECT_EQ(view.boxes.size(), 1u);
    EXPECT_EQ(view.shown.back(), text);
}

TEST_F(ReadingControllerTest, ShowTextAddsToTheHistoryOnlyATextThatExists)
{
    LogOnReader("Controller Shower");
    ASSERT_TRUE(reader->ReadNext());
    ASSERT_TRUE(StepDone());
    const int32_t text = reader->ReadStatus().CurrentText();

    reader->ShowText(999999, true);
    ASSERT_TRUE(Answered());
    EXPECT_THAT(view.boxes, ElementsAre("No such text"));
    EXPECT_EQ(reader->History().Size(), 1);
    reader->ShowText(text, false);
    ASSERT_TRUE(Answered());
    EXPECT_EQ(reader->History().Size(), 1);
    reader->ShowText(text, true);
    ASSERT_TRUE(Answered());
    EXPECT_EQ(reader->History().Size(), 2);
    EXPECT_EQ(view.shown.back(), text);
}

TEST_F(ReadingControllerTest, CommandsWithoutACurrentTextRefuseAndSendNothing)
{
    LogOnReader("Controller Idle");
    relay->ClearSent();
    EXPECT_FALSE(reader->ReadRoot());
    EXPECT_FALSE(reader->ReadCommented());
    EXPECT_FALSE(reader->SkipComments());
    EXPECT_FALSE(reader->HasCurrentArticle());
    EXPECT_EQ(reader->FootnoteRefusal(), "!No current article available");
    ASSERT_TRUE(Answered());
    EXPECT_TRUE(view.displayed.empty());
    // Only the activity notice may have gone out.
    for (const int number : SentRequestNumbers())
        EXPECT_NE(number, 27);
}

TEST_F(ReadingControllerTest, StepsAreRefusedWhileBusyOfflineOrShutDown)
{
    LogOnReader("Controller Refused");
    ASSERT_TRUE(reader->BeginWork());
    EXPECT_FALSE(reader->BeginWork());
    EXPECT_FALSE(reader->ReadNext());
    reader->EndWork();
    reader->Shutdown();
    EXPECT_FALSE(reader->ReadNext());
    EXPECT_EQ(view.starts, 0);
}

TEST_F(ReadingControllerTest, ShutdownReleasesAStepWaitingForTheGuiThread)
{
    LogOnReader("Controller Stopper");
    ASSERT_TRUE(reader->ReadNext());
    // The step waits for its first hand-over, which the test never runs.
    ASSERT_TRUE(WaitUntil([this] { return loop.Pending() > 0; }, 10000));
    auto stopped = std::async(std::launch::async, [this] { reader->Shutdown(); });
    ASSERT_EQ(stopped.wait_for(std::chrono::seconds(20)), std::future_status::ready) << "shutdown hung";
    EXPECT_FALSE(reader->ReadNextRunning());
    // What was left for the GUI thread is dropped, not run.
    loop.RunPending();
    EXPECT_TRUE(view.displayed.empty());
    EXPECT_EQ(reader->SubjectTreeBuilder(), nullptr);
}

TEST_F(ReadingControllerTest, TheBuilderPlacesTheSelectedConferenceAfterLogonAndPausesOnDisconnect)
{
    LogOnReader("Controller Builder");
    reader->Connected(conf);
    ASSERT_TRUE(loop.RunUntil([this] {
        SubjectTreeAsyncThread* b = reader->SubjectTreeBuilder();
        return b->RunsCompleted() > 0 && !reader->SubjectTree().NodesOfText(b->LastText()).empty();
    }));
    reader->Disconnecting();
    EXPECT_TRUE(reader->SubjectTreeBuilder()->IsHeld());
}

TEST_F(ReadingControllerTest, AStepHandsOverItsTextReadyWithNamesResolved)
{
    LogOnReader("Controller Prepared");
    ASSERT_TRUE(reader->ReadNext());
    ASSERT_TRUE(StepDone());
    ASSERT_EQ(view.articles.size(), 1u);
    const PreparedArticle& article = view.articles.front();
    ASSERT_TRUE(article.available);
    EXPECT_EQ(article.text, reader->ReadStatus().CurrentText());
    // Made on the step's worker: still its one hand-over, nothing asked after.
    EXPECT_EQ(reader->MostStepHandOvers(), 1);
    EXPECT_EQ(reader->AnswersPending(), 0u);
    EXPECT_TRUE(article.author.resolved);
    EXPECT_EQ(article.author.name, me.client.Cache().GetName(article.author.number));
    ASSERT_FALSE(article.recipients.empty());
    EXPECT_EQ(article.unresolvedNames, 0);
    EXPECT_FALSE(article.runs.empty());
    EXPECT_EQ(reader->HistoryCaption(article.text).author, article.author.name);
    EXPECT_EQ(reader->HistoryCaption(article.text).subject, article.subject);
}

TEST_F(ReadingControllerTest, OnlyTheAuthorOfTheTextShownMayAddAFootnote)
{
    LogOnReader("Controller Footnoter");
    TGenericTrans create(me.client.Protocol(), "Create text",
                         requests::CreateText("Mine\nBody", "1 { 0 " + std::to_string(conf) + " }", "0 { }"));
    ASSERT_TRUE(me.client.Transactions().ExecuteAndWait(create));
    size_t pos = 0;
    const int32_t mine = ReadInt(create.ReplyLine(), pos);
    ASSERT_GT(mine, 0);

    reader->ShowText(mine, true);
    // Until the text is drawn there is nothing to annotate.
    EXPECT_FALSE(reader->HasCurrentArticle());
    ASSERT_TRUE(Answered());
    ASSERT_TRUE(reader->HasCurrentArticle());
    EXPECT_EQ(reader->ShownArticle().author.number, me.client.CurrentPerson());
    EXPECT_EQ(reader->FootnoteRefusal(), "");

    // The conference's texts are somebody else's: refused with the reason.
    ASSERT_TRUE(reader->ReadNext());
    ASSERT_TRUE(StepDone());
    const PreparedArticle& other = reader->ShownArticle();
    ASSERT_TRUE(other.available);
    ASSERT_NE(other.author.number, me.client.CurrentPerson());
    EXPECT_EQ(reader->FootnoteRefusal(), "!Footnotes to texts can only be added by the author of the original message");
}

TEST_F(ReadingControllerTest, APriorityTheServerTookIsWrittenIntoTheCachedMembership)
{
    LogOnReader("Controller Priority");
    const auto membership = me.client.Cache().GetMembership(conf);
    ASSERT_NE(membership, nullptr);
    const int32_t before = membership->Priority();
    reader->PriorityChanged(conf, before + 17);
    EXPECT_EQ(me.client.Cache().GetMembership(conf)->Priority(), before + 17);
    // A conference not among the memberships is not fetched for it.
    relay->ClearSent();
    reader->PriorityChanged(conf + 1000, 5);
    EXPECT_TRUE(SentRequestNumbers().empty());

    // Asked of the server off the GUI thread: taken runs only for a priority
    // the server took, and the membership follows.
    int taken = 0;
    reader->ChangePriority(conf, 200, [&] { ++taken; });
    EXPECT_EQ(taken, 0);
    ASSERT_TRUE(Answered());
    EXPECT_EQ(taken, 1);
    EXPECT_EQ(me.client.Cache().GetMembership(conf)->Priority(), 200);
    reader->ChangePriority(conf, 99999, [&] { ++taken; });
    ASSERT_TRUE(Answered());
    EXPECT_EQ(taken, 1);
    EXPECT_EQ(me.client.Cache().GetMembership(conf)->Priority(), 200);
}

TEST_F(ReadingControllerTest, SkippedTreesAreMarkedReadOffTheGuiThreadAndThenTold)
{
    LogOnReader("Controller Skipper");
    auto membership = me.client.Cache().GetMembership(conf);
    auto record = me.client.Cache().GetConference(conf);
    const int32_t local = record->FindNextText(record->FirstLocalNo(), record->HighestLocalNo(), membership.get(), true);
    ASSERT_GT(local, 0);
    ASSERT_FALSE(membership->IsRead(local));
    const int32_t text = record->GlobalOf(local, false);
    ASSERT_GT(text, 0);
    bool told = false;
    reader->SkipTrees({text}, [&] { told = true; });
    EXPECT_FALSE(told);
    ASSERT_TRUE(Answered());
    EXPECT_TRUE(told);
    EXPECT_TRUE(me.client.Cache().GetMembership(conf)->IsRead(local));
}

TEST_F(ReadingControllerTest, ATextAskedForBeforeTheSessionWasClearedIsNotDrawnAfterIt)
{
    LogOnReader("Controller Cleared");
    ASSERT_TRUE(reader->ReadNext());
    ASSERT_TRUE(StepDone());
    const int32_t text = reader->ReadStatus().CurrentText();
    ASSERT_EQ(view.displayed.size(), 1u);

    // One prepared and waiting for the GUI thread, one queued behind it.
    reader->ShowText(text, true);
    reader->ShowText(999999, true);
    ASSERT_TRUE(loop.WaitForPending(1));
    reader->Clear();
    ASSERT_TRUE(Answered());
    EXPECT_EQ(view.displayed.size(), 1u);
    EXPECT_TRUE(view.boxes.empty());
    EXPECT_EQ(reader->History().Size(), 0);
    EXPECT_FALSE(reader->HasCurrentArticle());

    // Afterwards texts are drawn as before.
    reader->ShowText(text, true);
    ASSERT_TRUE(Answered());
    EXPECT_EQ(view.displayed.size(), 2u);
}

TEST_F(ReadingControllerTest, APresentationIsFetchedOffTheGuiThreadAndShownWhenItsAnswerRuns)
{
    LogOnReader("Controller Presenter");
    const int32_t self = me.client.CurrentPerson();
    const int32_t text = me.CreateText(self, "About me", "Reads a lot.");
    ASSERT_GT(text, 0);
    TGenericTrans set(me.client.Protocol(), "Set presentation", requests::SetPresentation(self, text));
    ASSERT_TRUE(me.client.Transactions().ExecuteAndWait(set));
    me.client.Cache().ForgetConferenceStatuses();

    ShownPresentations ui;
    // No number: said at once, nothing asked of the server.
    reader->ViewPresentation(ui, 0);
    EXPECT_EQ(ui.boxes, std::vector<std::string>{"No such conference"});
    EXPECT_EQ(reader->AnswersPending(), 0u);

    reader->ViewPresentation(ui, self);
    reader->ViewPresentation(ui, conf);  // the new person's conference has none
    // Nothing is shown until the GUI thread runs the answers.
    ASSERT_TRUE(loop.WaitForPending(1));
    EXPECT_TRUE(ui.shown.empty());
    ASSERT_TRUE(Answered());
    EXPECT_EQ(ui.shown, (std::vector<int32_t>{text, 0}));
    EXPECT_EQ(ui.boxes.size(), 1u);

    // An answer that comes after the session was cleared shows nothing.
    reader->ViewPresentation(ui, self);
    ASSERT_TRUE(loop.WaitForPending(1));
    reader->Clear();
    ASSERT_TRUE(Answered());
    EXPECT_EQ(ui.shown.size(), 2u);
}

TEST_F(ReadingControllerTest, ARefreshAfterACommandWalksTheMembershipsOnTheWorker)
{
    LogOnReader("Controller Refresher");
    const int32_t self = me.client.CurrentPerson();
    // Only conferences with unread texts are listed: the letterbox is not.
    ASSERT_FALSE(reader->ConfList().Row(self));
    std::thread::id toldOn;
    reader->ConfList().SetChangeListener([&] { toldOn = std::this_thread::get_id(); });
    reader->ConfList().TakeSnapshot();  // the logon's changes taken: the next are told
    reader->ConfList().SetShowEntireMembership(true);
    bool done = false;
    reader->RefreshConferences([&] { done = true; });
    // The rows change on the worker, which tells the list's listener there;
    // the end runs on the GUI thread once it takes it.
    ASSERT_TRUE(loop.WaitForPending(1));
    EXPECT_FALSE(done);
    EXPECT_TRUE(reader->ConfList().Row(self).has_value());
    EXPECT_NE(toldOn, std::thread::id());
    EXPECT_NE(toldOn, std::this_thread::get_id());
    ASSERT_TRUE(Answered());
    EXPECT_TRUE(done);
    reader->ConfList().SetChangeListener(nullptr);
}

TEST_F(ReadingControllerTest, TheReformatChoiceIsKeptInTheProfile)
{
    LogOnReader("Controller Reformatter");
    reader->ChooseReformat(true);
    EXPECT_TRUE(me.client.Config().ReadFlag("ReformatTexts", false));
    reader->ChooseReformat(false);
    EXPECT_FALSE(me.client.Config().ReadFlag("ReformatTexts", true));
}

TEST_F(ReadingControllerTest, TheBuildersStopOffersCancelAndAStopGivenUpEndsOnItsOwn)
{
    LogOnReader("Controller Stop Waiter");
    BuilderStopWait wait;
    me.client.SetBlockingWait(&wait);
    struct Uninstall {
        Client& client;
        ~Uninstall() { client.SetBlockingWait(nullptr); }
    } uninstall{me.client};
    SubjectTreeAsyncThread* builder = reader->SubjectTreeBuilder();
    reader->Connected(conf);
    ASSERT_TRUE(loop.RunUntil([&] { return builder->RunsCompleted() > 0; }));

    reader->Disconnecting();
    EXPECT_EQ(wait.offeredCancel, std::vector<bool>{true});
    EXPECT_TRUE(builder->IsHeld());

    // The next logon releases it; the user gives up waiting for the next stop.
    reader->Connected(conf);
    EXPECT_FALSE(builder->IsHeld());
    wait.cancelAtOnce = true;
    reader->Disconnecting();
    EXPECT_EQ(wait.offeredCancel, (std::vector<bool>{true, true}));
    // Held all the same once its helper got there; the logon after joins it
    // and releases the builder.
    EXPECT_TRUE(WaitUntil([&] { return builder->IsHeld(); }, 5000));
    reader->Connected(conf);
    EXPECT_FALSE(builder->IsHeld());

    // A stop given up is joined by shutdown too.
    reader->Disconnecting();
    reader->Shutdown();
    EXPECT_TRUE(reader->IsShutDown());
}

} // namespace
} // namespace pellar::test
