// The reference server in this process for the tests: the demo system, or a
// database a test seeded itself with the server's store, and a client logged
// on to such a database by the requests themselves (no logon sequence).
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/wire/DateTime.h"
#include "server/Server.h"
#include "server/Store.h"

namespace pellar {
class Client;
}

namespace pellar::test {

inline constexpr const char* kDemoUser = "Demo User";
inline constexpr const char* kDemoPassword = "demo";
// The password of every person a SeedDatabase creates.
inline constexpr const char* kSeedPassword = "secret";

// The demo system without its companion; null (and why) when it did not
// start. The caller's options are kept apart from those two.
std::unique_ptr<miravod::Server> StartDemoServer(std::string* why, miravod::ServerOptions options = {});

// The demo system as the window tests use it: cheap password hashes, names
// and texts in the given set.
std::unique_ptr<miravod::Server> StartQuickDemoServer(std::string* why, WireCharset charset = WireCharset::Latin1);

// Removes a database file and its journals.
void RemoveDatabase(const std::string& path);

// Builds a database file with the server's store, for a server to open.
// The file goes with this object unless Finish handed it over.
class SeedDatabase {
public:
    SeedDatabase();
    ~SeedDatabase();
    SeedDatabase(const SeedDatabase&) = delete;
    SeedDatabase& operator=(const SeedDatabase&) = delete;

    int32_t Person(const std::string& name);
    int32_t Conf(const std::string& name, const std::string& type = "00000000", int32_t superConf = 0);
    // A text with the subject and a line of body, sent to the conferences,
    // optionally a comment or footnote to another text.
    int32_t Text(int32_t author, const std::string& subject, const std::vector<int32_t>& to,
                 int32_t commentTo = 0, int32_t footnoteTo = 0);
    // Adds a recipient (sentBy: who added it, 0 for the author); its local number.
    int32_t AddRecipient(int32_t text, int32_t conf, int32_t sentBy = 0);
    int32_t AddCarbonCopy(int32_t text, int32_t conf);
    void Link(int32_t child, int32_t parent, bool footnote);
    int32_t LocalIn(int32_t text, int32_t conf);
    void MarkReadOnServer(int32_t person, int32_t conf, int32_t local);
    // Commits; the caller now owns the file (RemoveDatabase, or a SeededServer).
    std::string Finish();

    miravod::Store store;
    TDateTime now;

private:
    int32_t AddMisc(int32_t text, int32_t conf, bool carbonCopy, int32_t sentBy);

    std::filesystem::path path_;
    bool handedOver_ = false;
};

// A server on a seeded database; the database goes with it.
class SeededServer {
public:
    SeededServer() = default;
    ~SeededServer() { Stop(); }
    SeededServer(const SeededServer&) = delete;
    SeededServer& operator=(const SeededServer&) = delete;

    // options.dbPath is set from the seed; demo and companion are off.
    ::testing::AssertionResult Start(SeedDatabase& seed, miravod::ServerOptions options = {});
    void Stop();
    int Port() const { return server_ ? server_->Port() : 0; }
    explicit operator bool() const { return server_ != nullptr; }

private:
    std::unique_ptr<miravod::Server> server_;
    std::string dbPath_;
};

// Connects the client to the port and logs the person on with the logon
// request alone (protocolVersion: what the client takes the server to speak).
::testing::AssertionResult LogOnByRequests(Client& client, int port, int32_t person,
                                           const std::string& password = kSeedPassword,
                                           int protocolVersion = 10);

} // namespace pellar::test
