#include "server/SessionRequests.h"

#include "server/ReplyFormat.h"

namespace miravod {

namespace {

constexpr int32_t kServerVersion = 20100;
constexpr int32_t kOldServerVersion = 10699;
constexpr int32_t kProtocolVersion = 11;
constexpr size_t kMaxShortString = 1024;
constexpr size_t kMaxMessage = 65536;

} // namespace

std::optional<std::string> SessionRequests::Handle(Session& s, const Request& r)
{
    switch (static_cast<RequestNumber>(r.number)) {
    case RequestNumber::Logout: return Logout(s, r);
    case RequestNumber::ChangeConference: return ChangeConference(s, r);
    case RequestNumber::ChangeActivity: return ChangeActivity(s, r);
    case RequestNumber::GetTime: {
        ArgReader a(r);
        if (!a.AtEnd()) return HandlerContext::BadArgs(r);
        return HandlerContext::Ok(r.id, WireTime(ctx_.Now()));
    }
    case RequestNumber::GetServerInfo: return ServerInfo(s, r);
    case RequestNumber::Enable: return Enable(s, r);
    case RequestNumber::Sync: return Sync(s, r);
    case RequestNumber::SendMessage: return SendMessage(s, r);
    case RequestNumber::SetClientVersion: return ClientInfo(s, r);
    case RequestNumber::GetClientName:
    case RequestNumber::GetClientVersion: return SessionString(s, r);
    case RequestNumber::GetVersionInfo: {
        ArgReader a(r);
        if (!a.AtEnd()) return HandlerContext::BadArgs(r);
        return HandlerContext::Ok(r.id, std::to_string(kProtocolVersion) + " " + WireString("miravod") + " " +
                                            WireString("1.0"));
    }
    case RequestNumber::LookupName: return LookupName(s, r);
    case RequestNumber::AcceptAsync: return AcceptAsync(s, r);
    case RequestNumber::UserActive: {
        ArgReader a(r);
        if (!a.AtEnd()) return HandlerContext::BadArgs(r);
        s.lastActive = std::chrono::steady_clock::now();
        return HandlerContext::Ok(r.id);
    }
    case RequestNumber::WhoIsOn: return WhoIsOn(s, r);
    case RequestNumber::GetStaticSessionInfo: return StaticSessionInfo(s, r);
    default: return std::nullopt;
    }
}

void SessionRequests::Closed(Session& s)
{
    ctx_.async.LoggedOff(s.person, s.number, s.invisible);
    s.person = 0;
}

std::string SessionRequests::Logout(Session& s, const Request& r)
{
    if (!ArgReader(r).AtEnd()) return HandlerContext::BadArgs(r);
    ctx_.async.LoggedOff(s.person, s.number, s.invisible);
    s.person = 0;
    s.workingConf = 0;
    s.adminEnabled = false;
    return HandlerContext::Ok(r.id);
}

std::string SessionRequests::ChangeConference(Session& s, const Request& r)
{
    ArgReader a(r);
    int32_t conf = 0;
    if (!a.Int(conf) || !a.AtEnd()) return HandlerContext::BadArgs(r);
    if (conf != 0) {
        if (int e = ctx_.ConfError(s, conf)) return HandlerContext::Fail(r.id, e, conf);
        if (!ctx_.store.IsMember(s.person, conf)) return HandlerContext::Fail(r.id, kNotMember, conf);
    }
    s.workingConf = conf;
    s.lastActive = std::chrono::steady_clock::now();
    ctx_.async.Presence(s);
    return HandlerContext::Ok(r.id);
}

std::string SessionRequests::ChangeActivity(Session& s, const Request& r)
{
    ArgReader a(r);
    std::string what;
    if (!a.String(what) || !a.AtEnd()) return HandlerContext::BadArgs(r);
    if (what.size() > kMaxShortString) return HandlerContext::Fail(r.id, kStringTooLong);
    // Activity texts travel in line-by-line replies.
    if (what.find('\n') != std::string::npos) return HandlerContext::Fail(r.id, kBadName);
    s.activity = what;
    ctx_.async.Presence(s);
    return HandlerContext::Ok(r.id);
}

std::string SessionRequests::ClientInfo(Session& s, const Request& r)
{
    ArgReader a(r);
    std::string name, version;
    if (!a.String(name) || !a.String(version) || !a.AtEnd()) return HandlerContext::BadArgs(r);
    if (name.size() > kMaxShortString || version.size() > kMaxShortString)
        return HandlerContext::Fail(r.id, kStringTooLong);
    if (name.find('\n') != std::string::npos || version.find('\n') != std::string::npos)
        return HandlerContext::Fail(r.id, kBadName);
    s.clientName = name;
    s.clientVersion = version;
    return HandlerContext::Ok(r.id);
}

std::string SessionRequests::SessionString(Session& s, const Request& r)
{
    ArgReader a(r);
    int32_t number = 0;
    if (!a.Int(number) || !a.AtEnd()) return HandlerContext::BadArgs(r);
    const Session* other = ctx_.sessions.Find(number);
    if (!other || !MaySee(s, *other)) return HandlerContext::Fail(r.id, kNoSuchSession, number);
    const bool name = r.number == Number(RequestNumber::GetClientName);
    return HandlerContext::Ok(r.id, WireString(name ? other->clientName : other->clientVersion));
}

std::string SessionRequests::StaticSessionInfo(Session& s, const Request& r)
{
    ArgReader a(r);
    int32_t number = 0;
    if (!a.Int(number) || !a.AtEnd()) return HandlerContext::BadArgs(r);
    const Session* o = ctx_.sessions.Find(number);
    if (!o || !MaySee(s, *o)) return HandlerContext::Fail(r.id, kNoSuchSession, number);
    // Where someone sits and under which system login is theirs and the
    // administrators' to know; others get empty strings.
    const bool own = o->number == s.number || (s.person != 0 && o->person == s.person);
    const bool full = own || ctx_.Admin(s);
    return HandlerContext::Ok(r.id, WireString(full ? o->userName : "") + " " + WireString(full ? o->host : "") + " " +
                                        WireString(full ? o->ident : "") + " " + WireTime(o->connected));
}

bool SessionRequests::MaySee(const Session& asker, const Session& other) const
{
    if (!other.invisible || other.number == asker.number) return true;
    return (asker.person != 0 && other.person == asker.person) || ctx_.Admin(asker);
}

std::string SessionRequests::AcceptAsync(Session& s, const Request& r)
{
    ArgReader a(r);
    std::vector<int32_t> types;
    if (!a.IntArray(types, 256) || !a.AtEnd()) return HandlerContext::BadArgs(r);
    s.acceptedAsync = std::set<int32_t>(types.begin(), types.end());
    return HandlerContext::Ok(r.id);
}

std::string SessionRequests::WhoIsOn(Session& s, const Request& r)
{
    ArgReader a(r);
    int32_t wantInvisible = 0, activeLast = 0, wantNames = 0;
    if (!a.Int(wantInvisible) || !a.Int(activeLast) || !a.Int(wantNames) || !a.AtEnd()) return HandlerContext::BadArgs(r);
    std::string items;
    int count = 0;
    for (const Session* o : ctx_.sessions.All()) {
        if (o->person == 0 || !MaySee(s, *o) || (o->invisible && !wantInvisible && o->number != s.number)) continue;
        if (activeLast > 0 && o->IdleSeconds() > activeLast) continue;
        items += " " + std::to_string(o->number) + " " + std::to_string(o->person) + " " +
                 std::to_string(o->workingConf) + " " + std::to_string(o->IdleSeconds()) + " " +
                 (o->invisible ? "10000000 " : "00000000 ") + WireString(o->activity);
        ++count;
    }
    if (count == 0) return HandlerContext::Ok(r.id, "0 *");
    return HandlerContext::Ok(r.id, std::to_string(count) + " {" + items + " }");
}

std::string SessionRequests::Enable(Session& s, const Request& r)
{
    ArgReader a(r);
    int32_t level = 0;
    if (!a.Int(level) || !a.AtEnd() || level < 0 || level > 255) return HandlerContext::BadArgs(r);
    const Person* p = ctx_.store.Pers(s.person);
    if (level > 0 && (!p || !p->admin)) return HandlerContext::Fail(r.id, kPermissionDenied);
    s.adminEnabled = level > 0;
    return HandlerContext::Ok(r.id);
}

std::string SessionRequests::Sync(Session& s, const Request& r)
{
    if (!ArgReader(r).AtEnd()) return HandlerContext::BadArgs(r);
    if (!ctx_.Admin(s)) return HandlerContext::Fail(r.id, kPermissionDenied);
    // Every change is already on disk; the notice tells clients to expect a pause.
    ctx_.async.Synchronising();
    return HandlerContext::Ok(r.id);
}

std::string SessionRequests::SendMessage(Session& s, const Request& r)
{
    ArgReader a(r);
    int32_t recipient = 0;
    std::string text;
    if (!a.Int(recipient) || !a.String(text) || !a.AtEnd()) return HandlerContext::BadArgs(r);
    if (text.size() > kMaxMessage) return HandlerContext::Fail(r.id, kStringTooLong);
    if (recipient != 0) {
        if (int e = ctx_.ConfError(s, recipient)) return HandlerContext::Fail(r.id, e, recipient);
    }
    // Only what is sent counts against the rate.
    const auto now = std::chrono::steady_clock::now();
    const bool allowed = recipient == 0 ? s.broadcasts.Take(ctx_.cfg.broadcastRate, now)
                                        : s.messages.Take(ctx_.cfg.messageRate, now);
    if (!allowed) return HandlerContext::Fail(r.id, kTemporaryFailure);
    ctx_.async.Message(recipient, s.person, s.number, text);
    return HandlerContext::Ok(r.id);
}

std::string SessionRequests::LookupName(Session& s, const Request& r)
{
    ArgReader a(r);
    std::string pattern;
    int32_t persons = 0, confs = 0;
    if (!a.String(pattern) || !a.Int(persons) || !a.Int(confs) || !a.AtEnd()) return HandlerContext::BadArgs(r);
    if (pattern.size() > kMaxShortString) return HandlerContext::Fail(r.id, kStringTooLong);
    std::string items;
    int count = 0;
    for (int32_t n : ctx_.store.MatchNames(pattern, persons != 0, confs != 0)) {
        if (!ctx_.store.CanSeeConf(s.person, n, ctx_.Admin(s))) continue;
        const Conference* c = ctx_.store.Conf(n);
        items += " " + WireString(c->name) + " " + c->type + " " + std::to_string(n);
        ++count;
    }
    if (count == 0) return HandlerContext::Ok(r.id, "0 *");
    return HandlerContext::Ok(r.id, std::to_string(count) + " {" + items + " }");
}

std::string SessionRequests::ServerInfo(Session& /*s*/, const Request& r)
{
    if (!ArgReader(r).AtEnd()) return HandlerContext::BadArgs(r);
    const ServerInfoBlock& i = ctx_.store.Info();
    const int32_t version = ctx_.cfg.oldProtocol ? kOldServerVersion : kServerVersion;
    return HandlerContext::Ok(r.id, std::to_string(version) + " " + std::to_string(i.confPresentationConf) + " " +
                                        std::to_string(i.personPresentationConf) + " " +
                                        std::to_string(i.motdConf) + " " + std::to_string(i.joinOnCreateConf) +
                                        " " + std::to_string(i.motdText));
}

} // namespace miravod
