// The button a tool bar shows when its window is too narrow for all its
// actions ("»", with the rest in a menu) comes without a name for screen
// readers; this gives it one.
#pragma once

class QToolBar;

namespace pellar {

void NameToolBarOverflow(QToolBar* bar);

} // namespace pellar
