// Routes each parsed request to its handler, refuses what a session may not
// ask before logging on, and commits the request's changes before the reply
// leaves.
#pragma once

#include <memory>
#include <string>

#include "server/ConferenceRequests.h"
#include "server/HandlerContext.h"
#include "server/SessionRequests.h"
#include "server/TextRequests.h"

namespace miravod {

class Dispatcher {
public:
    Dispatcher(Store& store, SessionTable& sessions, AsyncDelivery& async, DispatchConfig cfg);

    // The reply bytes for one request. Notices it causes wait in the
    // AsyncDelivery until the caller flushes them after sending the reply.
    std::string Handle(Session& s, const Request& r);
    // A session's link went away.
    void SessionClosed(Session& s);

private:
    HandlerContext ctx_;
    SessionRequests sessionRequests_;
    ConferenceRequests conferenceRequests_;
    TextRequests textRequests_;
};

} // namespace miravod
