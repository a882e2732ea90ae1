// One run at a time of a worker that hands work to the GUI thread, for the
// core controllers that own such workers: a fresh hand-over per run, the
// deferred forget once the worker's last hand-over has returned, and Stop,
// which cancels the hand-over before it joins.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <utility>

#include "core/base/CancellableGuiThread.h"

namespace pellar {

// What the GUI toolkit gives a controller. Both are called on the GUI thread.
struct GuiHandOvers {
    // A new hand-over for the next run: a cancelled one cannot be reused.
    std::function<std::unique_ptr<CancellableGuiThread>()> make;
    // Runs its function later on the GUI thread, never before returning.
    CancellableGuiThread::Poster post;
};

// Worker: Start() starts its thread, Join() waits for it. GUI thread only.
template <typename Worker>
class GuiWorkerRun {
public:
    explicit GuiWorkerRun(GuiHandOvers gui) : gui_(std::move(gui)) {}
    // Stop().
    ~GuiWorkerRun() { Stop(); }
    GuiWorkerRun(const GuiWorkerRun&) = delete;
    GuiWorkerRun& operator=(const GuiWorkerRun&) = delete;

    // From Start until the deferred forget after the run's end (or Stop).
    bool Busy() const { return worker_ != nullptr; }
    Worker* Current() const { return worker_.get(); }

    // Starts the worker make(handOver) builds; false, and nothing is made,
    // while a run is still busy.
    template <typename Make>
    bool Start(Make&& make)
    {
        if (worker_)
            return false;
        handOver_ = gui_.make();
        worker_ = std::forward<Make>(make)(static_cast<GuiThread&>(*handOver_));
        ++run_;
        worker_->Start();
        return true;
    }

    // Called from the run's last hand-over, the worker still inside it: the
    // run is forgotten once that hand-over has returned, then then() runs.
    // Nothing happens when the run was stopped or this object went first.
    void ForgetWhenDone(std::function<void()> then = {})
    {
        gui_.post([alive = std::weak_ptr<bool>(alive_), this, run = run_, then = std::move(then)] {
            if (!alive.lock() || run != run_ || !worker_)
                return;
            Forget();
            if (then)
                then();
        });
    }

    // A hand-over in flight is released and dropped, later ones too; then
    // the worker is joined and forgotten. Ask the worker to stop first when
    // it has a loop to leave.
    void Stop()
    {
        if (!worker_)
            return;
        handOver_->Cancel();
        Forget();
    }

private:
    void Forget()
    {
        worker_->Join();
        worker_.reset();
        handOver_.reset();
    }

    GuiHandOvers gui_;
    std::unique_ptr<CancellableGuiThread> handOver_;
    std::unique_ptr<Worker> worker_;
    uint64_t run_ = 0;
    // Posted steps check it: the poster may outlive this object.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

} // namespace pellar
