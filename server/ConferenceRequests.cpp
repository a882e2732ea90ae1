#include "server/ConferenceRequests.h"

#include <algorithm>

#include "server/ReplyFormat.h"

namespace miravod {

namespace {

constexpr int32_t kMaxMapSpan = 255;

// Type bits as sent, padded or cut to the width the records carry.
std::string NormalType(std::string bits)
{
    bits.resize(kTypeBits, '0');
    return bits;
}

} // namespace

std::optional<std::string> ConferenceRequests::Handle(Session& s, const Request& r)
{
    switch (static_cast<RequestNumber>(r.number)) {
    case RequestNumber::ChangeName: return ChangeName(s, r);
    case RequestNumber::QueryReadTexts: return QueryReadTexts(s, r);
    case RequestNumber::CreateConference: return Create(s, r);
    case RequestNumber::DeleteConference: return Delete(s, r);
    case RequestNumber::AddMember: return AddMember(s, r);
    case RequestNumber::SubMember: return RemoveMember(s, r);
    case RequestNumber::SetPresentation:
    case RequestNumber::SetNotice: return SetTextField(s, r);
    case RequestNumber::SetSupervisor:
    case RequestNumber::SetSuperConference: return SetConfField(s, r);
    case RequestNumber::SetConferenceType: return SetType(s, r);
    case RequestNumber::MarkAsRead: return MarkAsRead(s, r);
    case RequestNumber::GetTextMapOld:
    case RequestNumber::LocalToGlobal: return TextMap(s, r);
    case RequestNumber::SetUnread: return SetUnread(s, r);
    case RequestNumber::GetMemberships: return GetMembership(s, r);
    case RequestNumber::GetConfStat:
    case RequestNumber::GetUConfStat: return ConfStat(s, r);
    case RequestNumber::GetUnreadConfs: return UnreadConfs(s, r);
    default: return std::nullopt;
    }
}

std::string ConferenceRequests::ChangeName(Session& s, const Request& r)
{
    ArgReader a(r);
    int32_t conf = 0;
    std::string name;
    if (!a.Int(conf) || !a.String(name) || !a.AtEnd()) return HandlerContext::BadArgs(r);
    if (int e = ctx_.ConfError(s, conf)) return HandlerContext::Fail(r.id, e, conf);
    if (!ctx_.MaySupervise(s, conf)) return HandlerContext::Fail(r.id, kPermissionDenied, conf);
    if (!HandlerContext::ValidName(name)) return HandlerContext::Fail(r.id, kBadName);
    const auto existing = ctx_.store.FindExactName(name);
    if (existing && *existing != conf) return HandlerContext::Fail(r.id, kConfExists, *existing);
    Conference& c = ctx_.store.EditConf(conf);
    const std::string oldName = c.name;
    c.name = name;
    ctx_.async.NameChanged(conf, oldName, name);
    return HandlerContext::Ok(r.id);
}

std::string ConferenceRequests::Create(Session& s, const Request& r)
{
    ArgReader a(r);
    std::string name, type;
    if (!a.String(name) || !a.Bits(type) || !a.AtEnd()) return HandlerContext::BadArgs(r);
    if (!HandlerContext::ValidName(name)) return HandlerContext::Fail(r.id, kBadName);
    type = NormalType(type);
    if (type[kLetterbox] == '1') return HandlerContext::Fail(r.id, kLetterboxFlag);
    if (auto existing = ctx_.store.FindExactName(name)) return HandlerContext::Fail(r.id, kConfExists, *existing);
    const int32_t n = ctx_.store.CreateConference(name, type, s.person, ctx_.Now());
    return HandlerContext::Ok(r.id, std::to_string(n));
}

std::string ConferenceRequests::Delete(Session& s, const Request& r)
{
    ArgReader a(r);
    int32_t conf = 0;
    if (!a.Int(conf) || !a.AtEnd()) return HandlerContext::BadArgs(r);
    if (int e = ctx_.ConfError(s, conf)) return HandlerContext::Fail(r.id, e, conf);
    if (!ctx_.MaySupervise(s, conf)) return HandlerContext::Fail(r.id, kPermissionDenied, conf);
    ServerInfoBlock info = ctx_.store.Info();
    for (int32_t* f : {&info.confPresentationConf, &info.personPresentationConf, &info.motdConf,
                       &info.joinOnCreateConf}) {
        if (*f == conf) *f = 0;
    }
    ctx_.store.EditInfo() = info;
    if (ctx_.store.Pers(conf)) {
        // A deleted person is logged off everywhere.
        for (Session* o : ctx_.sessions.All()) {
            if (o->person != conf) continue;
            ctx_.async.LoggedOff(o->person, o->number, o->invisible);
            o->person = 0;
            o->adminEnabled = false;
        }
    }
    for (Session* o : ctx_.sessions.All()) {
        if (o->workingConf == conf) o->workingConf = 0;
    }
    ctx_.store.DeleteConference(conf);
    return HandlerContext::Ok(r.id);
}

std::string ConferenceRequests::AddMember(Session& s, const Request& r)
{
    ArgReader a(r);
    int32_t conf = 0, person = 0, priority = 0, position = 0;
    if (!a.Int(conf) || !a.Int(person) || !a.Int(priority) || !a.Int(position) || !a.AtEnd())
        return HandlerContext::BadArgs(r);
    if (int e = ctx_.ConfError(s, conf)) return HandlerContext::Fail(r.id, e, conf);
    if (!ctx_.store.Pers(person)) return HandlerContext::Fail(r.id, kUndefinedPerson, person);
    if (priority < 0 || priority > 255 || position < 0) return HandlerContext::Fail(r.id, kIndexOutOfRange);
    const Conference* c = ctx_.store.Conf(conf);
    const bool supervisor = ctx_.MaySupervise(s, conf);
    const bool already = ctx_.store.IsMember(person, conf);
    // Anyone joins an open conference and sets their own priority; closed
    // conferences and other people's memberships are the supervisor's.
    if (person != s.person && !supervisor) return HandlerContext::Fail(r.id, kPermissionDenied, person);
    if (!already && (c->Bit(kReadProtected) || c->Bit(kSecret)) && !supervisor)
        return HandlerContext::Fail(r.id, kPermissionDenied, conf);
    if (already) {
        Membership& m = ctx_.store.EditMembership(person, conf);
        m.priority = priority;
    } else {
        ctx_.store.AddMember(person, conf, priority);
    }
    return HandlerContext::Ok(r.id);
}

std::string ConferenceRequests::RemoveMember(Session& s, const Request& r)
{
    ArgReader a(r);
    int32_t conf = 0, person = 0;
    if (!a.Int(conf) || !a.Int(person) || !a.AtEnd()) return HandlerContext::BadArgs(r);
    if (int e = ctx_.ConfError(s, conf)) return HandlerContext::Fail(r.id, e, conf);
    if (!ctx_.store.Pers(person)) return HandlerContext::Fail(r.id, kUndefinedPerson, person);
    if (person != s.person && !ctx_.MaySupervise(s, conf) && !ctx_.MaySupervise(s, person))
        return HandlerContext::Fail(r.id, kPermissionDenied, person);
    if (!ctx_.store.RemoveMember(person, conf)) return HandlerContext::Fail(r.id, kNotMember, conf);
    return HandlerContext::Ok(r.id);
}

std::string ConferenceRequests::SetTextField(Session& s, const Request& r)
{
    ArgReader a(r);
    int32_t conf = 0, text = 0;
    if (!a.Int(conf) || !a.Int(text) || !a.AtEnd()) return HandlerContext::BadArgs(r);
    if (int e = ctx_.ConfError(s, conf)) return HandlerContext::Fail(r.id, e, conf);
    if (!ctx_.MaySupervise(s, conf)) return HandlerContext::Fail(r.id, kPermissionDenied, conf);
    if (text != 0 && !ctx_.ReadableText(s, text)) return HandlerContext::Fail(r.id, kNoSuchText, text);
    Conference& c = ctx_.store.EditConf(conf);
    (r.number == Number(RequestNumber::SetPresentation) ? c.presentation : c.motd) = text;
    return HandlerContext::Ok(r.id);
}

std::string ConferenceRequests::SetConfField(Session& s, const Request& r)
{
    ArgReader a(r);
    int32_t conf = 0, value = 0;
    if (!a.Int(conf) || !a.Int(value) || !a.AtEnd()) return HandlerContext::BadArgs(r);
    if (int e = ctx_.ConfError(s, conf)) return HandlerContext::Fail(r.id, e, conf);
    if (!ctx_.MaySupervise(s, conf)) return HandlerContext::Fail(r.id, kPermissionDenied, conf);
    if (value != 0 && ctx_.ConfError(s, value)) return HandlerContext::Fail(r.id, kUndefinedConf, value);
    Conference& c = ctx_.store.EditConf(conf);
    (r.number == Number(RequestNumber::SetSupervisor) ? c.supervisor : c.superConf) = value;
    return HandlerContext::Ok(r.id);
}

std::string ConferenceRequests::SetType(Session& s, const Request& r)
{
    ArgReader a(r);
    int32_t conf = 0;
    std::string type;
    if (!a.Int(conf) || !a.Bits(type) || !a.AtEnd()) return HandlerContext::BadArgs(r);
    if (int e = ctx_.ConfError(s, conf)) return HandlerContext::Fail(r.id, e, conf);
    if (!ctx_.MaySupervise(s, conf)) return HandlerContext::Fail(r.id, kPermissionDenied, conf);
    type = NormalType(type);
    const Conference* c = ctx_.store.Conf(conf);
    if ((type[kLetterbox] == '1') != c->Bit(kLetterbox)) return HandlerContext::Fail(r.id, kLetterboxFlag, conf);
    ctx_.store.EditConf(conf).type = type;
    return HandlerContext::Ok(r.id);
}

std::string ConferenceRequests::QueryReadTexts(Session& s, const Request& r)
{
    ArgReader a(r);
    int32_t person = 0, conf = 0;
    if (!a.Int(person) || !a.Int(conf) || !a.AtEnd()) return HandlerContext::BadArgs(r);
    if (!ctx_.store.Pers(person)) return HandlerContext::Fail(r.id, kUndefinedPerson, person);
    if (int e = ctx_.ConfError(s, conf)) return HandlerContext::Fail(r.id, e, conf);
    if (person != s.person && !ctx_.Admin(s)) return HandlerContext::Fail(r.id, kPermissionDenied, person);
    const Membership* m = ctx_.store.MembershipOf(person, conf);
    if (!m) return HandlerContext::Fail(r.id, kNotMember, conf);
    return HandlerContext::Ok(r.id, WireMembership(*m, true));
}

std::string ConferenceRequests::GetMembership(Session& s, const Request& r)
{
    ArgReader a(r);
    int32_t person = 0, first = 0, count = 0, wantRead = 0;
    if (!a.Int(person) || !a.Int(first) || !a.Int(count) || !a.Int(wantRead) || !a.AtEnd())
        return HandlerContext::BadArgs(r);
    const Person* p = ctx_.store.Pers(person);
    if (!p) return HandlerContext::Fail(r.id, kUndefinedPerson, person);
    if (first < 0 || count < 0) return HandlerContext::Fail(r.id, kIndexOutOfRange);
    std::vector<const Membership*> list;
    for (const auto& [cn, m] : p->memberships) {
        if (ctx_.store.CanSeeConf(s.person, cn, ctx_.Admin(s))) list.push_back(&m);
    }
    std::stable_sort(list.begin(), list.end(),
                     [](const Membership* x, const Membership* y) { return x->priority > y->priority; });
    std::string items;
    int n = 0;
    // Someone else's memberships show where they are a member and at what
    // priority; what they have read stays theirs (and the administrators').
    const bool readState = person == s.person || ctx_.Admin(s);
    for (size_t i = static_cast<size_t>(first); i < list.size() && n < count; ++i, ++n) {
        if (readState) {
            items += " " + WireMembership(*list[i], wantRead != 0);
            continue;
        }
        Membership shown;
        shown.conf = list[i]->conf;
        shown.priority = list[i]->priority;
        items += " " + WireMembership(shown, false);
    }
    if (n == 0) return HandlerContext::Ok(r.id, "0 *");
    return HandlerContext::Ok(r.id, std::to_string(n) + " {" + items + " }");
}

std::string ConferenceRequests::ConfStat(Session& s, const Request& r)
{
    ArgReader a(r);
    int32_t conf = 0;
    if (!a.Int(conf) || !a.AtEnd()) return HandlerContext::BadArgs(r);
    if (int e = ctx_.ConfError(s, conf)) return HandlerContext::Fail(r.id, e, conf);
    const Conference* c = ctx_.store.Conf(conf);
    const bool full = r.number == Number(RequestNumber::GetConfStat);
    return HandlerContext::Ok(r.id, full ? WireConfStat(*c) : WireConfStatShort(*c));
}

std::string ConferenceRequests::UnreadConfs(Session& s, const Request& r)
{
    ArgReader a(r);
    int32_t person = 0;
    if (!a.Int(person) || !a.AtEnd()) return HandlerContext::BadArgs(r);
    const Person* p = ctx_.store.Pers(person);
    if (!p) return HandlerContext::Fail(r.id, kUndefinedPerson, person);
    if (person != s.person && !ctx_.Admin(s)) return HandlerContext::Fail(r.id, kPermissionDenied, person);
    std::vector<int32_t> out;
    for (const auto& [cn, m] : p->memberships) {
        const Conference* c = ctx_.store.Conf(cn);
        if (!c) continue;
        const auto readAbove = std::distance(m.readTexts.upper_bound(m.lastRead),
                                             m.readTexts.upper_bound(c->HighestLocal()));
        if (c->HighestLocal() - m.lastRead - readAbove > 0) out.push_back(cn);
    }
    return HandlerContext::Ok(r.id, WireIntArray(out));
}

std::string ConferenceRequests::MarkAsRead(Session& s, const Request& r)
{
    ArgReader a(r);
    int32_t conf = 0;
    std::vector<int32_t> locals;
    if (!a.Int(conf) || !a.IntArray(locals, 65536) || !a.AtEnd()) return HandlerContext::BadArgs(r);
    if (int e = ctx_.ConfError(s, conf)) return HandlerContext::Fail(r.id, e, conf);
    if (!ctx_.store.IsMember(s.person, conf)) return HandlerContext::Fail(r.id, kNotMember, conf);
    const Conference* c = ctx_.store.Conf(conf);
    for (int32_t local : locals) {
        if (local == 0) return HandlerContext::Fail(r.id, kLocalTextZero);
        if (local < c->firstLocal || local > c->HighestLocal())
            return HandlerContext::Fail(r.id, kNoSuchLocalText, local);
    }
    Membership& m = ctx_.store.EditMembership(s.person, conf);
    for (int32_t local : locals) {
        if (local > m.lastRead) m.readTexts.insert(local);
    }
    while (!m.readTexts.empty() && *m.readTexts.begin() <= m.lastRead + 1) {
        m.lastRead = std::max(m.lastRead, *m.readTexts.begin());
        m.readTexts.erase(m.readTexts.begin());
    }
    m.lastTimeRead = ctx_.Now();
    return HandlerContext::Ok(r.id);
}

std::string ConferenceRequests::SetUnread(Session& s, const Request& r)
{
    ArgReader a(r);
    int32_t conf = 0, unread = 0;
    if (!a.Int(conf) || !a.Int(unread) || !a.AtEnd()) return HandlerContext::BadArgs(r);
    if (int e = ctx_.ConfError(s, conf)) return HandlerContext::Fail(r.id, e, conf);
    if (!ctx_.store.IsMember(s.person, conf)) return HandlerContext::Fail(r.id, kNotMember, conf);
    if (unread < 0) return HandlerContext::Fail(r.id, kIndexOutOfRange);
    const Conference* c = ctx_.store.Conf(conf);
    Membership& m = ctx_.store.EditMembership(s.person, conf);
    m.lastRead = std::max(c->firstLocal - 1, c->HighestLocal() - unread);
    m.readTexts.clear();
    return HandlerContext::Ok(r.id);
}

std::string ConferenceRequests::TextMap(Session& s, const Request& r)
{
    if (r.number == Number(RequestNumber::LocalToGlobal) && ctx_.cfg.oldProtocol)
        return HandlerContext::BadArgs(r);
    ArgReader a(r);
    int32_t conf = 0, first = 0, count = 0;
    if (!a.Int(conf) || !a.Int(first) || !a.Int(count) || !a.AtEnd()) return HandlerContext::BadArgs(r);
    if (int e = ctx_.ConfError(s, conf)) return HandlerContext::Fail(r.id, e, conf);
    if (!ctx_.store.CanReadConfTexts(s.person, conf, ctx_.Admin(s)))
        return HandlerContext::Fail(r.id, kAccessDenied, conf);
    if (first == 0) return HandlerContext::Fail(r.id, kLocalTextZero);
    if (first < 0 || count < 0) return HandlerContext::Fail(r.id, kIndexOutOfRange);
    const Conference* c = ctx_.store.Conf(conf);
    const int32_t span = std::min(count, kMaxMapSpan);
    const int32_t end = std::max(first, static_cast<int32_t>(std::min<int64_t>(int64_t{first} + span,
                                                                               int64_t{c->HighestLocal()} + 1)));
    const int32_t blockFirst = std::min(std::max(first, c->firstLocal), end);
    std::vector<int32_t> globals;
    int existing = 0;
    for (int32_t l = blockFirst; l < end; ++l) {
        globals.push_back(c->GlobalOf(l));
        existing += globals.back() != 0;
    }
    std::string dense = std::to_string(blockFirst) + " " + std::to_string(globals.size());
    if (globals.empty()) {
        dense += " *";
    } else {
        dense += " {";
        for (int32_t g : globals) dense += " " + std::to_string(g);
        dense += " }";
    }
    if (r.number == Number(RequestNumber::GetTextMapOld)) return HandlerContext::Ok(r.id, dense);
    const bool later = end <= c->HighestLocal();
    std::string head = std::to_string(first) + " " + std::to_string(end) + " " + (later ? "1" : "0");
    // Mostly empty ranges go out as pairs of local and global number.
    if (existing * 2 < static_cast<int>(globals.size())) {
        std::string pairs;
        for (size_t i = 0; i < globals.size(); ++i) {
            if (globals[i]) pairs += " " + std::to_string(blockFirst + static_cast<int32_t>(i)) + " " +
                                     std::to_string(globals[i]);
        }
        return HandlerContext::Ok(r.id, head + " 0 " + std::to_string(existing) +
                                            (existing ? " {" + pairs + " }" : std::string(" *")));
    }
    return HandlerContext::Ok(r.id, head + " 1 " + dense);
}

} // namespace miravod
