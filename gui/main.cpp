// The pellar executable: the application object, the running client behind
// the main window, and with --demo the embedded server it logs on to.
#include "gui/events/EventsController.h"
#include "gui/shell/AppController.h"
#include "gui/shell/AppIcon.h"
#include "gui/shell/CommandLine.h"
#include "gui/shell/DemoServer.h"
#include "gui/shell/MainForm.h"
#include "gui/shell/ReadingWiring.h"
#include "gui/shell/TerminationSignals.h"

#include <QApplication>
#include <QMessageBox>

#include <string>
#include <vector>

int main(int argc, char* argv[])
{
    // Before any thread starts, so that every thread inherits the mask.
    pellar::TerminationSignals termination;
    QApplication app(argc, argv);
    termination.QuitOnSignal();
    // No display name: it would be appended to every window title.
    QApplication::setApplicationName(QStringLiteral("Pellar"));
    QApplication::setOrganizationName(QStringLiteral("Hollin"));
    QApplication::setWindowIcon(pellar::AppIcon());

    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.emplace_back(argv[i]);
    const pellar::CommandLine options = pellar::ParseCommandLine(args);

    pellar::AppController controller;
    pellar::TMainForm& mainForm = controller.MainWindow();
    pellar::CreateReadingWindow(controller);

    // Messages, who is on and the tray. Created before any logon so that the
    // dispatcher is enabled before the server starts sending notices, and
    // destroyed before the controller's client.
    pellar::EventsController events(controller.ClientContext(), mainForm, &controller.Services());
    QObject::connect(&controller, &pellar::AppController::Connecting, &events, [&events] {
        events.SetEnabled(true);
        events.UpdateActions();
    });
    QObject::connect(&controller, &pellar::AppController::Connected, &events, [&events] { events.UpdateActions(); });
    QObject::connect(&controller, &pellar::AppController::Disconnecting, &events,
                     [&events] { events.SetEnabled(false); });
    QObject::connect(&controller, &pellar::AppController::Disconnected, &events, [&events] {
        events.Disconnected();
        events.UpdateActions();
    });
    if (options.demo) {
        std::string error;
        if (!controller.StartDemo(pellar::DemoServer::DefaultDatabase(), &error)) {
            QMessageBox::critical(&mainForm, QStringLiteral("Pellar"),
                                  QStringLiteral("The demo server could not start: %1")
                                      .arg(QString::fromLocal8Bit(error.c_str())));
        }
    } else if (options.autoConnect) {
        mainForm.SetAutoConnect(true, QString::fromStdString(options.startProfile));
    }
    mainForm.show();
    const int result = QApplication::exec();
    // Log off while the embedded server still runs; the controller then
    // stops it.
    controller.Disconnect();
    return result;
}
