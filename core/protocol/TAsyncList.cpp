#include "core/protocol/TAsyncList.h"

#include <chrono>
#include <mutex>

namespace pellar {

int TAsyncList::Add(std::string s)
{
    int index;
    {
        std::lock_guard lock(*this);
        items_.push_back(std::move(s));
        index = static_cast<int>(items_.size()) - 1;
    }
    cond_.notify_all();
    return index;
}

bool TAsyncList::Pop(std::string& out)
{
    std::lock_guard lock(*this);
    if (items_.empty()) {
        out.clear();
        return false;
    }
    out = std::move(items_.front());
    items_.pop_front();
    return true;
}

int TAsyncList::Count()
{
    std::lock_guard lock(*this);
    return static_cast<int>(items_.size());
}

bool TAsyncList::WaitNotEmpty(int timeoutMs)
{
    std::unique_lock lock(*this);
    auto ready = [this] { return interrupted_ || !items_.empty(); };
    if (timeoutMs < 0)
        cond_.wait(lock, ready);
    else
        cond_.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready);
    return !interrupted_ && !items_.empty();
}

void TAsyncList::Interrupt()
{
    {
        std::lock_guard lock(*this);
        interrupted_ = true;
    }
    cond_.notify_all();
}

void TAsyncList::ClearInterrupt()
{
    std::lock_guard lock(*this);
    interrupted_ = false;
}

} // namespace pellar
