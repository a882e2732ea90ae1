// The pellar executable: the application object and the main window.
#include "gui/shell/CommandLine.h"
#include "gui/shell/MainForm.h"

#include <QApplication>

#include <string>
#include <vector>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pellar"));
    QApplication::setApplicationDisplayName(QStringLiteral("Pellar"));

    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.emplace_back(argv[i]);
    const pellar::CommandLine options = pellar::ParseCommandLine(args);

    pellar::TMainForm mainForm;
    // TODO(session): --demo starts the embedded server and logs on once the
    // session layer is wired; until then it only shows the window.
    if (options.autoConnect)
        mainForm.SetAutoConnect(true, QString::fromStdString(options.startProfile));
    mainForm.show();
    return QApplication::exec();
}
