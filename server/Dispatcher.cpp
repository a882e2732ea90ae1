#include "server/Dispatcher.h"

#include <cstdio>

namespace miravod {

namespace {

// What a session may ask before it has logged on.
bool AllowedAnonymously(int32_t number)
{
    using enum RequestNumber;
    switch (static_cast<RequestNumber>(number)) {
    case Logout: case CreatePerson: case CreateTextOld: case GetTime: case GetServerInfo: case Login:
    case SetClientVersion: case GetClientName: case GetClientVersion: case GetVersionInfo: case LookupName:
    case GetUConfStat: case AcceptAsync: case UserActive: case WhoIsOn: case GetStaticSessionInfo: case CreateText:
        return true;
    default:
        return false;
    }
}

bool Implemented(int32_t number)
{
    using enum RequestNumber;
    switch (static_cast<RequestNumber>(number)) {
    case Logout: case ChangeConference: case ChangeName: case ChangeActivity: case CreatePerson: case SetPassword:
    case QueryReadTexts: case CreateConference: case DeleteConference: case AddMember: case SubMember:
    case SetPresentation: case SetNotice: case SetSupervisor: case SetSuperConference: case SetConferenceType:
    case GetMarks: case GetText: case GetTextStatOld: case MarkAsRead: case CreateTextOld: case DeleteText:
    case AddRecipient: case SubRecipient: case AddComment: case SubComment: case GetTextMapOld: case GetTime:
    case GetServerInfo: case AddFootnote: case SubFootnote: case SetUnread: case Enable: case Sync:
    case GetMemberships: case GetConfStat: case GetUnreadConfs: case SendMessage: case Login:
    case SetClientVersion: case GetClientName: case GetClientVersion: case MarkText: case UnmarkText:
    case GetVersionInfo: case LookupName: case GetUConfStat: case AcceptAsync: case UserActive: case WhoIsOn:
    case GetStaticSessionInfo: case CreateText: case GetTextStat: case ModifyAuxInfo: case LocalToGlobal:
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
    if (r.number == Number(RequestNumber::GetVersionInfo) && ctx_.cfg.oldProtocol)
        return HandlerContext::Fail(r.id, kNotImplemented);
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
