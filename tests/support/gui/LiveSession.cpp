#include "support/gui/LiveSession.h"

#include "support/DemoServer.h"
#include "support/gui/AppDriving.h"

namespace pellar::test {

bool LiveSession::Start(std::string* error, const std::function<void(AppController&)>& beforeConnect)
{
    serverOptions_.charset = serverCharset;
    serverOptions_.passwordIterations = 1000;
    if (persistent)
        serverOptions_.dbPath = state_.filePath(QStringLiteral("server.db")).toStdString();
    server_ = StartDemoServer(error, serverOptions_);
    if (!server_)
        return false;
    serverOptions_.port = server_->Port();

    AppOptions app = QuietAppOptionsWithGreetingTimeout(state_);
    app.dataDir = app.stateDir / "data";
    app_ = std::make_unique<AppController>(app);
    app_->Messages().SetShower([this](QMessageBox::Icon, const QString& text) { messages.push_back(text); });

    if (beforeConnect)
        beforeConnect(*app_);
    AnswerLogin(QString::number(server_->Port()), QString::fromLatin1(kDemoUser), QString::fromLatin1(kDemoPassword));
    app_->MainWindow().Menus()->SessionConnectAction->trigger();
    if (!app_->MainWindow().IsOnline()) {
        *error = "logon failed";
        return false;
    }
    return true;
}

bool LiveSession::RestartServer(std::string* error)
{
    server_.reset();
    server_ = StartDemoServer(error, serverOptions_);
    return server_ != nullptr;
}

void LiveSession::Stop()
{
    if (app_)
        app_->Disconnect();
    app_.reset();
    server_.reset();
}

int32_t LiveSession::Number(const std::string& name, bool persons)
{
    for (const NameMatch& m : app_->Services().names->Lookup(name, persons, !persons).matches)
        if (m.name == name)
            return m.number;
    return 0;
}

} // namespace pellar::test
