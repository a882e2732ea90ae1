// How a thread waits for something it cannot go on without: a reply, a
// connect, the server's greeting. The default blocks the caller; the window
// layer installs one that keeps the GUI painting and lets the user cancel.
#pragma once

#include <functional>
#include <string>

namespace pellar {

struct WaitPlan {
    // Shown to the user when the wait takes a while ("Connecting to h:p...").
    std::string what;
    // Blocks at most timeoutMs (below 0: no limit); true once the wait is
    // over. Called from one thread at a time, not always the same one.
    std::function<bool(int timeoutMs)> waitFor;
    // The user gave up: make the awaited work fail. Empty: there is nothing
    // to give up, and the user is offered no Cancel.
    std::function<void()> cancel;
    // How long the wait may run before it is shown to the user.
    int showAfterMs = 1000;
    // Called on the waiting thread every tickMs while it waits (0: never).
    int tickMs = 0;
    std::function<void()> onTick;
};

enum class WaitOutcome { Done, Cancelled };

class BlockingWait {
public:
    virtual ~BlockingWait() = default;
    // Returns once plan.waitFor said the wait is over, or the user cancelled
    // (after plan.cancel ran).
    virtual WaitOutcome Wait(const WaitPlan& plan) = 0;
};

// Blocks the calling thread; nobody can cancel.
class PlainBlockingWait : public BlockingWait {
public:
    WaitOutcome Wait(const WaitPlan& plan) override;
};

} // namespace pellar
