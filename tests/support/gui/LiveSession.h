// A client wired to its main window and logged on as the demo user to the
// reference server in this process, through the login dialog, for the window
// tests that need the whole application. User messages are collected, not shown.
#pragma once

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QString>
#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/config/MemoryRegistryBackend.h"
#include "core/session/Client.h"
#include "gui/dialogs/LoginForm.h"
#include "gui/shell/AppController.h"
#include "gui/shell/MainForm.h"
#include "gui/shell/MainMenus.h"
#include "gui/shell/UserMessagePresenter.h"
#include "server/Server.h"
#include "support/gui/GuiTestSupport.h"

namespace pellar::test {

class LiveSession {
public:
    // False (with the reason) when the server did not start or the logon
    // failed. beforeConnect runs once the controller exists, before logon.
    bool Start(std::string* error, const std::function<void(AppController&)>& beforeConnect = {});
    void Stop();

    AppController& App() { return *app_; }
    int ServerPort() const { return server_ ? server_->Port() : 0; }
    // The server goes away under the client (its links close).
    void StopServer() { server_.reset(); }
    // A server again on the port the first one had, over the same data
    // when persistent (else seeded afresh); false (and why) when it did not start.
    bool RestartServer(std::string* error);
    Client& ClientContext() { return app_->ClientContext(); }

    // A conference's number by its exact name; 0 when none matches.
    int32_t Number(const std::string& name, bool persons = false);

    std::vector<QString> messages;
    // Set before Start: the set the server's names and texts are in.
    WireCharset serverCharset = WireCharset::Latin1;
    // Set before Start: the server keeps its data in a file of its own, so
    // that a restarted one finds what the first one stored.
    bool persistent = false;

private:
    QTemporaryDir state_;
    std::unique_ptr<miravod::Server> server_;
    miravod::ServerOptions serverOptions_;
    std::unique_ptr<AppController> app_;
};

} // namespace pellar::test
