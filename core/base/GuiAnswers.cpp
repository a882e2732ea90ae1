#include "core/base/GuiAnswers.h"

namespace pellar {

GuiAnswers::GuiAnswers(std::unique_ptr<CancellableGuiThread> gui) : gui_(std::move(gui)) {}

GuiAnswers::~GuiAnswers()
{
    Stop();
}

void GuiAnswers::Ask(Question question)
{
    std::lock_guard lock(mutex_);
    if (stop_ || !question)
        return;
    queue_.push_back(std::move(question));
    ++outstanding_;
    if (!worker_.joinable())
        worker_ = std::thread([this] { Run(); });
    wake_.notify_one();
}

void GuiAnswers::DropQueued()
{
    std::lock_guard lock(mutex_);
    outstanding_ -= queue_.size();
    queue_.clear();
}

size_t GuiAnswers::Outstanding() const
{
    std::lock_guard lock(mutex_);
    return outstanding_;
}

bool GuiAnswers::Stopped() const
{
    std::lock_guard lock(mutex_);
    return stop_;
}

void GuiAnswers::Stop()
{
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
        outstanding_ -= queue_.size();
        queue_.clear();
    }
    wake_.notify_all();
    // The worker may be waiting for the GUI thread, which is the caller.
    gui_->Cancel();
    if (worker_.joinable())
        worker_.join();
    // The answer in flight, if any, was dropped.
    std::lock_guard lock(mutex_);
    outstanding_ = 0;
}

void GuiAnswers::Run()
{
    for (;;) {
        Question question;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stop_ || !queue_.empty(); });
            if (stop_)
                return;
            question = std::move(queue_.front());
            queue_.pop_front();
        }
        std::function<void()> answer;
        try {
            answer = question();
        } catch (...) {
            // A question that fails has no answer; the next one still runs.
        }
        // Counted down inside the hand-over, so that a window that looks at
        // Outstanding from its answer sees itself done.
        gui_->invokeAndWait([this, &answer] {
            {
                std::lock_guard lock(mutex_);
                --outstanding_;
            }
            if (answer)
                answer();
        });
        if (gui_->Cancelled())
            return;
    }
}

} // namespace pellar
