// The GUI-thread hand-over for workers: runs a function on the Qt event loop's
// thread and blocks the worker until it has run.
#pragma once

#include "core/base/GuiThread.h"

#include <QObject>

namespace pellar {

class QtGuiThread : public GuiThread {
public:
    // Must be created on the GUI thread.
    QtGuiThread();

    // Inline when called on the GUI thread; otherwise queued to it. An
    // exception thrown by fn reaches the caller, not the event loop.
    void invokeAndWait(std::function<void()> fn) override;

private:
    QObject context_;
};

} // namespace pellar
