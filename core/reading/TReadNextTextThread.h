// The read-next worker: one step of reading on its own thread. It settles the
// conference from the conference list (the core model, read and selected on
// this thread), asks the read status for the next text, prefetches it, marks
// it read, brings the list's counts up to date, and then hands the GUI thread
// its result once: the text to show (or the line to say), and the end of the
// work. All server waits happen here.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <thread>

namespace pellar {

class GuiThread;
class ReadingServices;
class TCurrentReadStatus;

// The reading window's conference list in its current display order, as the
// step reads it on its own thread (ConfListModel is safe for that).
class ConferenceListPort
{
public:
    virtual ~ConferenceListPort() = default;
    virtual int RowCount() = 0;
    // The conference number in the row's caption.
    virtual int32_t RowConference(int row) = 0;
    // -1 when no row is selected.
    virtual int SelectedRow() = 0;
    // Selects and focuses the row and scrolls it into view.
    virtual void SelectRow(int row) = 0;
    virtual void ScrollIntoView(int row) = 0;
    virtual void ClearSelection() = 0;
    // Brings rows and unread counts up to date with the memberships.
    virtual void Refresh() = 0;
    // Brings up to date the rows of the memberships that changed since the
    // last refresh (the texts a step marked read), leaving the others alone;
    // adds no row. A list without a cheaper way refreshes whole.
    virtual void RefreshChanged() { Refresh(); }
};

// What a step does to the reading window and the session.
class ReadNextHost
{
public:
    virtual ~ReadNextHost() = default;
    // The step's thread, before its hand-over: make ready what ShowText
    // will draw, so that the GUI thread only draws.
    virtual void PrepareText(int32_t) {}
    // GUI thread: show the status's current text, add it to the history and
    // select its subject-tree node if it has one. Called in the step's one
    // hand-over, before EndWork.
    virtual void ShowText(int32_t text) = 0;
    // GUI thread: the informational line of the time report.
    virtual void ShowInfo(const std::string& line) = 0;
    // Any thread, never waits: the session's activity by its key ("read", "wait").
    virtual void ChangeActivity(std::string_view key) = 0;
    // GUI thread: the main window's Disconnect command, after a failed step.
    virtual void Disconnect() = 0;
    // GUI thread: lowers the window's busy counter; called once per step.
    virtual void EndWork() = 0;
};

// The selection step (the worker's thread): the conference to read in, 0 for none.
int32_t SelectReadingConference(ReadingServices& services, ConferenceListPort& list, TCurrentReadStatus& status,
                                ReadNextHost& host);
// The next-conference step (the worker's thread): selects the first row, in display
// order, whose membership has unread texts. On failure the selection is
// cleared and the status leaves its conference.
bool NextReadingConference(ReadingServices& services, ConferenceListPort& list, TCurrentReadStatus& status);

// Owned by the reading window, one per step. Dispose of it once Finished()
// (or from Join on another thread): its last act is the EndWork hand-over,
// so destroying it inside that hand-over would wait for itself.
class TReadNextTextThread
{
public:
    TReadNextTextThread(ReadingServices& services, GuiThread& gui, ConferenceListPort& list, ReadNextHost& host,
                        TCurrentReadStatus& status);
    // Waits for a started step to end.
    ~TReadNextTextThread();
    TReadNextTextThread(const TReadNextTextThread&) = delete;
    TReadNextTextThread& operator=(const TReadNextTextThread&) = delete;

    // Runs the step on a thread of its own; at most once.
    void Start();
    // Runs the step on the calling thread.
    void Run();
    void Join();
    bool Finished() const { return finished_; }

    // The conference of the step's last selection; 0 for none.
    int32_t Conference() const { return conference_; }
    // The server time of the last time report; empty when it could not be had.
    std::string TimeText() const;
    // Hand-overs to the GUI thread the step has made so far (one when it ends).
    int HandOvers() const { return handOvers_; }

private:
    // What the step hands the GUI thread.
    struct Outcome {
        int32_t text = 0;       // to show; 0: none
        std::string info;       // the time report; empty: none
        bool disconnect = false;
    };
    Outcome Step();
    Outcome NothingMore(bool withActivityAndRefresh);

    ReadingServices& services_;
    GuiThread& gui_;
    ConferenceListPort& list_;
    ReadNextHost& host_;
    TCurrentReadStatus& status_;
    std::atomic<int32_t> conference_{0};
    std::string timeText_;  // written by the step, read after Join
    std::atomic<bool> finished_{false};
    std::atomic<int> handOvers_{0};
    std::thread thread_;
};

} // namespace pellar
