// The common setup of the session integration tests: an in-process server
// with the demo database behind a recording relay, and a fresh client with
// scripted session dialogs.
#pragma once

#include <memory>
#include <string>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/protocol/WireTokens.h"
#include "core/session/Logon.h"
#include "core/session/SessionCommands.h"
#include "core/session/Client.h"
#include "server/Server.h"
#include "support/ClientHarness.h"
#include "support/LoopbackRelay.h"
#include "support/ScriptedSessionUi.h"

namespace pellar::test {

inline constexpr const char* kDemoUser = "Demo User";
inline constexpr const char* kDemoPassword = "demo";

// A server that does not greet fails a test in seconds, not 40.
inline LogonOptions QuickLogon()
{
    LogonOptions o;
    o.greetingTimeout = std::chrono::milliseconds(5000);
    return o;
}

// A client with its dialogs, logon and commands.
struct SessionClient {
    explicit SessionClient(LogonOptions options = QuickLogon())
        : client(QuietClientOptions()), commands(client, ui), logon(client, ui, commands, options)
    {
    }

    Client client;
    ScriptedSessionUi ui;
    SessionCommands commands;
    Logon logon;

    // Every user message posted so far, kind character included.
    std::vector<std::string> Messages()
    {
        std::vector<std::string> all;
        std::string text;
        while (client.UserMessages().Pop(text))
            all.push_back(text);
        return all;
    }
};

class SessionFixture : public ::testing::Test {
protected:
    // The demo database takes a while to seed, so the tests of one program
    // share one server with the default options (each test uses names of
    // its own); other options get a server of their own.
    void StartServer(const miravod::ServerOptions& options) { ASSERT_TRUE(Start(&server, options)); }
    void StartServer()
    {
        static std::unique_ptr<miravod::Server> shared;
        if (!shared) {
            ASSERT_TRUE(Start(&shared, {}));
        }
        serverPort = shared->Port();
        relay = std::make_unique<LoopbackRelay>(static_cast<uint16_t>(shared->Port()));
    }

    bool Start(std::unique_ptr<miravod::Server>* into, miravod::ServerOptions options)
    {
        options.demo = true;
        options.demoCompanion = false;
        *into = std::make_unique<miravod::Server>(options);
        std::string error;
        if (!(*into)->Start(&error)) {
            ADD_FAILURE() << error;
            into->reset();
            return false;
        }
        serverPort = (*into)->Port();
        relay = std::make_unique<LoopbackRelay>(static_cast<uint16_t>(serverPort));
        return true;
    }

    LoginChoice Choice(std::string user, std::string password) const
    {
        return LoginChoice{"127.0.0.1", relay->portText(), std::move(user), std::move(password), ""};
    }

    // Logs the client on as user through the relay.
    ::testing::AssertionResult LogOn(SessionClient& c, std::string user = kDemoUser,
                                     std::string password = kDemoPassword)
    {
        c.ui.login = Choice(std::move(user), std::move(password));
        if (!c.logon.LogOn())
            return ::testing::AssertionFailure() << "logon failed";
        return ::testing::AssertionSuccess();
    }

    // Logs a second client on straight to the server (the relay carries one
    // connection at a time).
    ::testing::AssertionResult LogOnDirect(SessionClient& c, std::string user = kDemoUser,
                                           std::string password = kDemoPassword)
    {
        c.ui.login = LoginChoice{"127.0.0.1", std::to_string(serverPort), std::move(user), std::move(password), ""};
        if (!c.logon.LogOn())
            return ::testing::AssertionFailure() << "direct logon failed";
        return ::testing::AssertionSuccess();
    }

    // The request numbers the client sent (the handshake left out).
    std::vector<int> SentRequestNumbers()
    {
        std::vector<int> numbers;
        for (const std::string& line : relay->SentLines()) {
            const size_t blank = line.find(' ');
            if (line.empty() || line[0] < '0' || line[0] > '9' || blank == std::string::npos)
                continue;
            numbers.push_back(std::atoi(line.c_str() + blank + 1));
        }
        return numbers;
    }

    // The lines of one request number, without their ids.
    std::vector<std::string> SentRequests(int number)
    {
        std::vector<std::string> lines;
        for (const std::string& line : relay->SentLines()) {
            const size_t blank = line.find(' ');
            if (blank == std::string::npos || line[0] < '0' || line[0] > '9')
                continue;
            if (std::atoi(line.c_str() + blank + 1) == number)
                lines.push_back(line.substr(blank + 1));
        }
        return lines;
    }

    // Declared first: destroyed after every client.
    std::unique_ptr<miravod::Server> server;
    std::unique_ptr<LoopbackRelay> relay;
    int serverPort = 0;
};

} // namespace pellar::test
