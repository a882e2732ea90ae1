#include "gui/common/WindowFrame.h"

#include <QMdiSubWindow>
#include <QWidget>

namespace pellar {

void CloseWithFrame(QWidget* window)
{
    if (!window)
        return;
    // Closing only the inner widget would leave its frame on screen, empty,
    // with the old caption.
    if (auto* frame = qobject_cast<QMdiSubWindow*>(window->parentWidget()); frame && frame->widget() == window)
        frame->close();
    else
        window->close();
}

} // namespace pellar
