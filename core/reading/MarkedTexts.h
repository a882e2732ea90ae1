// The marked-texts window's side in core: loads the user's marks on its
// worker, one load at a time, and owns the worker's hand-over and its end.
// The window only draws the rows.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "core/base/GuiAnswers.h"
#include "core/base/GuiWorkerRun.h"
#include "core/wire/RequestCatalogue.h"
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
    // While mark commands are still on their way the load waits for them,
    // so that it lists what they left.
    bool Refresh();
    // From Refresh until the ended load was forgotten, shortly after the
    // view's LoaderFinished.
    bool Loading() const { return run_.Busy() || refreshAfterCommands_; }
    // The mark commands of the window, sent in order off the GUI thread
    // (a refusal posts its reason); done runs on the GUI thread after.
    void DeleteMark(int32_t text, std::function<void()> done = {});
    void ChangeMarkType(int32_t text, int32_t markType, std::function<void()> done = {});
    // Mark commands given and not yet answered.
    size_t CommandsPending() const { return commands_ ? commands_->Outstanding() : 0; }
    // The body of a marked text for the preview pane, fetched off the GUI
    // thread and handed to done there (reformatted; empty when the text
    // cannot be had). A preview asked before the last one came is dropped.
    void Preview(int32_t text, std::function<void(int32_t text, const std::string& body)> done);
    // The window goes: the hand-overs are cancelled (nothing more reaches the
    // window), then the loader and the preview's worker are joined.
    void Stop();

private:
    // MarkedTextsView: the loader's calls, passed on to the window.
    void SetWorkingLabel(const std::string& text) override;
    void AddMarkRow(const std::string& text, const std::string& type, const std::string& subject) override;
    void LoaderFinished() override;
    void Command(std::string label, WireRequest request, std::function<void()> done);

    ReadingServices& services_;
    MarkedTextsView& view_;
    GuiHandOvers gui_;
    GuiWorkerRun<TAsyncUpdateMarkedTextsThread> run_;
    std::unique_ptr<GuiAnswers> previews_;
    std::unique_ptr<GuiAnswers> commands_;
    bool refreshAfterCommands_ = false;
};

} // namespace pellar
