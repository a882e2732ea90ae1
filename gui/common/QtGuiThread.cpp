#include "gui/common/QtGuiThread.h"

#include <QThread>

#include <exception>

namespace pellar {

QtGuiThread::QtGuiThread() = default;

void QtGuiThread::invokeAndWait(std::function<void()> fn)
{
    if (!fn)
        return;
    if (QThread::currentThread() == context_.thread()) {
        fn();
        return;
    }
    std::exception_ptr failure;
    QMetaObject::invokeMethod(
        &context_,
        [&fn, &failure] {
            try {
                fn();
            } catch (...) {
                failure = std::current_exception();
            }
        },
        Qt::BlockingQueuedConnection);
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace pellar
