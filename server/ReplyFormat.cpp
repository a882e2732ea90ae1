#include "server/ReplyFormat.h"

#include "core/wire/WireTokens.h"

namespace miravod {

namespace {

// Kept for old clients' arithmetic: nice value of a conference.
constexpr int kNice = 77;

void AppendInt(std::string& out, int64_t v)
{
    out += ' ';
    out += std::to_string(v);
}

} // namespace

std::string WireTime(TDateTime t)
{
    return pellar::EncodeTime(t);
}

std::string WireString(std::string_view s)
{
    return pellar::EncodeHollerith(s);
}

std::string WireTextStat(const Text& t)
{
    std::string items;
    int count = 0;
    auto tag = [&](int tg, int64_t v) {
        if (!items.empty()) items += ' ';
        items += std::to_string(tg);
        AppendInt(items, v);
        ++count;
    };
    auto timeTag = [&](int tg, TDateTime v) {
        if (!items.empty()) items += ' ';
        items += std::to_string(tg) + ' ' + WireTime(v);
        ++count;
    };
    for (const MiscItem& m : t.misc) {
        tag(static_cast<int>(m.kind), m.number);
        if (m.IsRecipient()) {
            tag(6, m.local);
            timeTag(7, m.received);
        }
        if ((m.IsRecipient() || m.kind == MiscKind::CommentTo) && m.sentBy != 0) {
            tag(8, m.sentBy);
            timeTag(9, m.sentAt);
        }
    }
    std::string out = WireTime(t.created);
    AppendInt(out, t.author);
    AppendInt(out, t.Lines());
    AppendInt(out, static_cast<int64_t>(t.body.size()));
    AppendInt(out, t.marks);
    AppendInt(out, count);
    out += count == 0 ? " *" : " { " + items + " }";
    return out;
}

std::string WireAuxList(const Text& t)
{
    if (t.aux.empty()) return "0 *";
    std::string out = std::to_string(t.aux.size()) + " {";
    for (const AuxItem& a : t.aux) {
        AppendInt(out, a.number);
        AppendInt(out, a.tag);
        AppendInt(out, a.creator);
        out += ' ' + WireTime(a.created) + ' ' + a.flags;
        AppendInt(out, a.inheritLimit);
        out += ' ' + WireString(a.data);
    }
    out += " }";
    return out;
}

std::string WireMembership(const Membership& m, bool withReadTexts)
{
    std::string out = WireTime(m.lastTimeRead);
    AppendInt(out, m.conf);
    AppendInt(out, m.priority);
    AppendInt(out, m.lastRead);
    if (!withReadTexts || m.readTexts.empty()) {
        out += " 0 *";
        return out;
    }
    AppendInt(out, static_cast<int64_t>(m.readTexts.size()));
    out += " {";
    for (int32_t r : m.readTexts) AppendInt(out, r);
    out += " }";
    return out;
}

std::string WireConfStat(const Conference& c)
{
    std::string out = WireString(c.name) + ' ' + c.type + ' ' + WireTime(c.created) + ' ' + WireTime(c.lastText);
    for (int64_t v : {int64_t{c.creator}, int64_t{c.presentation}, int64_t{c.supervisor},
                      int64_t{c.permittedSubmitters}, int64_t{c.superConf}, int64_t{c.motd}, int64_t{kNice},
                      int64_t{c.memberCount}, int64_t{c.firstLocal}, int64_t{c.HighestLocal() - c.firstLocal + 1}})
        AppendInt(out, v);
    return out;
}

std::string WireConfStatShort(const Conference& c)
{
    std::string out = WireString(c.name) + ' ' + c.type;
    AppendInt(out, c.HighestLocal());
    AppendInt(out, kNice);
    return out;
}

std::string WireIntArray(const std::vector<int32_t>& v)
{
    if (v.empty()) return "0 *";
    std::string out = std::to_string(v.size()) + " {";
    for (int32_t x : v) AppendInt(out, x);
    out += " }";
    return out;
}

std::string WireAsync(AsyncNumber type, int fieldCount, const std::string& fields)
{
    std::string out = ":" + std::to_string(fieldCount) + ' ' + std::to_string(Number(type));
    if (!fields.empty()) out += ' ' + fields;
    out += '\n';
    return out;
}

} // namespace miravod
