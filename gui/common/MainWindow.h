// What the child windows (reading, writing, messages) need of the program's
// frame: the status bar they write notices and key commands to and the work
// area they live in. The frame (TMainForm, in the shell) implements it, so
// the windows never include the shell.
#pragma once

#include <QMainWindow>

class QMdiArea;
class QMdiSubWindow;

namespace pellar {

class TMainStatusBar;

class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    using QMainWindow::QMainWindow;

    // The status bar: notices, the busy text, the key command being typed.
    virtual TMainStatusBar* StatusBar1() const = 0;
    // The work area holding the child windows.
    virtual QMdiArea* MdiArea() const = 0;
    // Shows a window in the work area; its frame there.
    virtual QMdiSubWindow* AddChildWindow(QWidget* window) = 0;
};

} // namespace pellar
