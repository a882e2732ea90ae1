#include "core/base/CancellableGuiThread.h"

#include <exception>

namespace pellar {

CancellableGuiThread::CancellableGuiThread(Poster post, std::function<bool()> onGuiThread)
    : post_(std::move(post)), onGuiThread_(std::move(onGuiThread))
{
}

std::unique_ptr<CancellableGuiThread> CancellableGuiThread::Inline()
{
    return std::make_unique<CancellableGuiThread>(nullptr, [] { return true; });
}

void CancellableGuiThread::invokeAndWait(std::function<void()> fn)
{
    if (!fn || state_->cancelled)
        return;
    if (onGuiThread_ && onGuiThread_()) {
        fn();
        return;
    }
    struct Call {
        bool done = false;
        std::exception_ptr failure;
    };
    auto call = std::make_shared<Call>();
    auto state = state_;
    post_([state, call, fn = std::move(fn)] {
        if (!state->cancelled) {
            try {
                fn();
            } catch (...) {
                call->failure = std::current_exception();
            }
        }
        std::lock_guard lock(state->mutex);
        call->done = true;
        state->cond.notify_all();
    });
    std::unique_lock lock(state->mutex);
    state->cond.wait(lock, [&] { return call->done || state->cancelled; });
    if (call->done && call->failure)
        std::rethrow_exception(call->failure);
}

void CancellableGuiThread::Cancel()
{
    std::lock_guard lock(state_->mutex);
    state_->cancelled = true;
    state_->cond.notify_all();
}

} // namespace pellar
