// Closing a window that may sit in a frame of the main window's work area.
#pragma once

class QWidget;

namespace pellar {

// Closes the frame around window, which closes the window inside it (and
// takes the frame off the Windows menu); a window on its own is closed
// itself. Its close handling runs either way and may refuse.
void CloseWithFrame(QWidget* window);

} // namespace pellar
