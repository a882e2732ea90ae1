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

bool Implemented(int32_t number)
{
    switch (number) {
    case 1: case 2: case 3: case 4: case 5: case 8: case 9: case 10: case 11: case 14: case 15: case 16:
    case 17: case 18: case 20: case 21: case 23: case 25: case 26: case 27: case 28: case 29: case 30:
    case 31: case 32: case 33: case 34: case 35: case 36: case 37: case 38: case 40: case 42: case 43:
    case 46: case 50: case 52: case 53: case 62: case 69: case 70: case 71: case 72: case 73: case 75:
    case 76: case 78: case 80: case 82: case 83: case 84: case 86: case 90: case 92: case 103:
        return true;
    default:
        return false;
    }
}

} // namespace

Dispatcher::Dispatcher(Store& store, SessionTable& sessions, AsyncDelivery& async, DispatchConfig cfg)
    : throttle_(cfg.throttle), ctx_{store, sessions, async, throttle_, cfg}, passwordRequests_(ctx_),
      sessionRequests_(ctx_), conferenceRequests_(ctx_), textRequests_(ctx_)
{
}

std::string Dispatcher::Refusal(const Session& s, const Request& r) const
{
    if (!Implemented(r.number)) return HandlerContext::Fail(r.id, kNotImplemented);
    if (r.stringTooLong || r.requestTooLong) return HandlerContext::Fail(r.id, kStringTooLong);
    if (s.person == 0 && !AllowedAnonymously(r.number)) return HandlerContext::Fail(r.id, kNotLoggedIn);
    if (r.number == 75 && ctx_.cfg.oldProtocol) return HandlerContext::Fail(r.id, kNotImplemented);
    return {};
}

std::string Dispatcher::Handle(Session& s, const Request& r)
{
    auto step = Begin(s, r);
    if (auto* reply = std::get_if<std::string>(&step)) return std::move(*reply);
    PasswordJob& job = std::get<PasswordJob>(step);
    job.work();
    return Finish(s, job);
}

std::variant<std::string, PasswordJob> Dispatcher::Begin(Session& s, const Request& r)
{
    if (std::string refused = Refusal(s, r); !refused.empty()) return refused;
    const size_t notices = ctx_.async.Queued();
    if (PasswordRequests::Hashes(r.number)) {
        PasswordJob job = passwordRequests_.Prepare(s, r);
        job.id = r.id;
        job.number = r.number;
        if (job.work) return job;
        return Finish(s, job);
    }
    std::optional<std::string> reply = sessionRequests_.Handle(s, r);
    if (!reply) reply = conferenceRequests_.Handle(s, r);
    if (!reply) reply = textRequests_.Handle(s, r);
    if (!reply) return HandlerContext::Fail(r.id, kNotImplemented);
    return Committed(r.number, r.id, std::move(*reply), notices);
}

std::string Dispatcher::Finish(Session& s, const PasswordJob& job)
{
    const size_t notices = ctx_.async.Queued();
    std::string reply = job.finish(s);
    return Committed(job.number, job.id, std::move(reply), notices);
}

std::string Dispatcher::Committed(int32_t number, int32_t id, std::string reply, size_t notices)
{
    std::string error;
    if (!ctx_.store.Commit(&error)) {
        ctx_.async.DropFrom(notices);
        std::fprintf(stderr, "miravod: could not store request %d: %s\n", number, error.c_str());
        return HandlerContext::Fail(id, kTemporaryFailure);
    }
    return reply;
}

void Dispatcher::SessionClosed(Session& s)
{
    sessionRequests_.Closed(s);
}

} // namespace miravod
