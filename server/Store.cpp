#include "server/Store.h"

#include <algorithm>

#include "server/Database.h"

namespace miravod {

int32_t Text::Lines() const
{
    // Lines of the text, the subject line included; a final LF ends the last line.
    if (body.empty()) return 0;
    return static_cast<int32_t>(std::count(body.begin(), body.end(), '\n')) + (body.back() == '\n' ? 0 : 1);
}

Store::Store() = default;
Store::~Store() = default;

bool Store::Open(const std::string& path, std::string* error)
{
    if (path.empty()) return true;
    db_ = std::make_unique<Database>();
    if (!db_->Open(path, error)) {
        db_.reset();
        return false;
    }
    if (!db_->Load(*this, error)) {
        db_.reset();
        return false;
    }
    return true;
}

const Conference* Store::Conf(int32_t n) const
{
    auto it = confs_.find(n);
    return it == confs_.end() ? nullptr : &it->second;
}

const Person* Store::Pers(int32_t n) const
{
    auto it = persons_.find(n);
    return it == persons_.end() ? nullptr : &it->second;
}

const Text* Store::GetText(int32_t n) const
{
    auto it = texts_.find(n);
    return it == texts_.end() ? nullptr : &it->second;
}

const Membership* Store::MembershipOf(int32_t person, int32_t conf) const
{
    const Person* p = Pers(person);
    if (!p) return nullptr;
    auto it = p->memberships.find(conf);
    return it == p->memberships.end() ? nullptr : &it->second;
}

Conference& Store::EditConf(int32_t n)
{
    KeepConf(n);
    changes_.confs.insert(n);
    return confs_.at(n);
}

Person& Store::EditPerson(int32_t n)
{
    KeepPerson(n);
    changes_.persons.insert(n);
    return persons_.at(n);
}

Text& Store::EditText(int32_t n)
{
    KeepText(n);
    changes_.texts.insert(n);
    return texts_.at(n);
}

Membership& Store::EditMembership(int32_t person, int32_t conf)
{
    KeepPerson(person);
    changes_.memberships.insert({person, conf});
    return persons_.at(person).memberships.at(conf);
}

ServerInfoBlock& Store::EditInfo()
{
    KeepMeta();
    changes_.meta = true;
    return info_;
}

int32_t Store::CreateConference(std::string name, std::string type, int32_t creator, TDateTime now)
{
    KeepMeta();
    KeepConf(nextConf_);
    const int32_t n = nextConf_++;
    changes_.meta = true;
    Conference c;
    c.number = n;
    c.name = std::move(name);
    c.type = std::move(type);
    c.created = now;
    c.lastText = now;
    c.creator = creator;
    c.supervisor = creator;
    confs_[n] = std::move(c);
    changes_.confs.insert(n);
    return n;
}

int32_t Store::CreatePerson(std::string name, std::string passwordHash, TDateTime now)
{
    const int32_t n = CreateConference(std::move(name), "10010000", 0, now);
    Conference& c = confs_[n];
    c.creator = n;
    c.supervisor = n;
    KeepPerson(n);
    Person p;
    p.number = n;
    p.passwordHash = std::move(passwordHash);
    persons_[n] = std::move(p);
    changes_.persons.insert(n);
    AddMember(n, n, 255);
    return n;
}

void Store::DeleteConference(int32_t n)
{
    for (auto& [pn, person] : persons_) {
        if (!person.memberships.count(n)) continue;
        KeepPerson(pn);
        person.memberships.erase(n);
        changes_.memberships.insert({pn, n});
    }
    if (persons_.count(n)) {
        KeepPerson(n);
        Person& p = persons_[n];
        for (auto& [cn, m] : p.memberships) {
            changes_.memberships.insert({n, cn});
            auto c = confs_.find(cn);
            if (c != confs_.end() && c->second.memberCount > 0) {
                KeepConf(cn);
                c->second.memberCount--;
            }
        }
        for (auto& [tn, type] : p.marks) {
            changes_.marks.insert({n, tn});
            auto t = texts_.find(tn);
            if (t != texts_.end() && t->second.marks > 0) {
                KeepText(tn);
                t->second.marks--;
            }
        }
        persons_.erase(n);
        changes_.persons.insert(n);
    }
    KeepConf(n, true);
    confs_.erase(n);
    changes_.confs.insert(n);
}

Text& Store::NewText(int32_t author, TDateTime now)
{
    KeepMeta();
    KeepText(nextText_);
    const int32_t n = nextText_++;
    changes_.meta = true;
    Text& t = texts_[n];
    t.number = n;
    t.author = author;
    t.created = now;
    changes_.texts.insert(n);
    return t;
}

void Store::DeleteText(int32_t n)
{
    auto it = texts_.find(n);
    if (it == texts_.end()) return;
    KeepText(n);
    for (const MiscItem& m : it->second.misc) {
        if (m.IsRecipient()) {
            auto c = confs_.find(m.number);
            if (c != confs_.end() && c->second.GlobalOf(m.local) == n) ClearLocal(m.number, m.local);
            continue;
        }
        // Drop the reverse links in the texts this one was linked with.
        MiscKind back = MiscKind::CommentTo;
        switch (m.kind) {
        case MiscKind::CommentTo: back = MiscKind::CommentIn; break;
        case MiscKind::CommentIn: back = MiscKind::CommentTo; break;
        case MiscKind::FootnoteTo: back = MiscKind::FootnoteIn; break;
        case MiscKind::FootnoteIn: back = MiscKind::FootnoteTo; break;
        default: break;
        }
        auto other = texts_.find(m.number);
        if (other == texts_.end()) continue;
        KeepText(m.number);
        auto& om = other->second.misc;
        om.erase(std::remove_if(om.begin(), om.end(),
                                [&](const MiscItem& x) { return x.kind == back && x.number == n; }),
                 om.end());
        changes_.texts.insert(m.number);
    }
    for (auto& [pn, person] : persons_) {
        if (!person.marks.count(n)) continue;
        KeepPerson(pn);
        person.marks.erase(n);
        changes_.marks.insert({pn, n});
    }
    for (auto& [cn, c] : confs_) {
        if (c.presentation == n || c.motd == n) {
            KeepConf(cn);
            if (c.presentation == n) c.presentation = 0;
            if (c.motd == n) c.motd = 0;
            changes_.confs.insert(cn);
        }
    }
    if (info_.motdText == n) {
        KeepMeta();
        info_.motdText = 0;
        changes_.meta = true;
    }
    texts_.erase(it);
    changes_.texts.insert(n);
}

bool Store::AddMember(int32_t person, int32_t conf, int32_t priority)
{
    KeepPerson(person);
    Person& p = persons_.at(person);
    auto [it, inserted] = p.memberships.try_emplace(conf);
    it->second.conf = conf;
    it->second.priority = priority;
    if (inserted) {
        KeepConf(conf);
        Conference& c = confs_.at(conf);
        // A new member starts with every text of the conference unread.
        it->second.lastRead = c.firstLocal - 1;
        it->second.lastTimeRead = pellar::NowLocal();
        c.memberCount++;
        changes_.confs.insert(conf);
    }
    changes_.memberships.insert({person, conf});
    return inserted;
}

bool Store::RemoveMember(int32_t person, int32_t conf)
{
    Person& p = persons_.at(person);
    if (!p.memberships.count(conf)) return false;
    KeepPerson(person);
    p.memberships.erase(conf);
    auto c = confs_.find(conf);
    if (c != confs_.end() && c->second.memberCount > 0) {
        KeepConf(conf);
        c->second.memberCount--;
        changes_.confs.insert(conf);
    }
    changes_.memberships.insert({person, conf});
    return true;
}

void Store::SetMark(int32_t person, int32_t text, int32_t type)
{
    KeepPerson(person);
    KeepText(text);
    Person& p = persons_.at(person);
    auto [it, inserted] = p.marks.insert_or_assign(text, type);
    (void)it;
    if (inserted) {
        texts_.at(text).marks++;
        changes_.texts.insert(text);
    }
    changes_.marks.insert({person, text});
}

bool Store::RemoveMark(int32_t person, int32_t text)
{
    Person& p = persons_.at(person);
    if (!p.marks.count(text)) return false;
    KeepPerson(person);
    p.marks.erase(text);
    auto t = texts_.find(text);
    if (t != texts_.end() && t->second.marks > 0) {
        KeepText(text);
        t->second.marks--;
        changes_.texts.insert(text);
    }
    changes_.marks.insert({person, text});
    return true;
}

int32_t Store::AppendToConference(int32_t conf, int32_t text, TDateTime now)
{
    Conference& c = EditConf(conf);
    c.map.push_back(text);
    c.lastText = now;
    return c.HighestLocal();
}

void Store::ClearLocal(int32_t conf, int32_t local)
{
    Conference& c = EditConf(conf);
    if (local < c.firstLocal || local > c.HighestLocal()) return;
    const auto idx = static_cast<size_t>(local - c.firstLocal);
    undo_.confs[conf].cleared.emplace_back(idx, c.map[idx]);
    c.map[idx] = 0;
}

namespace {

// ASCII takes the short way; anything else is decoded and folded in the set.
char32_t NextFolded(std::string_view name, size_t& pos, pellar::WireCharset charset)
{
    const auto byte = static_cast<unsigned char>(name[pos]);
    if (byte < 0x80) {
        ++pos;
        return byte >= 'A' && byte <= 'Z' ? byte + 0x20 : byte;
    }
    return pellar::FoldLetterCase(pellar::NextWireChar(name, pos, charset), charset);
}

// Names are walked character by character and folded as they go, so a
// look-up over every name builds nothing and stops at the first difference.
// The pattern is already decoded and folded; words are separated by blanks
// (a blank byte is never part of a multi-byte character).
bool WordPrefixMatch(std::u32string_view pattern, std::string_view name, pellar::WireCharset charset)
{
    size_t pp = 0, np = 0;
    bool any = false;
    for (;;) {
        while (pp < pattern.size() && pattern[pp] == U' ') ++pp;
        if (pp == pattern.size()) return any;
        while (np < name.size() && name[np] == ' ') ++np;
        for (; pp < pattern.size() && pattern[pp] != U' '; ++pp) {
            if (np == name.size() || name[np] == ' ') return false;
            if (NextFolded(name, np, charset) != pattern[pp]) return false;
        }
        while (np < name.size() && name[np] != ' ') ++np;
        any = true;
    }
}

bool SameFolded(std::u32string_view folded, std::string_view name, pellar::WireCharset charset)
{
    size_t np = 0;
    for (char32_t c : folded) {
        if (np == name.size() || NextFolded(name, np, charset) != c)
            return false;
    }
    return np == name.size();
}

} // namespace

std::optional<int32_t> Store::FindExactName(std::string_view name) const
{
    const std::u32string folded = pellar::FoldWireText(name, charset_);
    for (const auto& [n, c] : confs_) {
        if (SameFolded(folded, c.name, charset_)) return n;
    }
    return std::nullopt;
}

std::vector<int32_t> Store::MatchNames(std::string_view pattern, bool persons, bool confs) const
{
    std::vector<int32_t> out;
    const std::u32string folded = pellar::FoldWireText(pattern, charset_);
    for (const auto& [n, c] : confs_) {
        const bool isPerson = persons_.count(n) != 0;
        if ((isPerson && !persons) || (!isPerson && !confs)) continue;
        if (WordPrefixMatch(folded, c.name, charset_)) out.push_back(n);
    }
    return out;
}

bool Store::IsMember(int32_t person, int32_t conf) const
{
    return MembershipOf(person, conf) != nullptr;
}

bool Store::IsSupervisor(int32_t person, int32_t conf) const
{
    const Conference* c = Conf(conf);
    if (!c || person == 0) return false;
    if (c->supervisor == person) return true;
    // A conference as supervisor lets its members supervise.
    return c->supervisor != 0 && Pers(c->supervisor) == nullptr && IsMember(person, c->supervisor);
}

bool Store::CanSeeConf(int32_t viewer, int32_t conf, bool admin) const
{
    const Conference* c = Conf(conf);
    if (!c) return false;
    if (!c->Bit(kSecret) || admin) return true;
    return IsMember(viewer, conf) || IsSupervisor(viewer, conf);
}

bool Store::CanReadConfTexts(int32_t viewer, int32_t conf, bool admin) const
{
    const Conference* c = Conf(conf);
    if (!c) return false;
    if (admin) return true;
    if (!c->Bit(kReadProtected) && !c->Bit(kSecret)) return true;
    return IsMember(viewer, conf) || IsSupervisor(viewer, conf);
}

bool Store::CanReadText(int32_t viewer, const Text& text, bool admin) const
{
    if (admin || (viewer != 0 && text.author == viewer)) return true;
    for (const MiscItem& m : text.misc) {
        if (m.IsRecipient() && CanReadConfTexts(viewer, m.number, false)) return true;
    }
    return false;
}

bool Store::Commit(std::string* error)
{
    if (changes_.Empty()) {
        undo_ = UndoLog{};
        return true;
    }
    ChangeSet pending = std::move(changes_);
    changes_ = ChangeSet{};
    bool ok = true;
    if (failCommits_ > 0) {
        --failCommits_;
        if (error) *error = "commit failure switched on for a test";
        ok = false;
    } else if (db_) {
        ok = db_->Apply(*this, pending, error);
    }
    if (!ok) Rollback();
    undo_ = UndoLog{};
    return ok;
}

void Store::LoadConference(Conference c)
{
    const int32_t n = c.number;
    confs_[n] = std::move(c);
}

void Store::LoadPerson(Person p)
{
    const int32_t n = p.number;
    persons_[n] = std::move(p);
}

void Store::LoadText(Text t)
{
    const int32_t n = t.number;
    texts_[n] = std::move(t);
}

void Store::LoadMeta(int32_t nextConf, int32_t nextText, const ServerInfoBlock& info)
{
    nextConf_ = nextConf;
    nextText_ = nextText;
    info_ = info;
}

void Store::RebuildDerived()
{
    // Text maps, member counts and mark counts follow from the other tables.
    for (auto& [n, t] : texts_) {
        t.marks = 0;
        for (const MiscItem& m : t.misc) {
            if (!m.IsRecipient()) continue;
            auto c = confs_.find(m.number);
            if (c == confs_.end() || m.local < c->second.firstLocal) continue;
            const size_t idx = static_cast<size_t>(m.local - c->second.firstLocal);
            if (idx < c->second.map.size()) c->second.map[idx] = n;
        }
    }
    for (auto& [n, c] : confs_) c.memberCount = 0;
    for (auto& [pn, p] : persons_) {
        for (auto& [cn, m] : p.memberships) {
            auto c = confs_.find(cn);
            if (c != confs_.end()) c->second.memberCount++;
        }
        for (auto& [tn, type] : p.marks) {
            auto t = texts_.find(tn);
            if (t != texts_.end()) t->second.marks++;
        }
    }
}

} // namespace miravod
