// The reader's side of the reading window: the read status and history, the
// read-next steps on their worker, the subject-tree builder, and the text
// commands that need no widget. The window is a view over it (ReadingView and
// the list and tree ports); the controller owns the threads and ends them in
// Shutdown, the one place they stop.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "core/base/GuiAnswers.h"
#include "core/reading/ClientReadingServices.h"
#include "core/reading/ConfListModel.h"
#include "core/reading/PreparedArticle.h"
#include "core/reading/ReadHistory.h"
#include "core/reading/ReadTextsKept.h"
#include "core/reading/SubjectTreeModel.h"
#include "core/reading/TCurrentReadStatus.h"
#include "core/reading/TReadNextTextThread.h"

namespace pellar {

class CancellableGuiThread;
class Client;
class ConferenceCommandUi;
class SessionCommands;
class SubjectTreeAsyncThread;

// What the controller asks of its window. GUI thread only.
class ReadingView {
public:
    virtual ~ReadingView() = default;
    // Draws the prepared text in the article and commented panes and
    // brings the history buttons up to date.
    virtual void DisplayArticle(const PreparedArticle& article) = 0;
    // After each shown text, its read confirmation settled.
    virtual void TextShown(int32_t text) = 0;
    // Selects the subject-tree node of a text a read-next step showed.
    virtual void SelectTreeText(int32_t text) = 0;
    // The informational line of a step's time report.
    virtual void ShowInfo(const std::string& line) = 0;
    // On with the first piece of work, off when the last ended.
    virtual void SetBusy(bool busy) = 0;
    // A read-next step is about to start.
    virtual void ReadNextStarting() = 0;
    // A step failed on the link: the session should disconnect.
    virtual void RequestDisconnect() = 0;
    virtual bool AskYesNo(const std::string& question) = 0;
    virtual void ShowMessageBox(const std::string& text) = 0;
};

class ReadingController {
public:
    // gui: the hand-over the workers use; answers: the one texts are
    // prepared and the window's questions answered through. Both are
    // cancelled by Shutdown.
    ReadingController(Client& client, std::unique_ptr<CancellableGuiThread> gui, ReadingView& view,
                      std::unique_ptr<CancellableGuiThread> answers);
    // Shutdown().
    ~ReadingController();
    ReadingController(const ReadingController&) = delete;
    ReadingController& operator=(const ReadingController&) = delete;

    // Activity and "user active" notices go through it; null: none.
    void SetSessionCommands(SessionCommands* commands) { commands_ = commands; }
    SessionCommands* Session() const { return commands_; }

    ReadingServices& Services() { return services_; }
    TCurrentReadStatus& ReadStatus() { return status_; }
    ReadHistory& History() { return history_; }
    SubjectTreeAsyncThread* SubjectTreeBuilder() const { return builder_.get(); }
    // The subject tree of the conference read: the builder fills it on its
    // thread, read marks update it, views show it.
    SubjectTreeModel& SubjectTree() { return tree_; }
    // The conference list: rows, counts, order and selection. The read-next
    // worker reads and selects in it on its thread; a selection, from there
    // or from a view, reaches ConferenceSelected.
    ConfListModel& ConfList() { return confList_; }
    // Shows plain the tree's texts that the memberships at hand have read
    // (no request is made); at the end of every piece of work. Takes in only
    // the read marks made since the last time when they are all that
    // changed, and looks at every row otherwise.
    void RefreshTreeReadMarks();
    // How many times the refresh looked at every row (tests, benchmarks).
    int TreeMarkWalks() const { return treeMarkWalks_; }
    // Whether a membership the caches hold has the text read.
    bool IsTextReadCached(int32_t text) const;
    bool IsConnected() const;

