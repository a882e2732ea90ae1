// Driving a whole application controller in the window tests: options that
// keep it out of the user's settings and logs, and Connect through the real
// login dialog answered with a host, port, name and password.
#pragma once

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QString>
#include <QTemporaryDir>

#include <chrono>
#include <memory>

#include "core/config/MemoryRegistryBackend.h"
#include "gui/dialogs/LoginForm.h"
#include "gui/shell/AppController.h"
#include "gui/shell/MainForm.h"
#include "gui/shell/MainMenus.h"
#include "support/gui/GuiTestSupport.h"

namespace pellar::test {

// Settings in memory, state in `state`, no diagnostic logs.
inline AppOptions QuietAppOptions(const QTemporaryDir& state)
{
    AppOptions options;
    options.settings = std::make_shared<MemoryRegistryBackend>();
    options.stateDir = std::filesystem::path(state.path().toStdString());
    options.diagnosticLogs = false;
    return options;
}

// The same, giving up on a server that does not greet within five seconds.
inline AppOptions QuietAppOptionsWithGreetingTimeout(const QTemporaryDir& state)
{
    AppOptions options = QuietAppOptions(state);
    options.logon.greetingTimeout = std::chrono::milliseconds(5000);
    return options;
}

// Fills in and accepts the next login dialog, for a server on this host.
inline void AnswerLogin(const QString& port, const QString& user = QStringLiteral("Demo User"),
                        const QString& password = QStringLiteral("demo"))
{
    AnswerDialog<TLoginForm>([port, user, password](TLoginForm* login) {
        login->HostEdit()->setText(QStringLiteral("127.0.0.1"));
        login->PortEdit()->setText(port);
        login->UserEdit()->setText(user);
        login->PwdEdit()->setText(password);
        login->OkButton()->click();
    });
}

// Session > Connect with the login dialog answered; true when the window is
// online afterwards.
inline bool ConnectThroughLogin(AppController& app, int port, const QString& user = QStringLiteral("Demo User"),
                                const QString& password = QStringLiteral("demo"))
{
    AnswerLogin(QString::number(port), user, password);
    app.MainWindow().Menus()->SessionConnectAction->trigger();
    return app.MainWindow().IsOnline();
}

} // namespace pellar::test
