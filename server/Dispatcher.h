// Routes each parsed request to its handler, refuses what a session may not
// ask before logging on, and commits the request's changes before the reply
// leaves.
#pragma once

#include <memory>
#include <string>
#include <variant>

#include "server/ConferenceRequests.h"
#include "server/HandlerContext.h"
#include "server/PasswordRequests.h"
#include "server/SessionRequests.h"
#include "server/TextRequests.h"

namespace miravod {

class Dispatcher {
public:
    Dispatcher(Store& store, SessionTable& sessions, AsyncDelivery& async, DispatchConfig cfg);

    // The reply bytes for one request. Notices it causes wait in the
    // AsyncDelivery until the caller flushes them after sending the reply.
    // Hashes passwords on the calling thread.
    std::string Handle(Session& s, const Request& r);
    // The reply, or a password job for a worker; its reply then comes
    // from Finish on this thread.
    std::variant<std::string, PasswordJob> Begin(Session& s, const Request& r);
    std::string Finish(Session& s, const PasswordJob& job);
    // A session's link went away.
    void SessionClosed(Session& s);

private:
    // Refusals that need no handler; empty when the request may go on.
    std::string Refusal(const Session& s, const Request& r) const;
    // Stores the request's changes; when that fails, the error instead of
    // the reply, and none of the notices queued since `notices`.
    std::string Committed(int32_t number, int32_t id, std::string reply, size_t notices);

    LogonThrottle throttle_;
    HandlerContext ctx_;
    PasswordRequests passwordRequests_;
    SessionRequests sessionRequests_;
    ConferenceRequests conferenceRequests_;
    TextRequests textRequests_;
};

} // namespace miravod
