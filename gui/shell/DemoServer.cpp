#include "gui/shell/DemoServer.h"

#include "core/config/ConfigKeys.h"
#include "core/config/TMiravoConfiguration.h"
#include "core/base/StatePaths.h"
#include "server/Server.h"

namespace pellar {

DemoServer::DemoServer(std::filesystem::path database) : database_(std::move(database)) {}

DemoServer::~DemoServer()
{
    Stop();
}

std::filesystem::path DemoServer::DefaultDatabase()
{
    return PerUserDataDir() / "demo.sqlite";
}

bool DemoServer::Start(std::string* error, int passwordIterations)
{
    miravod::ServerOptions options;
    options.listenAddress = "127.0.0.1";
    options.port = 0;
    options.demo = true;
    options.demoCompanion = true;
    options.dbPath = database_.string();
    if (passwordIterations > 0)
        options.passwordIterations = passwordIterations;
    server_ = std::make_unique<miravod::Server>(options);
    if (!server_->Start(error)) {
        server_.reset();
        return false;
    }
    return true;
}

int DemoServer::Port() const
{
    return server_ ? server_->Port() : 0;
}

void DemoServer::Stop()
{
    if (server_) {
        server_->Stop();
        server_.reset();
    }
}

void DemoServer::WriteProfile(TMiravoConfiguration& config) const
{
    config.AddProfile(kProfile);
    config.SetProfile(TMiravoConfiguration::ProfilePathFor(kProfile));
    TMiravoConfiguration::Batch batch(config);
    config.WriteString(ConfigKeys::Server, "127.0.0.1");
    config.WriteString(ConfigKeys::Port, std::to_string(Port()));
    config.WriteString(ConfigKeys::User, kUser);
    config.WritePassword(kPassword);
    config.WriteFlag(ConfigKeys::SavePwd, true);
    // A proxy set in the default profile cannot reach a loopback server.
    config.WriteFlag(ConfigKeys::UseProxy, false);
    // Room for the reading window's panes on a first run; a size the user
    // saved later wins.
    if (config.ReadString(ConfigKeys::WindowPosWidth, "").empty())
        config.WriteString(ConfigKeys::WindowPosWidth, "960");
    if (config.ReadString(ConfigKeys::WindowPosHeight, "").empty())
        config.WriteString(ConfigKeys::WindowPosHeight, "680");
}

} // namespace pellar
