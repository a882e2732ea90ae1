#include "server/TextRequests.h"

#include <algorithm>

#include "server/ReplyFormat.h"

namespace miravod {

namespace {

constexpr size_t kMaxMiscPairs = 256;
constexpr size_t kMaxAuxItems = 64;
constexpr size_t kMaxAuxData = 65536;
// Per reader on a text written by someone else (administrators excepted).
constexpr size_t kMaxForeignAuxItems = 4;
constexpr size_t kMaxForeignAuxBytes = 4096;

bool HasLink(const Text& t, MiscKind kind, int32_t number)
{
    return std::any_of(t.misc.begin(), t.misc.end(),
                       [&](const MiscItem& m) { return m.kind == kind && m.number == number; });
}

void EraseLink(Text& t, MiscKind kind, int32_t number)
{
    t.misc.erase(std::remove_if(t.misc.begin(), t.misc.end(),
                                [&](const MiscItem& m) { return m.kind == kind && m.number == number; }),
                 t.misc.end());
}

} // namespace

std::optional<std::string> TextRequests::Handle(Session& s, const Request& r)
{
    switch (static_cast<RequestNumber>(r.number)) {
    case RequestNumber::GetMarks: return GetMarks(s, r);
    case RequestNumber::GetText: return GetText(s, r);
    case RequestNumber::GetTextStatOld:
    case RequestNumber::GetTextStat: return GetTextStat(s, r);
    case RequestNumber::CreateTextOld:
    case RequestNumber::CreateText: return CreateText(s, r);
    case RequestNumber::DeleteText: return DeleteText(s, r);
    case RequestNumber::AddRecipient: return AddRecipient(s, r);
    case RequestNumber::SubRecipient: return RemoveRecipient(s, r);
    case RequestNumber::AddComment:
    case RequestNumber::AddFootnote: return AddLink(s, r);
    case RequestNumber::SubComment:
    case RequestNumber::SubFootnote: return RemoveLink(s, r);
    case RequestNumber::MarkText: return Mark(s, r);
    case RequestNumber::UnmarkText: return Unmark(s, r);
    case RequestNumber::ModifyAuxInfo: return ModifyAux(s, r);
    default: return std::nullopt;
    }
}

std::string TextRequests::GetText(Session& s, const Request& r)
{
    ArgReader a(r);
    int32_t text = 0, start = 0, end = 0;
    if (!a.Int(text) || !a.Int(start) || !a.Int(end) || !a.AtEnd()) return HandlerContext::BadArgs(r);
    const Text* t = ctx_.ReadableText(s, text);
    if (!t) return HandlerContext::Fail(r.id, kNoSuchText, text);
    if (start < 0 || end < start) return HandlerContext::Fail(r.id, kIndexOutOfRange);
    // The end position is inclusive.
    const size_t from = std::min(static_cast<size_t>(start), t->body.size());
    const size_t to = std::min(static_cast<size_t>(end) + 1, t->body.size());
    return HandlerContext::Ok(r.id, WireString(std::string_view(t->body).substr(from, to - from)));
}

std::string TextRequests::GetTextStat(Session& s, const Request& r)
{
    if (r.number == Number(RequestNumber::GetTextStat) && ctx_.cfg.oldProtocol) return HandlerContext::BadArgs(r);
    ArgReader a(r);
    int32_t text = 0;
    if (!a.Int(text) || !a.AtEnd()) return HandlerContext::BadArgs(r);
    const Text* t = ctx_.ReadableText(s, text);
    if (!t) return HandlerContext::Fail(r.id, kNoSuchText, text);
    std::string body = WireTextStat(*t);
    if (r.number == Number(RequestNumber::GetTextStat)) body += " " + WireAuxList(*t);
    return HandlerContext::Ok(r.id, body);
}

int TextRequests::MayWriteTo(const Session& s, int32_t conf) const
{
    if (int e = ctx_.ConfError(s, conf)) return e;
    const Conference* c = ctx_.store.Conf(conf);
    if (s.person == 0 && !c->Bit(kAllowAnonymous)) return kAnonymousRefused;
    // Letters reach anyone; closed conferences take texts from members only.
    if ((c->Bit(kReadProtected) || c->Bit(kSecret)) && !c->Bit(kLetterbox) &&
        !ctx_.store.IsMember(s.person, conf) && !ctx_.MaySupervise(s, conf))
        return kAccessDenied;
    return 0;
}

bool TextRequests::LinkReaches(int32_t from, int32_t target, MiscKind kind) const
{
    std::vector<int32_t> todo{from};
    std::set<int32_t> seen;
    while (!todo.empty()) {
        const int32_t n = todo.back();
        todo.pop_back();
        if (n == target) return true;
        if (!seen.insert(n).second) continue;
        const Text* t = ctx_.store.GetText(n);
        if (!t) continue;
        for (const MiscItem& m : t->misc) {
            if (m.kind == kind) todo.push_back(m.number);
        }
    }
    return false;
}

int TextRequests::ReadAuxItems(ArgReader& a, std::vector<AuxItem>& out, bool& malformed)
{
    size_t n = 0;
    malformed = true;
    if (!a.OpenArray(n)) return 0;
    if (n > kMaxAuxItems) {
        malformed = false;
        return kArrayTooBig;
    }
    for (size_t i = 0; i < n; ++i) {
        AuxItem item;
        if (!a.Int(item.tag) || !a.Bits(item.flags) || !a.Int(item.inheritLimit) || !a.String(item.data)) return 0;
        out.push_back(std::move(item));
    }
    if (!a.CloseArray(n)) return 0;
    malformed = false;
    for (const AuxItem& item : out) {
        if (item.data.size() > kMaxAuxData) return kStringTooLong;
        // Aux data goes out in line-by-line replies.
        if (item.data.find('\n') != std::string::npos) return kBadName;
    }
    return 0;
}

std::string TextRequests::CreateText(Session& s, const Request& r)
{
    const bool newer = r.number == Number(RequestNumber::CreateText);
    if (newer && ctx_.cfg.oldProtocol) return HandlerContext::BadArgs(r);
    ArgReader a(r);
    std::string body;
    size_t pairs = 0;
    if (!a.String(body) || !a.OpenArray(pairs)) return HandlerContext::BadArgs(r);
    if (pairs > kMaxMiscPairs) return HandlerContext::Fail(r.id, kArrayTooBig);
    std::vector<std::pair<int32_t, int32_t>> misc;
    for (size_t i = 0; i < pairs; ++i) {
        int32_t tag = 0, value = 0;
        if (!a.Int(tag) || !a.Int(value)) return HandlerContext::BadArgs(r);
        misc.emplace_back(tag, value);
    }
    if (!a.CloseArray(pairs)) return HandlerContext::BadArgs(r);
    std::vector<AuxItem> aux;
    if (newer) {
        bool malformed = false;
        const int e = ReadAuxItems(a, aux, malformed);
        if (malformed) return HandlerContext::BadArgs(r);
        if (e) return HandlerContext::Fail(r.id, e);
    }
    if (!a.AtEnd()) return HandlerContext::BadArgs(r);
    if (body.size() > ctx_.cfg.maxTextBytes) return HandlerContext::Fail(r.id, kStringTooLong);

    // Check everything before changing anything.
    std::set<int32_t> recipients, comments, footnotes;
    for (const auto& [tag, value] : misc) {
        switch (tag) {
        case 0:
        case 1:
            if (int e = MayWriteTo(s, value)) return HandlerContext::Fail(r.id, e, value);
            if (!recipients.insert(value).second) return HandlerContext::Fail(r.id, kAlreadyRecipient, value);
            break;
        case 2:
        case 4: {
            const Text* parent = ctx_.ReadableText(s, value);
            if (!parent) return HandlerContext::Fail(r.id, kNoSuchText, value);
            if (tag == 4 && (parent->author != s.person || s.person == 0))
                return HandlerContext::Fail(r.id, kNotAuthor, value);
            auto& set = tag == 2 ? comments : footnotes;
            if (!set.insert(value).second)
                return HandlerContext::Fail(r.id, tag == 2 ? kAlreadyComment : kAlreadyFootnote, value);
            break;
        }
        default: return HandlerContext::Fail(r.id, kIllegalMisc, tag);
        }
    }
    if (s.person == 0 && recipients.empty()) return HandlerContext::Fail(r.id, kAnonymousRefused);

    const TDateTime now = ctx_.Now();
    Text& t = ctx_.store.NewText(s.person, now);
    t.body = std::move(body);
    for (const auto& [tag, value] : misc) {
        MiscItem m;
        m.kind = static_cast<MiscKind>(tag);
        m.number = value;
        if (m.IsRecipient()) {
            m.local = ctx_.store.AppendToConference(value, t.number, now);
            m.received = now;
        } else {
            MiscItem back;
            back.kind = tag == 2 ? MiscKind::CommentIn : MiscKind::FootnoteIn;
            back.number = t.number;
            ctx_.store.EditText(value).misc.push_back(back);
        }
        t.misc.push_back(m);
    }
    for (AuxItem& item : aux) {
        item.number = t.nextAux++;
        item.creator = s.person;
        item.created = now;
        t.aux.push_back(std::move(item));
    }
    ctx_.async.NewText(t);
    return HandlerContext::Ok(r.id, std::to_string(t.number));
}

std::string TextRequests::DeleteText(Session& s, const Request& r)
{
    ArgReader a(r);
    int32_t text = 0;
    if (!a.Int(text) || !a.AtEnd()) return HandlerContext::BadArgs(r);
    const Text* t = ctx_.ReadableText(s, text);
    if (!t) return HandlerContext::Fail(r.id, kNoSuchText, text);
    if (t->author != s.person && !ctx_.Admin(s)) return HandlerContext::Fail(r.id, kNotAuthor, text);
    ctx_.store.DeleteText(text);
    return HandlerContext::Ok(r.id);
}

std::string TextRequests::AddRecipient(Session& s, const Request& r)
{
    ArgReader a(r);
    int32_t text = 0, conf = 0, type = 0;
    if (!a.Int(text) || !a.Int(conf) || !a.Int(type) || !a.AtEnd()) return HandlerContext::BadArgs(r);
    const Text* t = ctx_.ReadableText(s, text);
    if (!t) return HandlerContext::Fail(r.id, kNoSuchText, text);
    if (type != 0 && type != 1) return HandlerContext::Fail(r.id, kIllegalMisc, type);
    if (int e = MayWriteTo(s, conf)) return HandlerContext::Fail(r.id, e, conf);
    if (HasLink(*t, MiscKind::Recipient, conf) || HasLink(*t, MiscKind::CarbonCopy, conf))
        return HandlerContext::Fail(r.id, kAlreadyRecipient, conf);
    const TDateTime now = ctx_.Now();
    MiscItem m;
    m.kind = static_cast<MiscKind>(type);
    m.number = conf;
    m.local = ctx_.store.AppendToConference(conf, text, now);
    m.received = now;
    if (s.person != t->author) {
        m.sentBy = s.person;
        m.sentAt = now;
    }
    ctx_.store.EditText(text).misc.push_back(m);
    return HandlerContext::Ok(r.id);
}

std::string TextRequests::RemoveRecipient(Session& s, const Request& r)
{
    ArgReader a(r);
    int32_t text = 0, conf = 0;
    if (!a.Int(text) || !a.Int(conf) || !a.AtEnd()) return HandlerContext::BadArgs(r);
    const Text* t = ctx_.ReadableText(s, text);
    if (!t) return HandlerContext::Fail(r.id, kNoSuchText, text);
    auto it = std::find_if(t->misc.begin(), t->misc.end(),
                           [&](const MiscItem& m) { return m.IsRecipient() && m.number == conf; });
    if (it == t->misc.end()) return HandlerContext::Fail(r.id, kNotRecipient, conf);
    if (t->author != s.person && it->sentBy != s.person && !ctx_.MaySupervise(s, conf))
        return HandlerContext::Fail(r.id, kPermissionDenied, conf);
    const int32_t local = it->local;
    Text& et = ctx_.store.EditText(text);
    et.misc.erase(et.misc.begin() + (it - t->misc.begin()));
    if (ctx_.store.Conf(conf) && ctx_.store.Conf(conf)->GlobalOf(local) == text) ctx_.store.ClearLocal(conf, local);
    return HandlerContext::Ok(r.id);
}

std::string TextRequests::AddLink(Session& s, const Request& r)
{
    const bool footnote = r.number == Number(RequestNumber::AddFootnote);
    ArgReader a(r);
    int32_t text = 0, parent = 0;
    if (!a.Int(text) || !a.Int(parent) || !a.AtEnd()) return HandlerContext::BadArgs(r);
    const Text* t = ctx_.ReadableText(s, text);
    if (!t) return HandlerContext::Fail(r.id, kNoSuchText, text);
    const Text* p = ctx_.ReadableText(s, parent);
    if (!p) return HandlerContext::Fail(r.id, kNoSuchText, parent);
    const MiscKind to = footnote ? MiscKind::FootnoteTo : MiscKind::CommentTo;
    const int already = footnote ? kAlreadyFootnote : kAlreadyComment;
    if (footnote && (p->author != s.person || t->author != s.person) && !ctx_.Admin(s))
        return HandlerContext::Fail(r.id, kNotAuthor, parent);
    if (HasLink(*t, to, parent)) return HandlerContext::Fail(r.id, already, parent);
    // A link that closes a loop would send readers round it forever.
    if (LinkReaches(parent, text, to)) return HandlerContext::Fail(r.id, already, parent);
    MiscItem m;
    m.kind = to;
    m.number = parent;
    if (!footnote && s.person != t->author) {
        m.sentBy = s.person;
        m.sentAt = ctx_.Now();
    }
    ctx_.store.EditText(text).misc.push_back(m);
    MiscItem back;
    back.kind = footnote ? MiscKind::FootnoteIn : MiscKind::CommentIn;
    back.number = text;
    ctx_.store.EditText(parent).misc.push_back(back);
    return HandlerContext::Ok(r.id);
}

std::string TextRequests::RemoveLink(Session& s, const Request& r)
{
    const bool footnote = r.number == Number(RequestNumber::SubFootnote);
    ArgReader a(r);
    int32_t text = 0, parent = 0;
    if (!a.Int(text) || !a.Int(parent) || !a.AtEnd()) return HandlerContext::BadArgs(r);
    const Text* t = ctx_.ReadableText(s, text);
    if (!t) return HandlerContext::Fail(r.id, kNoSuchText, text);
    const MiscKind to = footnote ? MiscKind::FootnoteTo : MiscKind::CommentTo;
    if (!HasLink(*t, to, parent)) return HandlerContext::Fail(r.id, footnote ? kNotFootnote : kNotComment, parent);
    const Text* p = ctx_.store.GetText(parent);
    const bool author = t->author == s.person || (p && p->author == s.person);
    if (!author && !ctx_.Admin(s))
        return HandlerContext::Fail(r.id, footnote ? kNotAuthor : kPermissionDenied, parent);
    EraseLink(ctx_.store.EditText(text), to, parent);
    if (p) EraseLink(ctx_.store.EditText(parent), footnote ? MiscKind::FootnoteIn : MiscKind::CommentIn, text);
    return HandlerContext::Ok(r.id);
}

std::string TextRequests::Mark(Session& s, const Request& r)
{
    ArgReader a(r);
    int32_t text = 0, type = 0;
    if (!a.Int(text) || !a.Int(type) || !a.AtEnd()) return HandlerContext::BadArgs(r);
    if (!ctx_.ReadableText(s, text)) return HandlerContext::Fail(r.id, kNoSuchText, text);
    if (type < 0 || type > 255) return HandlerContext::Fail(r.id, kIndexOutOfRange, type);
    ctx_.store.SetMark(s.person, text, type);
    return HandlerContext::Ok(r.id);
}

std::string TextRequests::Unmark(Session& s, const Request& r)
{
    ArgReader a(r);
    int32_t text = 0;
    if (!a.Int(text) || !a.AtEnd()) return HandlerContext::BadArgs(r);
    if (!ctx_.store.RemoveMark(s.person, text)) return HandlerContext::Fail(r.id, kNotMarked, text);
    return HandlerContext::Ok(r.id);
}

std::string TextRequests::GetMarks(Session& s, const Request& r)
{
    if (!ArgReader(r).AtEnd()) return HandlerContext::BadArgs(r);
    const Person* p = ctx_.store.Pers(s.person);
    if (!p || p->marks.empty()) return HandlerContext::Ok(r.id, "0 *");
    std::string out = std::to_string(p->marks.size()) + " {";
    for (const auto& [text, type] : p->marks) out += " " + std::to_string(text) + " " + std::to_string(type);
    return HandlerContext::Ok(r.id, out + " }");
}

int TextRequests::ForeignAuxError(int32_t creator, const Text& t, const std::vector<int32_t>& remove,
                                  const std::vector<AuxItem>& add)
{
    // What one reader may hang on someone else's text, counted after the
    // request: their own items that stay, and the new ones.
    size_t items = add.size();
    size_t bytes = 0;
    for (const AuxItem& item : add) bytes += item.data.size();
    for (const AuxItem& item : t.aux) {
        if (item.creator != creator || std::find(remove.begin(), remove.end(), item.number) != remove.end()) continue;
        ++items;
        bytes += item.data.size();
    }
    if (items > kMaxForeignAuxItems) return kArrayTooBig;
    if (bytes > kMaxForeignAuxBytes) return kStringTooLong;
    return 0;
}

std::string TextRequests::ModifyAux(Session& s, const Request& r)
{
    if (ctx_.cfg.oldProtocol) return HandlerContext::BadArgs(r);
    ArgReader a(r);
    int32_t text = 0;
    std::vector<int32_t> remove;
    std::vector<AuxItem> add;
    if (!a.Int(text) || !a.IntArray(remove, kMaxAuxItems)) return HandlerContext::BadArgs(r);
    bool malformed = false;
    const int e = ReadAuxItems(a, add, malformed);
    if (malformed || !a.AtEnd()) return HandlerContext::BadArgs(r);
    if (e) return HandlerContext::Fail(r.id, e);
    const Text* t = ctx_.ReadableText(s, text);
    if (!t) return HandlerContext::Fail(r.id, kNoSuchText, text);
    for (int32_t n : remove) {
        auto it = std::find_if(t->aux.begin(), t->aux.end(), [&](const AuxItem& x) { return x.number == n; });
        if (it == t->aux.end()) return HandlerContext::Fail(r.id, kIndexOutOfRange, n);
        if (it->creator != s.person && !ctx_.Admin(s)) return HandlerContext::Fail(r.id, kPermissionDenied, n);
    }
    if (t->aux.size() - std::min(t->aux.size(), remove.size()) + add.size() > kMaxAuxItems * 4)
        return HandlerContext::Fail(r.id, kArrayTooBig);
    if (t->author != s.person && !ctx_.Admin(s)) {
        if (int e = ForeignAuxError(s.person, *t, remove, add)) return HandlerContext::Fail(r.id, e);
    }
    Text& et = ctx_.store.EditText(text);
    for (int32_t n : remove) {
        et.aux.erase(std::remove_if(et.aux.begin(), et.aux.end(), [&](const AuxItem& x) { return x.number == n; }),
                     et.aux.end());
    }
    const TDateTime now = ctx_.Now();
    for (AuxItem& item : add) {
        item.number = et.nextAux++;
        item.creator = s.person;
        item.created = now;
        et.aux.push_back(std::move(item));
    }
    return HandlerContext::Ok(r.id);
}

} // namespace miravod
