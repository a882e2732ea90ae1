// The marked-texts window's side in core: loads the user's marks on its
// worker, one load at a time, and owns the worker's hand-over and its end.
// The window only draws the rows.
#pragma once

#include "core/base/GuiWorkerRun.h"
#include "core/reading/TAsyncUpdateMarkedTextsThread.h"

namespace pellar {

class ReadingServices;

class MarkedTexts : private MarkedTextsView {
public:
    MarkedTexts(ReadingServices& services, MarkedTextsView& view, GuiHandOvers gui);
    // Stop().
    ~MarkedTexts() override;
    MarkedTexts(const MarkedTexts&) = delete;
    MarkedTexts& operator=(const MarkedTexts&) = delete;

    // Starts a load; false, and nothing happens, while one is still loading.
    bool Refresh();
    // From Refresh until the ended load was forgotten, shortly after the
    // view's LoaderFinished.
    bool Loading() const { return run_.Busy(); }
    // The window goes: the hand-over is cancelled (nothing more reaches the
    // window), then the loader is joined.
    void Stop();

private:
    // MarkedTextsView: the loader's calls, passed on to the window.
    void SetWorkingLabel(const std::string& text) override;
    void AddMarkRow(const std::string& text, const std::string& type, const std::string& subject) override;
    void LoaderFinished() override;

    ReadingServices& services_;
    MarkedTextsView& view_;
    GuiWorkerRun<TAsyncUpdateMarkedTextsThread> run_;
};

} // namespace pellar
