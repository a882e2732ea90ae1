#include "core/reading/ReadTextsKept.h"

namespace pellar {

std::optional<int32_t> ReadTextsKept::Shown(int32_t text)
{
    ++count_;
    newest_[text] = count_;
    order_.emplace_back(text, count_);
    while (newest_.size() > bound_ && !order_.empty()) {
        const auto [oldest, showing] = order_.front();
        order_.pop_front();
        // An earlier showing of a text shown again since is no reason to go.
        const auto it = newest_.find(oldest);
        if (it != newest_.end() && it->second == showing) {
            newest_.erase(it);
            return oldest;
        }
    }
    // Earlier showings of texts shown again leave the front as they reach it.
    while (!order_.empty() && newest_.count(order_.front().first) &&
           newest_.at(order_.front().first) != order_.front().second)
        order_.pop_front();
    return std::nullopt;
}

void ReadTextsKept::Clear()
{
    order_.clear();
    newest_.clear();
}

} // namespace pellar
