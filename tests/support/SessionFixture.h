// The common setup of the session integration tests: an in-process server
// with the demo database behind a recording relay, and fresh clients with
// scripted session dialogs (SessionClient).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/wire/WireTokens.h"
#include "server/Server.h"
#include "support/DemoServer.h"
#include "support/LoopbackRelay.h"
#include "support/SessionClient.h"

namespace pellar::test {

class SessionFixture : public ::testing::Test {
public:
    // Stops the server the suite's tests shared.
    static void TearDownTestSuite();

protected:
    // The demo database takes a while to seed, so the tests of one program
    // share one server with the default options (each test uses names of
    // its own); other options get a server of their own.
    void StartServer(const miravod::ServerOptions& options);
    void StartServer();

    LoginChoice Choice(std::string user, std::string password) const;

    // Logs the client on as user through the relay.
    ::testing::AssertionResult LogOn(SessionClient& c, std::string user = kDemoUser,
                                     std::string password = kDemoPassword);
    // Logs a second client on straight to the server (the relay carries one
    // connection at a time).
    ::testing::AssertionResult LogOnDirect(SessionClient& c, std::string user = kDemoUser,
                                           std::string password = kDemoPassword);

    // The request numbers the client sent (the handshake left out).
    std::vector<int> SentRequestNumbers();
    // The lines of one request number, without their ids.
    std::vector<std::string> SentRequests(int number);

    // Declared first: destroyed after every client.
    std::unique_ptr<miravod::Server> server;
    std::unique_ptr<LoopbackRelay> relay;
    int serverPort = 0;

private:
    void Relay(int port);
};

} // namespace pellar::test
