// How workers hand a change to the GUI thread: run fn there and block until it
// is done (inline when already there). The Qt layer implements it; tests and
// the core-only build use InlineGuiThread.
#pragma once

#include <functional>

namespace pellar {

class GuiThread {
public:
    virtual ~GuiThread() = default;
    virtual void invokeAndWait(std::function<void()> fn) = 0;
};

// Runs fn on the calling thread.
class InlineGuiThread : public GuiThread {
public:
    void invokeAndWait(std::function<void()> fn) override
    {
        if (fn)
            fn();
    }
};

} // namespace pellar
