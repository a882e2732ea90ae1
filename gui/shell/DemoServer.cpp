#include "gui/shell/DemoServer.h"

#include "core/config/CertificatePin.h"
#include "core/config/ConfigKeys.h"
#include "core/config/TMiravoConfiguration.h"
#include "core/base/StatePaths.h"
#include "server/Server.h"
#include "server/TlsContext.h"

#include <cstdlib>
#include <system_error>

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
    options.charset = WireCharset::Utf8;
    options.demoCompanion = true;
    options.dbPath = database_.string();
    // The database holds every text and message of the demo system.
    if (!database_.empty())
        CreatePrivateDirs(database_.parent_path());
    if (passwordIterations > 0)
        options.passwordIterations = passwordIterations;
    std::filesystem::path certDir = database_.parent_path();
    if (database_.empty()) {
        std::string pattern = (std::filesystem::temp_directory_path() / "pellar-demo-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) {
            if (error)
                *error = "cannot make a directory for the demo certificate";
            return false;
        }
        scratch_ = certDir = pattern;
    }
    std::filesystem::path cert, key;
    if (!miravod::EnsureDemoCertificate(certDir, &cert, &key, error))
        return false;
    options.tlsPort = 0;
    options.tlsCertFile = cert.string();
    options.tlsKeyFile = key.string();
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

int DemoServer::TlsPort() const
{
    return server_ ? server_->TlsPort() : 0;
}

std::string DemoServer::Fingerprint() const
{
    return server_ ? server_->TlsFingerprint() : std::string();
}

void DemoServer::Stop()
{
    if (server_) {
        server_->Stop();
        server_.reset();
    }
    if (!scratch_.empty()) {
        std::error_code ec;
        std::filesystem::remove_all(scratch_, ec);
        scratch_.clear();
    }
}

void DemoServer::WriteProfile(TMiravoConfiguration& config) const
{
    config.AddProfile(kProfile);
    config.SetProfile(TMiravoConfiguration::ProfilePathFor(kProfile));
    TMiravoConfiguration::Batch batch(config);
    config.WriteString(ConfigKeys::Server, "127.0.0.1");
    config.WriteString(ConfigKeys::Port, std::to_string(Port()));
    // Encrypted, and trusting exactly the demo's own certificate.
    const std::string tlsPort = std::to_string(TlsPort());
    config.WriteFlag(ConfigKeys::UseTls, true);
    config.WriteString(ConfigKeys::TlsPort, tlsPort);
    config.WriteString(ConfigKeys::TlsPinnedCert, FormatCertificatePin({Fingerprint(), "127.0.0.1:" + tlsPort}));
    config.WriteString(ConfigKeys::User, kUser);
    config.WriteString(ConfigKeys::Charset, WireCharsetName(WireCharset::Utf8));
    config.WriteFlag(ConfigKeys::SavePwd, true);
    // Everyone's demo password is "demo": no keyring is asked for it, so a
    // first start never prompts for a new keyring and no start leaves an
    // entry behind.
    config.WriteFlag(ConfigKeys::PwdNotSecret, true);
    // A proxy set in the default profile cannot reach a loopback server.
    config.WriteFlag(ConfigKeys::UseProxy, false);
    // A personal message from the demo's other user should be noticed; a
    // choice the user made in this profile later stands.
    if (config.ReadString(ConfigKeys::TrayPersMsg, "").empty())
        config.WriteFlag(ConfigKeys::TrayPersMsg, true);
    // Room for the reading window's panes on a first run; a size the user
    // saved later wins.
    if (config.ReadString(ConfigKeys::WindowPosWidth, "").empty())
        config.WriteString(ConfigKeys::WindowPosWidth, "960");
    if (config.ReadString(ConfigKeys::WindowPosHeight, "").empty())
        config.WriteString(ConfigKeys::WindowPosHeight, "680");
}

void DemoServer::WritePassword(TMiravoConfiguration& config) const
{
    config.WritePassword(kPassword);
}

} // namespace pellar
