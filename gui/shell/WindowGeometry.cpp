#include "gui/shell/WindowGeometry.h"

#include <algorithm>

namespace pellar {

QRect ClampToScreen(const QRect& frame, const QRect& available)
{
    if (available.isEmpty())
        return frame;
    const int top = available.top() + std::min(kTitleBarAllowance, available.height() / 4);
    const int maxWidth = available.width();
    const int maxHeight = available.bottom() - top + 1;
    const int width = std::clamp(frame.width(), 1, maxWidth);
    const int height = std::clamp(frame.height(), 1, maxHeight);
    const int left = std::clamp(frame.left(), available.left(), available.right() - width + 1);
    const int y = std::clamp(frame.top(), top, available.bottom() - height + 1);
    return QRect(left, y, width, height);
}

} // namespace pellar
