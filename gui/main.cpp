// The pellar executable: the application object, the running client behind
// the main window, and with --demo the embedded server it logs on to.
#include "gui/shell/AppController.h"
#include "gui/shell/AppIcon.h"
#include "gui/shell/CommandLine.h"
#include "gui/shell/DemoServer.h"
#include "gui/shell/MainForm.h"
#include "gui/shell/TerminationSignals.h"
#include "gui/shell/Translations.h"

#include <QApplication>
#include <QMessageBox>

#include <string>
#include <vector>

int main(int argc, char* argv[])
{
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.emplace_back(argv[i]);
    const pellar::CommandLine options = pellar::ParseCommandLine(args);
    // Before the application object: these must work without a display.
    if (const int code = pellar::AnswerWithoutWindow(options); code >= 0)
        return code;

    // Before the application object, so that a signal during start-up is
    // not lost either.
    pellar::TerminationSignals termination;
    QApplication app(argc, argv);
    // No display name: it would be appended to every window title.
    QApplication::setApplicationName(QStringLiteral("Pellar"));
    QApplication::setOrganizationName(QStringLiteral("Hollin"));
    QApplication::setWindowIcon(pellar::AppIcon());
    // Lets the desktop match our windows to the installed menu entry.
    QGuiApplication::setDesktopFileName(QStringLiteral("net.hollin.Pellar"));
    // Before the first window is made: its texts are translated as it is.
    pellar::InstallTranslations(QString::fromLocal8Bit(options.language.c_str()));

    // The controller's destructor is the shutdown order: log off while the
    // embedded server still runs, the windows, the session's threads, the
    // client, the server.
    pellar::AppController controller;
    pellar::TMainForm& mainForm = controller.MainWindow();
    // A signal that came meanwhile waits in its pipe until the loop runs.
    controller.QuitOnSignals(termination);
    // The reading window, messages, who is on, the tray and the windows the
    // menus open.
    controller.OpenWindows();
    if (options.demo) {
        std::string error;
        if (!controller.StartDemo(pellar::DemoServer::DefaultDatabase(), &error)) {
            QMessageBox::critical(&mainForm, QStringLiteral("Pellar"),
                                  QCoreApplication::translate("Main", "The demo server could not start: %1")
                                      .arg(QString::fromLocal8Bit(error.c_str())));
        }
    } else if (options.autoConnect) {
        mainForm.SetAutoConnect(true, QString::fromStdString(options.startProfile));
    }
    mainForm.show();
    return QApplication::exec();
}
