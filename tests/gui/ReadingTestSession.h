// The reading-window tests' session: the reference server in this process
// with its demo data, a client logged on as the demo user through the real
// logon sequence, and session dialogs answered by the test.
#pragma once

#include "core/config/MemoryRegistryBackend.h"
#include "core/protocol/MVTransaction.h"
#include "core/protocol/WireTokens.h"
#include "core/session/Logon.h"
#include "core/session/SessionCommands.h"
#include "core/session/Client.h"
#include "core/writing/SubmissionFormat.h"
#include "GuiTestSupport.h"

#include <QTemporaryDir>

#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace pellar::test {

using ReadingTestUi = ScriptedSessionUi;

class ReadingTestSession {
public:
    // Starts the server and logs the demo user on; false (with why) on failure.
    bool Start(std::string* why)
    {
        server = StartDemoServer(why);
        if (!server)
            return false;
        ClientOptions clientOptions;
        clientOptions.stateDir = std::filesystem::path(state.path().toStdString());
        clientOptions.debugLog = false;
        clientOptions.receiveTrace = false;
        clientOptions.configBackend = std::make_shared<MemoryRegistryBackend>();
        client = std::make_unique<Client>(clientOptions);
        commands = std::make_unique<SessionCommands>(*client, ui);
        LogonOptions logonOptions;
        logonOptions.greetingTimeout = std::chrono::milliseconds(5000);
        logon = std::make_unique<Logon>(*client, ui, *commands, logonOptions);
        ui.login = LoginChoice{"127.0.0.1", std::to_string(server->Port()), "Demo User", "demo", ""};
        if (!logon->LogOn()) {
            *why = "logon failed";
            return false;
        }
        return true;
    }

    // Writes a text to the conference; its number, 0 on failure.
    int32_t CreateText(int32_t conf, const std::string& subject, const std::string& body)
    {
        const std::string misc = "1 { 0 " + std::to_string(conf) + " }";
        TGenericTrans request(client->Protocol(), "Submit text",
                              requests::CreateText(SubmissionFormat::BuildText(subject, body), misc, "0 { }"));
        if (!client->Transactions().ExecuteAndWait(request))
            return 0;
        return SubmissionFormat::NewTextNumber(request.ReplyLine());
    }

    // Every user message posted so far.
    std::vector<std::string> Messages()
    {
        std::vector<std::string> all;
        std::string text;
        while (client->UserMessages().Pop(text))
            all.push_back(text);
        return all;
    }

    ~ReadingTestSession()
    {
        if (logon)
            logon->LogOff();
    }

    QTemporaryDir state;
    std::unique_ptr<miravod::Server> server;
    std::unique_ptr<Client> client;
    ReadingTestUi ui;
    std::unique_ptr<SessionCommands> commands;
    std::unique_ptr<Logon> logon;
};

} // namespace pellar::test
