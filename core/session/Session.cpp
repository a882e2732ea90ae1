#include "core/session/Session.h"

#include <algorithm>

#include "core/link/TAsyncList.h"
#include "core/session/Client.h"
#include "core/session/MVCache.h"

namespace pellar {

Session::Session(Client& client, SessionUi& ui, LogonOptions options, SessionCommands::TickSource ticks)
    : client_(client), commands_(client, ui, std::move(ticks)), logon_(client, ui, commands_, std::move(options))
{
}

Session::~Session()
{
    Shutdown();
}

template <typename Fn>
void Session::Tell(Fn&& fn)
{
    // A listener may leave while it is told; the copy keeps the walk valid,
    // the check skips it.
    const std::vector<SessionListener*> listeners = listeners_;
    for (SessionListener* listener : listeners)
        if (std::find(listeners_.begin(), listeners_.end(), listener) != listeners_.end())
            fn(*listener);
}

void Session::AddListener(SessionListener* listener)
{
    if (listener && std::find(listeners_.begin(), listeners_.end(), listener) == listeners_.end())
        listeners_.push_back(listener);
}

void Session::RemoveListener(SessionListener* listener)
{
    listeners_.erase(std::remove(listeners_.begin(), listeners_.end(), listener), listeners_.end());
}

void Session::AdoptWorker(std::shared_ptr<SessionWorker> worker)
{
    if (!worker)
        return;
    if (shutDown_) {
        worker->Stop();
        return;
    }
    workers_.push_back(std::move(worker));
}

void Session::EnableWorkers(bool on)
{
    for (const auto& worker : workers_)
        worker->SetEnabled(on);
}

bool Session::Connect(bool autoConnect, const std::string& startProfile)
{
    if (connecting_ || shutDown_)
        return false;
    connecting_ = true;
    client_.DisconnectingEvent().ResetEv();
    // The dispatcher runs before the logon: the server's notices start with it.
    EnableWorkers(true);
    Tell([](SessionListener& l) { l.SessionConnecting(); });

    logon_.SetAutoConnect(autoConnect);
    logon_.SetStartProfile(startProfile);
    const bool ok = logon_.LogOn();
    connecting_ = false;
    // A Disconnect during the logon's dialogs took the link down under it.
    const bool online = ok && client_.ConnectedEvent().IsSet();
    Tell([online](SessionListener& l) { l.SessionLoggedOn(online); });
    if (!online) {
        // After the windows went offline, which clears what they showed.
        const std::string notice = ok ? std::string("Not connected.") : logon_.FailureNotice();
        if (!notice.empty())
            for (const auto& worker : workers_)
                worker->LogonFailed(notice);
    }
    return online;
}

void Session::Disconnect()
{
    if (connecting_) {
        client_.ComThread().SetLinkDown(true);
        return;
    }
    if (disconnecting_)
        return;
    disconnecting_ = true;
    // The user ended the session: nothing is to be logged on again unasked,
    // and the password it used need not stay in memory.
    logon_.ForgetLastLogon();
    client_.DisconnectingEvent().SetEv();
    EnableWorkers(false);
    Tell([](SessionListener& l) { l.SessionDisconnecting(); });
    if (client_.ConnectedEvent().IsSet())
        client_.Cache().FlushMarkRead(false);
    if (!client_.ComThread().LinkDown())
        logon_.LogOff();
    Tell([](SessionListener& l) { l.SessionOffline(); });
    client_.Cache().ClearAllCaches();
    Tell([](SessionListener& l) { l.SessionDisconnected(); });
    // Asynchronous messages of the old session mean nothing to the next one.
    client_.AsyncMessages().Clear();
    client_.DisconnectingEvent().ResetEv();
    disconnecting_ = false;
}

void Session::Shutdown()
{
    if (shutDown_)
        return;
    Disconnect();
    shutDown_ = true;
    for (auto it = workers_.rbegin(); it != workers_.rend(); ++it)
        (*it)->Stop();
    workers_.clear();
    listeners_.clear();
}

Logon::Again Session::Reconnect()
{
    if (connecting_ || disconnecting_ || shutDown_)
        return Logon::Again::NothingToRepeat;
    connecting_ = true;
    // Asynchronous messages of the lost link were about a session that is gone.
    client_.AsyncMessages().Clear();
    const Logon::Again result = logon_.LogOnAgain();
    connecting_ = false;
    // A Disconnect during the logon's waits took the link down under it.
    if (result == Logon::Again::LoggedOn && client_.ConnectedEvent().IsSet()) {
        Tell([](SessionListener& l) { l.SessionLoggedOn(true); });
        return result;
    }
    return result == Logon::Again::LoggedOn ? Logon::Again::Unreachable : result;
}

void Session::FlushMarks()
{
    if (client_.ConnectedEvent().IsSet())
        client_.Cache().FlushMarkRead(false);
}

bool Session::LinkLost() const
{
    return !connecting_ && !disconnecting_ && client_.ComThread().LinkDown();
}

bool Session::ClearCaches(bool online)
{
    client_.Cache().ClearAllCaches();
    // Nothing else brings the memberships back, and without them nothing
    // can be read until the next logon.
    if (!online || !client_.ConnectedEvent().IsSet())
        return false;
    logon_.LoadMemberships();
    return true;
}

} // namespace pellar
