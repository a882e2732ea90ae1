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

GuiHandOvers QtGuiHandOvers(QObject* context)
{
    return GuiHandOvers{[context] { return std::make_unique<QtCancellableGuiThread>(context); },
                        [context](std::function<void()> fn) {
                            QMetaObject::invokeMethod(context, std::move(fn), Qt::QueuedConnection);
                        }};
}

} // namespace pellar
