// One logged-on session over the client context: logon, the session commands,
// the background workers that live while a session does, and the disconnect
// sequence in its one order. Windows follow it through SessionListener; the
// GUI thread calls every member.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/session/Logon.h"
#include "core/session/SessionCommands.h"

namespace pellar {

class Client;

// What windows do at each step of a connect or disconnect. Called on the GUI
// thread in the order listeners were added.
class SessionListener {
public:
    virtual ~SessionListener() = default;
    // Before the logon.
    virtual void SessionConnecting() {}
    // The logon ended; online tells whether a person is logged on over a live link.
    virtual void SessionLoggedOn(bool online) { (void)online; }
    // Disconnect has begun: background work on the session stops.
    virtual void SessionDisconnecting() {}
    // Logged off: the window shows the session as gone (caches still full).
    virtual void SessionOffline() {}
    // After the cache clear: windows forget the session.
    virtual void SessionDisconnected() {}
};

// A background worker that lives as long as the session object: handles work
// only while enabled (from Connect to Disconnect), stopped once at Shutdown.
class SessionWorker {
public:
    virtual ~SessionWorker() = default;
    virtual void SetEnabled(bool on) = 0;
    // Releases hand-overs in flight to the GUI thread, then ends the worker.
    virtual void Stop() = 0;
    // On the GUI thread, once windows know the logon failed: why, in a line
    // for a status bar.
    virtual void LogonFailed(const std::string& notice) { (void)notice; }
};

class Session {
public:
    Session(Client& client, SessionUi& ui, LogonOptions options = {}, SessionCommands::TickSource ticks = {});
    // Shutdown().
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    Client& ClientContext() { return client_; }
    SessionCommands& Commands() { return commands_; }
    Logon& LogonSequence() { return logon_; }

    void AddListener(SessionListener* listener);
    void RemoveListener(SessionListener* listener);
    // Taken over: enabled while connected, stopped by Shutdown in the reverse
    // order of adoption.
    void AdoptWorker(std::shared_ptr<SessionWorker> worker);

    // Logs on (profile: the start profile of an automatic connect, wire
    // bytes); true when online afterwards. Ignored while a connect runs.
    bool Connect(bool autoConnect, const std::string& startProfile);
    // The disconnect sequence; during a connect it only takes the link down,
    // so the logon fails and unwinds. A second call sends nothing.
    void Disconnect();
    // Disconnects, then stops the workers. Nothing runs on the session after.
    void Shutdown();

    // After a lost link, with nothing disconnected or forgotten: logs the
    // same person on again unattended (Logon::LogOnAgain); windows hear
    // SessionLoggedOn(true) only when it worked, and nothing else, so what
    // they show stays as it was.
    Logon::Again Reconnect();

    // The periodic flush of the read marks.
    void FlushMarks();
    // A link that went down under a logged-on session.
    bool LinkLost() const;
    // Empties the caches; while online the memberships come back at once.
    // True when they were reloaded.
    bool ClearCaches(bool online);

    bool IsConnecting() const { return connecting_; }
    bool IsDisconnecting() const { return disconnecting_; }
    bool IsShutDown() const { return shutDown_; }

private:
    template <typename Fn>
    void Tell(Fn&& fn);
    void EnableWorkers(bool on);

    Client& client_;
    SessionCommands commands_;
    Logon logon_;
    std::vector<SessionListener*> listeners_;
    std::vector<std::shared_ptr<SessionWorker>> workers_;
    bool connecting_ = false;
    bool disconnecting_ = false;
    bool shutDown_ = false;
};

} // namespace pellar
