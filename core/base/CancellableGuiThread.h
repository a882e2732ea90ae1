// A GUI-thread hand-over that can be called off: once cancelled, waiting
// workers are released and later hand-overs are dropped. Lets the GUI thread
// stop a worker that is itself waiting for the GUI thread without deadlock.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

#include "core/base/GuiThread.h"

namespace pellar {

class CancellableGuiThread : public GuiThread {
public:
    // post runs its function later on the GUI thread without waiting;
    // onGuiThread tells whether the caller is the GUI thread.
    using Poster = std::function<void(std::function<void()>)>;
    CancellableGuiThread(Poster post, std::function<bool()> onGuiThread);

    // Runs every hand-over on the calling thread (tests, no GUI); still
    // drops them once cancelled.
    static std::unique_ptr<CancellableGuiThread> Inline();

    void invokeAndWait(std::function<void()> fn) override;
    void Cancel();
    bool Cancelled() const { return state_->cancelled.load(); }

private:
    struct State {
        std::mutex mutex;
        std::condition_variable cond;
        std::atomic<bool> cancelled{false};
    };
    Poster post_;
    std::function<bool()> onGuiThread_;
    std::shared_ptr<State> state_ = std::make_shared<State>();
};

} // namespace pellar
