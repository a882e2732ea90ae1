// Questions a window's controller answers off the GUI thread: each question
// runs on one worker thread, in the order asked, and its answer (a step it
// returns) runs on the GUI thread through a cancellable hand-over. So a
// window asks for names, texts or records and draws what comes back, and
// never waits on the server itself.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "core/base/CancellableGuiThread.h"

namespace pellar {

class GuiAnswers {
public:
    // What runs on the worker; the step it returns (may be empty) runs on
    // the GUI thread.
    using Question = std::function<std::function<void()>()>;

    // gui: the hand-over answers arrive through; cancelled by Stop.
    explicit GuiAnswers(std::unique_ptr<CancellableGuiThread> gui);
    // Stop().
    ~GuiAnswers();
    GuiAnswers(const GuiAnswers&) = delete;
    GuiAnswers& operator=(const GuiAnswers&) = delete;

    // Queues the question behind those asked before it; the worker starts
    // with the first. Ignored once stopped.
    void Ask(Question question);
    // Forgets the questions not yet begun (a newer one makes them moot);
    // the one under way still answers.
    void DropQueued();
    // Questions asked whose answers have not yet run or been dropped.
    size_t Outstanding() const;
    // The answer in flight is released and dropped, queued questions too;
    // then the worker is joined. A question under way finishes first (it
    // should not wait long: a request, not a user).
    void Stop();
    bool Stopped() const;

private:
    void Run();

    std::unique_ptr<CancellableGuiThread> gui_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Question> queue_;
    size_t outstanding_ = 0;
    bool stop_ = false;
    std::thread worker_;
};

} // namespace pellar
