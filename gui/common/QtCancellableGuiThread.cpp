#include "gui/common/QtCancellableGuiThread.h"

#include <QPointer>
#include <QThread>

namespace pellar {

QtCancellableGuiThread::QtCancellableGuiThread(QObject* context)
    : CancellableGuiThread(
          [context](std::function<void()> fn) {
              QMetaObject::invokeMethod(context, std::move(fn), Qt::QueuedConnection);
          },
          [context] { return QThread::currentThread() == context->thread(); })
{
}

} // namespace pellar
