// A saved window size and place made to fit the screen it opens on: a size
// saved at another scale or on a larger screen must not make a window larger
// than the screen, and the title bar must be where the user can grab it.
#pragma once

#include <QRect>

namespace pellar {

// Room kept above the window's inner area for a title bar the window manager
// adds; its real height is not known before the window is shown.
inline constexpr int kTitleBarAllowance = 32;

// frame: the inner geometry as saved; available: the screen's available
// geometry. The result keeps the saved size and place where they fit.
QRect ClampToScreen(const QRect& frame, const QRect& available);

} // namespace pellar
