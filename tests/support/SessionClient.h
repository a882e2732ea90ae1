// One client with its scripted dialogs, session commands and logon sequence:
// what every test that logs on to a server in this process starts from.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "core/session/Client.h"
#include "core/session/Logon.h"
#include "core/session/SessionCommands.h"
#include "support/ClientHarness.h"
#include "support/DemoServer.h"
#include "support/ScriptedSessionUi.h"

namespace pellar::test {

// A server that does not greet fails a test in seconds, not 40.
LogonOptions QuickLogon();

struct SessionClient {
    explicit SessionClient(LogonOptions logonOptions = QuickLogon(), ClientOptions clientOptions = QuietClientOptions());
    // Answers the logon dialog with user and the demo password on port (straight to the server).
    SessionClient(int port, const std::string& user);

    // Runs the real logon sequence with these credentials.
    bool LogOn(const std::string& port, const std::string& user = kDemoUser,
               const std::string& password = kDemoPassword);

    // Every user message posted so far, kind character included.
    std::vector<std::string> Messages();
    // The personal, group and public messages received so far, oldest first.
    const std::vector<std::string>& Received();
    // Takes what arrived so far and forgets it.
    void ForgetReceived();
    // Sends a message (0: to everyone logged on).
    bool Send(int32_t recipient, const std::string& text);
    // Writes a text to the conference; its number, 0 on failure.
    int32_t CreateText(int32_t conf, const std::string& subject, const std::string& body);

    Client client;
    ScriptedSessionUi ui;
    SessionCommands commands;
    Logon logon;

private:
    std::vector<std::string> received_;
};

} // namespace pellar::test

namespace pellar::test {

// Declared before the client in DemoSession, so the server outlives it.
struct DemoServerHolder {
    std::unique_ptr<miravod::Server> server;
};

// The demo system in this process (cheap password hashes) and one client
// logged on to it as the demo user; logs off when it goes.
class DemoSession : public DemoServerHolder, public SessionClient {
public:
    DemoSession() = default;
    explicit DemoSession(ClientOptions clientOptions) : SessionClient(QuickLogon(), std::move(clientOptions)) {}
    ~DemoSession();
    // False, with why, when the server did not start or the logon failed.
    bool Start(std::string* why, WireCharset charset = WireCharset::Latin1);
    int Port() const { return server ? server->Port() : 0; }

private:
    bool loggedOn_ = false;
};

} // namespace pellar::test
