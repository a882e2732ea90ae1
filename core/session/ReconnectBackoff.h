// How long to wait before each try to connect again after a lost link: soon
// at first, so that a server restarted at once is found at once, then longer
// and longer up to a ceiling, so that one down for an hour is not hammered.
#pragma once

#include <vector>

namespace pellar {

class ReconnectBackoff {
public:
    // steps: the waits in seconds, the last one repeated for ever; none or
    // a step below one second counts as one second.
    explicit ReconnectBackoff(std::vector<int> steps = {2, 4, 8, 15, 30, 60});

    // The wait before the next try, and counts that try.
    int NextDelaySeconds();
    // Tries counted since the start or the last Reset.
    int Tries() const { return tries_; }
    // The link came back, or the user stopped the tries: start from the first wait.
    void Reset() { tries_ = 0; }

private:
    std::vector<int> steps_;
    int tries_ = 0;
};

} // namespace pellar
