// Requests about sessions and the server: logoff, client information, activity, who is on, messages, server
// information, time, administrator mode.
#pragma once

#include <optional>
#include <string>

#include "server/HandlerContext.h"

namespace miravod {

class SessionRequests {
public:
    explicit SessionRequests(HandlerContext& ctx) : ctx_(ctx) {}
    // Null when the request number is not one of these.
    std::optional<std::string> Handle(Session& s, const Request& r);
    // Tells the others that a session went away.
    void Closed(Session& s);

private:
    std::string Logout(Session& s, const Request& r);
    std::string ChangeConference(Session& s, const Request& r);
    std::string ChangeActivity(Session& s, const Request& r);
    std::string ClientInfo(Session& s, const Request& r);
    std::string SessionString(Session& s, const Request& r);
    std::string StaticSessionInfo(Session& s, const Request& r);
    // An invisible session is known to its own person and to administrators only.
    bool MaySee(const Session& asker, const Session& other) const;
    std::string AcceptAsync(Session& s, const Request& r);
    std::string WhoIsOn(Session& s, const Request& r);
    std::string Enable(Session& s, const Request& r);
    std::string Sync(Session& s, const Request& r);
    std::string SendMessage(Session& s, const Request& r);
    std::string LookupName(Session& s, const Request& r);
    std::string ServerInfo(Session& s, const Request& r);

    HandlerContext& ctx_;
};

} // namespace miravod
