// Puts the reading window into the main window and connects it to the
// session: what logon and the commands ask of it, Connect and Disconnect.
#pragma once

namespace pellar {

class AppController;
class TReadArticleForm;

// The window is a child of the main window's client area.
TReadArticleForm* CreateReadingWindow(AppController& app);

} // namespace pellar
