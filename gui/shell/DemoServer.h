// What `pellar --demo` runs against: the reference server in this process on
// 127.0.0.1 with the demo data in the per-user data directory (so read marks
// survive a restart), and the profile "Demo" that logs on to it. The link is
// encrypted with a self-signed certificate made there on first start, which
// the profile pins.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

namespace miravod {
class Server;
}

namespace pellar {

class TMiravoConfiguration;

class DemoServer {
public:
    static constexpr const char* kProfile = "Demo";
    static constexpr const char* kUser = "Demo User";
    static constexpr const char* kPassword = "demo";

    // database: the server's file; empty for an in-memory one (tests).
    explicit DemoServer(std::filesystem::path database);
    ~DemoServer();
    DemoServer(const DemoServer&) = delete;
    DemoServer& operator=(const DemoServer&) = delete;

    // <per-user data dir>/demo.sqlite
    static std::filesystem::path DefaultDatabase();

    // Listens on an ephemeral loopback port; error receives the reason.
    bool Start(std::string* error = nullptr, int passwordIterations = 0);
    int Port() const;
    int TlsPort() const;
    // The demo certificate's SHA-256 fingerprint, once started.
    std::string Fingerprint() const;
    void Stop();

    // Creates or updates the profile "Demo" for this server: host, port,
    // pinned certificate and user, and that its password is no secret (it
    // never goes to the keyring); it becomes the current profile.
    void WriteProfile(TMiravoConfiguration& config) const;
    // Saves the demo user's password, obscured in the profile's settings.
    void WritePassword(TMiravoConfiguration& config) const;

private:
    std::filesystem::path database_;
    // Where an in-memory server keeps its certificate; removed on Stop.
    std::filesystem::path scratch_;
    std::unique_ptr<miravod::Server> server_;
};

} // namespace pellar
