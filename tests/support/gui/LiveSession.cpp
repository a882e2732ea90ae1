#include "support/gui/LiveSession.h"

#include "support/DemoServer.h"

namespace pellar::test {

bool LiveSession::Start(std::string* error, const std::function<void(AppController&)>& beforeConnect)
{
    server_ = StartQuickDemoServer(error, serverCharset);
    if (!server_)
        return false;

    AppOptions app;
    app.settings = std::make_shared<MemoryRegistryBackend>();
    app.stateDir = std::filesystem::path(state_.path().toStdString());
    app.dataDir = app.stateDir / "data";
    app.diagnosticLogs = false;
    app.logon.greetingTimeout = std::chrono::milliseconds(5000);
    app_ = std::make_unique<AppController>(app);
    app_->Messages().SetShower([this](QMessageBox::Icon, const QString& text) { messages.push_back(text); });

    if (beforeConnect)
        beforeConnect(*app_);
    const QString port = QString::number(server_->Port());
    AnswerDialog<TLoginForm>([port](TLoginForm* login) {
        login->HostEdit()->setText(QStringLiteral("127.0.0.1"));
        login->PortEdit()->setText(port);
        login->UserEdit()->setText(QString::fromLatin1(kDemoUser));
        login->PwdEdit()->setText(QString::fromLatin1(kDemoPassword));
        login->OkButton()->click();
    });
    app_->MainWindow().Menus()->SessionConnectAction->trigger();
    if (!app_->MainWindow().IsOnline()) {
        *error = "logon failed";
        return false;
    }
    return true;
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
