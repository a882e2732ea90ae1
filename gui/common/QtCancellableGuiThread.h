// The cancellable GUI-thread hand-over over the Qt event loop: a worker's
// function is queued to the context object's thread and the worker waits,
// until the owner cancels (before it stops the worker).
#pragma once

#include <QObject>

#include "core/base/CancellableGuiThread.h"
#include "core/base/GuiWorkerRun.h"

namespace pellar {

class QtCancellableGuiThread : public CancellableGuiThread {
public:
    // Create on the GUI thread; context must outlive every hand-over that is
    // not cancelled.
    explicit QtCancellableGuiThread(QObject* context);
};

// Hand-overs and later steps for a core controller, queued to context's
// thread; a step still queued when context goes is dropped with it.
GuiHandOvers QtGuiHandOvers(QObject* context);

} // namespace pellar
