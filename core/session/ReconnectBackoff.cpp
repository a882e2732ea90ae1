#include "core/session/ReconnectBackoff.h"

#include <algorithm>

namespace pellar {

ReconnectBackoff::ReconnectBackoff(std::vector<int> steps) : steps_(std::move(steps))
{
    if (steps_.empty())
        steps_.push_back(1);
    for (int& step : steps_)
        step = std::max(step, 1);
}

int ReconnectBackoff::NextDelaySeconds()
{
    const size_t index = std::min(static_cast<size_t>(tries_), steps_.size() - 1);
    ++tries_;
    return steps_[index];
}

} // namespace pellar