    // --- Texts --------------------------------------------------------------
    // Texts are prepared on the answers' worker (fetched, names resolved,
    // laid out) and drawn when they arrive; the GUI thread never waits.
    // Shows the text; "No such text" when it cannot be had.
    void ShowText(int32_t text, bool addToHistory = true);
    // Shows the read status's current text, then asks for a wanted read
    // confirmation.
    void DisplayCurrentText();
    // Texts asked for and not yet drawn (or refused), and commands sent
    // off the GUI thread whose answers have not yet come.
    size_t AnswersPending() const { return answers_->Outstanding(); }
    // The last text drawn; empty before the first and after Clear.
    const PreparedArticle& ShownArticle() const { return shown_; }
    // The article pane joins soft line breaks.
    void SetReformat(bool on) { reformat_ = on; }
    // The user chose to join them or not: kept in the profile too.
    void ChooseReformat(bool on);
    // A line for the user ("!" an error, "i" information).
    void PostUserMessage(const std::string& line);
    // The current key bindings ("keys=command" items).
    std::vector<std::string> Shortcuts();
    // Asks a question off the GUI thread; the answer step runs on it.
    void Ask(GuiAnswers::Question question) { answers_->Ask(std::move(question)); }
    // The name of the conference read, as the conference list has it
    // (nothing is fetched); empty when none.
    std::string ReadingConferenceName() const;
    // The author's name and subject of a text drawn before, for the
    // history menus; empty for one this window did not draw.
    struct Caption {
        std::string author;
        std::string subject;
    };
    Caption HistoryCaption(int32_t text) const;
    // The read status's current text is the one drawn last.
    bool HasCurrentArticle() const;
    // Whether the reader may add a footnote to the current text: only its
    // author may. Empty when allowed, else the line to tell the user.
    std::string FootnoteRefusal() const;
    // After the server took a new priority: the cached membership carries
    // it too, so that the next refresh does not bring the old one back.
    void PriorityChanged(int32_t conf, int32_t priority);
    // Asks the server for the priority off the GUI thread; once it took it,
    // the cached membership carries it and taken runs on the GUI thread (a
    // refusal has posted its reason).
    void ChangePriority(int32_t conf, int32_t priority, std::function<void()> taken);
    // Marks the comment trees of the texts read off the GUI thread, then
    // runs done there.
    void SkipTrees(std::vector<int32_t> roots, std::function<void()> done);
    // The presentation of a conference or person: its number is checked
    // at once ("No such conference" in a box for none), its record fetched
    // off the GUI thread, and its text shown through ui when the answer
    // comes ("No such text" when it has none). Dropped when the session was
    // cleared meanwhile.
    void ViewPresentation(ConferenceCommandUi& ui, int32_t confOrPerson);
    // "Read only the last texts": asks through ui which conference and how
    // many, then sets it and reloads the membership (a conference command:
    // it waits for the server in the session's wait with Cancel).
    void SetUnreadInConference(ConferenceCommandUi& ui, int32_t conf);
    // The conference list brought up to date off the GUI thread (after a
    // command); done, when given, runs on the GUI thread after it. The
    // views follow through the list's own listener.
    void RefreshConferences(std::function<void()> done = {});
    // The history's previous, next or chosen entry, not added again.
    void ShowPrevious();
    void ShowNext();
    void ShowHistoryEntry(int entry);
    // Each text the current one comments; false without a current text.
    bool ReadCommented();
    // The root of the current text's comment tree, added to the history;
    // false without a current text.
    bool ReadRoot();
    // Marks the current text's comment tree read off the GUI thread, then
    // runs done there; false without a current text.
    bool SkipComments(std::function<void()> done = {});
    // Records that the user confirmed reading the text.
    bool AddReceiptConfirmation(int32_t text);

    // --- Work and read-next steps --------------------------------------------
    // Refused while something runs.
    bool BeginWork();
    void EndWork();
    int BusyCount() const { return busy_; }
    // Starts a step; false while offline, busy with other work or shut
    // down. While a step runs, the press is remembered and the next step
    // starts when it ends (true).
    bool ReadNext();
    bool ReadNextRunning() const;
    // Hand-overs to the GUI thread the last read-next step made, and the
    // most any step made (one: its result).
    int LastStepHandOvers() const { return lastStepHandOvers_; }
    int MostStepHandOvers() const { return mostStepHandOvers_; }
    // The session's activity by its key ("read", "reread", "write", ...).
    void ChangeActivityKey(std::string_view key);

