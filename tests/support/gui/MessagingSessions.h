// Two persons on a quick demo server for the messages tests: the demo user,
// whose main window and events controller a test looks at, and Anna Berg, a
// second session that sends to it.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "core/events/ClientEventsSession.h"
#include "core/writing/ClientWritingSession.h"
#include "gui/events/EventsController.h"
#include "gui/shell/MainForm.h"
#include "server/Server.h"
#include "support/DemoServer.h"
#include "support/SessionClient.h"

namespace pellar::test {

struct MessagingSessions {
    // Starts the server and shows the main window, runs beforeLogOn (where a
    // test makes its events controller, when it must see the logon) and logs
    // both persons on. False, with the reason, when any of it failed.
    bool Start(std::string* error, const std::function<void()>& beforeLogOn = {})
    {
        server = StartQuickDemoServer(error);
        if (!server)
            return false;
        me = std::make_unique<SessionClient>(server->Port(), "Demo User");
        anna = std::make_unique<SessionClient>(server->Port(), "Anna Berg");
        meEvents = std::make_unique<ClientEventsSession>(me->client);
        meWriting = std::make_unique<ClientWritingSession>(me->client);
        main = std::make_unique<TMainForm>();
        main->resize(900, 640);
        main->show();
        if (beforeLogOn)
            beforeLogOn();
        if (!me->logon.LogOn() || !anna->logon.LogOn()) {
            *error = "a logon failed";
            return false;
        }
        return true;
    }

    // The controller goes before its window, the sessions before their server.
    void Stop()
    {
        events.reset();
        main.reset();
        meWriting.reset();
        meEvents.reset();
        anna.reset();
        me.reset();
        server.reset();
    }

    std::unique_ptr<miravod::Server> server;
    std::unique_ptr<SessionClient> me, anna;
    std::unique_ptr<TMainForm> main;
    // The demo user's ports, which its events controller takes.
    std::unique_ptr<ClientEventsSession> meEvents;
    std::unique_ptr<ClientWritingSession> meWriting;
    std::unique_ptr<EventsController> events;
};

} // namespace pellar::test
