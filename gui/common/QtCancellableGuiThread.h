// The cancellable GUI-thread hand-over over the Qt event loop: a worker's
// function is queued to the context object's thread and the worker waits,
// until the owner cancels (before it stops the worker).
#pragma once

#include <QObject>

#include "core/base/CancellableGuiThread.h"

namespace pellar {

class QtCancellableGuiThread : public CancellableGuiThread {
public:
    // Create on the GUI thread; context must outlive every hand-over that is
    // not cancelled.
    explicit QtCancellableGuiThread(QObject* context);
};

} // namespace pellar
