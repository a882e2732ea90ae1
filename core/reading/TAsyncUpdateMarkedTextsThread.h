// The loader behind the "Marked texts" window: asks the server for the user's
// marks and hands one row per mark (text, type, subject) to the window.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace pellar {

class GuiThread;
class ReadingServices;

// The marks window. Called on the GUI thread only.
class MarkedTextsView
{
public:
    virtual ~MarkedTextsView() = default;
    // "Working" while loading, empty afterwards.
    virtual void SetWorkingLabel(const std::string& text) = 0;
    virtual void AddMarkRow(const std::string& text, const std::string& type, const std::string& subject) = 0;
    // The load is over (the loader still inside this call); its owner
    // forgets it afterwards so a refresh can start another.
    virtual void LoaderFinished() = 0;
};

struct MarkRec {
    int32_t text = 0;
    int32_t type = 0;
};

// The "Get marks" reply: a count, the array opening, then pairs of text and
// mark type. Reads no more pairs than the line holds, whatever the count says.
std::vector<MarkRec> ParseMarksReply(std::string_view reply);

// The type a "Change mark type" entry stands for: 100 when it is not a number.
int32_t MarkTypeFromInput(std::string_view input);

class TAsyncUpdateMarkedTextsThread
{
public:
    TAsyncUpdateMarkedTextsThread(ReadingServices& services, GuiThread& gui, MarkedTextsView& view);
    ~TAsyncUpdateMarkedTextsThread();
    TAsyncUpdateMarkedTextsThread(const TAsyncUpdateMarkedTextsThread&) = delete;
    TAsyncUpdateMarkedTextsThread& operator=(const TAsyncUpdateMarkedTextsThread&) = delete;

    void Start();
    // The load on the calling thread.
    void Run();
    void Join();
    bool Working() const { return working_; }
    bool Finished() const { return finished_; }

private:
    ReadingServices& services_;
    GuiThread& gui_;
    MarkedTextsView& view_;
    std::atomic<bool> working_{false};
    std::atomic<bool> finished_{false};
    std::thread thread_;
};

} // namespace pellar
