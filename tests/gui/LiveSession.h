// A client wired to its main window and logged on as "Demo User" to the
// reference server in this process, for the writing, search, marks and
// administration window tests. User messages are collected, not shown.
#pragma once

#include "core/config/MemoryRegistryBackend.h"
#include "core/session/Client.h"
#include "gui/dialogs/LoginForm.h"
#include "gui/shell/AppController.h"
#include "gui/shell/MainForm.h"
#include "gui/shell/MainMenus.h"
#include "gui/shell/UserMessagePresenter.h"
#include "GuiTestSupport.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace pellar::test {

class LiveSession {
public:
    // False (with the reason) when the server did not start or the logon
    // failed. beforeConnect runs once the controller exists, before logon.
    bool Start(std::string* error, const std::function<void(AppController&)>& beforeConnect = {})
    {
        server_ = StartDemoServer(error, serverCharset);
        if (!server_)
            return false;

        AppOptions app;
        app.settings = std::make_shared<MemoryRegistryBackend>();
        app.stateDir = std::filesystem::path(state_.path().toStdString());
        app.dataDir = app.stateDir / "data";
        app.diagnosticLogs = false;
        app.logon.greetingTimeout = std::chrono::milliseconds(5000);
        app_ = std::make_unique<AppController>(app);
        app_->Messages().SetShower(
            [this](QMessageBox::Icon, const QString& text) { messages.push_back(text); });

        if (beforeConnect)
            beforeConnect(*app_);
        const QString port = QString::number(server_->Port());
        AnswerDialog<TLoginForm>([port](TLoginForm* login) {
            login->HostEdit()->setText(QStringLiteral("127.0.0.1"));
            login->PortEdit()->setText(port);
            login->UserEdit()->setText(QStringLiteral("Demo User"));
            login->PwdEdit()->setText(QStringLiteral("demo"));
            login->OkButton()->click();
        });
        app_->MainWindow().Menus()->SessionConnectAction->trigger();
        if (!app_->MainWindow().IsOnline()) {
            *error = "logon failed";
            return false;
        }
        return true;
    }

    void Stop()
    {
        if (app_)
            app_->Disconnect();
        app_.reset();
        server_.reset();
    }

    AppController& App() { return *app_; }
    int ServerPort() const { return server_ ? server_->Port() : 0; }
    // The server goes away under the client (its links close).
    void StopServer() { server_.reset(); }
    Client& ClientContext() { return app_->ClientContext(); }

    // A conference's number by its exact name; 0 when none matches.
    int32_t Number(const std::string& name, bool persons = false)
    {
        for (const NameMatch& m : app_->Services().names->Lookup(name, persons, !persons).matches)
            if (m.name == name)
                return m.number;
        return 0;
    }

    std::vector<QString> messages;
    // Set before Start: the set the server's names and texts are in.
    WireCharset serverCharset = WireCharset::Latin1;

private:
    QTemporaryDir state_;
    std::unique_ptr<miravod::Server> server_;
    std::unique_ptr<AppController> app_;
};

} // namespace pellar::test
