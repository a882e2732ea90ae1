#include "server/Dispatcher.h"

#include <cstdio>

namespace miravod {

namespace {

// What a session may ask before it has logged on.
bool AllowedAnonymously(int32_t number)
{
    switch (number) {
    case 1: case 5: case 28: case 35: case 36: case 62: case 69: case 70: case 71:
    case 75: case 76: case 78: case 80: case 82: case 83: case 84: case 86:
        return true;
    default:
        return false;
    }
}

} // namespace

Dispatcher::Dispatcher(Store& store, SessionTable& sessions, AsyncDelivery& async, DispatchConfig cfg)
    : ctx_{store, sessions, async, cfg}, sessionRequests_(ctx_), conferenceRequests_(ctx_), textRequests_(ctx_)
{
}

std::string Dispatcher::Handle(Session& s, const Request& r)
{
    if (r.stringTooLong) return HandlerContext::Fail(r.id, kStringTooLong);
    if (s.person == 0 && !AllowedAnonymously(r.number)) return HandlerContext::Fail(r.id, kNotLoggedIn);
    if (r.number == 75 && ctx_.cfg.oldProtocol) return HandlerContext::Fail(r.id, kNotImplemented);
    std::optional<std::string> reply = sessionRequests_.Handle(s, r);
    if (!reply) reply = conferenceRequests_.Handle(s, r);
    if (!reply) reply = textRequests_.Handle(s, r);
    if (!reply) return HandlerContext::Fail(r.id, kNotImplemented);
    std::string error;
    if (!ctx_.store.Commit(&error)) {
        std::fprintf(stderr, "miravod: could not store request %d: %s\n", r.number, error.c_str());
        return HandlerContext::Fail(r.id, kTemporaryFailure);
    }
    return *reply;
}

void Dispatcher::SessionClosed(Session& s)
{
    sessionRequests_.Closed(s);
}

} // namespace miravod