    // --- Conferences and the session -------------------------------------------
    // The list selected conf: the status reads in it from its start.
    void EnterConference(int32_t conf);
    // The list's selection changed: the tree is built for it, the server
    // told. Called on the thread that selected (the GUI's or the worker's).
    void ConferenceSelected(int32_t conf);
    // The subject-tree builder forgets a conference that was left.
    void DropConference(int32_t conf);
    // After logon: the builder starts on the selected conference and
    // prefetches those with unread texts.
    void Connected(int32_t selectedConf);
    // Disconnect begins: the builder stops before the link goes.
    void Disconnecting();
    // After disconnect: status and history forget the session.
    void Clear();

    // Ends the read-next worker and the builder: hand-overs in flight are
    // released and dropped, then both are joined. Nothing runs after it.
    void Shutdown();
    bool IsShutDown() const { return shutDown_; }

private:
    // What a read-next step does to the reader.
    class StepHost : public ReadNextHost {
    public:
        explicit StepHost(ReadingController& owner) : owner_(owner) {}
        void PrepareText(int32_t text) override { owner_.PrepareStepText(text); }
        void ShowText(int32_t text) override { owner_.ShowNextText(text); }
        void ShowInfo(const std::string& line) override { owner_.view_.ShowInfo(line); }
        void ChangeActivity(std::string_view key) override { owner_.ChangeActivityKey(key); }
        void Disconnect() override { owner_.view_.RequestDisconnect(); }
        void EndWork() override { owner_.EndWork(); }

    private:
        ReadingController& owner_;
    };

    void ShowNextText(int32_t text);
    // The read-next worker's thread: the text it found, made ready before
    // its hand-over.
    void PrepareStepText(int32_t text);
    // What a text is laid out with, read on the GUI thread.
    ArticleOptions CurrentArticleOptions() const;
    // A worker's thread: fetches and lays out the text.
    PreparedArticle Prepare(int32_t text, const ArticleOptions& options);
    // GUI thread: draws it, then asks for a wanted read confirmation.
    void ShowPrepared(const PreparedArticle& article);
    void StartStep();
    void ReadConfirmation(const PreparedArticle& article);
    bool ShowSubjectTree() const;
    // Runs fn (which stops the builder after the request it waits for) on a
    // helper thread while the GUI thread waits through the blocking-wait port,
    // painting and offering Cancel. Cancel ends the wait, not the stop: the
    // builder stops on its own once its request is answered or fails, and the
    // helper is joined at the next stop, the next logon or shutdown.
    void StopBuilderWhileWaiting(const std::function<void()>& fn);
    // Joins a stop the user gave up waiting for.
    void JoinBuilderStop();

    Client& client_;
    ReadingView& view_;
    ClientReadingServices services_;
    std::unique_ptr<CancellableGuiThread> gui_;
    TCurrentReadStatus status_;
    ReadHistory history_;
    ReadTextsKept kept_;
    // What the tree's read marks were last brought up to: the caches'
    // version and the count of read marks reported.
    std::optional<CacheVersion> marksVersion_;
    uint64_t marksSeen_ = 0;
    int treeMarkWalks_ = 0;
    SessionCommands* commands_ = nullptr;
    int busy_ = 0;
    std::atomic<bool> shutDown_{false};
    StepHost stepHost_{*this};
    bool reformat_ = false;
    PreparedArticle shown_;
    // Raised by Clear: a text asked for before it is not drawn after it.
    uint64_t session_ = 0;
    // Author's name and subject of the texts drawn, for the history menus.
    std::map<int32_t, Caption> captions_;
    // Written by a step's worker before its hand-over, read inside it.
    ArticleOptions stepOptions_;
    PreparedArticle stepArticle_;
    std::unique_ptr<GuiAnswers> answers_;
    std::unique_ptr<TReadNextTextThread> worker_;
    std::unique_ptr<TReadNextTextThread> retired_;  // the step before, maybe still in its last hand-over
    bool readNextPending_ = false;
    int lastStepHandOvers_ = 0;
    int mostStepHandOvers_ = 0;
    // Declared before the workers, which write into them until joined.
    ConfListModel confList_;
    SubjectTreeModel tree_;
    std::unique_ptr<SubjectTreeAsyncThread> builder_;
    // The last builder stop's helper, while not yet joined.
    std::thread stopping_;
};

} // namespace pellar
