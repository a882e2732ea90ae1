// A token bucket: up to `burst` actions at once, then `perSecond` more each
// second. A rate of 0 means no limit.
#pragma once

#include <algorithm>
#include <chrono>

namespace miravod {

struct Rate {
    double perSecond = 0;
    double burst = 0;
};

class TokenBucket {
public:
    using Clock = std::chrono::steady_clock;

    // Takes one token; false (and nothing taken) when none is left.
    bool Take(const Rate& rate, Clock::time_point now)
    {
        if (rate.perSecond <= 0) return true;
        if (!started_) {
            tokens_ = rate.burst;
            started_ = true;
        } else {
            const double earned = std::chrono::duration<double>(now - refilled_).count() * rate.perSecond;
            tokens_ = std::min(rate.burst, tokens_ + earned);
        }
        refilled_ = now;
        if (tokens_ < 1) return false;
        tokens_ -= 1;
        return true;
    }

private:
    double tokens_ = 0;
    Clock::time_point refilled_{};
    bool started_ = false;
};

} // namespace miravod
