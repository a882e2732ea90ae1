// What the events windows' tests share: a session against the in-process
// server that logs on without dialogs and collects the messages it receives.
#pragma once

#include <QDir>
#include <QString>
#include <QStringList>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "core/protocol/MVTransaction.h"
#include "core/protocol/WireTokens.h"
#include "core/session/Logon.h"
#include "core/session/SessionCommands.h"
#include "core/session/SessionUi.h"
#include "core/session/Client.h"
#include "GuiTestSupport.h"

namespace pellar::eventstest {

// Logs on without dialogs: every question is answered no.
using QuietSessionUi = test::ScriptedSessionUi;

inline ClientOptions Quiet()
{
    ClientOptions o;
    o.debugLog = false;
    o.receiveTrace = false;
    o.stateDir = QDir::tempPath().toStdString();
    return o;
}

struct Session {
    Session(int port, const std::string& user)
        : client(Quiet()), ui({"127.0.0.1", std::to_string(port), user, "demo", ""}), commands(client, ui),
          logon(client, ui, commands, Options())
    {
    }
    static LogonOptions Options()
    {
        LogonOptions o;
        o.greetingTimeout = std::chrono::milliseconds(5000);
        return o;
    }
    // The messages this session received, as text.
    QStringList Received()
    {
        std::string line;
        while (client.AsyncMessages().Pop(line)) {
            size_t pos = 0;
            ReadInt(line, pos);
            if (ReadInt(line, pos) != 12)
                continue;
            ReadInt(line, pos);
            ReadInt(line, pos);
            received << QString::fromLatin1(ReadHollerith(line, pos));
        }
        return received;
    }
    bool Send(int32_t recipient, const std::string& text)
    {
        TGenericTrans send(client.Protocol(), "Send message", requests::SendMessage(recipient, text));
        return client.Transactions().ExecuteAndWait(send);
    }
    Client client;
    QuietSessionUi ui;
    SessionCommands commands;
    Logon logon;
    QStringList received;
};

} // namespace pellar::eventstest
