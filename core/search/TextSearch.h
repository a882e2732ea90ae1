// The search window's side in core: runs one text search at a time on its
// worker, hands its rows to the window, and owns the worker's hand-over and
// its end. The window only draws and asks.
#pragma once

#include <optional>
#include <string>

#include "core/base/GuiWorkerRun.h"
#include "core/search/TTextSearchThread.h"

namespace pellar {

class MVCache;

// The search window. GUI thread only.
class TextSearchView : public FindTextResults {
public:
    // The ended search was forgotten: a new one may start.
    virtual void SearchIdle() = 0;
    // Shown right after Finished: the search's outcome in one line ("No
    // texts found", how many texts the pattern could not decide).
    virtual void SearchSummary(const std::string& line) = 0;
};

class TextSearch : private FindTextResults {
public:
    // records: where StartIn finds the conference searched (null: only
    // Start, with the records given).
    TextSearch(TextSource& source, TextSearchView& view, GuiHandOvers gui, MVCache* records = nullptr);
    // Stop().
    ~TextSearch() override;
    TextSearch(const TextSearch&) = delete;
    TextSearch& operator=(const TextSearch&) = delete;

    // The checks that need the whole of params (the conference and the
    // patterns), then the start. An error text for a plain message box when
    // the search may not start; none when it started or one is still running
    // (Searching() tells which).
    std::optional<std::string> Start(FindTextParams params);
    // The same for the conference numbered conf: its membership is looked up
    // among those the caches hold (nothing is fetched), its record is taken
    // on the worker, so the GUI thread never waits for either.
    std::optional<std::string> StartIn(int32_t conf, FindTextParams params);
    // From Start until the ended search was forgotten (SearchIdle).
    bool Searching() const { return run_.Busy(); }
    // The Stop button: the search ends after its current step and reports
    // Finished as usual. Never blocks.
    void RequestStop();
    // The window goes: the search is asked to stop, its hand-over cancelled
    // (nothing more reaches the window, not even Finished), then it is joined.
    void Stop();

private:
    // FindTextResults: the worker's calls, passed on to the window.
    void AddResult(int32_t text, const std::string& author, const std::string& subject) override;
    void Progress(int percent) override;
    void Finished() override;

    TextSource& source_;
    TextSearchView& view_;
    MVCache* records_;
    GuiWorkerRun<TTextSearchThread> run_;
};

} // namespace pellar
